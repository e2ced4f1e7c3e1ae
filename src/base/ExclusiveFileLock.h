#pragma once

#include <QString>

// An advisory lock on a file that one holder at a time, in any process, gets; held for as long
// as the object lives. Programs that do not ask for it are not kept out.
class ExclusiveFileLock {
public:
    // Tries once, without waiting; only a regular file is locked.
    explicit ExclusiveFileLock(const QString& path);
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    bool held() const { return m_descriptor >= 0; }
    // Another holder has it; otherwise a failure to lock is the file's own fault.
    bool heldElsewhere() const { return m_heldElsewhere; }

private:
    int m_descriptor = -1;
    bool m_heldElsewhere = false;
};
