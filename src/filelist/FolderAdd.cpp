#include "filelist/FolderAdd.h"

#include "base/Dialogs.h"
#include "base/SettingsStore.h"
#include "filelist/AddFolder.h"

std::optional<FolderAddRequest> askForFolderAdd(Dialogs& dialogs, SettingsStore& settings) {
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
    return FolderAddRequest{folder, QStringLiteral("*.") + extension};
}
