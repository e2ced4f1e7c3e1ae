#include "base/FileSync.h"

#include "base/RuntimeError.h"
#include "base/TextFiles.h"
#include "base/WindowsErrors.h"
#include "base/WindowsPaths.h"

#include <windows.h>

namespace {
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

[[noreturn]] void failWriting(DWORD error, const QString& target) {
    throw RuntimeError(QStringLiteral("Cannot write %1: %2")
                           .arg(target, writeProblem(errorNumberOf(error), target)));
}
} // namespace

void syncFile(const QString& path, const QString& target) {
    // Flushing needs a handle that may write; a link in the file's place is not followed.
    const HANDLE handle =
        CreateFileW(win32Path(path).c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        failWriting(GetLastError(), target);
    const bool flushed = FlushFileBuffers(handle);
    const DWORD error = flushed ? ERROR_SUCCESS : GetLastError();
    CloseHandle(handle);
    if (!flushed)
        failWriting(error, target);
}

void syncFolder(const QString&, const QString&) {
    // Windows offers no flush of a folder to a user; the move that renamed into it was made
    // with write-through, and NTFS journals its names.
}

std::error_code moveReplacing(const QString& from, const QString& to) {
    // A file flagged read-only is one the user asked Windows to keep as it is.
    const DWORD attributes = GetFileAttributesW(win32Path(to).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return {ERROR_ACCESS_DENIED, std::system_category()};
    if (!MoveFileExW(win32Path(from).c_str(), win32Path(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {static_cast<int>(GetLastError()), std::system_category()};
    // The new file keeps the older one's flags, hidden or system among them.
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(win32Path(to).c_str(), attributes & kKeptAttributes);
    return {};
}
