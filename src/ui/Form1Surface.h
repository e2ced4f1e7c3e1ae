#pragma once

#include "base/EventPump.h"
#include "import/ImportSurface.h"

class Form1;
class OptionButton;
class QCheckBox;

// What the import run reads from and shows on the main window.
class Form1Surface final : public ImportSurface {
public:
    Form1Surface(Form1& window, OptionButton* option1, OptionButton* option2, OptionButton* option3,
                 OptionButton* option4, QCheckBox* joinTables, QCheckBox* summarySheet)
        : m_window(window), m_option1(option1), m_option2(option2), m_option3(option3),
          m_option4(option4), m_joinTables(joinTables), m_summarySheet(summarySheet) {}

    SendMode sendMode() const override;
    ImportRoute importRoute() const override;
    bool mergesTables() const override;
    bool addsSummarySheet() const override;
    int fileCount() const override;
    QString fileAt(int position) const override;
    // The steps' values move the bar only until the work tells where it is; the end of the
    // run (0) clears it in every case.
    void setProgress(double percent) override;
    // The first 40 of the bar are the reading of the files, each file its share moved by its
    // bytes, the rest the output, so that the bar is full only as the workbook is shown.
    void readingFile(int k, int n, double within) override;
    void writingOutput(double done) override;
    void showAgain() override;
    void setMousePointer(int pointer) override;
    // Long loops call this for every cell; the pump lets events run often enough to keep the
    // window responsive without paying for it on every call. A window closed meanwhile ends
    // the run there.
    void processEvents() override;

private:
    Form1& m_window;
    OptionButton* m_option1;
    OptionButton* m_option2;
    OptionButton* m_option3;
    OptionButton* m_option4;
    QCheckBox* m_joinTables;
    QCheckBox* m_summarySheet;
    EventPump m_events;
    bool m_followsWork = false;
};
