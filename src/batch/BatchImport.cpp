#include "batch/BatchImport.h"

#include "archive/SourceFile.h"
#include "base/ErrorReport.h"
#include "base/HardStop.h"
#include "base/Paths.h"
#include "base/RuntimeError.h"
#include "base/StopSignals.h"
#include "base/TempFolder.h"
#include "base/TextFiles.h"
#include "base/WorkTexts.h"
#include "batch/BatchOptions.h"
#include "batch/ConsoleReporting.h"
#include "batch/ReportLines.h"
#include "batch/RunReport.h"
#include "filelist/DroppedPaths.h"
#include "filelist/FileList.h"
#include "import/ImportRun.h"
#include "spreadsheet/SpreadsheetEngine.h"
#include "xlsx/XlsxSaving.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <optional>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
// The most bytes of CSV text a run keeps in memory in place of files.
constexpr qint64 kWorkTextsInMemory = qint64(256) << 20;

enum ExitStatus { AllImported = 0, SomeFailed = 1, NothingWritten = 2 };

bool isTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

QStringList readPathLines(std::FILE* input) {
    QStringList paths;
    const auto take = [&paths](std::string& line) {
        QString path = QString::fromStdString(line);
        line.clear();
        while (path.endsWith(QLatin1Char('\n')) || path.endsWith(QLatin1Char('\r')))
            path.chop(1);
        if (!path.isEmpty())
            paths << path;
    };
    std::string line;
    char piece[4096];
    // A line longer than the piece comes in several.
    while (std::fgets(piece, sizeof piece, input)) {
        line += piece;
        if (line.back() == '\n')
            take(line);
    }
    take(line);
    return paths;
}

// The files to import, as the window's list would hold them: files as given, folders and zip
// archives expanded.
QStringList gatherFiles(const BatchOptions& options, std::FILE* input, WalkProblems& problems) {
    QStringList given;
    for (const QString& path : options.paths)
        given << (path == QLatin1String("-") ? readPathLines(input) : QStringList{path});
    FileList list;
    const QString pattern = QStringLiteral("*.") + options.extension;
    addPaths(
        list, given, pattern, pattern, [] {}, problems);
    return list.paths();
}

// The listed file that is read from the very file `output` names (a member from its archive),
// however either is spelled; "" when none is.
QString inputAt(const QString& output, const QStringList& files) {
    std::error_code error;
    // The thousands of members of one archive are read from one file, looked at once.
    QSet<QString> looked;
    for (const QString& file : files) {
        const QString onDisk = fileOnDiskOf(file);
        if (looked.contains(onDisk))
            continue;
        looked.insert(onDisk);
        if (std::filesystem::equivalent(nativePath(output), nativePath(onDisk), error))
            return file;
    }
    return {};
}

// Whether `first` and `second` name the same file, however spelled, also when neither is there
// yet. Both must be files that a replacement may take the place of (replaceableFile).
bool sameFile(const QString& first, const QString& second) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::equivalent(nativePath(first), nativePath(second), error))
        return true;
    // Links followed, in the folders and at the names, as a replacement follows them.
    const auto place = [](const QString& path) {
        std::error_code ignored;
        return pathFromNative(fs::weakly_canonical(nativePath(replaceableFile(path)), ignored));
    };
#ifdef _WIN32
    return place(first).compare(place(second), Qt::CaseInsensitive) == 0;
#else
    return place(first) == place(second);
#endif
}

// The workbook the run made, when it made one to save; says why it did not otherwise.
Workbook* workbookToSave(const ImportResult& result, ConsoleReport& report) {
    switch (result.ending) {
    case ImportResult::Ending::NoFiles:
        report.problem(QStringLiteral("No files added."));
        return nullptr;
    case ImportResult::Ending::NoWorkspace:
    case ImportResult::Ending::NoWorkDatabase:
        report.problemLines(reportLines(result.stopReason));
        return nullptr;
    case ImportResult::Ending::Cancelled:
        return nullptr;
    case ImportResult::Ending::Finished:
        break;
    }
    if (result.importedCount() == 0 || !result.spreadsheet ||
        result.spreadsheet->workbookCount() == 0) {
        report.problem(QStringLiteral("no file could be imported, so nothing was written"));
        return nullptr;
    }
    return &result.spreadsheet->activeWorkbook();
}

// How saving the workbook went.
struct SavedWorkbook {
    bool written = false;
    // Every cell was written whole.
    bool whole = false;
};

// Saves the workbook at `output` and says so, or says why it could not.
SavedWorkbook saveWorkbook(Workbook& workbook, const QString& output, ConsoleReport& report) {
    QStringList leftOut;
    try {
        leftOut = saveAsXlsx(workbook, output);
    } catch (const ProcedureAbandoned&) {
        throw;
    } catch (...) {
        report.problem(describeCurrentException());
        return {};
    }
    for (const QString& cell : leftOut)
        report.problem(output + QStringLiteral(": ") + cell);
    report.news(QStringLiteral("Wrote %1").arg(output));
    return {true, leftOut.isEmpty()};
}

