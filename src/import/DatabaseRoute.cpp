#include "import/DatabaseRoute.h"

#include "base/ErrorReport.h"
#include "base/RuntimeError.h"
#include "database/DatabaseApplication.h"
#include "database/XmlTableImport.h"
#include "import/Access1.h"
#include "import/Excel1.h"
#include "import/ImportResult.h"
#include "import/ImportSurface.h"
#include "spreadsheet/SpreadsheetApplication.h"

#include <QSet>

#include <functional>
#include <memory>
#include <optional>

namespace {
// Imports every listed file; gives the tables made.
QStringList importIntoDatabase(ImportSurface& surface, Dialogs& dialogs,
                               const QString& databasePath, ReportingProcedure& procedure,
                               ImportResult& result) {
    procedure.step(108, [&] { ClearWorkDatabase(databasePath, QString(), dialogs); });
    std::unique_ptr<DatabaseApplication> database;
    procedure.step(110, [&] {
        database = std::make_unique<DatabaseApplication>(surface.mergesTables());
        database->setVisible(true);
    });
    procedure.step(112, [&] { mustBeSet(database.get()).OpenCurrentDatabase(databasePath); });
    const int count = surface.fileCount();
    for (int i = 1; i <= count; ++i) {
        FileOutcome& outcome = result.files.emplace_back(surface.fileAt(i));
        const size_t failuresBefore = result.failures.size();
        procedure.step(114, [&] {
            try {
                mustBeSet(database.get()).ImportXml(outcome.path);
                outcome.imported = true;
            } catch (const XmlFileError& error) {
                outcome.failedToRead(error.xmlError());
                throw;
            }
        });
        result.claimFailures(outcome, failuresBefore);
    }
    QStringList made;
    const size_t failuresBefore = result.failures.size();
    procedure.step(116, [&] {
        made = mustBeSet(database.get()).importedTables();
        database->quit();
    });
    // A session that cannot be committed keeps nothing: no file was imported after all.
    if (result.failures.size() > failuresBefore) {
        made.clear();
        for (FileOutcome& file : result.files)
            if (file.imported) {
                file.imported = false;
                file.reason = result.failures.back().description;
            }
    }
    return made;
}

// Where the next row of the route goes: a sheet of the run of sheets that begins with the
// one the route writes to (0 that sheet, 1 its first continuation, ...), and a row of it.
struct TablePlace {
    int sheet = 0;
    int row = 1;
};

// Writes one table's rows from `place` on, each field into a cell of its own and an empty text
// right of the last field. A row beyond a sheet's last goes on in the next sheet of the run,
// which `sheetAt` gives, under the table's row of names again, so that each sheet stands on its
// own. Notes in `shortfall` the values that a cell took only in part; leaves `place` after the
// last row written.
void writeRows(const TableRows& rows, TablePlace& place,
               const std::function<Worksheet&(int index)>& sheetAt, ImportSurface& surface,
               SheetShortfall& shortfall) {
    Worksheet* sheet = &sheetAt(place.sheet);
    const auto writeRow = [&](const QStringList& fields) {
        for (int f = 0; f <= fields.size(); ++f) {
            surface.processEvents();
            const QByteArray text = f < fields.size() ? fields[f].toUtf8() : QByteArray();
            const qint64 charactersCut = sheet->cells().setText(
                place.row, f + 1,
                std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
            if (charactersCut > 0)
                shortfall.cutCells.push_back({place.row, f + 1, charactersCut, place.sheet});
        }
        ++place.row;
    };
    for (size_t r = 0; r < rows.rows.size(); ++r) {
        surface.processEvents();
        if (place.row > kMaxRows) {
            ++place.sheet;
            place.row = 1;
            sheet = &sheetAt(place.sheet);
            if (r > 0)
                writeRow(rows.rows.front());
        }
        writeRow(rows.rows[r]);
    }
}
} // namespace

void routeThroughDatabase(ImportSurface& surface, Dialogs& dialogs,
                          SpreadsheetApplications& applications, const QString& databasePath,
                          ReportingProcedure& procedure, ImportResult& result) {
    const QStringList made = importIntoDatabase(surface, dialogs, databasePath, procedure, result);

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
    procedure.step(120, [&] {
        const QStringList listed = WorkTableNames(databasePath, QString(), dialogs);
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
        procedure.step(122, [&] { connection.emplace(openWorkDatabase(databasePath, QString())); });
    const bool sheetPerTable = surface.sendMode() == SendMode::MultipleSheets;
    // Values that a cell took only in part, with the sheet that holds them.
    std::vector<std::pair<SheetShortfall, const Worksheet*>> shortfalls;
    // The sheets written to, to tell at the end which ones went on in further sheets.
    std::vector<const Worksheet*> written;
    TablePlace place;
    for (qsizetype k = 0; k < tables.size(); ++k) {
        const QString& table = tables.at(k);
        procedure.step(124, [&] {
            surface.setProgress(100.0 * static_cast<double>(k + 1) /
                                static_cast<double>(tables.size()));
        });
        if (sheetPerTable)
            procedure.step(126, [&] {
                sheet = &mustBeSet(workbook).addSheet();
                place = TablePlace();
            });
        procedure.step(
            128, [&] { mustBeSet(workbook).renameSheet(mustBeSet(sheet), CleanSheetName(table)); });
        // A table that cannot be read writes nothing, rather than another table's rows.
        std::optional<TableRows> rows;
        procedure.step(130, [&] {
            rows = connection ? ReadTableRows(table, *connection)
                              : ReadTableRows(table, databasePath, QString());
        });
        if (!rows)
            continue;
        procedure.step(132, [&] {
            SheetShortfall shortfall;
            shortfall.source = QStringLiteral("The table ") + table;
            Worksheet& first = mustBeSet(sheet);
            shortfall.sheet = first.name();
            writeRows(
                *rows, place,
                [&](int index) -> Worksheet& {
                    return index == 0 ? first : workbook->continuation(first, index);
                },
                surface, shortfall);
            result.tables << table;
            if (written.empty() || written.back() != &first)
                written.push_back(&first);
            if (!shortfall.isEmpty())
                shortfalls.push_back({std::move(shortfall), &first});
        });
    }
    procedure.step(134, [&] { mustBeSet(workbook).deleteSheet(QStringLiteral("Sheet2")); });
    procedure.step(136, [&] { mustBeSet(workbook).deleteSheet(QStringLiteral("Sheet3")); });
    // Told at the end, when the one sheet has its last name.
    procedure.step(138, [&] {
        for (const Worksheet* full : written)
            if (mustBeSet(workbook).holds(*full))
                noteContinued(*workbook, *full, result);
        std::vector<SheetShortfall> told;
        for (auto& [shortfall, holder] : shortfalls) {
            // A sheet that was deleted since has no name to give.
            if (workbook->holds(*holder)) {
                shortfall.sheet = holder->name();
                for (const Worksheet* continuation : workbook->continuationsOf(*holder))
                    shortfall.continuations << continuation->name();
            }
            told.push_back(std::move(shortfall));
        }
        raiseShortfalls(std::move(told), result);
    });
}
