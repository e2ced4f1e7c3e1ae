#pragma once

#include <QString>

// Opens a file for reading only when it is a regular file: a FIFO or a device would block an
// open or a read for ever, so the open does not wait and the type is checked on what was
// opened. Gives the descriptor, which then blocks as usual, or -1 with the reason in `problem`
// ("not a regular file", or "cannot be read" and the system's word); `regular`, when given, says
// which of the two it was.
int openRegularFile(const QString& path, QString& problem, bool* regular = nullptr);

// Creates a file for writing that is not there yet, never through a link: anything already at
// the name makes it fail. Gives the descriptor, or -1 with the reason in errno.
int createNewFile(const QString& path);
