#include "xlsx/ZipFileOpening.h"

#include "base/WindowsErrors.h"
#include "base/WindowsPaths.h"

#include <minizip/iowin32.h>

namespace {
zlib_filefunc64_def wideFileFunctions() {
    zlib_filefunc64_def functions{};
    fill_win32_filefunc64W(&functions);
    return functions;
}
} // namespace

zipFile createZipFile(const QString& path) {
    zlib_filefunc64_def functions = wideFileFunctions();
    SetLastError(ERROR_SUCCESS);
    const zipFile zip =
        zipOpen2_64(win32Path(path).c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    if (!zip && GetLastError() != ERROR_SUCCESS)
        errno = errorNumberOf(GetLastError());
    return zip;
}

unzFile openZipFile(const QString& path) {
    zlib_filefunc64_def functions = wideFileFunctions();
    return unzOpen2_64(win32Path(path).c_str(), &functions);
}
