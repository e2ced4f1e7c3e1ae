#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <stdexcept>

// While alive, the calling thread is held to file permission bits even when it runs as root, so
// that tests of unreadable files and folders mean the same under CI (root) as for a user.
// Root keeps its uid and so still owns the fixtures it made; only the two capabilities that
// override permission checks leave the thread's effective set, and come back afterwards.
class PermissionsEnforced {
public:
    PermissionsEnforced() {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            throw std::runtime_error("cannot read this thread's capabilities");
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~(CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH));
        if (syscall(SYS_capset, &m_header, reduced) != 0)
            throw std::runtime_error("cannot drop the permission-override capabilities");
    }
    ~PermissionsEnforced() { syscall(SYS_capset, &m_header, m_saved); }
    PermissionsEnforced(const PermissionsEnforced&) = delete;
    PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};
