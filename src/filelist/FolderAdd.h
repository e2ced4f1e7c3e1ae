#pragma once

#include <QString>

#include <optional>

class Dialogs;
class SettingsStore;

// The folder tree to add and the wildcard its files must match.
struct FolderAddRequest {
    QString folder;
    QString pattern;
};

// Asks for the extension and then the folder. Every non-empty extension is remembered under
// "Extension" before the folder is chosen. Gives nothing when either question was cancelled.
std::optional<FolderAddRequest> askForFolderAdd(Dialogs& dialogs, SettingsStore& settings);
