#pragma once

#include <QString>

#include <optional>

class Dialogs;
class FileList;
class SettingsStore;

// Lets the user pick XML files and appends them in the chooser's order, unchanged; cancelling
// appends nothing. A zip archive picked is replaced by its members whose names match
// `memberPattern`; what of it could not be listed is noted in `problems`.
void chooseAndAppendFiles(Dialogs& dialogs, FileList& list, const QString& memberPattern,
                          QStringList& problems);

// The wildcard that the members of a zip archive must match: the extension last asked for a
// folder ("Extension"), "xml" before any was.
QString archiveMemberPattern(const SettingsStore& settings);

// The folder tree to add and the wildcard its files must match.
struct FolderToAdd {
    QString folder;
    QString pattern;
};

// Asks for the extension and then the folder. Every non-empty extension is remembered under
// "Extension" before the folder is chosen. Gives nothing when either question was cancelled.
std::optional<FolderToAdd> askForFolderToAdd(Dialogs& dialogs, SettingsStore& settings);
