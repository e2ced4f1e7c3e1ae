#include "base/FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

std::optional<FileIdentity> smallRegularFileIdentity(const QString& path, qint64 largestSize) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > largestSize)
        return std::nullopt;
    return FileIdentity{
        {static_cast<long long>(status.st_dev), static_cast<long long>(status.st_ino),
         static_cast<long long>(status.st_size), static_cast<long long>(status.st_mtim.tv_sec),
         static_cast<long long>(status.st_mtim.tv_nsec),
         static_cast<long long>(status.st_ctim.tv_sec),
         static_cast<long long>(status.st_ctim.tv_nsec)}};
}
