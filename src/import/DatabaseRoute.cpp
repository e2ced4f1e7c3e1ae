#include "import/DatabaseRoute.h"

#include "base/ErrorReport.h"
#include "base/RuntimeError.h"
#include "database/DatabaseApplication.h"
#include "database/DatabaseEngine.h"
#include "database/MergedTableImport.h"
#include "database/XmlTableImport.h"
#include "import/Access1.h"
#include "import/EventsWhileWaiting.h"
#include "import/Excel1.h"
#include "import/ImportResult.h"
#include "import/ImportSurface.h"
#include "import/TableTally.h"
#include "sheet/Worksheet.h"
#include "spreadsheet/SpreadsheetApplication.h"

#include <QSet>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {
// Imports every listed file; gives the tables made. Where a table holds the values of one file
// only, as tables by file do, `owners` has that file's place in the result's files.
// NOLINTBEGIN(readability-function-size): numbered steps, which an error report names by
// number, kept in one piece in the order they run.
QStringList importIntoDatabase(ImportSurface& surface, Dialogs& dialogs,
                               const QString& databasePath, WorkDatabaseOwner owner,
                               ReportingProcedure& procedure, ImportResult& result,
                               QHash<QString, qsizetype>& owners) {
    // Dropping the thousands of tables an earlier run left is long work for the engine. The
    // session drops those of the runs in a database of the user's itself, and only when it
    // keeps what it imported.
    procedure.step(108, [&] {
        if (owner == WorkDatabaseOwner::User)
            return;
        HeldMessages held;
        runWhileEventsRun(surface, [&] { ClearWorkDatabase(databasePath, QString(), held); });
        held.showTo(dialogs);
    });
    std::unique_ptr<DatabaseApplication> database;
    procedure.step(110, [&] {
        database =
            std::make_unique<DatabaseApplication>(surface.mergesTables(), surface.foldsTables());
        database->setVisible(true);
    });
    procedure.step(112, [&] { mustBeSet(database.get()).OpenCurrentDatabase(databasePath); });
    const int count = surface.fileCount();
    // Shared tables take their shape from every file before the first is stored. A file whose
    // survey fails, for want of memory or otherwise, is not imported: its tables would take a
    // shape that no survey gave them.
    QHash<int, StepFailure> unsurveyed;
    if (surface.mergesTables())
        for (int i = 1; i <= count; ++i) {
            surface.processEvents();
            const size_t failuresBefore = result.failures.size();
            procedure.setAboutFile(surface.fileAt(i));
            procedure.step(113, [&] { mustBeSet(database.get()).surveyXml(surface.fileAt(i)); });
            procedure.setAboutFile({});
            if (result.failures.size() > failuresBefore) {
                unsurveyed.insert(i, result.failures.back());
                result.failures.resize(failuresBefore);
            }
        }
    for (int i = 1; i <= count; ++i) {
        // A run of thousands of files keeps its window painting; the window refuses a second
        // run and changes of the list meanwhile.
        surface.processEvents();
        surface.readingFile(i, count, 0);
        FileOutcome& outcome = result.files.emplace_back(surface.fileAt(i));
        if (const auto failed = unsurveyed.constFind(i); failed != unsurveyed.cend()) {
            outcome.failedFor(*failed);
            continue;
        }
        const size_t failuresBefore = result.failures.size();
        procedure.setAboutFile(outcome.path);
        // Each table a file adds costs the engine more the more tables there are already.
        procedure.step(114, [&] {
            try {
                DatabaseApplication& application = mustBeSet(database.get());
                const qsizetype tablesBefore = application.importedTables().size();
                runWhileEventsRun(surface, [&] { application.ImportXml(outcome.path); });
                outcome.imported = true;
                if (!surface.mergesTables())
                    for (qsizetype t = tablesBefore; t < application.importedTables().size(); ++t)
                        owners.insert(application.importedTables().at(t),
                                      static_cast<qsizetype>(result.files.size()) - 1);
            } catch (const XmlFileError& error) {
                outcome.failedToRead(error.xmlError());
                throw;
            }
        });
        result.claimFailures(outcome, failuresBefore);
        procedure.setAboutFile({});
    }
    QStringList made;
    const size_t failuresBefore = result.failures.size();
    // Committing thousands of tables takes the engine a while, in one call.
    procedure.step(116, [&] {
        runWhileEventsRun(surface, [&] {
            made = mustBeSet(database.get()).importedTables();
            database->quit();
        });
    });
    // A session that cannot be committed keeps nothing: no file was imported after all.
    if (result.failures.size() > failuresBefore) {
        made.clear();
        for (FileOutcome& file : result.files)
            if (file.imported)
                file.failedFor(result.failures.back());
    }
    return made;
}
// NOLINTEND(readability-function-size)

