#include "archive/SourceFile.h"

#include "archive/ArchiveMember.h"
#include "archive/MemberPath.h"
#include "archive/ReadOnlyFile.h"
#include "base/RuntimeError.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace {
class DiskFile final : public SourceFile {
public:
    explicit DiskFile(const QString& path) { openReadOnly(m_file, path); }

    qint64 read(char* into, qint64 size) override {
        const qint64 got = m_file.read(into, size);
        if (got < 0)
            return failed({QStringLiteral("cannot be read (%1)").arg(m_file.errorString()),
                           FileProblem::NotReadable});
        return got;
    }
    qint64 size() const override { return m_file.size(); }

private:
    QFile m_file;
};

struct FoundMember {
    KnownArchive archive;
    const ArchiveEntry* entry;
};

// The member a listed path names, in its archive's directory; raises a RuntimeError when the
// archive cannot be read or has no such member.
FoundMember findMember(const MemberPath& member) {
    KnownArchive archive = knownArchive(member.archive);
    const ArchiveEntry* entry = archive.directory->find(member.member);
    if (!entry)
        throw RuntimeError(QStringLiteral("cannot be read (the archive %1 holds no member %2)")
                               .arg(member.archive, member.member),
                           0, FileProblem::NotReadable);
    return {std::move(archive), entry};
}

std::unique_ptr<SourceFile> openListed(const QString& listed) {
    if (const std::optional<MemberPath> member = memberPathOf(listed)) {
        // A folder "march.zip!" beside the archive could hold a file of the very same name:
        // which one the row meant cannot be told.
        if (QFileInfo::exists(listed))
            throw RuntimeError(QStringLiteral("cannot be read (a file and a member of the "
                                              "archive %1 both go by this name)")
                                   .arg(member->archive),
                               0, FileProblem::NotReadable);
        const FoundMember found = findMember(*member);
        if (const std::optional<SourceFailure> refusal = refusalOf(*found.entry))
            throw RuntimeError(refusal->reason, 0, refusal->problem);
        return openMember(member->archive, found.archive, *found.entry);
    }
    // An archive stands in the list itself only when its members could not be listed; this
    // says why.
    if (isArchiveName(listed) && QFileInfo(listed).isFile()) {
        archiveDirectory(listed);
        throw RuntimeError(QStringLiteral("an archive whose members were not listed: add it to "
                                          "the list again to list them"));
    }
    return std::make_unique<DiskFile>(listed);
}
} // namespace

OpenedSource openSource(const QString& listed) {
    try {
        return {openListed(listed), {}};
    } catch (const RuntimeError& error) {
        return {nullptr, {error.description(), error.problem()}};
    }
}

std::optional<FileIdentity> sourceIdentity(const QString& listed, qint64 largestSize) {
    const std::optional<MemberPath> member = memberPathOf(listed);
    if (!member)
        return isArchiveName(listed) ? std::nullopt : smallRegularFileIdentity(listed, largestSize);
    try {
        const FoundMember found = findMember(*member);
        if (found.entry->uncompressedSize > static_cast<std::uint64_t>(largestSize) ||
            refusalOf(*found.entry))
            return std::nullopt;
        return found.archive.identity;
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

qint64 sourceSize(const QString& listed) {
    if (const std::optional<MemberPath> member = memberPathOf(listed)) {
        try {
            const std::uint64_t size = findMember(*member).entry->uncompressedSize;
            return size > static_cast<std::uint64_t>(std::numeric_limits<qint64>::max())
                       ? -1
                       : static_cast<qint64>(size);
        } catch (const RuntimeError&) {
            return -1;
        }
    }
    const QFileInfo info(listed);
    return info.isFile() ? info.size() : -1;
}

void letGoOfArchives() {
    closeArchivesKeptOpen();
}

QString fileOnDiskOf(const QString& listed) {
    const std::optional<MemberPath> member = memberPathOf(listed);
    return member ? member->archive : listed;
}
