#include "base/FolderListing.h"

#include "base/Paths.h"
#include "base/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
bool isHiddenName(const QString& name) {
    return name.startsWith(QLatin1Char('.'));
}

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
        const std::string raw = it->path().filename().native();
        // File names are UTF-8 here; one that is not could never be opened again from its text.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString name = decoder(QByteArrayView(raw.data(), qsizetype(raw.size())));
        if (decoder.hasError()) {
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
            if (!isHiddenName(name))
                entries.folders << name;
        } else if (isFile) {
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
    return name.isEmpty() || !isHiddenName(name);
}

std::optional<FolderIdentity> folderIdentity(const QString& folder) {
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return std::nullopt;
    return FolderIdentity{static_cast<unsigned long long>(info.st_dev),
                          static_cast<unsigned long long>(info.st_ino)};
}
