#pragma once

#include "import/ImportSurface.h"
#include "support/OptionNames.h"

#include <QStringList>

#include <functional>
#include <vector>

// Stands in for the main window: options and list as the test sets them, and a record of the
// progress values and pointers the run showed.
class RecordingSurface final : public ImportSurface {
public:
    SendMode sendMode() const override { return send; }
    ImportRoute importRoute() const override { return route; }
    bool mergesTables() const override { return mergeTables; }
    bool foldsTables() const override { return foldTables; }
    bool gathersSummary() const override { return gatherSummary || summarySheet; }
    bool addsSummarySheet() const override { return summarySheet; }
    int fileCount() const override { return static_cast<int>(files.size()); }
    QString fileAt(int position) const override { return files.value(position - 1); }
    void setProgress(double percent) override { progress.push_back(percent); }
    void setMousePointer(int pointer) override { pointers.push_back(pointer); }
    void showAgain() override { ++timesShownAgain; }
    void readingFile(int k, int, double) override { fileNumber = k; }
    void processEvents() override {
        if (onProcessEvents)
            onProcessEvents();
    }

    SendMode send = SendMode::OneSheet;
    ImportRoute route = ImportRoute::WithoutDatabase;
    bool mergeTables = false;
    bool foldTables = true;
    bool gatherSummary = false;
    bool summarySheet = false;
    QStringList files;
    std::vector<double> progress;
    std::vector<int> pointers;
    int timesShownAgain = 0;
    // The file the run said it reads, from 1; 0 before the first.
    int fileNumber = 0;
    // What the user does while the run lets events through.
    std::function<void()> onProcessEvents;
};
