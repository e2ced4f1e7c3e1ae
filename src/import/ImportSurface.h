#pragma once

#include <QString>

// Which of the send options is selected.
enum class SendMode { None, OneSheet, MultipleSheets };
// Which of the import routes is selected.
enum class ImportRoute { None, Database, WithoutDatabase };

// What an import run reads from and shows on the window that started it (or on the terminal of
// the batch program). Options and the list are read at the moment the run needs them.
class ImportSurface {
public:
    virtual ~ImportSurface() = default;

    virtual SendMode sendMode() const = 0;
    virtual ImportRoute importRoute() const = 0;
    // Whether the route through the work database gathers the records of every file into
    // shared tables, rather than tables of each file's own.
    virtual bool mergesTables() const { return false; }
    // Whether shared tables fold what does not repeat into the rows of what does.
    virtual bool foldsTables() const { return true; }
    // Whether the run gathers what it finds in the files for a summary (RunSummary), and
    // whether it puts that summary on a first sheet of the workbook.
    virtual bool gathersSummary() const { return addsSummarySheet(); }
    virtual bool addsSummarySheet() const { return false; }
    // The listed files, rows from 1.
    virtual int fileCount() const = 0;
    virtual QString fileAt(int position) const = 0;

    // Progress of the run as a percentage, 0 to 100, as the steps of the run set it.
    virtual void setProgress(double percent) = 0;
    // Where the work is, for a bar that moves with it rather than with the steps: file `k` of
    // `n` is being read, `within` of it (0 to 1, by its bytes), and then the output, `done` of
    // it (0 to 1). A surface that shows the steps' progress leaves these be.
    virtual void readingFile(int /*k*/, int /*n*/, double /*within*/) {}
    virtual void writingOutput(double /*done*/) {}
    // The window's pointer: 0 default, 11 hourglass.
    virtual void setMousePointer(int pointer) = 0;
    // Lets pending window events run.
    virtual void processEvents() = 0;
    // Shows the window again in front of the new workbook, so that its progress stays in view.
    virtual void showAgain() = 0;
};
