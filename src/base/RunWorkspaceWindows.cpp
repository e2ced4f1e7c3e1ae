#include "base/RunWorkspace.h"

#include "base/Paths.h"
#include "base/RuntimeError.h"
#include "base/WindowsErrors.h"
#include "base/WindowsPaths.h"

#include <QString>

#include <bcrypt.h>
#include <windows.h>

namespace {
// A name from the system's random source, which no other user can guess ahead.
QString unpredictableName() {
    unsigned char bytes[12];
    if (BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
        throw RuntimeError(QStringLiteral("Cannot make a folder name for this run"));
    return QStringLiteral("brindlequay-") +
           QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes)
                                   .toBase64(QByteArray::Base64UrlEncoding));
}

} // namespace

QString makeRunWorkspace(const QString& temporaryFolder) {
    // The user's temporary folder is private to them already; a new folder inherits that, and
    // CreateDirectory fails rather than reuse a name that is there, a planted link included.
    for (int attempt = 0;; ++attempt) {
        QString folder = joinPath(temporaryFolder, unpredictableName());
        if (CreateDirectoryW(win32Path(folder).c_str(), nullptr))
            return folder;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS || attempt == 8)
            throw RuntimeError(QStringLiteral("Cannot create a folder for this run in %1: %2")
                                   .arg(temporaryFolder, systemWord(error)));
    }
}
