#include "spreadsheet/CsvReadAhead.h"

#include "base/WorkTexts.h"

namespace {
ReadAhead<OpenedCsv>::Plan readingPlan(const WorkTexts* texts) {
    ReadAhead<OpenedCsv>::Plan plan;
    plan.takes = [](int) { return true; };
    // A file that cannot be read is left to be opened where its failure is reported.
    plan.work = [texts](const QString& path) -> std::optional<OpenedCsv> {
        return openCsv(path, texts);
    };
    plan.heldInMemory = [texts](const QString& path) { return texts && texts->held(path); };
    plan.filesAhead = 8;
    // A file the second thread has not begun is opened by the caller, so both threads keep busy.
    plan.waitForUnbegun = false;
    return plan;
}
} // namespace

CsvReadAhead::CsvReadAhead(QStringList paths, const WorkTexts* texts)
    : m_ahead(std::move(paths), readingPlan(texts)) {}

std::optional<OpenedCsv> CsvReadAhead::take(const QString& path) {
    return m_ahead.take(path);
}
