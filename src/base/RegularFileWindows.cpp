#include "base/RegularFile.h"

#include "base/WindowsErrors.h"
#include "base/WindowsPaths.h"

#include <QFile>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {
// A descriptor of the C library over the handle, which it then owns; -1 when none is left.
int descriptorOf(HANDLE handle, int flags) {
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (descriptor < 0)
        CloseHandle(handle);
    return descriptor;
}
} // namespace

int openRegularFile(const QString& path, QString& problem, bool* regular) {
    if (regular)
        *regular = true;
    const auto notRegular = [&] {
        if (regular)
            *regular = false;
        return QStringLiteral("not a regular file");
    };
    // A device (CON, NUL, COM1, a pipe) opens without waiting; its type then rules it out.
    const HANDLE handle = CreateFileW(win32Path(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // A pipe that another reader holds answers "busy"; it is a pipe all the same.
        const DWORD error = GetLastError();
        problem = error == ERROR_PIPE_BUSY
                      ? notRegular()
                      : QStringLiteral("cannot be read (%1)").arg(systemWord(error));
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!isRegularFile(handle, information)) {
        CloseHandle(handle);
        problem = notRegular();
        return -1;
    }
    const int descriptor = descriptorOf(handle, _O_RDONLY);
    if (descriptor < 0)
        problem = QStringLiteral("cannot be read (too many open files)");
    return descriptor;
}

int createNewFile(const QString& path) {
    // CREATE_NEW fails on anything already at the name, a link or junction included, so the
    // new file is never written through one.
    const HANDLE handle =
        CreateFileW(win32Path(path).c_str(), GENERIC_WRITE | GENERIC_READ, FILE_SHARE_READ, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = errorNumberOf(GetLastError());
        return -1;
    }
    const int descriptor = descriptorOf(handle, _O_WRONLY);
    if (descriptor < 0)
        errno = EMFILE;
    return descriptor;
}
