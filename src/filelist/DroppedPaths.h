#pragma once

#include "filelist/AddFolder.h"

class QMimeData;

// The local paths that a drag carries, in its order; none unless it carries only local files
// and folders.
QStringList droppedLocalPaths(const QMimeData* data);

// Appends paths in their order: a folder that a listing shows is replaced by every file of its
// tree whose name matches `pattern`; anything else is appended as it is.
void addPaths(FileList& list, const QStringList& paths, const QString& pattern, const Yield& yield,
              WalkProblems& problems);

// Appends what was dropped on the list: every file of a dropped folder, whatever its name.
void addDroppedPaths(FileList& list, const QStringList& paths, const Yield& yield,
                     WalkProblems& problems);
