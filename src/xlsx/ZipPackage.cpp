#include "xlsx/ZipPackage.h"

#include "xlsx/ZipFileOpening.h"

#include "base/RuntimeError.h"
#include "base/TextFiles.h"

#include <algorithm>
#include <cerrno>
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <memory>

namespace {
// ISA-L's strongest level: on sheet text it still keeps pace with the making of the text, and
// its files are an eighth smaller than those of its fastest level.
constexpr int kLevel = 3;
constexpr std::uint32_t kLevelBufferBytes = ISAL_DEF_LVL3_DEFAULT;

// Entries carry the earliest date a zip can hold, as the reference writer gives them, so that
// the same workbook always makes the same file.
zip_fileinfo entryInfo() {
    zip_fileinfo info{};
    info.tmz_date.tm_year = 1980;
    info.tmz_date.tm_mday = 1;
    return info;
}

zipFile zipOf(void* zip) {
    return static_cast<zipFile>(zip);
}

RuntimeError readError(const QString& path, const char* what) {
    return RuntimeError(QStringLiteral("Cannot read the package %1: %2").arg(path, what));
}
} // namespace

std::vector<StoredEntry> storedEntries(const QString& path) {
    const std::unique_ptr<void, int (*)(unzFile)> zip(openZipFile(path), unzClose);
    if (!zip)
        throw readError(path, "it is not a zip package");
    std::vector<StoredEntry> entries;
    for (int at = unzGoToFirstFile(zip.get()); at == UNZ_OK; at = unzGoToNextFile(zip.get())) {
        unz_file_info64 info{};
        char name[1024];
        if (unzGetCurrentFileInfo64(zip.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK)
            throw readError(path, "an entry cannot be read");
        StoredEntry entry{name, std::string(info.compressed_size, '\0'), 0,
                          static_cast<std::uint32_t>(info.crc), info.uncompressed_size};
        if (unzOpenCurrentFile2(zip.get(), &entry.method, nullptr, 1) != UNZ_OK)
            throw readError(path, "an entry cannot be opened");
        const int read = unzReadCurrentFile(zip.get(), entry.data.data(),
                                            static_cast<unsigned>(entry.data.size()));
        unzCloseCurrentFile(zip.get());
        if (read < 0 || static_cast<std::uint64_t>(read) != info.compressed_size)
            throw readError(path, "an entry is cut short");
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string unpackedEntry(const QString& path, const std::string& name) {
    const std::unique_ptr<void, int (*)(unzFile)> zip(openZipFile(path), unzClose);
    if (!zip)
        throw readError(path, "it is not a zip package");
    unz_file_info64 info{};
    if (unzLocateFile(zip.get(), name.c_str(), 1) != UNZ_OK ||
        unzGetCurrentFileInfo64(zip.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(zip.get()) != UNZ_OK)
        throw readError(path, "a part is missing");
    std::string text(info.uncompressed_size, '\0');
    const int read = unzReadCurrentFile(zip.get(), text.data(), static_cast<unsigned>(text.size()));
    const bool intact = unzCloseCurrentFile(zip.get()) == UNZ_OK;
    if (read < 0 || static_cast<std::uint64_t>(read) != info.uncompressed_size || !intact)
        throw readError(path, "a part is damaged");
    return text;
}

namespace {
// Deflate refers back at most this far, so a piece compressed apart from the one before it
// loses nothing once it is given this much of the text before it.
constexpr std::size_t kWindowBytes = 32 << 10;

// A piece of an entry's text compressed on its own, ending on a byte boundary without ending
// the stream, so that the pieces of an entry, one after another, are one deflate stream; the
// `last` piece ends the stream.
bool compressPiece(std::string_view text, std::string_view window, bool last,
                   std::uint8_t* levelBuffer, std::string& compressed) {
    isal_zstream stream{};
    isal_deflate_init(&stream);
    stream.level = kLevel;
    stream.level_buf = levelBuffer;
    stream.level_buf_size = kLevelBufferBytes;
    stream.gzip_flag = IGZIP_DEFLATE;
    stream.flush = last ? NO_FLUSH : SYNC_FLUSH;
    stream.end_of_stream = last ? 1 : 0;
    if (!window.empty() &&
        isal_deflate_set_dict(&stream,
                              reinterpret_cast<std::uint8_t*>(const_cast<char*>(window.data())),
                              static_cast<std::uint32_t>(window.size())) != COMP_OK)
        return false;
    stream.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<std::uint32_t>(text.size());
    compressed.resize(text.size() / 4 + 1024);
    std::size_t produced = 0;
    do {
        if (produced == compressed.size())
            compressed.resize(compressed.size() * 2);
        stream.next_out = reinterpret_cast<std::uint8_t*>(compressed.data() + produced);
        stream.avail_out = static_cast<std::uint32_t>(compressed.size() - produced);
        if (isal_deflate(&stream) != COMP_OK)
            return false;
        produced = compressed.size() - stream.avail_out;
    } while (stream.avail_out == 0 || (last && stream.internal_state.state != ZSTATE_END));
    // Erased rather than resized, which GCC 12 at -O3 warns of falsely.
    compressed.erase(produced);
    return true;
}

// The last block of an entry whose text ended without a last piece: final, of fixed codes, and
// empty.
constexpr std::uint8_t kLastBlock[] = {0x03, 0x00};

// One thread per core compresses, up to this many: saving a large sheet is mostly compressing.
constexpr unsigned kMostWorkers = 4;
} // namespace

ZipPackage::ZipPackage(const QString& path, const QString& shownPath) : m_shownPath(shownPath) {
    errno = 0;
    m_zip = createZipFile(path);
    if (!m_zip)
        throw RuntimeError(QStringLiteral("Cannot create the workbook file %1: %2")
                               .arg(shownPath, writeProblem(errno ? errno : EIO, shownPath)));
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, kMostWorkers);
    // Every thread finds a piece waiting while the next one is made.
    m_bytesAhead = (std::size_t{workers} + 2) << 20;
    for (unsigned i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

ZipPackage::~ZipPackage() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_workArrived.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
    if (m_zip)
        zipClose(zipOf(m_zip), nullptr);
}

void ZipPackage::fail(const char* what) {
    const int number = errno;
    const QString reason = number ? writeProblem(number, m_shownPath) : QString::fromUtf8(what);
    if (!m_failure)
        m_failure = std::make_exception_ptr(RuntimeError(
            QStringLiteral("Cannot write the workbook file %1: %2").arg(m_shownPath, reason)));
}

void ZipPackage::enqueue(Command command) {
    std::unique_lock lock(m_mutex);
    if (m_queuedBytes >= m_bytesAhead && !m_failure) {
        m_makerWaits = true;
        m_roomMade.wait(lock, [this] { return m_queuedBytes < m_bytesAhead || m_failure; });
        m_makerWaits = false;
    }
    if (m_failure)
        std::rethrow_exception(m_failure);
    m_queuedBytes += command.text.size() + command.stored.data.size();
    m_commands.push_back(std::move(command));
    // Waking another thread costs a system call; only one that sleeps needs it.
    const bool wake = m_workersWaiting > 0;
    lock.unlock();
    if (wake)
        m_workArrived.notify_one();
}

void ZipPackage::addStored(StoredEntry entry) {
    Command command;
    command.kind = Command::Kind::Stored;
    command.stored = std::move(entry);
    enqueue(std::move(command));
}

void ZipPackage::beginEntry(std::string name, bool large) {
    m_window.clear();
    m_crc = 0;
    m_size = 0;
    m_ended = false;
    Command command;
    command.kind = Command::Kind::Begin;
    command.text = std::move(name);
    command.large = large;
    enqueue(std::move(command));
}

std::string ZipPackage::write(std::string piece, bool last) {
    m_crc =
        crc32_gzip_refl(m_crc, reinterpret_cast<const unsigned char*>(piece.data()), piece.size());
    m_size += piece.size();
    Command command;
    command.last = last;
    m_ended = last;
    command.window = std::move(m_window);
    m_window.clear();
    // What the next piece may refer back to; the last piece, often a part's only one, has none.
    if (!last && piece.size() >= kWindowBytes) {
        m_window.assign(piece, piece.size() - kWindowBytes);
    } else if (!last) {
        m_window = command.window + piece;
        if (m_window.size() > kWindowBytes)
            m_window.erase(0, m_window.size() - kWindowBytes);
    }
    // The last piece of a part mostly fills little of its buffer: a copy of its own size waits
    // instead, so that the thousands of small parts the queue may hold take only their text,
    // not a buffer of a megabyte each, and the buffer is filled again at once.
    if (piece.size() < piece.capacity() / 4) {
        command.text = std::string(piece);
        enqueue(std::move(command));
        piece.clear();
        return piece;
    }
    command.text = std::move(piece);
    enqueue(std::move(command));
    return spareBuffer();
}

std::string ZipPackage::spareBuffer() {
    std::lock_guard lock(m_mutex);
    if (m_emptied.empty())
        return {};
    std::string emptied = std::move(m_emptied.back());
    m_emptied.pop_back();
    emptied.clear();
    return emptied;
}

void ZipPackage::endEntry() {
    Command command;
    command.kind = Command::Kind::End;
    command.size = m_size;
    command.crc = m_crc;
    command.last = m_ended;
    enqueue(std::move(command));
}

bool ZipPackage::perform(Command& command) {
    const zip_fileinfo info = entryInfo();
    switch (command.kind) {
    case Command::Kind::Stored: {
        const StoredEntry& entry = command.stored;
        return zipOpenNewFileInZip4_64(zipOf(m_zip), entry.name.c_str(), &info, nullptr, 0, nullptr,
                                       0, nullptr, entry.method, 0, 1, 0, 0, 0, nullptr, 0, 0, 0,
                                       entry.size >= 0xFFFFFFFFu) == ZIP_OK &&
               zipWriteInFileInZip(zipOf(m_zip), entry.data.data(),
                                   static_cast<unsigned>(entry.data.size())) == ZIP_OK &&
               zipCloseFileInZipRaw64(zipOf(m_zip), entry.size, entry.crc) == ZIP_OK;
    }
    case Command::Kind::Begin:
        return zipOpenNewFileInZip4_64(zipOf(m_zip), command.text.c_str(), &info, nullptr, 0,
                                       nullptr, 0, nullptr, Z_DEFLATED, 1, 1, -MAX_WBITS, 8, 0,
                                       nullptr, 0, 0, 0, command.large ? 1 : 0) == ZIP_OK;
    case Command::Kind::Piece:
        return command.compressedWell &&
               zipWriteInFileInZip(zipOf(m_zip), command.compressed.data(),
                                   static_cast<unsigned>(command.compressed.size())) == ZIP_OK;
    case Command::Kind::End:
        return (command.last ||
                zipWriteInFileInZip(zipOf(m_zip), kLastBlock, sizeof kLastBlock) == ZIP_OK) &&
               zipCloseFileInZipRaw64(zipOf(m_zip), command.size, command.crc) == ZIP_OK;
    }
    return false;
}

ZipPackage::Command* ZipPackage::nextToCompress() {
    m_compressFrom = std::max(m_compressFrom, m_taken);
    while (m_compressFrom - m_taken < m_commands.size()) {
        Command& command = m_commands[m_compressFrom - m_taken];
        ++m_compressFrom;
        if (command.kind == Command::Kind::Piece)
            return &command;
    }
    return nullptr;
}

void ZipPackage::work() {
    const std::unique_ptr<std::uint8_t[]> levelBuffer(new std::uint8_t[kLevelBufferBytes]);
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        // What is ready at the front is written first, in order, by one thread at a time.
        if (!m_writing && !m_commands.empty() &&
            (m_commands.front().kind != Command::Kind::Piece ||
             m_commands.front().state == Command::State::Compressed)) {
            Command command = std::move(m_commands.front());
            m_commands.pop_front();
            ++m_taken;
            const bool failed = static_cast<bool>(m_failure);
            m_writing = true;
            lock.unlock();
            errno = 0;
            const bool done = failed || perform(command);
            lock.lock();
            m_writing = false;
            if (!done)
                fail("a part could not be written");
            m_queuedBytes -= command.text.size() + command.stored.data.size();
            if (command.kind == Command::Kind::Piece && m_emptied.size() < 4)
                m_emptied.push_back(std::move(command.text));
            if (m_makerWaits)
                m_roomMade.notify_one();
            continue;
        }
        // The queue only grows at its back and is taken from its front once a piece there is
        // compressed, so the piece stays where it is while it is compressed unlocked.
        if (Command* piece = nextToCompress()) {
            piece->state = Command::State::Compressing;
            const bool failed = static_cast<bool>(m_failure);
            lock.unlock();
            piece->compressedWell = failed || compressPiece(piece->text, piece->window, piece->last,
                                                            levelBuffer.get(), piece->compressed);
            lock.lock();
            piece->state = Command::State::Compressed;
            // The thread writing may be waiting for this very piece.
            if (m_workersWaiting > 0)
                m_workArrived.notify_one();
            continue;
        }
        ++m_workersWaiting;
        m_workArrived.wait(lock);
        --m_workersWaiting;
    }
}

void ZipPackage::close() {
    {
        std::unique_lock lock(m_mutex);
        m_makerWaits = true;
        m_roomMade.wait(lock, [this] { return m_commands.empty() && !m_writing; });
        m_makerWaits = false;
        if (m_failure)
            std::rethrow_exception(m_failure);
    }
    errno = 0;
    const int result = zipClose(zipOf(m_zip), nullptr);
    m_zip = nullptr;
    if (result != ZIP_OK) {
        fail("the package's directory could not be written");
        std::rethrow_exception(m_failure);
    }
}
