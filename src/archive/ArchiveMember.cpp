#include "archive/ArchiveMember.h"

#include "archive/ZipFile.h"
#include "base/RuntimeError.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {
constexpr std::uint32_t kEncryptedFlag = 1u << 0;
constexpr std::uint32_t kStrongEncryptionFlag = 1u << 6;
constexpr std::uint32_t kStored = 0;
constexpr std::uint32_t kDeflated = 8;
constexpr std::uint32_t kAesEncrypted = 99;
constexpr std::uint64_t kBombSize = std::uint64_t(1) << 30;
constexpr std::uint64_t kBombRatio = 100;

QString methodName(std::uint32_t method) {
    switch (method) {
    case 9:
        return QStringLiteral("Deflate64");
    case 12:
        return QStringLiteral("bzip2");
    case 14:
        return QStringLiteral("LZMA");
    case 93:
        return QStringLiteral("Zstandard");
    case 95:
        return QStringLiteral("XZ");
    case 98:
        return QStringLiteral("PPMd");
    default:
        return QStringLiteral("method %1").arg(method);
    }
}

// A count of bytes with its thousands apart, whatever the user's language: "1,153,433,600".
QString bytes(std::uint64_t count) {
    QString digits = QString::number(count);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}

SourceFailure damaged(const QString& detail) {
    return {QStringLiteral("damaged (size or CRC does not match): ") + detail,
            FileProblem::DamagedMember};
}

RuntimeError raised(const SourceFailure& failure) {
    return RuntimeError(failure.reason, 0, failure.problem);
}

// The archive that a thread read a member of last, kept open for its next member: opening an
// archive has minizip look for its end records through its last 64 KB each time, which would
// cost a run of thousands of members more than it costs to unpack them.
struct OpenArchive {
    QString path;
    FileIdentity identity;
    std::unique_ptr<ZipFile> zip;
};

// Kept by thread in one list rather than in each thread's own storage, whose objects the C++
// runtime of Windows does not reliably destroy when a thread ends; they are closed all at once
// when a run ends.
class KeptOpen {
public:
    std::optional<OpenArchive> take() {
        const std::lock_guard lock(m_mutex);
        const auto found = m_kept.find(std::this_thread::get_id());
        if (found == m_kept.end())
            return std::nullopt;
        std::optional<OpenArchive> taken(std::move(found->second));
        m_kept.erase(found);
        return taken;
    }
    void keep(std::optional<OpenArchive> archive) {
        if (!archive)
            return;
        const std::lock_guard lock(m_mutex);
        m_kept.insert_or_assign(std::this_thread::get_id(), std::move(*archive));
    }
    void closeAll() {
        std::unordered_map<std::thread::id, OpenArchive> closing;
        const std::lock_guard lock(m_mutex);
        closing.swap(m_kept);
    }

private:
    std::mutex m_mutex;
    std::unordered_map<std::thread::id, OpenArchive> m_kept;
};

KeptOpen& keptOpen() {
    static KeptOpen kept;
    return kept;
}

// The archive opened for a member of it, the one kept open when it is still what it was.
std::unique_ptr<ZipFile> openArchive(const QString& path, const KnownArchive& known) {
    std::optional<OpenArchive> kept = keptOpen().take();
    if (kept && kept->path == path && kept->identity == known.identity)
        return std::move(kept->zip);
    kept.reset();
    return std::make_unique<ZipFile>(path, known.directory->tail());
}

