#pragma once

#include <QCursor>
#include <QString>

// Loads a .cur or .ico file as a pointer, with the hot spot that a cursor file records.
// Raises an error when the file cannot be read as a picture.
QCursor loadCursorFile(const QString& path);
