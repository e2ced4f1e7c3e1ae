#pragma once

#include "base/Dialogs.h"
#include "base/StopSignals.h"
#include "batch/BatchOptions.h"
#include "import/ImportResult.h"
#include "import/ImportSurface.h"

#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

// No one is there to answer: the batch program's run shows nothing and takes every question as
// agreed. What happened reaches the terminal from the run's result instead.
class UnattendedDialogs final : public Dialogs {
public:
    MessageAnswer showMessage(const Message& message) override {
        return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QStringList chooseFiles(const QString&, const QString&) override { return {}; }
    QString chooseFolder(const QString&) override { return {}; }
    QString chooseSaveFile(const QString&, const QString&, const QString&) override { return {}; }
};

// The batch program's lines on standard error: problems always, the rest unless quiet.
class ConsoleReport {
public:
    ConsoleReport(std::FILE* errors, bool quiet) : m_errors(errors), m_quiet(quiet) {}

    // A problem on one line, after the program's name, whatever the text holds (ReportLines.h).
    void problem(const QString& line);
    // A problem of several lines, each after the program's name.
    void problemLines(const QStringList& lines);
    // A line that is only news.
    void news(const QString& line);
    // One line for every file that failed ("FILE: reason, line L, position P") and the lines of
    // every step that failed.
    void problems(const ImportResult& result);

    // The line that `problem` prints, as it is printed.
    static QByteArray problemText(const QString& line);

    // Called before a line is printed, so a progress line can make room for it.
    std::function<void()> beforeLine;

private:
    void print(const QByteArray& lines);

    std::FILE* m_errors;
    bool m_quiet;
};

// The batch program's stand-in for the main window: options and list from the command line,
// progress as a line on a terminal.
class ConsoleSurface final : public ImportSurface {
public:
    ConsoleSurface(const BatchOptions& options, QStringList files, std::FILE* errors,
                   bool showProgress);

    SendMode sendMode() const override { return m_options.sendMode; }
    ImportRoute importRoute() const override { return m_options.route; }
    bool mergesTables() const override { return m_options.mergeTables; }
    bool foldsTables() const override { return m_options.foldTables; }
    bool gathersSummary() const override {
        return m_options.summarySheet || !m_options.report.isEmpty();
    }
    bool addsSummarySheet() const override { return m_options.summarySheet; }
    int fileCount() const override { return static_cast<int>(m_files.size()); }
    QString fileAt(int position) const override { return m_files.value(position - 1); }
    void setProgress(double percent) override;
    void setMousePointer(int) override {}
    // A stop asked for by a signal is heeded here, between files, rows and cells.
    void processEvents() override { stopWhenAsked(); }
    void showAgain() override {}

    // Clears the progress line so that other text starts on a line of its own.
    void clearProgress();

private:
    BatchOptions m_options;
    QStringList m_files;
    std::FILE* m_errors;
    bool m_showProgress;
    bool m_progressShown = false;
    QElapsedTimer m_elapsed;
};
