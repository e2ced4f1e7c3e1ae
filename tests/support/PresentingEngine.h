#pragma once

#include "office/SpreadsheetEngine.h"

#include <memory>
#include <vector>

// A spreadsheet engine of the test's own that keeps every instance it was asked to show, in
// place of a workbook window.
struct PresentingEngine {
    PresentingEngine() {
        engine.setPresenter([this](std::shared_ptr<EngineInstance> i) { shown.push_back(i); });
    }

    SpreadsheetEngine engine;
    std::vector<std::shared_ptr<EngineInstance>> shown;
};
