#include "spreadsheet/CsvReadAhead.h"

namespace {
ReadAhead<OpenedCsv>::Plan readingPlan() {
    ReadAhead<OpenedCsv>::Plan plan;
    plan.takes = [](int) { return true; };
    // A file that cannot be read is left to be opened where its failure is reported.
    plan.work = [](const QString& path) -> std::optional<OpenedCsv> { return openCsvFile(path); };
    plan.filesAhead = 8;
    // A file the second thread has not begun is opened by the caller, so both threads keep busy.
    plan.waitForUnbegun = false;
    return plan;
}
} // namespace

CsvReadAhead::CsvReadAhead(QStringList paths) : m_ahead(std::move(paths), readingPlan()) {}

std::optional<OpenedCsv> CsvReadAhead::take(const QString& path) {
    return m_ahead.take(path);
}
