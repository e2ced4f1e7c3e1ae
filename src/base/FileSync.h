#pragma once

#include <QString>

#include <system_error>

// Waiting for the disk, the part that differs between systems. A file written and renamed
// without these may, after a power cut, be empty or missing, and with it the file it replaced.

// Returns once the content of the file at `path` is on the disk; raises "Cannot write TARGET:
// reason" naming `target`, the file the user asked for, when it cannot.
void syncFile(const QString& path, const QString& target);

// Returns once the names in `folder`, a rename into it included, are on the disk; raises an
// error naming `target` as syncFile does.
void syncFolder(const QString& folder, const QString& target);

// Gives the file at `from` the name `to` in one step, replacing a file there, whose marks the
// new file keeps: here who may read and write it; on Windows its hidden and system flags (a
// file flagged read-only is not replaced at all), and the move itself is on the disk when it
// returns. Gives what went wrong, or no error.
std::error_code moveReplacing(const QString& from, const QString& to);
