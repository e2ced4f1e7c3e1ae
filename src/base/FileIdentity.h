#pragma once

#include <QString>

#include <array>
#include <optional>

// What a file was at one moment: its device, inode, size and times of change. Two readings
// differ when the file was written or replaced in between.
struct FileIdentity {
    std::array<long long, 7> fields{};

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of a regular file of at most `largestSize` bytes; nothing for a larger file,
// for anything that is not a regular file (a FIFO or device would block whoever reads it), and
// for a path that cannot be examined.
std::optional<FileIdentity> smallRegularFileIdentity(const QString& path, qint64 largestSize);
