// Any bytes as a zip archive: its directory read, and every member read through to its end or
// refused with its reason; never a crash, and never more of a member than its directory says.
#include "FuzzInput.h"
#include "archive/ArchiveDirectory.h"
#include "archive/MemberPath.h"
#include "archive/SourceFile.h"
#include "base/RuntimeError.h"

#include <QFile>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A name of its own each time: a directory is kept while its archive looks unchanged, and
    // one written at the same size within the file system's tick would look so.
    static unsigned round = 0;
    const QByteArray name = "input" + QByteArray::number(++round) + ".zip";
    const QString archive = writeFuzzInput(name.constData(), data, size);
    try {
        const auto directory = archiveDirectory(archive);
        for (const ArchiveEntry& entry : directory->entries()) {
            const OpenedSource source = openSource(MemberPath{archive, entry.name}.text());
            if (!source.file) {
                if (source.failure.reason.isEmpty())
                    abort();
                continue;
            }
            static char piece[1 << 16];
            std::uint64_t total = 0;
            for (qint64 got; (got = source.file->read(piece, sizeof piece)) > 0;)
                if ((total += static_cast<std::uint64_t>(got)) > entry.uncompressedSize)
                    abort();
        }
    } catch (const RuntimeError& error) {
        if (error.description().isEmpty())
            abort();
    }
    letGoOfArchives();
    QFile::remove(archive);
    return 0;
}
