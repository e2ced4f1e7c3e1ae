#pragma once

#include <QString>

#include <filesystem>

// Joins a folder and a name with the platform's separator, never doubling a root's separator.
QString joinPath(const QString& folder, const QString& name);

// The file system's own form of a path, and back.
std::filesystem::path nativePath(const QString& path);
QString fromNativePath(const std::filesystem::path& path);

// True when the date and time of the file or folder at the path can be read; never fails.
bool FileExists(const QString& path);