// What a table being written is taken back to should it fail: the sheet its rows begin on (the
// first of the run of sheets, or one that carries it on), how far that sheet had come, and how
// many sheets carried the first one on before.
struct TakingOut {
    Worksheet* first;
    Worksheet* begun;
    CellStore::Mark cells;
    size_t continuations;
};

// Where the next row of the route goes: a sheet of the run of sheets that begins with the
// one the route writes to (0 that sheet, 1 its first continuation, ...), and a row of it.
struct TablePlace {
    int sheet = 0;
    int row = 1;
};

// Writes a table's rows from `place` on as they are read, each field into a cell of its own and
// an empty text right of the last field. A row beyond a sheet's last goes on in the next sheet
// of the run, which `sheetAt` gives, under the table's row of names again, so that each sheet
// stands on its own. A table with a `title` has it in a row of its own above its names, so that
// tables stacked on one sheet can be told apart. Notes in `shortfall` the values that a cell
// took only in part, and leaves `place` after the last row written.
//
// A column is one type: numbers or dates only when every value of it is one, texts otherwise,
// so that a sum over it never skips a text silently. Each value is read as a cell takes it while
// the rows pass; a column found to hold more than one type is made texts at the end, which
// loses nothing, since a number or date cell shows exactly the text it was read from. A path,
// or the whole text of an element with markup, is a text from the start.
class TableWriter {
public:
    // `tally`, when given, counts what the table holds as its rows pass.
    TableWriter(TablePlace& place, std::function<Worksheet&(int index)> sheetAt,
                ImportSurface& surface, SheetShortfall& shortfall, std::string title = {},
                TableTally* tally = nullptr)
        : m_place(place), m_begun(place), m_sheetAt(std::move(sheetAt)), m_surface(surface),
          m_shortfall(shortfall), m_sheet(&m_sheetAt(place.sheet)), m_title(std::move(title)),
          m_tally(tally) {}

    // The row of names first, then every record.
    void write(std::span<const std::string_view> fields) {
        m_surface.processEvents();
        const bool names = !m_namesTaken;
        if (names) {
            m_names.assign(fields.begin(), fields.end());
            m_columns.assign(fields.size(), ColumnTypes());
            for (size_t f = 0; f < m_names.size(); ++f)
                m_columns[f].texts = isTextColumn(m_names, f);
            m_namesTaken = true;
            if (m_tally)
                m_tally->names(m_names);
        } else if (m_tally) {
            m_tally->record(fields);
        }
        if (names && !m_title.empty()) {
            goOnWhenFull();
            writeRow(std::vector<std::string_view>{m_title});
        }
        if (goOnWhenFull() && !names)
            writeRow(std::vector<std::string_view>(m_names.begin(), m_names.end()));
        writeRow(fields, !names);
    }

    // The type of each column, once the last record is written.
    std::vector<ValueType> columnTypes() const {
        std::vector<ValueType> types;
        for (const ColumnTypes& column : m_columns)
            types.push_back(column.isMixed() || column.texts ? ValueType::Text
                            : column.numbers                 ? ValueType::Number
                            : column.dates                   ? ValueType::Date
                                                             : ValueType::Empty);
        return types;
    }

