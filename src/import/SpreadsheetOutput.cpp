#include "import/SpreadsheetOutput.h"

#include "base/ErrorReport.h"
#include "base/Paths.h"
#include "base/RuntimeError.h"
#include "base/TextFiles.h"
#include "base/WorkTexts.h"
#include "import/CsvPaths.h"
#include "import/Excel1.h"
#include "import/ImportSurface.h"
#include "spreadsheet/CsvOpening.h"
#include "spreadsheet/SpreadsheetApplication.h"

#include <QScopeGuard>

#include <algorithm>
#include <memory>
#include <optional>

namespace {
void showProgress(ImportSurface& surface, int done) {
    const int listed = surface.fileCount();
    if (listed > 0)
        surface.setProgress(100.0 * done / listed);
}

// The listed file that was flattened into `csvPath`; the CSV file's name when none was.
QString sourceOf(const QString& csvPath, const ImportResult& result) {
    for (const FileOutcome& file : result.files)
        if (file.csvPath == csvPath)
            return file.path;
    return FileNameOf(csvPath);
}

// Opens a CSV file; what did not fit is kept for the caller to place and report.
void openKeepingShortfall(SpreadsheetApplication& application, const QString& path,
                          std::optional<SheetShortfall>& shortfall) {
    SheetShortfall left = application.openWorkbook(path).shortfall;
    if (!left.isEmpty())
        shortfall = std::move(left);
}

// The shortfall of the combined file, told file by file: the lines of each CSV file follow
// one another on the sheet and its continuations from `firstRows`. Values beyond the last column
// are told of the files together, since their lines are no longer known.
std::vector<SheetShortfall> byFile(const SheetShortfall& combined, const QStringList& sources,
                                   const std::vector<qint64>& firstRows, const Workbook& workbook,
                                   const Worksheet& sheet) {
    const auto fileAt = [&](qint64 row) -> qsizetype {
        const auto after = std::upper_bound(firstRows.begin(), firstRows.end(), row);
        return std::max<qsizetype>(0, after - firstRows.begin() - 1);
    };
    const auto nameOf = [&](qsizetype index) {
        return index < sources.size() ? sources.at(index) : combined.source;
    };
    const SheetShortfall onSheet{QString(), sheet.name(), workbook.continuationNames(sheet), 0, {}};
    std::vector<SheetShortfall> shortfalls;
    if (combined.valuesLeftOut > 0) {
        shortfalls.push_back(onSheet);
        shortfalls.back().source = QStringLiteral("The files on one sheet");
        shortfalls.back().valuesLeftOut = combined.valuesLeftOut;
    }
    for (const CutCell& cell : combined.cutCells) {
        const QString file = nameOf(fileAt(static_cast<qint64>(cell.sheet) * kMaxRows + cell.row));
        if (shortfalls.empty() || shortfalls.back().source != file) {
            shortfalls.push_back(onSheet);
            shortfalls.back().source = file;
        }
        shortfalls.back().cutCells.push_back(cell);
    }
    return shortfalls;
}

std::shared_ptr<SpreadsheetApplication> oneSheetOutput(const QStringList& csvPaths,
                                                       ImportSurface& surface, Dialogs& dialogs,
                                                       SpreadsheetApplications& applications,
                                                       WorkTexts& texts, const QString& workspace,
                                                       ImportResult& result) {
    ReportingProcedure procedure(dialogs, QStringLiteral("ImportToExcel"), &result.failures);
    const QString combinedPath = CsvPaths::combinedFile(workspace);
    std::optional<WorkTexts::Writer> combined;
    procedure.step(100, [&] { combined.emplace(texts, combinedPath); });
    // Where each file's lines begin on the sheet, so that a cut value can be traced to its file.
    std::vector<qint64> firstRows;
    QStringList sources;
    qint64 nextRow = 1;
    for (int i = 1; i <= csvPaths.size(); ++i) {
        procedure.step(102, [&] { surface.processEvents(); });
        // Each text passes into the combined file in pieces, never whole in memory.
        CsvLineCounter lines;
        procedure.step(104, [&] {
            firstRows.push_back(nextRow);
            sources << sourceOf(csvPaths.at(i - 1), result);
            texts.read(csvPaths.at(i - 1), [&](std::string_view piece) {
                if (combined)
                    combined->append(piece);
                lines.feed(piece);
            });
        });
        procedure.step(106, [&] {
            if (!combined)
                return;
            combined->append("\r\n");
            lines.feed("\r\n");
            nextRow += lines.finish();
        });
        procedure.step(108, [&] { showProgress(surface, i); });
    }
    std::shared_ptr<SpreadsheetApplication> source;
    procedure.step(110, [&] { source = applications.create(); });
    procedure.step(112, [&] {
        if (combined)
            combined->commit();
        combined.reset();
    });
    procedure.step(114, [&] { mustBeSet(source.get()).setDisplayAlerts(false); });
    std::optional<SheetShortfall> shortfall;
    // The text of thousands of files takes a while to open: events run between its pieces, as
    // they do between files.
    procedure.step(116, [&] {
        applications.letEventsRunWith([&] { surface.processEvents(); });
        const auto noMore = qScopeGuard([&] { applications.letEventsRunWith({}); });
        openKeepingShortfall(mustBeSet(source.get()), combinedPath, shortfall);
    });
    // A block left on the clipboard by an earlier copy must never stand in for this one.
    bool copied = false;
    procedure.step(118, [&] {
        mustBeSet(source.get()).copyUsedRange(source->activeWorkbook().activeSheet());
        copied = true;
    });
    std::shared_ptr<SpreadsheetApplication> target;
    Workbook* book = nullptr;
    Worksheet* first = nullptr;
    procedure.step(120, [&] {
        target = applications.create();
        book = &target->addWorkbook();
        first = &book->activeSheet();
    });
    if (copied)
        procedure.step(122, [&] {
            target->paste(mustBeSet(first));
            noteContinued(*book, *first, result);
            if (shortfall)
                raiseShortfalls(byFile(*shortfall, sources, firstRows, *book, *first), result);
        });
    procedure.step(124, [&] { mustBeSet(first).selectRange(QStringLiteral("A1")); });
    procedure.step(126, [&] { mustBeSet(target.get()).setVisible(true); });
    procedure.step(128, [&] {
        mustBeSet(source.get()).quit();
        source->setDisplayAlerts(true);
    });
    procedure.step(130, [&] { texts.remove(combinedPath); });
    return target;
}

// Its steps go on from the one-sheet branch's numbers: one procedure, numbered in text order.
std::shared_ptr<SpreadsheetApplication>
multipleSheetOutput(const QStringList& csvPaths, ImportSurface& surface, Dialogs& dialogs,
                    SpreadsheetApplications& applications, ImportResult& result) {
    ReportingProcedure procedure(dialogs, QStringLiteral("ImportToExcel"), &result.failures);
    std::int32_t nameCounter = 0;
    std::shared_ptr<SpreadsheetApplication> target;
    // The output writes to the sheet it added, whatever the user looks at meanwhile.
    std::optional<BeingFilled> filling;
    applications.expectOpening(csvPaths);
    for (int i = 1; i <= csvPaths.size(); ++i) {
        procedure.step(132, [&] { surface.processEvents(); });
        const QString& path = csvPaths.at(i - 1);
        bool copied = false;
        // A file too large for its sheet still gives the sheet what fit, as one sheet does.
        std::optional<SheetShortfall> shortfall;
        procedure.step(134, [&] {
            const std::shared_ptr<SpreadsheetApplication> source = applications.create();
            source->setDisplayAlerts(false);
            openKeepingShortfall(*source, path, shortfall);
            source->copyUsedRange(source->activeWorkbook().activeSheet());
            copied = true;
            source->quit();
        });
        // Let go of the last workbook before the instance that holds it may be.
        filling.reset();
        procedure.step(136, [&] {
            if (ExcelIsRunning(applications)) {
                target = applications.attachRunning();
            } else {
                target = applications.create();
                target->addWorkbook();
            }
        });
        Workbook* workbook = nullptr;
        Worksheet* sheet = nullptr;
        procedure.step(138, [&] {
            workbook = &mustBeSet(target.get()).activeWorkbook();
            filling.emplace(*workbook);
            sheet = &workbook->addSheet();
        });
        QString candidate;
        procedure.step(140, [&] { candidate = CleanSheetName(FileNameOf(path)); });
        procedure.step(142, [&] {
            while (SheetNameExists(mustBeSet(target.get()), candidate))
                candidate += QString::number(++nameCounter);
        });
        procedure.step(144, [&] { mustBeSet(workbook).renameSheet(mustBeSet(sheet), candidate); });
        procedure.step(146, [&] {
            if (copied) {
                target->paste(mustBeSet(sheet));
                noteContinued(*workbook, *sheet, result);
            }
            mustBeSet(sheet).selectRange(QStringLiteral("A1"));
            if (shortfall) {
                shortfall->source = sourceOf(path, result);
                shortfall->sheet = sheet->name();
                shortfall->continuations = workbook->continuationNames(*sheet);
                raiseShortfalls({*shortfall}, result);
            }
        });
        procedure.step(148, [&] { showProgress(surface, i); });
    }
    filling.reset();
    applications.expectOpening({});
    if (target)
        procedure.step(150, [&] { target->setVisible(true); });
    return target;
}
} // namespace

std::shared_ptr<SpreadsheetApplication> ImportToExcel(const QStringList& csvPaths,
                                                      ImportSurface& surface, Dialogs& dialogs,
                                                      SpreadsheetApplications& applications,
                                                      WorkTexts& texts, const QString& workspace,
                                                      ImportResult& result) {
    switch (surface.sendMode()) {
    case SendMode::OneSheet:
        return oneSheetOutput(csvPaths, surface, dialogs, applications, texts, workspace, result);
    case SendMode::MultipleSheets:
        return multipleSheetOutput(csvPaths, surface, dialogs, applications, result);
    case SendMode::None:
        break;
    }
    return nullptr;
}
