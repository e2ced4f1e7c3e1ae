#include "filelist/DroppedPaths.h"

#include "archive/MemberPath.h"
#include "base/FolderListing.h"
#include "filelist/FileList.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

QStringList droppedLocalPaths(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

void addPaths(FileList& list, const QStringList& paths, const QString& pattern,
              const QString& memberPattern, const Yield& yield, WalkProblems& problems) {
    for (const QString& path : paths) {
        if (isVisibleFolder(path))
            AddFilesFromFolder(list, path, pattern, yield, problems, memberPattern);
        else if (isArchiveName(path) && QFileInfo(path).isFile())
            list.appendAll(listArchiveMembers(path, memberPattern, problems));
        else
            list.append(path);
    }
}

void addDroppedPaths(FileList& list, const QStringList& paths, const QString& memberPattern,
                     const Yield& yield, WalkProblems& problems) {
    addPaths(list, paths, QStringLiteral("*.*"), memberPattern, yield, problems);
}
