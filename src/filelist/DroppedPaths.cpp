#include "filelist/DroppedPaths.h"

#include "filelist/FileList.h"
#include "platform/FolderListing.h"

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

void addDroppedPaths(FileList& list, const QStringList& paths, const Yield& yield,
                     WalkProblems& problems) {
    for (const QString& path : paths) {
        if (isVisibleFolder(path))
            AddFilesFromFolder(list, path, QStringLiteral("*.*"), yield, problems);
        else
            list.append(path);
    }
}
