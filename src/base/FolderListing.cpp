#include "base/FolderListing.h"

#include "base/FolderEntryRules.h"
#include "base/Paths.h"
#include "base/RuntimeError.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>

namespace fs = std::filesystem;

namespace {
void sortAsFileManager(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

QString describe(const std::error_code& error) {
    return QString::fromLocal8Bit(error.message().c_str());
}
} // namespace

FolderEntries readFolder(const QString& folder) {
    FolderEntries entries;
    std::error_code error;
    fs::directory_iterator it(nativePath(folder), error);
    if (error)
        throw RuntimeError(QStringLiteral("Cannot read the folder ") + folder + ": " +
                           describe(error));
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error)
            throw RuntimeError(QStringLiteral("Cannot read the folder ") + folder + ": " +
                               describe(error));
        bool readable = true;
        const QString name = entryName(it->path().filename(), readable);
        if (!readable) {
            entries.unreadableNames << name;
            continue;
        }
        // The listing already knows each entry's type; only a link needs a look at its target,
        // which is what it counts as. A dangling link is neither file nor folder.
        std::error_code typeError;
        const bool isFolder = it->is_directory(typeError);
        const bool isFile = !typeError && !isFolder && it->is_regular_file(typeError);
        if (typeError)
            continue;
        if (isFolder) {
            if (!isHiddenFolder(it->path(), name))
                entries.folders << name;
        } else if (isFile) {
            if (!isPassedOverFile(it->path()))
                entries.files << name;
        }
    }
    sortAsFileManager(entries.files);
    sortAsFileManager(entries.folders);
    return entries;
}

bool isVisibleFolder(const QString& path) {
    std::error_code error;
    if (!fs::is_directory(nativePath(path), error))
        return false;
    // A dropped folder may come with a trailing separator, and a folder given as "." or ".." is
    // named by what they stand for: the name is the last of the absolute path.
    const QString name = QFileInfo(QDir::cleanPath(QFileInfo(path).absoluteFilePath())).fileName();
    return name.isEmpty() || !isHiddenFolder(nativePath(path), name);
}