// What the run was asked to do, for a report of a run that gathered no summary of its own.
RunSummary askedFor(const BatchOptions& options, const QDateTime& started, double seconds) {
    RunSummary summary;
    summary.started = started;
    summary.seconds = seconds;
    summary.route = options.route;
    summary.sendMode = options.sendMode;
    summary.mergesTables = options.mergeTables;
    summary.foldsTables = options.foldTables;
    return summary;
}

// Writes the run's report at `path` and says so; says why it could not otherwise.
bool writeReport(const ImportResult& result, const QString& path, ConsoleReport& report) {
    try {
        writeWholeFile(path, runReportJson(result));
    } catch (const ProcedureAbandoned&) {
        throw;
    } catch (...) {
        report.problem(describeCurrentException());
        return false;
    }
    report.news(QStringLiteral("Wrote %1").arg(path));
    return true;
}

ExitStatus exitStatusOf(bool complete, const SavedWorkbook& saved, bool folderProblems) {
    if (!saved.written)
        return NothingWritten;
    return complete && !folderProblems && saved.whole ? AllImported : SomeFailed;
}

// What a stop says, whether the run ends itself at a safe point or a second signal ends it.
struct StopTexts {
    QString notWritten;
    QString written;
    // What clears the progress line first, when there is one.
    QByteArray clearing;
};

// Whether the output and the report can take the run's files: a device or a FIFO named as
// either is refused before anything is read, and so is a folder that is not there.
bool targetsWritable(const BatchOptions& options, ConsoleReport& report) {
    QStringList toWrite = {options.output};
    if (!options.report.isEmpty())
        toWrite << options.report;
    for (const QString& file : toWrite) {
        try {
            replaceableFile(file);
        } catch (const RuntimeError& error) {
            report.problem(error.description());
            return false;
        }
        const QFileInfo target(file);
        if (!target.absoluteDir().exists()) {
            report.problem(QStringLiteral("cannot write %1: the folder %2 does not exist")
                               .arg(file, target.absolutePath()));
            return false;
        }
    }
    return true;
}

// The usage error of an output or a report that would take the place of a file the run reads
// or keeps, or of each other; "" when there is none.
QString targetTakingAnInput(const BatchOptions& options, const QStringList& files) {
    QStringList readOrKept = files;
    if (!options.workDatabase.isEmpty())
        readOrKept << options.workDatabase;
    for (const auto& [file, named] : {std::pair{options.output, QStringLiteral("output")},
                                      std::pair{options.report, QStringLiteral("report")}}) {
        if (file.isEmpty())
            continue;
        if (const QString same = inputAt(file, readOrKept); !same.isEmpty())
            return QStringLiteral("the %1 %2 is the input %3; it is left as it is")
                .arg(named, file, same);
    }
    if (!options.report.isEmpty() && sameFile(options.report, options.output))
        return QStringLiteral("the report %1 is the output %2").arg(options.report, options.output);
    return {};
}

// What the run came to: every file imported or not, the workbook saved or not, the report
// written or not.
struct BatchOutcome {
    bool complete = false;
    SavedWorkbook saved;
    bool reportWritten = true;
    // What escaped the run's steps; "" when nothing did.
    QString escaped;
};

