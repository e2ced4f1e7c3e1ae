#include "archive/MemberPath.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QLatin1String kSeparator("!/");
const QLatin1String kArchiveEnding(".zip");

// Where the member's part begins at each "<name>.zip!/" of `listed`, from the left; -1 after
// the last.
qsizetype nextMemberStart(const QString& listed, qsizetype from) {
    for (qsizetype at = listed.indexOf(kSeparator, from); at >= 0;
         at = listed.indexOf(kSeparator, at + 1))
        if (QStringView(listed).left(at).endsWith(kArchiveEnding, Qt::CaseInsensitive) &&
            at + kSeparator.size() < listed.size())
            return at + kSeparator.size();
    return -1;
}
} // namespace

QString MemberPath::text() const {
    return archive + kSeparator + member;
}

bool isArchiveName(const QString& path) {
    return path.endsWith(kArchiveEnding, Qt::CaseInsensitive);
}

std::optional<MemberPath> memberPathOf(const QString& listed) {
    for (qsizetype start = nextMemberStart(listed, 0); start >= 0;
         start = nextMemberStart(listed, start)) {
        const QString archive = listed.left(start - kSeparator.size());
        if (QFileInfo(archive).isFile())
            return MemberPath{archive, listed.mid(start)};
    }
    return std::nullopt;
}

QString nativeListedPath(const QString& listed) {
    if (QDir::separator() == QLatin1Char('/'))
        return listed;
    // Decided by the name alone: a list of thousands of members is not examined on the disk
    // member by member, and a "/" left in a real file's path still reaches it.
    const qsizetype start = nextMemberStart(listed, 0);
    if (start < 0)
        return QDir::toNativeSeparators(listed);
    return QDir::toNativeSeparators(listed.left(start - kSeparator.size())) + kSeparator +
           listed.mid(start);
}
