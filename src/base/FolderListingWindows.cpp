#include "base/FolderEntryRules.h"
#include "base/FolderListing.h"
#include "base/WindowsPaths.h"

#include <windows.h>

namespace {
DWORD attributesOf(const std::filesystem::path& path) {
    return GetFileAttributesW(path.c_str());
}
} // namespace

QString entryName(const std::filesystem::path& name, bool& readable) {
    // Every UTF-16 name, an unpaired surrogate included, goes into text and back unchanged.
    readable = true;
    return QString::fromStdWString(name.native());
}

bool isHiddenFolder(const std::filesystem::path& path, const QString&) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

bool isPassedOverFile(const std::filesystem::path& path) {
    return attributesOf(path) == (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
}

std::optional<FolderIdentity> folderIdentity(const QString& folder) {
    const HANDLE handle = openToExamine(folder);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(handle, &information);
    CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return FolderIdentity{information.dwVolumeSerialNumber,
                          (static_cast<unsigned long long>(information.nFileIndexHigh) << 32) |
                              information.nFileIndexLow};
}
