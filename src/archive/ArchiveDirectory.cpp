#include "archive/ArchiveDirectory.h"

#include "archive/EntryName.h"
#include "archive/ZipFile.h"
#include "base/RuntimeError.h"

#include <limits>
#include <list>
#include <mutex>
#include <string>

namespace {
// The archives whose directories are kept: a run reads the members of one archive after
// another, and a second thread reads a few files ahead of the first, so a handful serve it.
constexpr size_t kArchivesKept = 8;
// And no more members in all than this, so that a window kept open for days holds little.
constexpr size_t kEntriesKept = 300'000;

// The format's count of members where there are more than it holds: an archive of more than
// 65,535 members without a zip64 record (minizip's own writer makes them) says this.
constexpr ZPOS64_T kCountPassed = 0xFFFF;

ArchiveDirectory readDirectory(const QString& path) {
    const ZipFile zip(path);
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip.handle(), &global) != UNZ_OK)
        throw RuntimeError(damagedArchiveReason(QStringLiteral("its directory cannot be read")), 0,
                           FileProblem::DamagedArchive);
    std::vector<ArchiveEntry> entries;
    // A directory that claims more members than its archive's bytes could hold is not believed
    // for the room it would take.
    entries.reserve(static_cast<size_t>(std::min<ZPOS64_T>(global.number_entry, 1 << 16)));
    std::string name(std::numeric_limits<std::uint16_t>::max(), '\0');
    std::string extra(std::numeric_limits<std::uint16_t>::max(), '\0');
    // Where the last entry read ends in the directory.
    std::uint64_t entriesEnd = 0;
    int status =
        global.number_entry == 0 ? UNZ_END_OF_LIST_OF_FILE : unzGoToFirstFile(zip.handle());
    for (; status == UNZ_OK; status = unzGoToNextFile(zip.handle())) {
        unz_file_info64 info{};
        unz64_file_pos position{};
        if (unzGetCurrentFileInfo64(zip.handle(), &info, name.data(), uLong(name.size()),
                                    extra.data(), uLong(extra.size()), nullptr, 0) != UNZ_OK ||
            unzGetFilePos64(zip.handle(), &position) != UNZ_OK) {
            status = UNZ_BADZIPFILE;
            break;
        }
        const EntryName decoded =
            decodeEntryName(std::string_view(name.data(), info.size_filename),
                            static_cast<std::uint32_t>(info.flag),
                            std::string_view(extra.data(), info.size_file_extra));
        ArchiveEntry& entry = entries.emplace_back();
        entry.name = decoded.text;
        entry.nameReadable = decoded.readable;
        entry.directoryOffset = position.pos_in_zip_directory;
        entry.number = position.num_of_file;
        entry.compressedSize = info.compressed_size;
        entry.uncompressedSize = info.uncompressed_size;
        entry.crc = static_cast<std::uint32_t>(info.crc);
        entry.method = static_cast<std::uint32_t>(info.compression_method);
        entry.flags = static_cast<std::uint32_t>(info.flag);
        entriesEnd = position.pos_in_zip_directory + 46 + info.size_filename +
                     info.size_file_extra + info.size_file_comment;
    }
    // With the count passed, minizip reads on until an entry is none.
    const bool countPassed = global.number_entry == kCountPassed && entries.size() >= kCountPassed;
    if (status != UNZ_END_OF_LIST_OF_FILE && !(status == UNZ_BADZIPFILE && countPassed))
        throw RuntimeError(
            damagedArchiveReason(QStringLiteral("its directory breaks off after %1 of %2 members")
                                     .arg(entries.size())
                                     .arg(global.number_entry)),
            0, FileProblem::DamagedArchive);
    // A count that is short (written modulo 65,536 by some tools) would hide members: the
    // directory must end where the archive says it does.
    if (const std::optional<std::uint64_t> end = zip.directoryEnd();
        end && !entries.empty() && *end != entriesEnd)
        throw RuntimeError(damagedArchiveReason(QStringLiteral("its directory does not end "
                                                               "where the archive says it does")),
                           0, FileProblem::DamagedArchive);
    return ArchiveDirectory(std::move(entries), zip.tail());
}

struct Kept {
    QString path;
    FileIdentity identity;
    std::shared_ptr<const ArchiveDirectory> directory;
};

// The directories read lately, the latest first; both threads of a run read through it.
class KeptDirectories {
public:
    KnownArchive get(const QString& path) {
        const std::optional<FileIdentity> identity =
            smallRegularFileIdentity(path, std::numeric_limits<qint64>::max());
        std::lock_guard lock(m_mutex);
        for (auto kept = m_kept.begin(); kept != m_kept.end(); ++kept)
            if (kept->path == path) {
                if (identity && kept->identity == *identity) {
                    m_kept.splice(m_kept.begin(), m_kept, kept);
                    return {kept->directory, kept->identity};
                }
                m_entries -= kept->directory->entries().size();
                m_kept.erase(kept);
                break;
            }
        // Read while the lock is held: the other thread wants the same archive, and would
        // only read it a second time.
        auto directory = std::make_shared<const ArchiveDirectory>(readDirectory(path));
        // An archive that changed while it was read is read again when next asked for.
        if (identity &&
            smallRegularFileIdentity(path, std::numeric_limits<qint64>::max()) == identity) {
            m_kept.push_front({path, *identity, directory});
            m_entries += directory->entries().size();
            while (m_kept.size() > 1 &&
                   (m_kept.size() > kArchivesKept || m_entries > kEntriesKept)) {
                m_entries -= m_kept.back().directory->entries().size();
                m_kept.pop_back();
            }
        }
        return {directory, identity.value_or(FileIdentity{})};
    }

private:
    std::mutex m_mutex;
    std::list<Kept> m_kept;
    size_t m_entries = 0;
};

KeptDirectories& keptDirectories() {
    static KeptDirectories kept;
    return kept;
}
} // namespace

QString ArchiveEntry::ownName() const {
    return name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
}

ArchiveDirectory::ArchiveDirectory(std::vector<ArchiveEntry> entries, ArchiveTail tail)
    : m_entries(std::move(entries)), m_tail(std::move(tail)) {
    m_firstByName.reserve(qsizetype(m_entries.size()));
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (!m_firstByName.contains(m_entries[i].name))
            m_firstByName.insert(m_entries[i].name, i);
}

const ArchiveEntry* ArchiveDirectory::find(const QString& name) const {
    const auto found = m_firstByName.constFind(name);
    return found == m_firstByName.cend() ? nullptr : &m_entries[*found];
}

bool ArchiveDirectory::followsItsNamesake(const ArchiveEntry& entry) const {
    return find(entry.name) != &entry;
}

std::shared_ptr<const ArchiveDirectory> archiveDirectory(const QString& path) {
    return keptDirectories().get(path).directory;
}

KnownArchive knownArchive(const QString& path) {
    return keptDirectories().get(path);
}
