#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <minizip/zip.h>

#include <array>
#include <cstdint>

// The CRC-32 that zip archives record.
inline std::uint32_t zipCrc(const QByteArray& bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> made{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            made[n] = c;
        }
        return made;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char octet : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(octet)) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

// A deflated stream of `count` zero bytes, made by hand in one fixed-code block (a zero, then
// copies of 258 bytes from one back), so that a bomb of a gigabyte takes milliseconds to make.
inline QByteArray deflatedZeros(std::uint64_t count) {
    QByteArray out;
    std::uint32_t pending = 0;
    int bits = 0;
    const auto put = [&](std::uint32_t value, int width) {
        pending |= value << bits;
        bits += width;
        while (bits >= 8) {
            out.append(static_cast<char>(pending & 0xFFu));
            pending >>= 8;
            bits -= 8;
        }
    };
    // Huffman codes go out from their first bit.
    const auto code = [&](std::uint32_t value, int width) {
        for (int bit = width - 1; bit >= 0; --bit)
            put((value >> bit) & 1u, 1);
    };
    put(1, 1); // the last block
    put(1, 2); // fixed codes
    std::uint64_t left = count;
    if (left > 0) {
        code(0x30, 8); // a zero
        --left;
    }
    for (; left >= 258; left -= 258) {
        code(0xC5, 8); // length 258
        code(0, 5);    // distance 1
    }
    for (; left > 0; --left)
        code(0x30, 8);
    code(0, 7); // end of block
    if (bits > 0)
        put(0, 8 - bits);
    return out;
}

// Records another compression method for the member `name` of the archive at `path`, in its own
// header and in the directory, as a writer of methods that minizip does not write would.
inline void recordMethod(const QString& path, const QByteArray& name, std::uint16_t method) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        qFatal("cannot open %s", qPrintable(path));
    QByteArray bytes = file.readAll();
    const auto patch = [&](const QByteArray& signature, int methodAt, int nameAt) {
        for (qsizetype at = bytes.indexOf(signature); at >= 0;
             at = bytes.indexOf(signature, at + 1))
            if (bytes.mid(at + nameAt, name.size()) == name) {
                bytes[at + methodAt] = static_cast<char>(method & 0xFF);
                bytes[at + methodAt + 1] = static_cast<char>(method >> 8);
            }
    };
    patch(QByteArray("PK\x03\x04"), 8, 30);
    patch(QByteArray("PK\x01\x02"), 10, 46);
    file.seek(0);
    file.write(bytes);
}

