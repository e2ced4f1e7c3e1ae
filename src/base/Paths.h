#pragma once

#include <QString>

#include <filesystem>

// Joins a folder and a name with the platform's separator, never doubling a root's separator.
QString joinPath(const QString& folder, const QString& name);

// The file system's own form of a path, and back.
std::filesystem::path nativePath(const QString& path);
QString pathFromNative(const std::filesystem::path& path);
// The path for a C library that opens files by a narrow name: the file system's bytes, and on
// Windows UTF-8, which such libraries (the database engine among them) turn into a wide name.
QByteArray libraryPath(const QString& path);
// The path for a library that hands a narrow name to the C library's own fopen, which on Windows
// reads it in the ANSI code page: there the short form of the path, which uses no other
// characters.
QByteArray codePagePath(const QString& path);

// True when the date and time of the file or folder at the path can be read; never fails.
bool FileExists(const QString& path);

// The part of a path after its last separator, or the whole path when it has none.
QString FileNameOf(const QString& path);

// The part of a name before its last ".", or the whole name when it has no dot.
QString StripExtension(const QString& name);
