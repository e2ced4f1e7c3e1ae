#pragma once

#include "base/ErrorReport.h"
#include "base/FileProblem.h"
#include "import/IncompleteLoadError.h"
#include "import/RunSummary.h"
#include "sheet/SheetShortfall.h"
#include "sheet/Workbook.h"
#include "xml/XmlReader.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

class SpreadsheetApplication;

// How one listed file fared in a run.
struct FileOutcome {
    explicit FileOutcome(QString filePath) : path(std::move(filePath)) {}

    QString path;
    bool imported = false;
    // Where the route without the work database flattened it; "" on the other route.
    QString csvPath;
    // Why it was not imported, and where in the document for one that is not well-formed
    // (line and position from 1; 0 when the file could not be read at all).
    QString reason;
    qint64 line = 0;
    qint64 position = 0;
    FileProblem problem = FileProblem::Failed;
    // What it gave, when the run gathers a summary: its lines (flattening) or its rows in the
    // tables written (database); and its size in bytes, -1 when it could not be told.
    std::int64_t given = 0;
    std::int64_t bytes = -1;

    // Notes why the file could not be read as XML.
    void failedToRead(const XmlError& error) {
        reason = error.reason;
        line = error.line;
        position = error.position;
        problem = error.problem;
    }
    // Notes that the file was not imported after all, for a failure of a step of the run.
    void failedFor(const StepFailure& failure) {
        imported = false;
        reason = failure.description;
        problem = failure.problem;
    }
};

// A sheet that was full, and the sheets after it that carry on its rows.
struct ContinuedSheet {
    QString sheet;
    QStringList continuations;

    // "The rows of "S" go on in "S (2)" and "S (3)": a sheet holds 1,048,576 rows."
    QString description() const {
        QStringList quoted;
        for (const QString& name : continuations)
            quoted << QLatin1Char('"') + name + QLatin1Char('"');
        const QString last = quoted.takeLast();
        const QString listed =
            quoted.isEmpty() ? last
                             : quoted.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
        return QStringLiteral("The rows of \"%1\" go on in %2: a sheet holds 1,048,576 rows.")
            .arg(sheet, listed);
    }
};

// What one import run did, for the window or the batch program to act on; nobody has to read
// the messages the run showed.
struct ImportResult {
    enum class Ending {
        Finished,
        NoFiles,
        // The user chose not to go on beside an open spreadsheet application.
        Cancelled,
        // The run's private folder could not be made, so nothing was imported.
        NoWorkspace,
        // No work database could be had (in use by another run, or unusable).
        NoWorkDatabase,
    };

    Ending ending = Ending::Finished;
    // Why the run stopped before importing anything, where the ending gives no reason itself.
    QString stopReason;
    // Every listed file that the run came to, in list order.
    std::vector<FileOutcome> files;
    // The work-database tables written into the workbook, in order.
    QStringList tables;
    // What did not fit on a sheet, file by file (table by table on the route through the work
    // database); the rest of each such file was written.
    std::vector<SheetShortfall> cut;
    // The sheets that were full, with the sheets that carry on their rows; nothing was lost.
    std::vector<ContinuedSheet> continued;
    // The steps that failed, with the description each report gave; a failure of one file's
    // own import is that file's reason instead.
    std::vector<StepFailure> failures;
    // The run's private folder; "" when none was made.
    QString workspace;
    // The instance that holds the new workbook; none when no workbook was made.
    std::shared_ptr<SpreadsheetApplication> spreadsheet;
    // What the run found in its files, when it gathered it.
    std::optional<RunSummary> summary;

    qsizetype importedCount() const {
        return std::count_if(files.begin(), files.end(),
                             [](const FileOutcome& file) { return file.imported; });
    }
    // Every listed file imported and no step failed.
    bool complete() const {
        return ending == Ending::Finished && failures.empty() &&
               importedCount() == static_cast<qsizetype>(files.size());
    }

    // Makes the step failures since `failuresBefore` the reason of a file that was not
    // imported, rather than failures of the run.
    void claimFailures(FileOutcome& file, size_t failuresBefore) {
        if (file.imported || failures.size() <= failuresBefore)
            return;
        if (file.reason.isEmpty()) {
            file.reason = failures.back().description;
            file.problem = failures.back().problem;
        }
        failures.erase(failures.begin() + static_cast<std::ptrdiff_t>(failuresBefore),
                       failures.end());
    }
};

// Notes in the result that a sheet's rows went on in further sheets, when they did.
inline void noteContinued(const Workbook& workbook, const Worksheet& sheet, ImportResult& result) {
    ContinuedSheet continued{sheet.name(), workbook.continuationNames(sheet)};
    if (!continued.continuations.isEmpty())
        result.continued.push_back(std::move(continued));
}

// Notes in the result what did not fit on its sheet, then raises it to be reported.
inline void raiseShortfalls(std::vector<SheetShortfall> shortfalls, ImportResult& result) {
    if (shortfalls.empty())
        return;
    result.cut.insert(result.cut.end(), shortfalls.begin(), shortfalls.end());
    throw IncompleteLoadError(std::move(shortfalls));
}
