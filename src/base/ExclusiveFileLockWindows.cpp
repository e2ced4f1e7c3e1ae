#include "base/ExclusiveFileLock.h"

#include "base/RegularFile.h"

#include <io.h>
#include <windows.h>

namespace {
// Windows locks byte ranges, and a locked range cannot be read through any other handle, the
// database engine's own included. One byte far beyond any file's end keeps the lock a sign
// between holders that stops no reader.
constexpr DWORD kLockOffsetHigh = 0x7FFF0000;

OVERLAPPED lockedRange() {
    OVERLAPPED range{};
    range.OffsetHigh = kLockOffsetHigh;
    return range;
}
} // namespace

ExclusiveFileLock::ExclusiveFileLock(const QString& path) {
    // A pipe or a device in the file's place must not block the run.
    QString problem;
    const int descriptor = openRegularFile(path, problem);
    if (descriptor < 0)
        return;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    OVERLAPPED range = lockedRange();
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) {
        m_heldElsewhere = GetLastError() == ERROR_LOCK_VIOLATION;
        _close(descriptor);
        return;
    }
    m_descriptor = descriptor;
}

ExclusiveFileLock::~ExclusiveFileLock() {
    if (m_descriptor < 0)
        return;
    OVERLAPPED range = lockedRange();
    UnlockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(m_descriptor)), 0, 1, 0, &range);
    _close(m_descriptor);
}
