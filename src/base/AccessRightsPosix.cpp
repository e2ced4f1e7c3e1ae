#include "base/AccessRights.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

bool mayWrite(const QString& path) {
    // The effective rights decide, as they do for the engine's own writes.
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
}
