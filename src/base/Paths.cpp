#include "base/Paths.h"

#include <QDir>

#include <algorithm>

#include <system_error>

QString joinPath(const QString& folder, const QString& name) {
    const QChar separator = QDir::separator();
    if (folder.endsWith(separator) || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + separator + name;
}

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    std::error_code error;
    [[maybe_unused]] const auto changed = std::filesystem::last_write_time(nativePath(path), error);
    return !error;
}

QString FileNameOf(const QString& path) {
    qsizetype at = path.lastIndexOf(QDir::separator());
    // Windows takes "/" as well as its own separator.
    if (QDir::separator() != QLatin1Char('/'))
        at = std::max(at, path.lastIndexOf(QLatin1Char('/')));
    return at < 0 ? path : path.mid(at + 1);
}

QString StripExtension(const QString& name) {
    const qsizetype at = name.lastIndexOf(QLatin1Char('.'));
    return at < 0 ? name : name.left(at);
}