    // After the last record: makes every column that holds more than one type texts alone.
    void finish() {
        std::vector<int> mixed;
        for (size_t c = 0; c < m_columns.size(); ++c)
            if (m_columns[c].isMixed())
                mixed.push_back(static_cast<int>(c) + 1);
        if (mixed.empty())
            return;
        // The names and the title are texts already, so every row of the table may be passed.
        for (int index = m_begun.sheet; index <= m_place.sheet; ++index) {
            CellStore& cells = m_sheetAt(index).cells();
            const int first = index == m_begun.sheet ? m_begun.row : 1;
            const int last = std::min(index == m_place.sheet ? m_place.row - 1 : kMaxRows,
                                      cells.storedRowCount());
            for (int row = first; row <= last; ++row) {
                m_surface.processEvents();
                for (const int column : mixed)
                    cells.turnIntoText(row, column);
            }
        }
    }

private:
    // Moves to the next sheet of the run when this one is full; says whether it did.
    bool goOnWhenFull() {
        if (m_place.row <= kMaxRows)
            return false;
        ++m_place.sheet;
        m_place.row = 1;
        m_sheet = &m_sheetAt(m_place.sheet);
        return true;
    }

    // What types of values a column has held.
    struct ColumnTypes {
        bool numbers = false;
        bool dates = false;
        bool texts = false;

        void note(Cell::Kind kind) {
            numbers = numbers || kind == Cell::Kind::Number;
            dates = dates || kind == Cell::Kind::Date;
            texts = texts || kind == Cell::Kind::Text;
        }
        bool isMixed() const { return int(numbers) + int(dates) + int(texts) > 1; }
    };

    void writeRow(std::span<const std::string_view> fields, bool record = false) {
        CellStore& cells = m_sheet->cells();
        for (size_t f = 0; f <= fields.size(); ++f) {
            m_surface.processEvents();
            const int column = static_cast<int>(f) + 1;
            const std::string_view value = f < fields.size() ? fields[f] : std::string_view();
            const qint64 charactersCut = cells.setText(m_place.row, column, value);
            if (charactersCut > 0)
                m_shortfall.cutCells.push_back({m_place.row, column, charactersCut, m_place.sheet});
            if (record && !value.empty() && f < m_columns.size())
                m_columns[f].note(cells.cell(m_place.row, column)->kind);
        }
        ++m_place.row;
    }

    TablePlace& m_place;
    const TablePlace m_begun;
    std::function<Worksheet&(int index)> m_sheetAt;
    ImportSurface& m_surface;
    SheetShortfall& m_shortfall;
    Worksheet* m_sheet;
    std::string m_title;
    std::vector<std::string> m_names;
    std::vector<ColumnTypes> m_columns;
    bool m_namesTaken = false;
    TableTally* m_tally;
};

// Where a written table stands in the workbook, to be named in the run's summary once every
// sheet has its last name: the sheets of the run that begins with `first`, from `fromSheet` (0
// that sheet, 1 its first continuation) to `toSheet`, its block beginning at `row`.
struct PlacedTable {
    std::size_t summarised;
    const Worksheet* first;
    int fromSheet;
    int toSheet;
    int row;
};

// Names in the run's summary the sheets each table went to.
void nameTablesSheets(const std::vector<PlacedTable>& placed, const Workbook& workbook,
                      RunSummary& summary) {
    // Asked of thousands of tables, one set of the sheets beats a walk over them for each.
    std::unordered_set<const Worksheet*> present;
    for (int i = 1; i <= workbook.sheetCount(); ++i)
        present.insert(&workbook.sheet(i));
    for (const PlacedTable& table : placed) {
        if (!present.contains(table.first))
            continue;
        RunSummary::Table& summarised = summary.tables.at(table.summarised);
        const std::vector<Worksheet*> continuations = workbook.continuationsOf(*table.first);
        int from = table.fromSheet;
        summarised.firstRow = table.row;
        // A block that begins just past a full sheet's last row begins on the next sheet.
        if (table.row > kMaxRows) {
            ++from;
            summarised.firstRow = 1;
        }
        for (int s = from; s <= table.toSheet; ++s) {
            const auto index = static_cast<std::size_t>(s);
            if (s == 0)
                summarised.sheets << table.first->name();
            else if (index - 1 < continuations.size())
                summarised.sheets << continuations[index - 1]->name();
        }
    }
}