// The run itself, while a signal may stop it: imports the files, saves the workbook and writes
// the report. What a signal stops is left as it was; the run's folder is held in `workspace`.
BatchOutcome importSaveAndReport(const BatchOptions& options, ConsoleSurface& surface,
                                 ConsoleReport& report, const StopTexts& stop,
                                 RemovedOnHardStop& workspace, const QDateTime& started,
                                 const QElapsedTimer& elapsed) {
    BatchOutcome outcome;
    UnattendedDialogs dialogs;
    // The run's CSV texts are kept in memory up to a budget, unless they are to be kept: files
    // made only to be removed at the end would cost their time on the disk for nothing.
    std::optional<WorkTexts> texts(std::in_place, options.keepWork ? 0 : kWorkTextsInMemory);
    // An engine of its own: nothing of another run's instances or clipboard reaches this one.
    SpreadsheetEngine engine;
    engine.setWorkTexts(&*texts);
    // Made after the engine, whose instances it holds, and gone before it.
    ImportResult result;
    try {
        {
            ImportRun run(surface, dialogs, engine, temporaryFolder(), options.workDatabase);
            run.setWorkTexts(*texts);
            run.removeWorkspaceOnHardStop(workspace);
            result = run.run();
        }
        // Nothing reads the texts any more: their memory is the saving's now.
        engine.setWorkTexts(nullptr);
        texts.reset();
        surface.clearProgress();

        if (result.ending == ImportResult::Ending::Finished) {
            report.problems(result);
            for (const ContinuedSheet& continued : result.continued)
                report.news(continued.description());
        }
        if (Workbook* workbook = workbookToSave(result, report))
            outcome.saved = saveWorkbook(*workbook, options.output, report);
        // Also when every file failed: the report says why each did.
        if (!options.report.isEmpty() && result.ending == ImportResult::Ending::Finished) {
            if (!outcome.saved.written)
                setHardStopFarewell(stop.clearing + ConsoleReport::problemText(stop.notWritten),
                                    stop.clearing + ConsoleReport::problemText(stop.notWritten));
            if (!result.summary)
                result.summary =
                    askedFor(options, started, static_cast<double>(elapsed.elapsed()) / 1000);
            outcome.reportWritten = writeReport(result, options.report, report);
        }
    } catch (const ProcedureAbandoned&) {
        // A signal asked to stop, and the older output stays as it was.
    } catch (...) {
        // What escaped the run's steps, as memory that ran out between them, leaves the older
        // output as it was and nothing of the run behind.
        outcome.escaped = describeCurrentException();
    }
    outcome.complete = result.complete();
    return outcome;
}
// Clears away what the run made, unless it is to be kept, and says how the run ended: gives
// its exit status.
int endBatchRun(const BatchOptions& options, const BatchOutcome& outcome, const StopTexts& stop,
                RemovedOnHardStop& workspace, ConsoleReport& report, bool folderProblems) {
    const auto removeWorkspace = [&workspace] {
        if (!workspace.path().isEmpty())
            QDir(workspace.path()).removeRecursively();
        workspace = RemovedOnHardStop();
    };
    if (!options.keepWork || !outcome.escaped.isEmpty())
        removeWorkspace();
    // A stop asked for at any moment until here ends the run as a stop, the workbook written or
    // not: what the run made goes, whatever --keep-work says.
    if (stopSignal() != 0) {
        removeWorkspace();
        sayStopFarewell(
            [&] { report.problem(outcome.saved.written ? stop.written : stop.notWritten); });
        return exitStatusAfterStop();
    }
    if (!outcome.escaped.isEmpty()) {
        report.problem(
            QStringLiteral("%1; %2 was not written").arg(outcome.escaped, options.output));
        return NothingWritten;
    }
    if (!workspace.path().isEmpty()) {
        const QString kept = workspace.path();
        workspace = RemovedOnHardStop();
        report.news(QStringLiteral("The run's files are in %1").arg(kept));
    }
    return outcome.reportWritten ? exitStatusOf(outcome.complete, outcome.saved, folderProblems)
                                 : NothingWritten;
}
} // namespace

int runBatchImport(const QStringList& arguments, std::FILE* input, std::FILE* output,
                   std::FILE* errors) {
    // What a second signal says before the output is known.
    setHardStopFarewell(ConsoleReport::problemText(QStringLiteral("interrupted")),
                        ConsoleReport::problemText(QStringLiteral("interrupted")));
    const ParsedCommandLine parsed = parseBatchCommandLine(arguments);
    if (!parsed.options) {
        std::fputs(parsed.message.toUtf8().constData(), parsed.exitStatus == 0 ? output : errors);
        return parsed.exitStatus;
    }
    const BatchOptions& options = *parsed.options;
    ConsoleReport report(errors, options.quiet);
    const bool showProgress = !options.quiet && isTerminal(errors);
    const StopTexts stop{QStringLiteral("interrupted; %1 was not written").arg(options.output),
                         QStringLiteral("interrupted after %1 was written").arg(options.output),
                         showProgress ? QByteArray("\r\033[K") : QByteArray()};
    setHardStopFarewell(stop.clearing + ConsoleReport::problemText(stop.notWritten),
                        stop.clearing + ConsoleReport::problemText(stop.written));
    if (!targetsWritable(options, report))
        return NothingWritten;

    const QDateTime started = QDateTime::currentDateTime();
    QElapsedTimer elapsed;
    elapsed.start();
    WalkProblems walkProblems;
    const QStringList files = gatherFiles(options, input, walkProblems);
    if (const QString problem = targetTakingAnInput(options, files); !problem.isEmpty()) {
        std::fputs(usageErrorText(problem).toUtf8().constData(), errors);
        return NothingWritten;
    }
    if (!walkProblems.isEmpty())
        report.problemLines(walkProblemLines(walkProblems));

    ConsoleSurface surface(options, files, errors, showProgress);
    report.beforeLine = [&surface] { surface.clearProgress(); };
    // The run's folder, which a second signal removes however far the run got.
    RemovedOnHardStop workspace;
    const BatchOutcome outcome =
        importSaveAndReport(options, surface, report, stop, workspace, started, elapsed);
    surface.clearProgress();
    return endBatchRun(options, outcome, stop, workspace, report, !walkProblems.isEmpty());
}
