#include "base/Paths.h"

#include "base/WindowsPaths.h"

#include <QFileInfo>

#include <windows.h>

std::filesystem::path nativePath(const QString& path) {
    return std::filesystem::path(win32Path(path));
}

QString pathFromNative(const std::filesystem::path& path) {
    // The long-path prefix that nativePath may add is the system's business, not the user's.
    QString plain = QString::fromStdWString(path.native());
    if (plain.startsWith(QLatin1String("\\\\?\\UNC\\")))
        return QLatin1String("\\\\") + plain.mid(8);
    if (plain.startsWith(QLatin1String("\\\\?\\")))
        return plain.mid(4);
    return plain;
}

QByteArray libraryPath(const QString& path) {
    return path.toUtf8();
}

QByteArray codePagePath(const QString& path) {
    // A file not made yet has no short name; its folder has, and the caller's own file names
    // are plain.
    const QFileInfo info(path);
    const bool exists = info.exists();
    const QString longForm = exists ? path : info.absolutePath();
    const std::wstring name = win32Path(longForm);
    const wchar_t* wide = name.c_str();
    QString shortForm = longForm;
    if (const DWORD length = GetShortPathNameW(wide, nullptr, 0)) {
        std::wstring buffer(length, L'\0');
        if (const DWORD written = GetShortPathNameW(wide, buffer.data(), length);
            written > 0 && written < length)
            shortForm = QString::fromWCharArray(buffer.data(), static_cast<qsizetype>(written));
    }
    if (!exists)
        shortForm = joinPath(shortForm, info.fileName());
    return shortForm.toLocal8Bit();
}