// The files, as listed, whose values the merged table holds.
QStringList filesOf(const QString& table, DatabaseConnection& connection) {
    return distinctValues(table, QStringLiteral("#file"), connection);
}

// Takes the files whose values a table holds as not imported after all, for the failure that
// the last step reported (since `failuresBefore`): the failure is theirs then, no longer the
// run's. A table whose files cannot be told leaves it the run's.
void tableNotWritten(const QString& table, const QHash<QString, qsizetype>& owners,
                     DatabaseConnection* connection, ImportResult& result, size_t failuresBefore) {
    if (result.failures.size() <= failuresBefore)
        return;
    QSet<QString> paths;
    if (const auto owner = owners.constFind(table); owner != owners.cend()) {
        paths.insert(result.files.at(static_cast<size_t>(*owner)).path);
    } else if (connection) {
        try {
            const QStringList listed = filesOf(table, *connection);
            paths = QSet<QString>(listed.begin(), listed.end());
        } catch (...) {
            return;
        }
    }
    const StepFailure why = result.failures.back();
    bool claimed = false;
    for (FileOutcome& file : result.files)
        if (paths.contains(file.path)) {
            file.failedFor(why);
            claimed = true;
        }
    if (claimed)
        result.failures.resize(failuresBefore);
}
// The second half of the route: the tables the import made, written into a new workbook of a
// visible spreadsheet application, one sheet per table or one below the other on one sheet.
class TablesIntoWorkbook {
public:
    TablesIntoWorkbook(ImportSurface& surface, SpreadsheetApplications& applications,
                       const QString& databasePath, ReportingProcedure& procedure,
                       ImportResult& result, const QHash<QString, qsizetype>& owners)
        : m_surface(surface), m_applications(applications), m_databasePath(databasePath),
          m_procedure(procedure), m_result(result), m_owners(owners),
          m_summing(result.summary.has_value()),
          m_sheetPerTable(surface.sendMode() == SendMode::MultipleSheets),
          m_titled(!m_sheetPerTable && surface.mergesTables()) {
        if (m_summing && surface.mergesTables())
            m_fileIndexes = fileIndexesOf(result.files);
    }

    // Steps 118 to 122: the workbook shown, the tables that are there, one connection to them.
    void openWorkbookAndTables(const QStringList& made, Dialogs& dialogs);
    // Steps 124 to 132, for each table: its sheet, its name, its rows, or its taking out.
    void writeEveryTable();
    // Steps 134 to 138: the new workbook's spare sheets gone, and what went on or was cut told.
    void tidyAndTell();

private:
    void writeTable(const QString& table, const TablePlace& begun,
                    std::optional<TakingOut>& takingOut);

    ImportSurface& m_surface;
    SpreadsheetApplications& m_applications;
    const QString& m_databasePath;
    ReportingProcedure& m_procedure;
    ImportResult& m_result;
    const QHash<QString, qsizetype>& m_owners;
    // What the tables hold is counted as they are written, when the run gathers a summary.
    const bool m_summing;
    const bool m_sheetPerTable;
    // Merged tables stacked on one sheet are many and alike: each block is titled.
    const bool m_titled;
    FileIndexes m_fileIndexes;

    Workbook* m_workbook = nullptr;
    // The route writes to the sheets it made, whatever the user looks at meanwhile.
    std::optional<BeingFilled> m_filling;
    Worksheet* m_sheet = nullptr;
    QStringList m_tables;
    std::optional<DatabaseConnection> m_connection;
    TablePlace m_place;
    std::vector<PlacedTable> m_placed;
    // Values that a cell took only in part, with the sheet that holds them.
    std::vector<std::pair<SheetShortfall, const Worksheet*>> m_shortfalls;
    // The sheets written to, to tell at the end which ones went on in further sheets.
    std::vector<const Worksheet*> m_written;
};

