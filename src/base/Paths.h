#pragma once

#include <QString>

#include <filesystem>

// Joins a folder and a name with the platform's separator, never doubling a root's separator.
QString joinPath(const QString& folder, const QString& name);

// The file system's own form of a path.
std::filesystem::path nativePath(const QString& path);

// True when the date and time of the file or folder at the path can be read; never fails.
bool FileExists(const QString& path);

// The part of a path after its last separator, or the whole path when it has none.
QString FileNameOf(const QString& path);

// The part of a name before its last ".", or the whole name when it has no dot.
QString StripExtension(const QString& name);
