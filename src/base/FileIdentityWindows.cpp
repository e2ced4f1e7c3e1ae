#include "base/FileIdentity.h"
#include "base/WindowsPaths.h"

#include <windows.h>

namespace {
long long joined(DWORD high, DWORD low) {
    return static_cast<long long>((static_cast<unsigned long long>(high) << 32) | low);
}
} // namespace

std::optional<FileIdentity> smallRegularFileIdentity(const QString& path, qint64 largestSize) {
    const HANDLE handle = openToExamine(path);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool regular = isRegularFile(handle, information);
    CloseHandle(handle);
    const long long size = joined(information.nFileSizeHigh, information.nFileSizeLow);
    if (!regular || size > largestSize)
        return std::nullopt;
    return FileIdentity{{static_cast<long long>(information.dwVolumeSerialNumber),
                         joined(information.nFileIndexHigh, information.nFileIndexLow), size,
                         joined(information.ftLastWriteTime.dwHighDateTime,
                                information.ftLastWriteTime.dwLowDateTime),
                         joined(information.ftCreationTime.dwHighDateTime,
                                information.ftCreationTime.dwLowDateTime),
                         static_cast<long long>(information.nNumberOfLinks), 0}};
}