void TablesIntoWorkbook::openWorkbookAndTables(const QStringList& made, Dialogs& dialogs) {
    m_procedure.step(118, [&] {
        std::shared_ptr<SpreadsheetApplication> spreadsheet = m_applications.create();
        spreadsheet->setVisible(true);
        spreadsheet->setDisplayAlerts(false);
        m_workbook = &spreadsheet->addWorkbook();
        m_result.spreadsheet = spreadsheet;
        m_surface.showAgain();
    });
    if (m_workbook)
        m_filling.emplace(*m_workbook);
    m_sheet = m_workbook ? &m_workbook->activeSheet() : nullptr;
    // The engine reads the whole schema at once, a while for thousands of tables.
    m_procedure.step(120, [&] {
        QStringList listed;
        HeldMessages held;
        runWhileEventsRun(m_surface,
                          [&] { listed = WorkTableNames(m_databasePath, QString(), held); });
        held.showTo(dialogs);
        const QSet<QString> present(listed.begin(), listed.end());
        // In the order the import made them: a table the import rebuilt at its end stands
        // last in the engine's list.
        for (const QString& table : made)
            if (present.contains(table))
                m_tables << table;
    });
    // One connection reads every table: opening the database costs a reading of its whole
    // catalogue, which a run of many tables would otherwise pay once per table.
    if (!m_tables.isEmpty())
        m_procedure.step(122, [&] {
            runWhileEventsRun(m_surface, [&] {
                m_connection.emplace(openWorkDatabase(m_databasePath, QString()));
            });
        });
}

void TablesIntoWorkbook::writeEveryTable() {
    const auto count = static_cast<double>(m_tables.size());
    for (qsizetype k = 0; k < m_tables.size(); ++k) {
        const QString& table = m_tables.at(k);
        m_procedure.step(124, [&] {
            m_surface.writingOutput(static_cast<double>(k) / count);
            m_surface.setProgress(100.0 * static_cast<double>(k + 1) / count);
        });
        if (m_sheetPerTable)
            m_procedure.step(126, [&] {
                m_sheet = &mustBeSet(m_workbook).addSheet();
                m_place = TablePlace();
            });
        // Two tables alike in the characters a sheet's name keeps still get a sheet each.
        m_procedure.step(128, [&] {
            Workbook& book = mustBeSet(m_workbook);
            Worksheet& named = mustBeSet(m_sheet);
            book.renameSheet(named, book.freeNameFor(named, CleanSheetName(table)));
        });
        // A table that cannot be written whole, for want of memory or otherwise, is taken out
        // again and gives back what it took: the next table goes where it began, and the files
        // whose values it holds are failures of their own.
        const size_t failuresBefore = m_result.failures.size();
        const TablePlace begun = m_place;
        std::optional<TakingOut> takingOut;
        m_procedure.step(130, [&] { writeTable(table, begun, takingOut); });
        if (m_result.failures.size() <= failuresBefore)
            continue;
        if (takingOut)
            m_procedure.step(132, [&] {
                const std::vector<Worksheet*> continuations =
                    m_workbook->continuationsOf(*takingOut->first);
                for (size_t c = takingOut->continuations; c < continuations.size(); ++c)
                    m_workbook->deleteSheet(continuations[c]->name());
                takingOut->begun->cells().goBackTo(takingOut->cells);
                m_place = begun;
            });
        tableNotWritten(table, m_owners, m_connection ? &*m_connection : nullptr, m_result,
                        failuresBefore);
    }
    m_surface.writingOutput(1.0);
}

