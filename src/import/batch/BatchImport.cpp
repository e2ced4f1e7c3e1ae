#include "import/batch/BatchImport.h"

#include "filelist/DroppedPaths.h"
#include "filelist/FileList.h"
#include "import/ImportRun.h"
#include "import/batch/BatchOptions.h"
#include "import/batch/ConsoleReporting.h"
#include "import/office/SpreadsheetEngine.h"
#include "import/office/XlsxSaving.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/TempFolder.h"
#include "shell/ErrorReport.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace {
enum ExitStatus { AllImported = 0, SomeFailed = 1, NothingWritten = 2 };

QStringList readPathLines(std::FILE* input) {
    QStringList paths;
    char* line = nullptr;
    size_t capacity = 0;
    ssize_t length = 0;
    while ((length = getline(&line, &capacity, input)) >= 0) {
        QString path = QString::fromUtf8(line, length);
        while (path.endsWith(QLatin1Char('\n')) || path.endsWith(QLatin1Char('\r')))
            path.chop(1);
        if (!path.isEmpty())
            paths << path;
    }
    free(line);
    return paths;
}

// The files to import, as the window's list would hold them: files as given, folders expanded.
QStringList gatherFiles(const BatchOptions& options, std::FILE* input, ConsoleDialogs& dialogs) {
    QStringList given;
    for (const QString& path : options.paths)
        given << (path == QLatin1String("-") ? readPathLines(input) : QStringList{path});
    FileList list;
    WalkProblems problems;
    addPaths(
        list, given, QStringLiteral("*.") + options.extension, [] {}, problems);
    if (!problems.isEmpty())
        dialogs.showMessage(Message{describeWalkProblems(problems)});
    return list.paths();
}
} // namespace

int runBatchImport(const QStringList& arguments, std::FILE* input, std::FILE* output,
                   std::FILE* errors) {
    const ParsedCommandLine parsed = parseBatchCommandLine(arguments);
    if (!parsed.options) {
        std::fputs(parsed.message.toUtf8().constData(), parsed.exitStatus == 0 ? output : errors);
        return parsed.exitStatus;
    }
    const BatchOptions& options = *parsed.options;
    ConsoleDialogs dialogs(errors, options.quiet);

    const QFileInfo target(options.output);
    if (!target.absoluteDir().exists()) {
        std::fprintf(errors, "brindlequay-batch: cannot write %s: the folder %s does not exist\n",
                     qPrintable(options.output), qPrintable(target.absolutePath()));
        return NothingWritten;
    }

    const QStringList files = gatherFiles(options, input, dialogs);
    ConsoleSurface surface(options.sendMode, options.route, files, errors,
                           !options.quiet && isatty(fileno(errors)));
    dialogs.beforeMessage = [&surface] { surface.clearProgress(); };

    SpreadsheetEngine engine;
    std::shared_ptr<EngineInstance> result;
    engine.setPresenter([&result](std::shared_ptr<EngineInstance> shown) { result = shown; });
    ImportRun(surface, dialogs, engine, temporaryFolder(),
              joinPath(programFolder(), QStringLiteral("temp.mdb")))
        .run();
    surface.clearProgress();

    if (dialogs.sawNoFiles())
        return NothingWritten;
    if (!result || result->workbookCount() == 0) {
        std::fputs("brindlequay-batch: no workbook was made, so nothing was written\n", errors);
        return NothingWritten;
    }
    try {
        saveAsXlsx(result->activeWorkbook(), options.output);
    } catch (...) {
        std::fprintf(errors, "brindlequay-batch: %s\n", qPrintable(describeCurrentException()));
        return NothingWritten;
    }
    dialogs.report(QStringLiteral("Wrote %1").arg(options.output));
    return dialogs.problems() > 0 ? SomeFailed : AllImported;
}
