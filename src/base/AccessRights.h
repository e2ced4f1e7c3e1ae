#pragma once

#include <QString>

// Whether this user may write the file or folder at the path, by the rights that decide the
// system's own writes. On Windows, where a folder's read-only flag does not stop writing in it,
// a folder always may; a file may unless it is flagged read-only.
bool mayWrite(const QString& path);
