#pragma once

#include "base/FileIdentity.h"
#include "base/FileProblem.h"

#include <QString>

#include <memory>
#include <optional>

// Why a listed file could not be read, as its row in the result says it.
struct SourceFailure {
    QString reason;
    FileProblem problem = FileProblem::NotReadable;
};

// A listed file opened for reading from its start: a file on the disk, or a member of a zip
// archive, read in place (unpacked as it is read, never written anywhere).
class SourceFile {
public:
    virtual ~SourceFile() = default;

    // Reads up to `size` bytes into `into`: how many it read, 0 at the end, or -1 when reading
    // failed, as `failure` then says. A member is only known whole at its end, where its size
    // and CRC are checked: what it gave before may be of no use.
    virtual qint64 read(char* into, qint64 size) = 0;
    // How many bytes it holds (a member unpacked, as its archive's directory says).
    virtual qint64 size() const = 0;
    const SourceFailure& failure() const { return m_failure; }

protected:
    qint64 failed(SourceFailure failure) {
        m_failure = std::move(failure);
        return -1;
    }

private:
    SourceFailure m_failure;
};

// A listed file opened, or why it could not be.
struct OpenedSource {
    std::unique_ptr<SourceFile> file;
    SourceFailure failure;
};

// Opens what a listed path names. A member ("march.zip!/invoices/0001.xml") is refused when it
// is encrypted, compressed otherwise than stored or deflated, an archive itself, too large when
// unpacked (past 1 GB at more than 100 to 1), or its name is not readable; an archive listed
// itself, whose members could not be listed, is a failure naming the archive.
OpenedSource openSource(const QString& listed);

// What the file a listed path names was at this moment, for work done on it ahead of its turn:
// the identity of the file, or of a member's archive; nothing for what is not a regular file of
// at most `largestSize` bytes (a member's unpacked size counts) or cannot be examined.
std::optional<FileIdentity> sourceIdentity(const QString& listed, qint64 largestSize);

// The size in bytes of what a listed path names (a member's unpacked size); -1 when it cannot
// be told.
qint64 sourceSize(const QString& listed);

// Closes the archives that the threads reading members keep open for their next members: a run
// calls it at its end, once the threads reading for it are over, so that no archive stays open
// between runs.
void letGoOfArchives();

// The file on the disk that a listed path is read from: a member's archive, otherwise the path.
QString fileOnDiskOf(const QString& listed);
