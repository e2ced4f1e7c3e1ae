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

    QTemporaryDir folder;
    RecordingSurface surface;
    ScriptedDialogs dialogs;
    SpreadsheetEngine engine;
    std::vector<std::shared_ptr<EngineInstance>> shown;
};