// Rewrites the end of the archive at `path` the way zip64 writers end theirs: a zip64 end record
// and its locator hold the count, size and place of the directory, and the classic end record
// only says to look there. minizip's writer leaves them out below 4 GB, whatever the count.
inline void recordZip64Directory(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        qFatal("cannot open %s", qPrintable(path));
    QByteArray bytes = file.readAll();
    const qsizetype end = bytes.lastIndexOf("PK\x05\x06");
    const auto read = [&](qsizetype at, int width) {
        std::uint64_t value = 0;
        for (int i = 0; i < width; ++i)
            value |= std::uint64_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
        return value;
    };
    const auto put = [](QByteArray& into, std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            into += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const std::uint64_t size = read(end + 12, 4);
    const std::uint64_t offset = read(end + 16, 4);
    // Newer writers (minizip as built for Windows) record one already past 65,535 members: it
    // is replaced, so that the records still follow the directory at once.
    const qsizetype directoryEnd = qsizetype(offset + size);
    // The count the entries have, which the classic record may no longer hold.
    std::uint64_t count = 0;
    for (qsizetype at = bytes.indexOf("PK\x01\x02", qsizetype(offset));
         at >= 0 && at < directoryEnd; at = bytes.indexOf("PK\x01\x02", at + 46))
        ++count;
    QByteArray tail("PK\x06\x06");
    put(tail, 44, 8);
    put(tail, 45, 2);
    put(tail, 45, 2);
    put(tail, 0, 4);
    put(tail, 0, 4);
    put(tail, count, 8);
    put(tail, count, 8);
    put(tail, size, 8);
    put(tail, offset, 8);
    tail += "PK\x06\x07";
    put(tail, 0, 4);
    put(tail, std::uint64_t(directoryEnd), 8);
    put(tail, 1, 4);
    tail += "PK\x05\x06";
    put(tail, 0, 4);
    put(tail, 0xFFFF, 2);
    put(tail, 0xFFFF, 2);
    put(tail, 0xFFFFFFFF, 4);
    put(tail, 0xFFFFFFFF, 4);
    put(tail, 0, 2);
    bytes = bytes.left(directoryEnd) + tail;
    file.resize(0);
    file.seek(0);
    file.write(bytes);
}

// Writes a zip archive with minizip's own writer, member by member, for the tests to read:
// stored or deflated members, encrypted ones, and members given as raw bytes with whatever
// method, size and CRC the test states, true or not.
class ZipBuilder {
public:
    explicit ZipBuilder(const QString& path)
        : m_zip(zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE)) {
        if (!m_zip)
            qFatal("cannot create %s", qPrintable(path));
    }
    ~ZipBuilder() { zipClose(m_zip, nullptr); }
    ZipBuilder(const ZipBuilder&) = delete;
    ZipBuilder& operator=(const ZipBuilder&) = delete;

    struct Options {
        int method = Z_DEFLATED;
        const char* password = nullptr;
        // Marks the name as UTF-8.
        bool utf8 = false;
        // Records the member's sizes in zip64 fields whatever they are.
        bool zip64 = false;
        // Extra fields, in the member's own header and in the directory alike.
        QByteArray extra = {};
    };

    ZipBuilder& add(const QByteArray& name, const QByteArray& bytes) {
        return add(name, bytes, {});
    }
    ZipBuilder& add(const QByteArray& name, const QByteArray& bytes, const Options& options) {
        open(name, options.method, false, options.password, zipCrc(bytes), options.utf8,
             options.zip64, options.extra);
        write(bytes);
        if (zipCloseFileInZip(m_zip) != ZIP_OK)
            qFatal("cannot close a member");
        return *this;
    }
    // A member whose data is `stored` as it stands, recorded with `method`, `size` and `crc`.
    ZipBuilder& addRaw(const QByteArray& name, int method, const QByteArray& stored,
                       std::uint64_t size, std::uint32_t crc) {
        open(name, method, true, nullptr, 0, false, size > 0xFFFFFFFFu, {});
        write(stored);
        if (zipCloseFileInZipRaw64(m_zip, size, crc) != ZIP_OK)
            qFatal("cannot close a member");
        return *this;
    }

private:
    void open(const QByteArray& name, int method, bool raw, const char* password, std::uint32_t crc,
              bool utf8, bool zip64, const QByteArray& extra) {
        zip_fileinfo info{};
        const auto extraSize = static_cast<uInt>(extra.size());
        if (zipOpenNewFileInZip4_64(m_zip, name.constData(), &info, extra.constData(), extraSize,
                                    extra.constData(), extraSize, nullptr, method,
                                    method == 0 ? 0 : 6, raw ? 1 : 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                    Z_DEFAULT_STRATEGY, password, crc, 0, utf8 ? 1u << 11 : 0u,
                                    zip64 ? 1 : 0) != ZIP_OK)
            qFatal("cannot add %s", name.constData());
    }
    void write(const QByteArray& bytes) {
        for (qsizetype at = 0; at < bytes.size(); at += 1 << 20)
            if (zipWriteInFileInZip(m_zip, bytes.constData() + at,
                                    static_cast<unsigned>(
                                        std::min<qsizetype>(bytes.size() - at, 1 << 20))) != ZIP_OK)
                qFatal("cannot write a member");
    }

    zipFile m_zip;
};
