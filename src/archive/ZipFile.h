#pragma once

#include "archive/ArchiveTail.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <minizip/unzip.h>

#include <cstdint>
#include <optional>

// A zip archive opened read-only for minizip to read. The file is opened as every listed file
// is (a FIFO or a device is refused rather than waited on), and minizip reads it through Qt, so
// that a path in any script opens on every system.
class ZipFile {
public:
    // Opens the archive, its end read from `tail` when that is the tail of an archive of its
    // size. Raises a RuntimeError that says why the archive cannot be read: not a regular file,
    // not readable, or no zip archive (a damaged one).
    explicit ZipFile(const QString& path, const ArchiveTail& tail = {});
    ~ZipFile();
    ZipFile(const ZipFile&) = delete;
    ZipFile& operator=(const ZipFile&) = delete;

    unzFile handle() const { return m_zip; }
    // Reads up to `size` bytes from `position` of the archive, as they are stored: how many it
    // read, 0 past the end, -1 when the file cannot be read.
    qint64 readAt(qint64 position, char* into, qint64 size);
    // The archive's tail, to open it again without reading it again.
    const ArchiveTail& tail() const { return m_stream.tail; }
    // Where the central directory ends by the archive's own end record (the offset and size it
    // gives, as minizip counts offsets); nothing where that record leaves it to a zip64 one.
    std::optional<std::uint64_t> directoryEnd() const;

    // What minizip reads through: the file, and its tail held in memory.
    struct Stream {
        QFile file;
        ArchiveTail tail;
        // Where minizip reads next; the file is moved there only when it is read.
        qint64 position = 0;
    };

private:
    Stream m_stream;
    unzFile m_zip = nullptr;
};

// The reason given for an archive whose directory cannot be read: "damaged archive: ...".
QString damagedArchiveReason(const QString& detail);
