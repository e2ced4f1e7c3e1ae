#pragma once

#include "filelist/AddFolder.h"

class QMimeData;

// The local paths that a drag carries, in its order; none unless it carries only local files
// and folders.
QStringList droppedLocalPaths(const QMimeData* data);

// Appends paths in their order: a folder that a listing shows is replaced by every file of its
// tree whose name matches `pattern`, a zip archive (given, or found in a folder) by its members
// whose names match `memberPattern`; anything else is appended as it is.
void addPaths(FileList& list, const QStringList& paths, const QString& pattern,
              const QString& memberPattern, const Yield& yield, WalkProblems& problems);

// Appends what was dropped on the list: every file of a dropped folder, whatever its name, and
// the members of an archive whose names match `memberPattern`.
void addDroppedPaths(FileList& list, const QStringList& paths, const QString& memberPattern,
                     const Yield& yield, WalkProblems& problems);
