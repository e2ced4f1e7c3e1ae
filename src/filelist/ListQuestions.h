#pragma once

#include <QString>

#include <optional>

class Dialogs;
class FileList;
class SettingsStore;

// Lets the user pick XML files and appends them in the chooser's order, unchanged; cancelling
// appends nothing.
void chooseAndAppendFiles(Dialogs& dialogs, FileList& list);

// The folder tree to add and the wildcard its files must match.
struct FolderToAdd {
    QString folder;
    QString pattern;
};

// Asks for the extension and then the folder. Every non-empty extension is remembered under
// "Extension" before the folder is chosen. Gives nothing when either question was cancelled.
std::optional<FolderToAdd> askForFolderToAdd(Dialogs& dialogs, SettingsStore& settings);
