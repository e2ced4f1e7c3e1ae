#pragma once

// Windows builds only: a path as the wide Win32 calls take it.
#include <QDir>
#include <QString>

#include <string>
#include <windows.h>

// The path with backslashes, and, when it is too long for the classic limit of MAX_PATH, in
// the "\\?\" form that has none (a UNC path as "\\?\UNC\server\share\...").
inline std::wstring win32Path(const QString& path) {
    QString native = QDir::toNativeSeparators(path);
    // Short of 260 by the room a folder's own names need (an 8.3 name and its separator).
    constexpr qsizetype kClassicLimit = 248;
    if (native.size() >= kClassicLimit && !native.startsWith(QLatin1String("\\\\?\\"))) {
        if (native.startsWith(QLatin1String("\\\\")))
            native = QLatin1String("\\\\?\\UNC\\") + native.mid(2);
        else if (QDir::isAbsolutePath(path))
            native = QLatin1String("\\\\?\\") + QDir::toNativeSeparators(QDir::cleanPath(path));
    }
    return native.toStdWString();
}

// Opens what is at the path for its facts only: asking for no access to the content, a device
// or a pipe never blocks, and a folder opens as well as a file. INVALID_HANDLE_VALUE when
// nothing can be opened there.
inline HANDLE openToExamine(const QString& path) {
    return CreateFileW(win32Path(path).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Whether the opened handle is a regular file on a disk: not a device, a pipe or a folder. Its
// facts are left in `information`.
inline bool isRegularFile(HANDLE handle, BY_HANDLE_FILE_INFORMATION& information) {
    return GetFileType(handle) == FILE_TYPE_DISK &&
           GetFileInformationByHandle(handle, &information) &&
           !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}
