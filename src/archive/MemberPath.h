#pragma once

#include <QString>

#include <optional>

// A member of a zip archive, named wherever a file is named (the list, messages, `#file`, the
// summary) by the archive's path, "!/", then the member's path inside the archive:
// "march.zip!/invoices/0001.xml".
struct MemberPath {
    QString archive;
    QString member;

    QString text() const;
};

// Whether a path's name makes it a zip archive: it ends in ".zip", in any letter case.
bool isArchiveName(const QString& path);

// The archive and the member that a listed path names: at the first "<name>.zip!/" whose
// "<name>.zip" is a regular file, so that a path through folders whose names hold "!/" still
// finds its archive. Nothing for a path that names no member.
std::optional<MemberPath> memberPathOf(const QString& listed);

// A listed path with the system's separators in the archive's part alone: a member's path
// inside the archive keeps its "/", as the archive writes it.
QString nativeListedPath(const QString& listed);