// Rows pass from the database to the cells one at a time, so that a table of any size takes
// little memory. `takingOut` says, while the table is written, what to take it back to.
void TablesIntoWorkbook::writeTable(const QString& table, const TablePlace& begun,
                                    std::optional<TakingOut>& takingOut) {
    SheetShortfall shortfall;
    shortfall.source = QStringLiteral("The table ") + table;
    Worksheet& first = mustBeSet(m_sheet);
    shortfall.sheet = first.name();
    if (m_written.empty() || m_written.back() != &first)
        m_written.push_back(&first);
    const auto sheetAt = [this, &first](int index) -> Worksheet& {
        return index == 0 ? first : m_workbook->continuation(first, index);
    };
    takingOut.emplace(TakingOut{&first, &sheetAt(begun.sheet), sheetAt(begun.sheet).cells().mark(),
                                m_workbook->continuationsOf(first).size()});
    std::optional<TableTally> tally;
    if (m_summing) {
        const auto ownedBy = m_owners.constFind(table);
        tally.emplace(m_fileIndexes, ownedBy == m_owners.cend()
                                         ? std::nullopt
                                         : std::optional(static_cast<size_t>(*ownedBy)));
    }
    TableWriter writer(m_place, sheetAt, m_surface, shortfall,
                       m_titled ? table.toStdString() : std::string(), tally ? &*tally : nullptr);
    const auto take = [&](std::span<const std::string_view> fields) { writer.write(fields); };
    if (m_connection) {
        ReadTableRows(table, *m_connection, take);
    } else {
        DatabaseConnection own = openWorkDatabase(m_databasePath, QString());
        ReadTableRows(table, own, take);
    }
    writer.finish();
    if (!shortfall.isEmpty())
        m_shortfalls.push_back({std::move(shortfall), &first});
    if (tally) {
        tally->addTo(table, writer.columnTypes(), m_result.files, *m_result.summary);
        m_placed.push_back(
            {m_result.summary->tables.size() - 1, &first, begun.sheet, m_place.sheet, begun.row});
    }
    m_result.tables << table;
    takingOut.reset();
}

void TablesIntoWorkbook::tidyAndTell() {
    m_procedure.step(134, [&] { mustBeSet(m_workbook).deleteSheet(QStringLiteral("Sheet2")); });
    m_procedure.step(136, [&] { mustBeSet(m_workbook).deleteSheet(QStringLiteral("Sheet3")); });
    // Told at the end, when the one sheet has its last name.
    m_procedure.step(138, [&] {
        // The few sheets that went on are found in one pass: asking each of thousands of
        // tables' sheets would walk every sheet for every table.
        std::unordered_set<const Worksheet*> wentOn;
        for (int i = 1; i <= mustBeSet(m_workbook).sheetCount(); ++i)
            if (const Worksheet* full = m_workbook->sheet(i).continues())
                wentOn.insert(full);
        for (const Worksheet* full : m_written)
            if (wentOn.contains(full) && m_workbook->holds(*full))
                noteContinued(*m_workbook, *full, m_result);
        std::vector<SheetShortfall> told;
        for (auto& [shortfall, holder] : m_shortfalls) {
            // A sheet that was deleted since has no name to give.
            if (m_workbook->holds(*holder)) {
                shortfall.sheet = holder->name();
                shortfall.continuations = m_workbook->continuationNames(*holder);
            }
            told.push_back(std::move(shortfall));
        }
        raiseShortfalls(std::move(told), m_result);
    });
    if (m_summing && m_workbook)
        nameTablesSheets(m_placed, *m_workbook, *m_result.summary);
}
} // namespace

void routeThroughDatabase(ImportSurface& surface, Dialogs& dialogs,
                          SpreadsheetApplications& applications, const QString& databasePath,
                          WorkDatabaseOwner owner, ReportingProcedure& procedure,
                          ImportResult& result) {
    QHash<QString, qsizetype> owners;
    const QStringList made =
        importIntoDatabase(surface, dialogs, databasePath, owner, procedure, result, owners);
    TablesIntoWorkbook output(surface, applications, databasePath, procedure, result, owners);
    output.openWorkbookAndTables(made, dialogs);
    output.writeEveryTable();
    output.tidyAndTell();
}
