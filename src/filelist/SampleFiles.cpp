#include "filelist/SampleFiles.h"

#include "base/FolderListing.h"
#include "base/Paths.h"
#include "filelist/AddFolder.h"
#include "filelist/FileList.h"

QString samplesFolder(const QString& programFolder) {
    return joinPath(programFolder, QStringLiteral("Samples"));
}

void appendSampleFiles(FileList& list, const QString& programFolder) {
    const QString folder = samplesFolder(programFolder);
    if (!isVisibleFolder(folder))
        return;
    QStringList paths;
    for (const QString& name : ListFiles(folder, QStringLiteral("*.*")))
        paths << joinPath(folder, name);
    list.appendAll(paths);
}

QString openSamplesFolderQuestion() {
    return QStringLiteral("Would you like this software to open the folder where these sample "
                          "files are stored (so that you can view them before working with "
                          "them)?");
}
