#include "import/RunSummary.h"

#include "import/ImportResult.h"

QString valueTypeName(ValueType type) {
    switch (type) {
    case ValueType::Number:
        return QStringLiteral("number");
    case ValueType::Date:
        return QStringLiteral("date");
    case ValueType::Text:
        return QStringLiteral("text");
    case ValueType::Empty:
        break;
    }
    return QStringLiteral("empty");
}

QString sendOptionName(const RunSummary& summary) {
    switch (summary.sendMode) {
    case SendMode::OneSheet:
        return QStringLiteral("one sheet");
    case SendMode::MultipleSheets:
        return summary.route == ImportRoute::Database ? QStringLiteral("one sheet per table")
                                                      : QStringLiteral("one sheet per file");
    case SendMode::None:
        break;
    }
    return {};
}

QString outcomeName(const FileOutcome& file) {
    if (file.imported)
        return QStringLiteral("imported");
    switch (file.problem) {
    case FileProblem::NotWellFormed:
        return QStringLiteral("not well-formed");
    case FileProblem::NotReadable:
        return QStringLiteral("not readable");
    case FileProblem::NotRegularFile:
        return QStringLiteral("not a regular file");
    case FileProblem::ChangedWhileRead:
        return QStringLiteral("changed while read");
    case FileProblem::TooWide:
        return QStringLiteral("too wide for a table");
    case FileProblem::OutOfMemory:
        return QStringLiteral("not enough memory");
    case FileProblem::Encrypted:
        return QStringLiteral("encrypted");
    case FileProblem::UnsupportedCompression:
        return QStringLiteral("unsupported compression");
    case FileProblem::DamagedMember:
        return QStringLiteral("damaged (size or CRC does not match)");
    case FileProblem::TooLargeUnpacked:
        return QStringLiteral("too large when unpacked");
    case FileProblem::ArchiveInArchive:
        return QStringLiteral("archive inside an archive");
    case FileProblem::NameNotReadable:
        return QStringLiteral("name not readable");
    case FileProblem::DamagedArchive:
        return QStringLiteral("damaged archive");
    case FileProblem::Failed:
        break;
    }
    return QStringLiteral("failed");
}
