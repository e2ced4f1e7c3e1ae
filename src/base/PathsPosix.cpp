#include "base/Paths.h"

#include <QFile>

std::filesystem::path nativePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString pathFromNative(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

QByteArray libraryPath(const QString& path) {
    return QFile::encodeName(path);
}

QByteArray codePagePath(const QString& path) {
    return QFile::encodeName(path);
}
