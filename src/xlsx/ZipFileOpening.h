#pragma once

#include <QString>

#include <minizip/unzip.h>
#include <minizip/zip.h>

// Minizip opens files by a narrow name, which on Windows would lose every character outside the
// ANSI code page; there these open them by their wide name instead.

// Creates a new zip file, or gives null with the reason in errno.
zipFile createZipFile(const QString& path);
// Opens a zip file to read it, or gives null.
unzFile openZipFile(const QString& path);
