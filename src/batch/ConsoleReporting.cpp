#include "batch/ConsoleReporting.h"

#include "base/HardStop.h"
#include "batch/ReportLines.h"
#include "spreadsheet/SpreadsheetApplication.h"

#include <cmath>

namespace {
const QString kProgramPrefix = QStringLiteral("brindlequay-batch: ");
} // namespace

QByteArray ConsoleReport::problemText(const QString& line) {
    // Every line names the program, so that a line picked out of a log still says whose it is.
    return (kProgramPrefix + reportLine(line) + QLatin1Char('\n')).toUtf8();
}

void ConsoleReport::print(const QByteArray& lines) {
    // A hard stop is removing what the run made and has the last word; a failure that its
    // removing causes meanwhile is none of the user's.
    if (hardStopUnderWay())
        return;
    if (beforeLine)
        beforeLine();
    std::fputs(lines.constData(), m_errors);
    std::fflush(m_errors);
}

void ConsoleReport::problem(const QString& line) {
    print(problemText(line));
}

void ConsoleReport::problemLines(const QStringList& lines) {
    QByteArray text;
    for (const QString& line : lines)
        text += problemText(line);
    print(text);
}

void ConsoleReport::news(const QString& line) {
    if (!m_quiet)
        print((reportLine(line) + QLatin1Char('\n')).toUtf8());
}

void ConsoleReport::problems(const ImportResult& result) {
    for (const FileOutcome& file : result.files) {
        if (file.imported)
            continue;
        QString line = file.path + QStringLiteral(": ") + file.reason;
        if (file.line > 0)
            line += QStringLiteral(", line %1, position %2").arg(file.line).arg(file.position);
        problem(line);
    }
    if (result.failures.empty())
        return;
    // What a step's report may quote from outside: the files' paths, the sheets' and tables'
    // names.
    QStringList quoted = result.tables;
    for (const FileOutcome& file : result.files)
        quoted << file.path;
    if (result.spreadsheet && result.spreadsheet->workbookCount() > 0)
        quoted << result.spreadsheet->activeWorkbook().sheetNames();
    for (const StepFailure& failure : result.failures)
        problemLines(reportLines(failure.description, quoted));
}

ConsoleSurface::ConsoleSurface(const BatchOptions& options, QStringList files, std::FILE* errors,
                               bool showProgress)
    : m_options(options), m_files(std::move(files)), m_errors(errors),
      m_showProgress(showProgress) {
    m_elapsed.start();
}

void ConsoleSurface::setProgress(double percent) {
    if (!m_showProgress || percent <= 0)
        return;
    constexpr int kWidth = 30;
    const int filled = std::clamp(static_cast<int>(percent * kWidth / 100), 0, kWidth);
    const int done = static_cast<int>(std::lround(percent * fileCount() / 100));
    const qint64 seconds = m_elapsed.elapsed() / 1000;
    std::fprintf(m_errors, "\r[%s%s] %d/%d files  %lld:%02lld", QByteArray(filled, '#').constData(),
                 QByteArray(kWidth - filled, '.').constData(), done, fileCount(),
                 static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    std::fflush(m_errors);
    m_progressShown = true;
}

void ConsoleSurface::clearProgress() {
    if (!m_progressShown)
        return;
    std::fprintf(m_errors, "\r\033[K");
    m_progressShown = false;
}
