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
} // namespace

void routeThroughDatabase(ImportSurface& surface, Dialogs& dialogs,
                          SpreadsheetApplications& applications, const QString& databasePath,
                          WorkDatabaseOwner owner, ReportingProcedure& procedure,
                          ImportResult& result) {
    QHash<QString, qsizetype> owners;
    const QStringList made =
        importIntoDatabase(surface, dialogs, databasePath, owner, procedure, result, owners);

    std::shared_ptr<SpreadsheetApplication> spreadsheet;
    Workbook* workbook = nullptr;
    procedure.step(118, [&] {
        spreadsheet = applications.create();
        spreadsheet->setVisible(true);
        spreadsheet->setDisplayAlerts(false);
        workbook = &spreadsheet->addWorkbook();
        result.spreadsheet = spreadsheet;
        surface.showAgain();
    });
    // The route writes to the sheets it made, whatever the user looks at meanwhile.
    std::optional<BeingFilled> filling;
    if (workbook)
        filling.emplace(*workbook);
    Worksheet* sheet = workbook ? &workbook->activeSheet() : nullptr;
    QStringList tables;
    // The engine reads the whole schema at once, a while for thousands of tables.
    procedure.step(120, [&] {
        QStringList listed;
        HeldMessages held;
        runWhileEventsRun(surface, [&] { listed = WorkTableNames(databasePath, QString(), held); });
        held.showTo(dialogs);
        const QSet<QString> present(listed.begin(), listed.end());
        // In the order the import made them: a table the import rebuilt at its end stands
        // last in the engine's list.
        for (const QString& table : made)
            if (present.contains(table))
                tables << table;
    });
    // One connection reads every table: opening the database costs a reading of its whole
    // catalogue, which a run of many tables would otherwise pay once per table.
    std::optional<DatabaseConnection> connection;
    if (!tables.isEmpty())
        procedure.step(122, [&] {
            runWhileEventsRun(
                surface, [&] { connection.emplace(openWorkDatabase(databasePath, QString())); });
        });
    // What the tables hold is counted as they are written, when the run gathers a summary.
    const bool summing = result.summary.has_value();
    const FileIndexes fileIndexes =
        summing && surface.mergesTables() ? fileIndexesOf(result.files) : FileIndexes();
    std::vector<PlacedTable> placed;
    const bool sheetPerTable = surface.sendMode() == SendMode::MultipleSheets;
    // Merged tables stacked on one sheet are many and alike: each block is titled.
    const bool titled = !sheetPerTable && surface.mergesTables();
    // Values that a cell took only in part, with the sheet that holds them.
    std::vector<std::pair<SheetShortfall, const Worksheet*>> shortfalls;
    // The sheets written to, to tell at the end which ones went on in further sheets.
    std::vector<const Worksheet*> written;
    TablePlace place;
    for (qsizetype k = 0; k < tables.size(); ++k) {
        const QString& table = tables.at(k);
        procedure.step(124, [&] {
            surface.writingOutput(static_cast<double>(k) / static_cast<double>(tables.size()));
            surface.setProgress(100.0 * static_cast<double>(k + 1) /
                                static_cast<double>(tables.size()));
        });
        if (sheetPerTable)
            procedure.step(126, [&] {
                sheet = &mustBeSet(workbook).addSheet();
                place = TablePlace();
            });
        // Two tables alike in the characters a sheet's name keeps still get a sheet each.
        procedure.step(128, [&] {
            Workbook& book = mustBeSet(workbook);
            Worksheet& named = mustBeSet(sheet);
            book.renameSheet(named, book.freeNameFor(named, CleanSheetName(table)));
        });
        // Rows pass from the database to the cells one at a time, so that a table of any size
        // takes little memory. A table that cannot be written whole, for want of memory or
        // otherwise, is taken out again and gives back what it took: the next table goes where it
        // began, and the files whose values it holds are failures of their own.
        const size_t failuresBefore = result.failures.size();
        const TablePlace begun = place;
        std::optional<TakingOut> takingOut;
        procedure.step(130, [&] {
            SheetShortfall shortfall;
            shortfall.source = QStringLiteral("The table ") + table;
            Worksheet& first = mustBeSet(sheet);
            shortfall.sheet = first.name();
            if (written.empty() || written.back() != &first)
                written.push_back(&first);
            const auto sheetAt = [&](int index) -> Worksheet& {
                return index == 0 ? first : workbook->continuation(first, index);
            };
            takingOut.emplace(TakingOut{&first, &sheetAt(begun.sheet),
                                        sheetAt(begun.sheet).cells().mark(),
                                        workbook->continuationsOf(first).size()});
            std::optional<TableTally> tally;
            if (summing) {
                const auto ownedBy = owners.constFind(table);
                tally.emplace(fileIndexes, ownedBy == owners.cend()
                                               ? std::nullopt
                                               : std::optional(static_cast<size_t>(*ownedBy)));
            }
            TableWriter writer(place, sheetAt, surface, shortfall,
                               titled ? table.toStdString() : std::string(),
                               tally ? &*tally : nullptr);
            const auto take = [&](std::span<const std::string_view> fields) {
                writer.write(fields);
            };
            if (connection) {
                ReadTableRows(table, *connection, take);
            } else {
                DatabaseConnection own = openWorkDatabase(databasePath, QString());
                ReadTableRows(table, own, take);
            }
            writer.finish();
            if (!shortfall.isEmpty())
                shortfalls.push_back({std::move(shortfall), &first});
            if (tally) {
                tally->addTo(table, writer.columnTypes(), result.files, *result.summary);
                placed.push_back({result.summary->tables.size() - 1, &first, begun.sheet,
                                  place.sheet, begun.row});
            }
            result.tables << table;
            takingOut.reset();
        });
        if (result.failures.size() > failuresBefore) {
            if (takingOut)
                procedure.step(132, [&] {
                    const std::vector<Worksheet*> continuations =
                        workbook->continuationsOf(*takingOut->first);
                    for (size_t c = takingOut->continuations; c < continuations.size(); ++c)
                        workbook->deleteSheet(continuations[c]->name());
                    takingOut->begun->cells().goBackTo(takingOut->cells);
                    place = begun;
                });
            tableNotWritten(table, owners, connection ? &*connection : nullptr, result,
                            failuresBefore);
        }
    }
    surface.writingOutput(1.0);
    procedure.step(134, [&] { mustBeSet(workbook).deleteSheet(QStringLiteral("Sheet2")); });
    procedure.step(136, [&] { mustBeSet(workbook).deleteSheet(QStringLiteral("Sheet3")); });
    // Told at the end, when the one sheet has its last name.
    procedure.step(138, [&] {
        // The few sheets that went on are found in one pass: asking each of thousands of
        // tables' sheets would walk every sheet for every table.
        std::unordered_set<const Worksheet*> wentOn;
        for (int i = 1; i <= mustBeSet(workbook).sheetCount(); ++i)
            if (const Worksheet* full = workbook->sheet(i).continues())
                wentOn.insert(full);
        for (const Worksheet* full : written)
            if (wentOn.contains(full) && workbook->holds(*full))
                noteContinued(*workbook, *full, result);
        std::vector<SheetShortfall> told;
        for (auto& [shortfall, holder] : shortfalls) {
            // A sheet that was deleted since has no name to give.
            if (workbook->holds(*holder)) {
                shortfall.sheet = holder->name();
                shortfall.continuations = workbook->continuationNames(*holder);
            }
            told.push_back(std::move(shortfall));
        }
        raiseShortfalls(std::move(told), result);
    });
    if (summing && workbook)
        nameTablesSheets(placed, *workbook, *result.summary);
}
