#include "import/SummarySheet.h"

#include "import/ImportResult.h"
#include "sheet/Workbook.h"

#include <initializer_list>
#include <string>

namespace {
// Fills a sheet row by row, each value as a cell takes it.
class RowWriter {
public:
    explicit RowWriter(Worksheet& sheet) : m_sheet(sheet) {}

    int row() const { return m_row; }
    // Whether the rows written from now on do not fit.
    bool full() const { return m_row >= kMaxRows; }

    void write(std::initializer_list<QString> values) {
        // The last row is kept to say what did not fit.
        if (full()) {
            ++m_left;
            return;
        }
        int column = 1;
        for (const QString& value : values)
            m_sheet.cells().setText(m_row, column++, value.toStdString());
        ++m_row;
    }
    void skip() {
        if (m_row < kMaxRows)
            ++m_row;
    }
    // Says on the last row how many rows did not fit, when any did not.
    void finish() {
        if (m_left > 0)
            m_sheet.cells().setText(
                kMaxRows, 1,
                QStringLiteral("%1 more rows do not fit on this sheet").arg(m_left).toStdString());
    }

private:
    Worksheet& m_sheet;
    int m_row = 1;
    std::int64_t m_left = 0;
};

QString number(std::int64_t value) {
    return QString::number(value);
}
// A count that may be unknown (-1) is left empty.
QString knownNumber(std::int64_t value) {
    return value < 0 ? QString() : number(value);
}
QString yesNo(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QString routeName(ImportRoute route) {
    return route == ImportRoute::Database ? QStringLiteral("through the work database")
                                          : QStringLiteral("flattening");
}

void writeRun(RowWriter& rows, const ImportResult& result) {
    const RunSummary& summary = *result.summary;
    const auto imported = static_cast<std::int64_t>(result.importedCount());
    const auto listed = static_cast<std::int64_t>(result.files.size());
    rows.write({QStringLiteral("Run")});
    // A date and time the cell reads as one.
    rows.write({QStringLiteral("Started"),
                summary.started.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))});
    rows.write({QStringLiteral("Route"), routeName(summary.route)});
    rows.write({QStringLiteral("Send option"), sendOptionName(summary)});
    if (summary.route == ImportRoute::Database) {
        rows.write({QStringLiteral("Tables joined"), yesNo(summary.mergesTables)});
        if (summary.mergesTables)
            rows.write({QStringLiteral("Folded"), yesNo(summary.foldsTables)});
    }
    rows.write({QStringLiteral("Files listed"), number(listed)});
    rows.write({QStringLiteral("Files imported"), number(imported)});
    rows.write({QStringLiteral("Files failed"), number(listed - imported)});
    rows.write({QStringLiteral("Sheets written"), number(summary.sheets)});
    rows.write({QStringLiteral("Cells written"), number(summary.cells)});
    rows.write({QStringLiteral("Seconds"), QString::number(summary.seconds, 'f', 3)});
}

void writeFiles(RowWriter& rows, const ImportResult& result) {
    const bool database = result.summary->route == ImportRoute::Database;
    rows.write({QStringLiteral("Files")});
    rows.write({QStringLiteral("File"), QStringLiteral("Outcome"), QStringLiteral("Reason"),
                QStringLiteral("Line"), QStringLiteral("Position"), QStringLiteral("Bytes"),
                database ? QStringLiteral("Rows") : QStringLiteral("Values")});
    for (const FileOutcome& file : result.files) {
        const bool where = !file.imported && file.line > 0;
        rows.write({file.path, outcomeName(file), file.imported ? QString() : file.reason,
                    where ? number(file.line) : QString(),
                    where ? number(file.position) : QString(), knownNumber(file.bytes),
                    file.imported ? number(file.given) : QString()});
    }
}

void writeTables(RowWriter& rows, Worksheet& sheet, const RunSummary& summary) {
    rows.write({QStringLiteral("Tables")});
    rows.write({QStringLiteral("Table"), QStringLiteral("Sheets"), QStringLiteral("Rows"),
                QStringLiteral("Columns"), QStringLiteral("Files")});
    for (const RunSummary::Table& table : summary.tables) {
        if (!table.sheets.isEmpty() && !rows.full())
            sheet.addLink(rows.row(), 1, table.sheets.first(), table.firstRow, 1);
        rows.write({table.name, table.sheets.join(QStringLiteral(", ")), number(table.rows),
                    number(table.columns), number(table.files)});
    }
}

void writeColumns(RowWriter& rows, const RunSummary& summary) {
    rows.write({QStringLiteral("Columns")});
    rows.write({QStringLiteral("Table"), QStringLiteral("Column"), QStringLiteral("Type"),
                QStringLiteral("Files"), QStringLiteral("Of files"), QStringLiteral("Values"),
                QStringLiteral("Empty"), QStringLiteral("First file"), QStringLiteral("Example")});
    for (const RunSummary::Column& column : summary.columns)
        rows.write({column.table, column.column, valueTypeName(column.type), number(column.files),
                    number(column.tableFiles), number(column.values), number(column.empty),
                    column.firstFile, column.example});
}

void writePaths(RowWriter& rows, const RunSummary& summary) {
    rows.write({QStringLiteral("Element paths")});
    rows.write({QStringLiteral("Path"), QStringLiteral("Files"), QStringLiteral("Values"),
                QStringLiteral("Type"), QStringLiteral("First file")});
    for (const RunSummary::Path& path : summary.paths)
        rows.write({path.path, number(path.files), number(path.values), valueTypeName(path.type),
                    path.firstFile});
}
} // namespace

void addSummarySheet(Workbook& workbook, const ImportResult& result) {
    // A new sheet goes in before the active one.
    workbook.activate(1);
    Worksheet& sheet = workbook.addSheet();
    workbook.renameSheet(sheet, workbook.freeNameFor(sheet, QStringLiteral("Summary")));
    // It stands first: its thousands of paths in the shared list would lengthen the number of
    // every text cell of the sheets after it.
    sheet.setKeepsTextsInCells(true);
    RowWriter rows(sheet);
    writeRun(rows, result);
    rows.skip();
    writeFiles(rows, result);
    rows.skip();
    if (result.summary->route == ImportRoute::Database) {
        writeTables(rows, sheet, *result.summary);
        rows.skip();
        writeColumns(rows, *result.summary);
    } else {
        writePaths(rows, *result.summary);
    }
    rows.finish();
    sheet.selectRange(QStringLiteral("A1"));
}
