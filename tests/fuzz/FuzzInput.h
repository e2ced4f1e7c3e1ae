#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

// The fuzzer's bytes as a file of the given name in a folder of this process's own, since the
// code under test reads files as a user's files are read.
inline QString writeFuzzInput(const char* name, const uint8_t* data, size_t size) {
    static const QString folder = [] {
        // Memory rather than disk where there is such a folder: the work database syncs.
        const QDir base(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                  : QDir::tempPath());
        const QString path = base.filePath(
            QStringLiteral("brindlequay-fuzz-%1").arg(static_cast<qint64>(::getpid())));
        QDir().mkpath(path);
        return path;
    }();
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    return path;
}
