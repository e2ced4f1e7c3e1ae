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
    // A path not expected from here on is the caller's alone and lets nothing go.
    int index = m_searchFrom;
    while (index < m_ahead.size() && m_ahead.pathAt(index) != path)
        ++index;
    if (index >= m_ahead.size())
        return std::nullopt;
    m_searchFrom = index + 1;
    return m_ahead.take(index);
}
