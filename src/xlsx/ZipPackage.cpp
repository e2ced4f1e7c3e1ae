#include "xlsx/ZipPackage.h"

#include "xlsx/ZipFileOpening.h"

#include "base/RuntimeError.h"
#include "base/TextFiles.h"

#include <cerrno>
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <memory>

namespace {
// Text waiting to be compressed; more would only hold memory while the compressor catches up.
constexpr std::size_t kBytesAhead = 4 << 20;
constexpr std::size_t kOutputBytes = 1 << 20;
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

// The state of raw deflate for the entry being written, kept on the compressing thread.
struct ZipPackage::Compressor {
    isal_zstream stream{};
    std::unique_ptr<std::uint8_t[]> levelBuffer{new std::uint8_t[kLevelBufferBytes]};
    std::unique_ptr<std::uint8_t[]> output{new std::uint8_t[kOutputBytes]};
    std::uint32_t crc = 0;
    std::uint64_t size = 0;

    void begin() {
        isal_deflate_init(&stream);
        stream.level = kLevel;
        stream.level_buf = levelBuffer.get();
        stream.level_buf_size = kLevelBufferBytes;
        stream.gzip_flag = IGZIP_DEFLATE;
        crc = 0;
        size = 0;
    }

    // Compresses `text`, or ends the stream when `last`, passing every compressed byte on.
    template <typename Take> bool feed(std::string_view text, bool last, Take take) {
        crc =
            crc32_gzip_refl(crc, reinterpret_cast<const unsigned char*>(text.data()), text.size());
        size += text.size();
        stream.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(text.data()));
        stream.avail_in = static_cast<std::uint32_t>(text.size());
        stream.end_of_stream = last ? 1 : 0;
        do {
            stream.next_out = output.get();
            stream.avail_out = kOutputBytes;
            if (isal_deflate(&stream) != COMP_OK)
                return false;
            const auto produced = kOutputBytes - stream.avail_out;
            if (produced > 0 && !take(output.get(), produced))
                return false;
        } while (stream.avail_in > 0 || (last && stream.internal_state.state != ZSTATE_END));
        return true;
    }
};

ZipPackage::ZipPackage(const QString& path, const QString& shownPath)
    : m_shownPath(shownPath), m_compressor(new Compressor) {
    errno = 0;
    m_zip = createZipFile(path);
    if (!m_zip) {
        delete m_compressor;
        throw RuntimeError(QStringLiteral("Cannot create the workbook file %1: %2")
                               .arg(shownPath, writeProblem(errno ? errno : EIO, shownPath)));
    }
    m_worker = std::thread([this] { work(); });
}

ZipPackage::~ZipPackage() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_workArrived.notify_one();
    m_worker.join();
    if (m_zip)
        zipClose(zipOf(m_zip), nullptr);
    delete m_compressor;
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
    if (m_queuedBytes >= kBytesAhead && !m_failure) {
        m_makerWaits = true;
        m_roomMade.wait(lock, [this] { return m_queuedBytes < kBytesAhead || m_failure; });
        m_makerWaits = false;
    }
    if (m_failure)
        std::rethrow_exception(m_failure);
    m_queuedBytes += command.text.size() + command.stored.data.size();
    m_commands.push_back(std::move(command));
    // Waking the other thread costs a system call; only one that sleeps needs it.
    const bool wake = m_workerWaits;
    lock.unlock();
    if (wake)
        m_workArrived.notify_one();
}

void ZipPackage::addStored(StoredEntry entry) {
    enqueue(Command{Command::Kind::Stored, {}, false, std::move(entry)});
}

void ZipPackage::beginEntry(std::string name, bool large) {
    enqueue(Command{Command::Kind::Begin, std::move(name), large, {}});
}

std::string ZipPackage::write(std::string piece) {
    // The last piece of a part mostly fills little of its buffer: a copy of its own size waits
    // instead, so that the thousands of small parts the queue may hold take only their text,
    // not a buffer of a megabyte each, and the buffer is filled again at once.
    if (piece.size() < piece.capacity() / 4) {
        enqueue(Command{Command::Kind::Piece, std::string(piece), false, {}});
        piece.clear();
        return piece;
    }
    enqueue(Command{Command::Kind::Piece, std::move(piece), false, {}});
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
    enqueue(Command{Command::Kind::End, {}, false, {}});
}

bool ZipPackage::perform(Command& command) {
    const auto take = [this](const std::uint8_t* bytes, std::size_t count) {
        return zipWriteInFileInZip(zipOf(m_zip), bytes, static_cast<unsigned>(count)) == ZIP_OK;
    };
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
        m_compressor->begin();
        return zipOpenNewFileInZip4_64(zipOf(m_zip), command.text.c_str(), &info, nullptr, 0,
                                       nullptr, 0, nullptr, Z_DEFLATED, 1, 1, -MAX_WBITS, 8, 0,
                                       nullptr, 0, 0, 0, command.large ? 1 : 0) == ZIP_OK;
    case Command::Kind::Piece:
        return m_compressor->feed(command.text, false, take);
    case Command::Kind::End:
        return m_compressor->feed({}, true, take) &&
               zipCloseFileInZipRaw64(zipOf(m_zip), m_compressor->size, m_compressor->crc) ==
                   ZIP_OK;
    }
    return false;
}

void ZipPackage::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_stopping && m_commands.empty()) {
            m_workerWaits = true;
            m_workArrived.wait(lock, [this] { return m_stopping || !m_commands.empty(); });
            m_workerWaits = false;
        }
        if (m_stopping)
            return;
        Command command = std::move(m_commands.front());
        m_commands.pop_front();
        const bool failed = static_cast<bool>(m_failure);
        m_busy = true;
        lock.unlock();
        errno = 0;
        const bool done = failed || perform(command);
        lock.lock();
        m_busy = false;
        if (!done)
            fail("a part could not be written");
        m_queuedBytes -= command.text.size() + command.stored.data.size();
        if (command.kind == Command::Kind::Piece && m_emptied.size() < 4)
            m_emptied.push_back(std::move(command.text));
        if (m_makerWaits)
            m_roomMade.notify_one();
    }
}

void ZipPackage::close() {
    {
        std::unique_lock lock(m_mutex);
        m_makerWaits = true;
        m_roomMade.wait(lock, [this] { return m_commands.empty() && !m_busy; });
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
