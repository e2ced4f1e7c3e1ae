#pragma once

#include <QString>

#include <filesystem>

// What each system counts as hidden in a folder listing, and how it spells names.

// The text of a name in a listing; `readable` is false for a name that cannot be turned into
// text and back, so that no path could reach the file again.
QString entryName(const std::filesystem::path& name, bool& readable);

// A folder the listing does not show, so a walk does not enter it: here one whose name begins
// with "."; on Windows one flagged hidden or system.
bool isHiddenFolder(const std::filesystem::path& path, const QString& name);

// A file the listing leaves out: on Windows one flagged exactly hidden and archive, as the
// system's own listing of "everything but hidden" shows; none here.
bool isPassedOverFile(const std::filesystem::path& path);
