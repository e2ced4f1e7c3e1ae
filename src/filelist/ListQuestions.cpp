#include "filelist/ListQuestions.h"

#include "base/Dialogs.h"
#include "base/SettingsStore.h"
#include "filelist/AddFolder.h"
#include "filelist/DroppedPaths.h"
#include "filelist/FileList.h"

void chooseAndAppendFiles(Dialogs& dialogs, FileList& list, const QString& memberPattern,
                          QStringList& problems) {
    addPaths(
        list,
        dialogs.chooseFiles(QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
                            QStringLiteral("XML Files (*.xml);;Zip archives of XML files (*.zip)")),
        QStringLiteral("*.*"), memberPattern, [] {}, problems);
}

QString archiveMemberPattern(const SettingsStore& settings) {
    return QStringLiteral("*.") +
           settings.GetSetting(QStringLiteral("Extension"), QStringLiteral("xml"));
}

std::optional<FolderToAdd> askForFolderToAdd(Dialogs& dialogs, SettingsStore& settings) {
    const QString extension = dialogs.inputBox(
        QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt files, "
                       "doc for all doc files, etc.)"),
        kApplicationTitle, QStringLiteral("xml"));
    if (extension.isEmpty())
        return std::nullopt;
    settings.SaveSetting(QStringLiteral("Extension"), extension);
    const QString folder = BrowseForFolder(dialogs, QStringLiteral("Please select folder:"));
    if (folder.isEmpty())
        return std::nullopt;
    // The extension is used exactly as typed: ".xml" gives "*..xml" and "*" gives "*.*".
    return FolderToAdd{folder, QStringLiteral("*.") + extension};
}
