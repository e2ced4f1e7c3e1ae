#include "base/AccessRights.h"
#include "base/WindowsPaths.h"

#include <windows.h>

bool mayWrite(const QString& path) {
    const DWORD attributes = GetFileAttributesW(win32Path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) || !(attributes & FILE_ATTRIBUTE_READONLY);
}
