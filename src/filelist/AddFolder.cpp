#include "filelist/AddFolder.h"

#include "archive/ArchiveDirectory.h"
#include "archive/MemberPath.h"
#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/FolderListing.h"
#include "base/Paths.h"
#include "base/Wildcard.h"
#include "filelist/FileList.h"

#include <QDir>

#include <set>

namespace {
// The walk reads every folder once and keeps the file names with it, so that the files need
// not be listed a second time after the walk.
void listInto(ListedFolder& folder, QStringList& subfolders, WalkProblems& problems) {
    try {
        FolderEntries entries = readFolder(folder.path);
        folder.fileNames = std::move(entries.files);
        subfolders = std::move(entries.folders);
        for (const QString& name : entries.unreadableNames)
            problems << joinPath(folder.path, name) +
                            QStringLiteral(": the name is not valid text");
    } catch (...) {
        problems << describeCurrentException();
    }
}
} // namespace

QString BrowseForFolder(Dialogs& dialogs, const QString& title) {
    return dialogs.chooseFolder(title);
}

std::vector<ListedFolder> CollectSubfolders(const QString& top, const Yield& yield,
                                            WalkProblems& problems) {
    std::vector<ListedFolder> walked;
    std::set<FolderIdentity> entered;
    auto enterOnce = [&](const QString& folder) {
        const std::optional<FolderIdentity> identity = folderIdentity(folder);
        // A folder that cannot be examined is still listed, so that its error is reported.
        return !identity || entered.insert(*identity).second;
    };

    std::vector<QString> level{top};
    enterOnce(top);
    while (!level.empty()) {
        std::vector<QString> nextLevel;
        for (const QString& folder : level) {
            yield();
            ListedFolder listed{folder, {}};
            QStringList subfolders;
            listInto(listed, subfolders, problems);
            walked.push_back(std::move(listed));
            for (const QString& name : subfolders) {
                const QString path = joinPath(folder, name);
                if (enterOnce(path))
                    nextLevel.push_back(path);
            }
        }
        level = std::move(nextLevel);
    }
    return walked;
}

QStringList ListFiles(const QString& folder, const QString& pattern) {
    const Wildcard wildcard(pattern);
    QStringList matching;
    for (const QString& name : readFolder(folder).files)
        if (wildcard.matches(name))
            matching << name;
    return matching;
}

void AddFilesFromFolder(FileList& list, const QString& folder, const QString& pattern,
                        const Yield& yield, WalkProblems& problems, const QString& memberPattern) {
    const Wildcard wildcard(pattern);
    QStringList found;
    // The walk's own paths, and what it says of them, take the separator the list shows.
    for (const ListedFolder& listed :
         CollectSubfolders(QDir::toNativeSeparators(folder), yield, problems))
        for (const QString& name : listed.fileNames) {
            if (name.startsWith(QLatin1Char('~')))
                continue;
            if (isArchiveName(name)) {
                yield();
                found << listArchiveMembers(joinPath(listed.path, name), memberPattern, problems);
            } else if (wildcard.matches(name)) {
                found << joinPath(listed.path, name);
            }
        }
    list.appendAll(found);
}

void AddFilesFromFolder(FileList& list, const QString& folder, const QString& pattern,
                        const Yield& yield, WalkProblems& problems) {
    AddFilesFromFolder(list, folder, pattern, yield, problems, pattern);
}

QStringList listArchiveMembers(const QString& archive, const QString& memberPattern,
                               WalkProblems& problems) {
    std::shared_ptr<const ArchiveDirectory> directory;
    try {
        directory = archiveDirectory(archive);
    } catch (...) {
        return {archive};
    }
    const Wildcard wildcard(memberPattern);
    QStringList members;
    for (const ArchiveEntry& entry : directory->entries()) {
        // The folder where macOS's archiver keeps each file's attributes, "._name.xml" beside
        // every "name.xml": system data, as a hidden folder is, which a walk does not enter.
        if (entry.isFolder() || entry.name.startsWith(QLatin1String("__MACOSX/")))
            continue;
        const QString name = entry.ownName();
        if (!isArchiveName(name) && !wildcard.matches(name))
            continue;
        const QString listed = MemberPath{archive, entry.name}.text();
        if (directory->followsItsNamesake(entry))
            problems << listed + QStringLiteral(": another member of the archive bears this name "
                                                "before it");
        else
            members << listed;
    }
    return members;
}

QString describeWalkProblems(const WalkProblems& problems) {
    return walkProblemLines(problems).join(QStringLiteral("\r\n"));
}

QStringList walkProblemLines(const WalkProblems& problems) {
    if (problems.isEmpty())
        return {};
    constexpr qsizetype kShown = 10;
    QStringList lines{QStringLiteral("Some folders or files could not be read and were left out:")};
    for (qsizetype i = 0; i < std::min(problems.size(), kShown); ++i)
        lines << problems.at(i);
    if (problems.size() > kShown)
        lines << QStringLiteral("... and %1 more").arg(problems.size() - kShown);
    return lines;
}
