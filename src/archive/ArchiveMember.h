#pragma once

#include "archive/ArchiveDirectory.h"
#include "archive/SourceFile.h"

#include <memory>
#include <optional>

// Why a member is refused before any of it is read; nothing when it may be read. The rules:
// a name that is not readable, an archive inside the archive (named, not opened), encryption,
// a compression method other than stored and deflated, and more than 1 GB unpacked at a ratio
// above 100 to 1, which only a bomb or a freak has.
std::optional<SourceFailure> refusalOf(const ArchiveEntry& entry);

// Opens a member of the archive at `archive`, as `known` has it, to be read, unpacked as it is
// read. Its size and CRC are checked at its end. Raises a RuntimeError when it cannot be opened.
// Each thread keeps the archive it read last open for its next member.
std::unique_ptr<SourceFile> openMember(const QString& archive, const KnownArchive& known,
                                       const ArchiveEntry& entry);

// Closes the archives that the threads keep open for their next members.
void closeArchivesKeptOpen();