// A member found by minizip and read straight from the archive, unpacked by ISA-L as it is
// read: a third of the time zlib would take, for every byte of every member.
class MemberFile final : public SourceFile {
public:
    MemberFile(const QString& archive, const KnownArchive& known, const ArchiveEntry& entry)
        : m_archive{archive, known.identity, openArchive(archive, known)},
          m_zip(m_archive.zip->handle()), m_expected(entry.uncompressedSize),
          m_expectedCrc(entry.crc) {
        unz64_file_pos position{entry.directoryOffset, entry.number};
        unz_file_info64 info{};
        if (unzGoToFilePos64(m_zip, &position) != UNZ_OK ||
            unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            throw RuntimeError(
                damagedArchiveReason(QStringLiteral("its directory cannot be read again")), 0,
                FileProblem::DamagedArchive);
        // The directory was read before; an archive written anew since may hold anything there.
        if (info.crc != entry.crc || info.uncompressed_size != entry.uncompressedSize ||
            info.compressed_size != entry.compressedSize ||
            info.compression_method != entry.method || info.flag != entry.flags)
            throw RuntimeError(QStringLiteral("the archive changed while it was read"), 0,
                               FileProblem::ChangedWhileRead);
        // Raw: minizip checks the member's own header and says where its data begins.
        if (unzOpenCurrentFile2(m_zip, nullptr, nullptr, 1) != UNZ_OK)
            throw raised(
                damaged(QStringLiteral("its own header does not match the archive's directory")));
        m_open = true;
        m_dataAt = unzGetCurrentFileZStreamPos64(m_zip);
        m_storedLeft = entry.compressedSize;
        if (entry.method == kDeflated) {
            m_inflate = std::make_unique<inflate_state>();
            isal_inflate_init(m_inflate.get());
            m_inflate->crc_flag = ISAL_GZIP_NO_HDR;
            m_input.resize(kInputPiece);
        }
    }
    ~MemberFile() override {
        if (m_open)
            unzCloseCurrentFile(m_zip);
        // Kept for the thread's next member; minizip finds any member again from anywhere.
        keptOpen().keep(std::move(m_archive));
    }
    MemberFile(const MemberFile&) = delete;
    MemberFile& operator=(const MemberFile&) = delete;

    qint64 size() const override {
        return static_cast<qint64>(
            std::min(m_expected, static_cast<std::uint64_t>(std::numeric_limits<qint64>::max())));
    }

    qint64 read(char* into, qint64 size) override {
        if (!m_open)
            return failure().reason.isEmpty() ? 0 : -1;
        // One byte more than the member should still hold tells a member longer than the
        // archive says, and no more than that is ever unpacked.
        const std::uint64_t left = m_expected - m_read;
        const auto room = static_cast<std::uint32_t>(
            std::min<std::uint64_t>({static_cast<std::uint64_t>(size),
                                     left < UINT32_MAX ? left + 1 : UINT32_MAX, UINT32_MAX}));
        const qint64 got = m_inflate ? unpack(into, room) : copy(into, room);
        if (got < 0)
            return got;
        m_read += static_cast<std::uint64_t>(got);
        if (m_read > m_expected)
            return fail(QStringLiteral("unpacked, it holds more than the %1 bytes the archive "
                                       "records")
                            .arg(bytes(m_expected)));
        if (got > 0)
            return got;
        if (m_read != m_expected)
            return fail(QStringLiteral("unpacked, it holds %1 bytes where the archive records %2")
                            .arg(bytes(m_read), bytes(m_expected)));
        if ((m_inflate ? m_inflate->crc : m_crc) != m_expectedCrc)
            return fail(QStringLiteral("its data does not match the CRC the archive records"));
        m_open = false;
        unzCloseCurrentFile(m_zip);
        return 0;
    }

private:
    static constexpr unsigned kInputPiece = 1 << 16;

    // The member's next bytes as the archive stores them; 0 after the last; -1 when the
    // archive ends first.
    qint64 readStored(char* into, std::uint32_t size) {
        const auto wanted = static_cast<qint64>(std::min<std::uint64_t>(size, m_storedLeft));
        if (wanted == 0)
            return 0;
        const qint64 got = m_archive.zip->readAt(static_cast<qint64>(m_dataAt), into, wanted);
        if (got <= 0)
            return -1;
        m_dataAt += static_cast<std::uint64_t>(got);
        m_storedLeft -= static_cast<std::uint64_t>(got);
        return got;
    }

    // A stored member's next bytes, as they stand.
    qint64 copy(char* into, std::uint32_t room) {
        const qint64 got = readStored(into, room);
        if (got < 0)
            return fail(QStringLiteral("its data breaks off before its end"));
        m_crc = crc32_gzip_refl(m_crc, reinterpret_cast<const unsigned char*>(into),
                                static_cast<std::uint64_t>(got));
        return got;
    }

    // A deflated member's next bytes, unpacked; 0 once it is unpacked whole.
    qint64 unpack(char* into, std::uint32_t room) {
        inflate_state& state = *m_inflate;
        state.next_out = reinterpret_cast<std::uint8_t*>(into);
        state.avail_out = room;
        while (state.avail_out == room && state.block_state != ISAL_BLOCK_FINISH) {
            if (state.avail_in == 0 && !m_inputDone) {
                const qint64 got = readStored(reinterpret_cast<char*>(m_input.data()), kInputPiece);
                if (got < 0)
                    return fail(QStringLiteral("its data breaks off before its end"));
                m_inputDone = got == 0;
                state.next_in = m_input.data();
                state.avail_in = static_cast<std::uint32_t>(got);
            }
            const isal_block_state before = state.block_state;
            if (isal_inflate(&state) != ISAL_DECOMP_OK)
                return fail(QStringLiteral("its data cannot be unpacked"));
            // Out of data and going nowhere: the stream stops short of its end.
            if (m_inputDone && state.avail_in == 0 && state.avail_out == room &&
                state.block_state == before)
                return fail(QStringLiteral("its data breaks off before its end"));
        }
        return room - state.avail_out;
    }

    qint64 fail(const QString& detail) {
        m_open = false;
        unzCloseCurrentFile(m_zip);
        return failed(damaged(detail));
    }

    OpenArchive m_archive;
    unzFile m_zip;
    std::uint64_t m_expected;
    std::uint32_t m_expectedCrc;
    // Where the member's data goes on in the archive, and how much of it is left.
    std::uint64_t m_dataAt = 0;
    std::uint64_t m_storedLeft = 0;
    std::uint64_t m_read = 0;
    std::uint32_t m_crc = 0;
    std::unique_ptr<inflate_state> m_inflate;
    std::vector<std::uint8_t> m_input;
    bool m_inputDone = false;
    bool m_open = false;
};
} // namespace

