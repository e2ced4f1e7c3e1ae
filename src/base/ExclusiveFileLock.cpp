#include "base/ExclusiveFileLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

ExclusiveFileLock::ExclusiveFileLock(const QString& path) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        m_heldElsewhere = errno == EWOULDBLOCK;
        ::close(descriptor);
        return;
    }
    m_descriptor = descriptor;
}

ExclusiveFileLock::~ExclusiveFileLock() {
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}
