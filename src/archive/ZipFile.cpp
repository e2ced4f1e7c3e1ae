#include "archive/ZipFile.h"

#include "archive/ReadOnlyFile.h"
#include "base/RuntimeError.h"

#include <algorithm>
#include <cstring>

namespace {
// Where minizip looks for the end records: the largest comment and the records themselves.
constexpr qint64 kTailSize = 0xFFFF + 22 + 20 + 56 + 4;

ZipFile::Stream& streamOf(voidpf stream) {
    return *static_cast<ZipFile::Stream*>(stream);
}

// minizip "opens" the file it is given: the one already open.
voidpf ZCALLBACK openOpened(voidpf, const void* stream, int) {
    return const_cast<void*>(stream);
}

uLong ZCALLBACK readFile(voidpf, voidpf opened, void* into, uLong size) {
    ZipFile::Stream& stream = streamOf(opened);
    const auto wanted = static_cast<qint64>(size);
    const qint64 tailStart = stream.tail.fileSize - stream.tail.bytes.size();
    if (stream.position >= tailStart && stream.position + wanted <= stream.tail.fileSize) {
        std::memcpy(into, stream.tail.bytes.constData() + (stream.position - tailStart), size);
        stream.position += wanted;
        return size;
    }
    if (stream.file.pos() != stream.position && !stream.file.seek(stream.position))
        return 0;
    const qint64 got = stream.file.read(static_cast<char*>(into), wanted);
    if (got <= 0)
        return 0;
    stream.position += got;
    return static_cast<uLong>(got);
}

uLong ZCALLBACK writeNothing(voidpf, voidpf, const void*, uLong) {
    return 0;
}

ZPOS64_T ZCALLBACK tellFile(voidpf, voidpf stream) {
    return static_cast<ZPOS64_T>(streamOf(stream).position);
}

long ZCALLBACK seekFile(voidpf, voidpf opened, ZPOS64_T offset, int origin) {
    ZipFile::Stream& stream = streamOf(opened);
    // minizip moves back from where it is by an offset that wrapped below zero, as the C
    // library's fseeko takes it: signed.
    const auto by = static_cast<qint64>(offset);
    qint64 to = by;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        to = stream.position + by;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        to = stream.tail.fileSize + by;
    if (to < 0 || (origin == ZLIB_FILEFUNC_SEEK_SET && by < 0))
        return -1;
    stream.position = to;
    return 0;
}

// The file is closed by its owner, after minizip let go of it.
int ZCALLBACK closeNothing(voidpf, voidpf) {
    return 0;
}

int ZCALLBACK fileError(voidpf, voidpf stream) {
    return streamOf(stream).file.error() == QFileDevice::NoError ? 0 : 1;
}

std::uint32_t littleEndian(const QByteArray& bytes, qsizetype at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}
} // namespace

QString damagedArchiveReason(const QString& detail) {
    return QStringLiteral("damaged archive: ") + detail;
}

ZipFile::ZipFile(const QString& path, const ArchiveTail& tail) {
    QFile& file = m_stream.file;
    openReadOnly(file, path);
    const qint64 size = file.size();
    if (tail.fileSize == size) {
        m_stream.tail = tail;
    } else {
        m_stream.tail.fileSize = size;
        const qint64 start = std::max<qint64>(0, size - kTailSize);
        // A tail that cannot be read whole is none: minizip then reads the file itself.
        if (file.seek(start)) {
            QByteArray read = file.read(size - start);
            if (read.size() == size - start)
                m_stream.tail.bytes = std::move(read);
        }
    }
    zlib_filefunc64_def functions{};
    functions.zopen64_file = openOpened;
    functions.zread_file = readFile;
    functions.zwrite_file = writeNothing;
    functions.ztell64_file = tellFile;
    functions.zseek64_file = seekFile;
    functions.zclose_file = closeNothing;
    functions.zerror_file = fileError;
    m_zip = unzOpen2_64(&m_stream, &functions);
    if (!m_zip)
        throw RuntimeError(damagedArchiveReason(QStringLiteral("no directory of its members "
                                                               "could be found")),
                           0, FileProblem::DamagedArchive);
}

qint64 ZipFile::readAt(qint64 position, char* into, qint64 size) {
    QFile& file = m_stream.file;
    if (file.pos() != position && !file.seek(position))
        return -1;
    return file.read(into, size);
}

std::optional<std::uint64_t> ZipFile::directoryEnd() const {
    constexpr qsizetype kRecord = 22;
    const QByteArray& tail = m_stream.tail.bytes;
    const qsizetype at = tail.lastIndexOf(QByteArrayView("PK\x05\x06", 4));
    if (at < 0 || at + kRecord > tail.size())
        return std::nullopt;
    const std::uint32_t directorySize = littleEndian(tail, at + 12);
    const std::uint32_t directoryOffset = littleEndian(tail, at + 16);
    if (directorySize == 0xFFFFFFFFu || directoryOffset == 0xFFFFFFFFu)
        return std::nullopt;
    return std::uint64_t(directoryOffset) + directorySize;
}

ZipFile::~ZipFile() {
    if (m_zip)
        unzClose(m_zip);
}
