#pragma once

#include "import/ImportSurface.h"
#include "shell/Dialogs.h"

#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

// Shows every message on standard error, without waiting for an answer, and counts those that
// tell of a problem.
class ConsoleDialogs final : public Dialogs {
public:
    ConsoleDialogs(std::FILE* errors, bool quiet) : m_errors(errors), m_quiet(quiet) {}

    MessageAnswer showMessage(const Message& message) override;
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QStringList chooseFiles(const QString&, const QString&) override { return {}; }
    QString chooseFolder(const QString&) override { return {}; }
    QString chooseSaveFile(const QString&, const QString&, const QString&) override { return {}; }

    // Prints a line of the program's own.
    void report(const QString& text);
    // How many messages told of a problem.
    int problems() const { return m_problems; }
    // Whether the run said there was nothing to import.
    bool sawNoFiles() const { return m_sawNoFiles; }

    // Called before a message is printed, so a progress line can make room for it.
    std::function<void()> beforeMessage;

private:
    std::FILE* m_errors;
    bool m_quiet;
    int m_problems = 0;
    bool m_sawNoFiles = false;
};

// The batch program's stand-in for the main window: options and list from the command line,
// progress as a line on a terminal.
class ConsoleSurface final : public ImportSurface {
public:
    ConsoleSurface(SendMode sendMode, ImportRoute route, QStringList files, std::FILE* errors,
                   bool showProgress);

    SendMode sendMode() const override { return m_sendMode; }
    ImportRoute importRoute() const override { return m_route; }
    int fileCount() const override { return static_cast<int>(m_files.size()); }
    QString fileAt(int position) const override { return m_files.value(position - 1); }
    void setProgress(double percent) override;
    void setMousePointer(int) override {}
    void processEvents() override {}

    // Clears the progress line so that other text starts on a line of its own.
    void clearProgress();

private:
    SendMode m_sendMode;
    ImportRoute m_route;
    QStringList m_files;
    std::FILE* m_errors;
    bool m_showProgress;
    bool m_progressShown = false;
    QElapsedTimer m_elapsed;
};
