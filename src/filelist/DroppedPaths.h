#pragma once

#include "filelist/AddFolder.h"

class QMimeData;

// The local paths that a drag carries, in its order; none unless it carries only local files
// and folders.
QStringList droppedLocalPaths(const QMimeData* data);

// Appends what was dropped on the list, in the drop's order: a folder that a listing shows is
// replaced by every file of its tree; anything else is appended as it is.
void addDroppedPaths(FileList& list, const QStringList& paths, const Yield& yield,
                     WalkProblems& problems);
