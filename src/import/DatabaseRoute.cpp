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

// Writes one table's rows from `firstRow` down, each field into a cell of its own and an empty
// text right of the last field, as far as the sheet's last row. Notes in `shortfall` the values
// that a cell took only in part and the rows beyond the sheet.
void writeRows(const TableRows& rows, Worksheet& sheet, qint64 firstRow, ImportSurface& surface,
               SheetShortfall& shortfall) {
    std::vector<CutCell>& cut = shortfall.cutCells;
    for (size_t r = 0; r < rows.rows.size(); ++r) {
        surface.processEvents();
        const QStringList& fields = rows.rows[r];
        const qint64 row = firstRow + static_cast<qint64>(r);
        if (row > kMaxRows) {
            shortfall.linesLeftOut = static_cast<qint64>(rows.rows.size() - r);
            return;
        }
        for (int f = 0; f <= fields.size(); ++f) {
            surface.processEvents();
            const QByteArray text = f < fields.size() ? fields[f].toUtf8() : QByteArray();
            const qint64 charactersCut = sheet.cells().setText(
                static_cast<int>(row), f + 1,
                std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
            if (charactersCut > 0)
                cut.push_back({static_cast<int>(row), f + 1, charactersCut});
        }
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
    qint64 rowOffset = 0;
    for (qsizetype k = 0; k < tables.size(); ++k) {
        const QString& table = tables.at(k);
        procedure.step(124, [&] {
            surface.setProgress(100.0 * static_cast<double>(k + 1) /
                                static_cast<double>(tables.size()));
        });
        if (sheetPerTable)
            procedure.step(126, [&] { sheet = &mustBeSet(workbook).addSheet(); });
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
            shortfall.sheet = mustBeSet(sheet).name();
            writeRows(*rows, mustBeSet(sheet), sheetPerTable ? 1 : 1 + rowOffset, surface,
                      shortfall);
            result.tables << table;
            if (!shortfall.isEmpty())
                shortfalls.push_back({std::move(shortfall), sheet});
        });
        rowOffset += static_cast<qint64>(rows->rows.size());
    }
    procedure.step(134, [&] { mustBeSet(workbook).deleteSheet(QStringLiteral("Sheet2")); });
    procedure.step(136, [&] { mustBeSet(workbook).deleteSheet(QStringLiteral("Sheet3")); });
    // Told at the end, when the one sheet has its last name.
    procedure.step(138, [&] {
        std::vector<SheetShortfall> told;
        for (auto& [shortfall, written] : shortfalls) {
            // A sheet that was deleted since keeps the name it had when it was written.
            for (int i = 1; i <= mustBeSet(workbook).sheetCount(); ++i)
                if (&workbook->sheet(i) == written)
                    shortfall.sheet = written->name();
            told.push_back(std::move(shortfall));
        }
        raiseShortfalls(std::move(told), result);
    });
}
