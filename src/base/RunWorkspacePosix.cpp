#include "base/RunWorkspace.h"

#include "base/Paths.h"
#include "base/RuntimeError.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>

QString makeRunWorkspace(const QString& temporaryFolder) {
    QByteArray pattern =
        QFile::encodeName(joinPath(temporaryFolder, QStringLiteral("brindlequay-XXXXXX")));
    // mkdtemp makes the folder with mode 0700 and fails rather than reuse an existing name.
    if (!mkdtemp(pattern.data()))
        throw RuntimeError(QStringLiteral("Cannot create a folder for this run in %1: %2")
                               .arg(temporaryFolder, QString::fromLocal8Bit(std::strerror(errno))));
    return QFile::decodeName(pattern);
}
