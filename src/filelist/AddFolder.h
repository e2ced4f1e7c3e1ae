#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class Dialogs;
class FileList;

// Called between the steps of a folder walk so that the window stays responsive.
using Yield = std::function<void()>;

// What went wrong during a walk, one line per folder or name that was left out.
using WalkProblems = QStringList;

// One folder found by the walk and the names of the files it holds.
struct ListedFolder {
    QString path;
    QStringList fileNames;
};

// Asks the user for a folder; "" when nothing was chosen.
QString BrowseForFolder(Dialogs& dialogs, const QString& title);

// Walks the tree below `top` breadth-first by level: `top` itself, then its sub-folders, then
// theirs, each group in listing order. Hidden folders are not entered, and no folder is entered
// twice, however links lead back to it. A folder that cannot be read is noted in `problems`
// and the walk goes on with the rest of the tree.
std::vector<ListedFolder> CollectSubfolders(const QString& top, const Yield& yield,
                                            WalkProblems& problems);

// The names of the files in `folder` that match the wildcard `pattern`, hidden files included,
// in listing order. Raises an error when the folder cannot be read.
QStringList ListFiles(const QString& folder, const QString& pattern);

// Appends to `list` every file of the tree below `folder` whose name matches `pattern` and does
// not begin with "~": the folder's own files first, then those of each deeper level. A zip
// archive found on the way stands for its members whose names match `memberPattern`
// (listArchiveMembers), at the archive's place.
void AddFilesFromFolder(FileList& list, const QString& folder, const QString& pattern,
                        const Yield& yield, WalkProblems& problems, const QString& memberPattern);
// The same, the archives' members matching `pattern` as the files do.
void AddFilesFromFolder(FileList& list, const QString& folder, const QString& pattern,
                        const Yield& yield, WalkProblems& problems);

// What a zip archive contributes to a list, in the archive's order: each member whose own name
// (after its last "/") matches `memberPattern`, and each archive inside it, which an import then
// names and refuses rather than opens. Folders are no members, nor is what macOS's archiver
// keeps in "__MACOSX/"; a member whose name an earlier one bears already is noted in `problems`,
// since a list's row could not tell the two apart. An archive whose members cannot be listed
// stands for itself, so that the import names it.
QStringList listArchiveMembers(const QString& archive, const QString& memberPattern,
                               WalkProblems& problems);

// The user's message for the problems of a walk; "" when there were none.
QString describeWalkProblems(const WalkProblems& problems);
// The same message line by line, each problem on a line of its own whatever its path holds.
QStringList walkProblemLines(const WalkProblems& problems);
