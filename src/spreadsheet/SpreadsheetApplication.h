#pragma once

#include "sheet/SheetShortfall.h"
#include "sheet/Workbook.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// A CSV file opened as a workbook, and what of it did not fit on its sheet.
struct OpenedWorkbook {
    Workbook& workbook;
    SheetShortfall shortfall;
};

// One instance of the spreadsheet application, as the import drives it. Every failing call
// raises an error that carries the application's description.
class SpreadsheetApplication {
public:
    virtual ~SpreadsheetApplication() = default;

    // The application's default value, its name.
    virtual QString defaultValue() const = 0;
    // false: the application asks no questions and shows no warnings.
    virtual void setDisplayAlerts(bool displayAlerts) = 0;
    virtual bool displayAlerts() const = 0;
    // Shows the instance to the user; it then stays after the program lets go of it.
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;

    // Adds a new workbook with its starting sheets and makes it the active one.
    virtual Workbook& addWorkbook() = 0;
    // Opens a CSV file as a new, active workbook, holding what fit of it; says what did not.
    virtual OpenedWorkbook openWorkbook(const QString& fileName) = 0;
    virtual int workbookCount() const = 0;
    // Workbook `index`, from 1 (the last is the newest).
    virtual Workbook& workbook(int index) = 0;
    // The workbook in front; raises an error when there is none.
    virtual Workbook& activeWorkbook() = 0;

    // Puts the used block of a sheet on the clipboard, which outlives every instance.
    virtual void copyUsedRange(Worksheet& sheet) = 0;
    // Places the clipboard's block from the active cell of a sheet.
    virtual void paste(Worksheet& sheet) = 0;

    // Closes without saving or asking; the instance is no longer found as running.
    virtual void quit() = 0;
};

// The spreadsheet application's class: new instances, and the running one.
class SpreadsheetApplications {
public:
    virtual ~SpreadsheetApplications() = default;

    // A new hidden instance without workbooks; raises an error when none can be started.
    virtual std::shared_ptr<SpreadsheetApplication> create() = 0;
    // The running instance (the oldest still running); raises an error when none runs.
    virtual std::shared_ptr<SpreadsheetApplication> attachRunning() = 0;

    // The files that are about to be opened, in order, so that they may be read ahead; an empty
    // list when no more are expected.
    virtual void expectOpening(const QStringList& fileNames) = 0;
    // What lets the caller's pending events run while a large file is opened, on the thread
    // that opens it; an empty function for none. Whatever it raises ends the opening.
    virtual void letEventsRunWith(const std::function<void()>& /*pump*/) {}
};
