#include "import/SpreadsheetOutput.h"

#include "base/ErrorReport.h"
#include "base/RuntimeError.h"
#include "base/TextFiles.h"
#include "import/CsvPaths.h"
#include "import/Excel1.h"
#include "import/ImportSurface.h"
#include "office/SpreadsheetApplication.h"
#include "xml/CsvConversion.h"

#include <memory>
#include <optional>

namespace {
void showProgress(ImportSurface& surface, int done) {
    const int listed = surface.fileCount();
    if (listed > 0)
        surface.setProgress(100.0 * done / listed);
}

std::shared_ptr<SpreadsheetApplication> oneSheetOutput(const QStringList& csvPaths,
                                                       ImportSurface& surface, Dialogs& dialogs,
                                                       SpreadsheetApplications& applications,
                                                       const QString& workspace,
                                                       std::vector<StepFailure>& failures) {
    ReportingProcedure procedure(dialogs, QStringLiteral("ImportToExcel"), &failures);
    const QString combinedPath = CsvPaths::combinedFile(workspace);
    std::optional<TextFileWriter> combined;
    procedure.step(100, [&] { combined.emplace(combinedPath); });
    for (int i = 1; i <= csvPaths.size(); ++i) {
        procedure.step(102, [&] { surface.processEvents(); });
        std::string text;
        procedure.step(104, [&] { text = ReadTextFile(csvPaths.at(i - 1)); });
        procedure.step(106, [&] {
            if (!combined)
                return;
            combined->append(text);
            combined->append("\r\n");
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
    procedure.step(116, [&] { mustBeSet(source.get()).openWorkbook(combinedPath); });
    // A block left on the clipboard by an earlier copy must never stand in for this one.
    bool copied = false;
    procedure.step(118, [&] {
        mustBeSet(source.get()).copyUsedRange(source->activeWorkbook().activeSheet());
        copied = true;
    });
    std::shared_ptr<SpreadsheetApplication> target;
    Worksheet* first = nullptr;
    procedure.step(120, [&] {
        target = applications.create();
        first = &target->addWorkbook().activeSheet();
    });
    if (copied)
        procedure.step(122, [&] { target->paste(mustBeSet(first)); });
    procedure.step(124, [&] { mustBeSet(first).selectRange(QStringLiteral("A1")); });
    procedure.step(126, [&] { mustBeSet(target.get()).setVisible(true); });
    procedure.step(128, [&] {
        mustBeSet(source.get()).quit();
        source->setDisplayAlerts(true);
    });
    procedure.step(130, [&] { RemoveFile(combinedPath); });
    return target;
}

std::shared_ptr<SpreadsheetApplication>
multipleSheetOutput(const QStringList& csvPaths, ImportSurface& surface, Dialogs& dialogs,
                    SpreadsheetApplications& applications, std::vector<StepFailure>& failures) {
    ReportingProcedure procedure(dialogs, QStringLiteral("ImportToExcel"), &failures);
    std::int32_t nameCounter = 0;
    std::shared_ptr<SpreadsheetApplication> target;
    // The output writes to the sheet it added, whatever the user looks at meanwhile.
    std::optional<BeingFilled> filling;
    for (int i = 1; i <= csvPaths.size(); ++i) {
        procedure.step(100, [&] { surface.processEvents(); });
        const QString path = csvPaths.at(i - 1);
        bool copied = false;
        procedure.step(102, [&] {
            const std::shared_ptr<SpreadsheetApplication> source = applications.create();
            source->setDisplayAlerts(false);
            source->openWorkbook(path);
            source->copyUsedRange(source->activeWorkbook().activeSheet());
            copied = true;
            source->quit();
        });
        // Let go of the last workbook before the instance that holds it may be.
        filling.reset();
        procedure.step(104, [&] {
            if (ExcelIsRunning(applications)) {
                target = applications.attachRunning();
            } else {
                target = applications.create();
                target->addWorkbook();
            }
        });
        Workbook* workbook = nullptr;
        Worksheet* sheet = nullptr;
        procedure.step(106, [&] {
            workbook = &mustBeSet(target.get()).activeWorkbook();
            filling.emplace(*workbook);
            sheet = &workbook->addSheet();
        });
        QString candidate;
        procedure.step(108, [&] { candidate = CleanSheetName(FileNameOf(path)); });
        procedure.step(110, [&] {
            while (SheetNameExists(mustBeSet(target.get()), candidate))
                candidate += QString::number(++nameCounter);
        });
        procedure.step(112, [&] { mustBeSet(workbook).renameSheet(mustBeSet(sheet), candidate); });
        procedure.step(114, [&] {
            if (copied)
                target->paste(mustBeSet(sheet));
            mustBeSet(sheet).selectRange(QStringLiteral("A1"));
        });
        procedure.step(116, [&] { showProgress(surface, i); });
    }
    filling.reset();
    if (target)
        procedure.step(118, [&] { target->setVisible(true); });
    return target;
}
} // namespace

std::shared_ptr<SpreadsheetApplication> ImportToExcel(const QStringList& csvPaths,
                                                      ImportSurface& surface, Dialogs& dialogs,
                                                      SpreadsheetApplications& applications,
                                                      const QString& workspace,
                                                      std::vector<StepFailure>& failures) {
    switch (surface.sendMode()) {
    case SendMode::OneSheet:
        return oneSheetOutput(csvPaths, surface, dialogs, applications, workspace, failures);
    case SendMode::MultipleSheets:
        return multipleSheetOutput(csvPaths, surface, dialogs, applications, failures);
    case SendMode::None:
        break;
    }
    return nullptr;
}
