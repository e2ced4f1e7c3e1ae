#pragma once

#include <QFile>
#include <QString>

// Opens the file at `path` for reading into `file`, as every listed file is opened: only a
// regular file, and a FIFO or a device refused rather than waited on. Raises a RuntimeError that
// says why it cannot be: "not a regular file", or "cannot be read" and the system's word.
void openReadOnly(QFile& file, const QString& path);
