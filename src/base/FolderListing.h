#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// What one folder holds, names only, each group sorted without regard to letter case as a file
// manager shows them.
struct FolderEntries {
    // Files, hidden ones included; a link counts as what it points to.
    QStringList files;
    // Sub-folders that are not hidden (on this platform: whose name does not begin with ".").
    QStringList folders;
    // Names that cannot be turned into text and back, so no path could reach them.
    QStringList unreadableNames;
};

// Lists one folder. Raises an error naming the folder when it cannot be read.
FolderEntries readFolder(const QString& folder);

// Whether the path names a folder that a listing shows (so not a hidden one).
bool isVisibleFolder(const QString& path);

// What identifies a folder however it is reached (through links included); none when the folder
// cannot be examined.
using FolderIdentity = std::pair<unsigned long long, unsigned long long>;
std::optional<FolderIdentity> folderIdentity(const QString& folder);
