#include "base/FileSync.h"

#include "base/Paths.h"
#include "base/RuntimeError.h"
#include "base/TextFiles.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {
[[noreturn]] void failWriting(int number, const QString& target) {
    throw RuntimeError(
        QStringLiteral("Cannot write %1: %2").arg(target, writeProblem(number, target)));
}

int openToSync(const QString& path, int flags) {
    int descriptor;
    do
        descriptor = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

// 0 when done, or the system's error number.
int syncDescriptor(int descriptor) {
    int result;
    do
        result = ::fsync(descriptor);
    while (result != 0 && errno == EINTR);
    const int number = result == 0 ? 0 : errno;
    // Retrying a close that was interrupted may close a descriptor another thread just got.
    ::close(descriptor);
    return number;
}
} // namespace

void syncFile(const QString& path, const QString& target) {
    const int descriptor = openToSync(path, O_RDONLY | O_NOFOLLOW);
    if (descriptor < 0)
        failWriting(errno, target);
    if (const int number = syncDescriptor(descriptor))
        failWriting(number, target);
}

void syncFolder(const QString& folder, const QString& target) {
    const int descriptor = openToSync(folder, O_RDONLY | O_DIRECTORY);
    if (descriptor < 0)
        failWriting(errno, target);
    // A file system that cannot sync a folder says EINVAL: it offers nothing to wait for, and
    // refusing to save there would not make the file safer.
    if (const int number = syncDescriptor(descriptor); number != 0 && number != EINVAL)
        failWriting(number, target);
}

std::error_code moveReplacing(const QString& from, const QString& to) {
    // Copied before the rename, so the new name is never on a file more open than the old one.
    std::error_code ignored;
    const std::filesystem::file_status older = std::filesystem::status(nativePath(to), ignored);
    if (std::filesystem::is_regular_file(older))
        std::filesystem::permissions(nativePath(from), older.permissions(), ignored);
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return {errno, std::generic_category()};
    return {};
}
