#include "base/ExclusiveFileLock.h"

#include "base/RegularFile.h"

#include <cerrno>
#include <sys/file.h>
#include <unistd.h>

ExclusiveFileLock::ExclusiveFileLock(const QString& path) {
    // A FIFO in the file's place must not block the run.
    QString problem;
    const int descriptor = openRegularFile(path, problem);
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
