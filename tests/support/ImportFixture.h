#pragma once

#include "sheet/Workbook.h"
#include "spreadsheet/SpreadsheetEngine.h"
#include "support/RecordingSurface.h"
#include "support/ScriptedDialogs.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <memory>
#include <vector>

// What an import talks to, all of the test's own: the main window's face, the dialogs, a folder
// for the files, and a spreadsheet engine that keeps every instance it was asked to show in
// place of a workbook window.
struct ImportFixture {
    ImportFixture() {
        engine.setPresenter([this](std::shared_ptr<EngineInstance> i) { shown.push_back(i); });
    }
    QString file(const QString& relative, const QByteArray& bytes) {
        return writeFile(folder.filePath(relative), bytes);
    }
    Workbook& result() { return shown.at(0)->activeWorkbook(); }
    std::string cell(int sheet, int row, int column) {
        return result().sheet(sheet).cells().display(row, column);
    }
    // The kinds of the cells that show `text`, sheet by sheet, row by row.
    std::vector<Cell::Kind> kindsShowing(const std::string& text) {
        std::vector<Cell::Kind> kinds;
        for (int sheet = 1; sheet <= result().sheetCount(); ++sheet) {
            const CellStore& cells = result().sheet(sheet).cells();
            for (int row = 1; row <= cells.storedRowCount(); ++row)
                for (int column = 1; column <= cells.storedColumnCount(row); ++column)
                    if (cells.cell(row, column) && cells.display(row, column) == text)
                        kinds.push_back(cells.cell(row, column)->kind);
        }
        return kinds;
    }

    QTemporaryDir folder;
    RecordingSurface surface;
    ScriptedDialogs dialogs;
    SpreadsheetEngine engine;
    std::vector<std::shared_ptr<EngineInstance>> shown;
};