std::optional<SourceFailure> refusalOf(const ArchiveEntry& entry) {
    if (!entry.nameReadable)
        return SourceFailure{QStringLiteral("name not readable: it is marked as UTF-8 but is not "
                                            "UTF-8 text, or it holds a NUL"),
                             FileProblem::NameNotReadable};
    if (entry.ownName().endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
        return SourceFailure{QStringLiteral("archive inside an archive: it is named, not opened"),
                             FileProblem::ArchiveInArchive};
    if ((entry.flags & (kEncryptedFlag | kStrongEncryptionFlag)) || entry.method == kAesEncrypted)
        return SourceFailure{QStringLiteral("encrypted: a member protected by a password is not "
                                            "read"),
                             FileProblem::Encrypted};
    if (entry.method != kStored && entry.method != kDeflated)
        return SourceFailure{QStringLiteral("unsupported compression: %1; only stored and "
                                            "deflated members are read")
                                 .arg(methodName(entry.method)),
                             FileProblem::UnsupportedCompression};
    const bool steep =
        entry.compressedSize <= std::numeric_limits<std::uint64_t>::max() / kBombRatio &&
        entry.uncompressedSize > entry.compressedSize * kBombRatio;
    if (entry.uncompressedSize > kBombSize && steep)
        return SourceFailure{QStringLiteral("too large when unpacked: %1 bytes from %2, more than "
                                            "1 GB at more than 100 to 1")
                                 .arg(bytes(entry.uncompressedSize), bytes(entry.compressedSize)),
                             FileProblem::TooLargeUnpacked};
    return std::nullopt;
}

std::unique_ptr<SourceFile> openMember(const QString& archive, const KnownArchive& known,
                                       const ArchiveEntry& entry) {
    return std::make_unique<MemberFile>(archive, known, entry);
}

void closeArchivesKeptOpen() {
    keptOpen().closeAll();
}
