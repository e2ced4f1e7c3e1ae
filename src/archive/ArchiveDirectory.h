#pragma once

#include "archive/ArchiveTail.h"
#include "base/FileIdentity.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// One member of a zip archive as its central directory records it.
struct ArchiveEntry {
    // The member's path inside the archive, as text. A name that is not readable is given with
    // replacement characters, so that it can still be listed and then refused.
    QString name;
    bool nameReadable = true;
    // Where minizip finds the entry again, without walking the directory up to it.
    std::uint64_t directoryOffset = 0;
    std::uint64_t number = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint32_t crc = 0;
    std::uint32_t method = 0;
    std::uint32_t flags = 0;

    // An entry that only makes a folder ("invoices/").
    bool isFolder() const { return name.endsWith(QLatin1Char('/')); }
    // The name after the last "/" of the member's path.
    QString ownName() const;
};

// The members of an archive in the archive's order, and where each name first stands.
class ArchiveDirectory {
public:
    ArchiveDirectory(std::vector<ArchiveEntry> entries, ArchiveTail tail);

    const std::vector<ArchiveEntry>& entries() const { return m_entries; }
    // The archive's end records, so that a member is opened without looking for them again.
    const ArchiveTail& tail() const { return m_tail; }
    // The first member of that name; null when the archive has none.
    const ArchiveEntry* find(const QString& name) const;
    // Whether a member of that name stands before `entry`, which then cannot be told from it.
    bool followsItsNamesake(const ArchiveEntry& entry) const;

private:
    std::vector<ArchiveEntry> m_entries;
    ArchiveTail m_tail;
    QHash<QString, std::size_t> m_firstByName;
};

// The directory of the zip archive at `path`, read once and kept while the archive stays as it
// was, so that reading its members one by one costs no walk of the directory each. Raises a
// RuntimeError when the archive cannot be read: "not a regular file", "cannot be read (...)", or
// "damaged archive: ..." when it is no zip archive or its directory is damaged.
std::shared_ptr<const ArchiveDirectory> archiveDirectory(const QString& path);

// The archive's directory together with what the archive was when it was read.
struct KnownArchive {
    std::shared_ptr<const ArchiveDirectory> directory;
    FileIdentity identity;
};
// The same with the archive's identity.
KnownArchive knownArchive(const QString& path);
