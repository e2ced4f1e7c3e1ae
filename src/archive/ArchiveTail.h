#pragma once

#include <QByteArray>
#include <QtGlobal>

// The last bytes of an archive, where its end records are: minizip looks for them through the
// last 64 KB every time it opens the archive, which for each of thousands of members read one
// by one would be a hundred reads of the disk.
struct ArchiveTail {
    // The archive's size when its tail was read; a tail of another size is not used.
    qint64 fileSize = -1;
    QByteArray bytes;
};
