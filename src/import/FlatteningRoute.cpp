#include "import/FlatteningRoute.h"

#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/Paths.h"
#include "base/TextFiles.h"
#include "base/WorkTexts.h"
#include "import/ConversionAhead.h"
#include "import/CsvPaths.h"
#include "import/ImportResult.h"
#include "import/ImportSurface.h"
#include "import/PathTally.h"
#include "import/SpreadsheetOutput.h"
#include "import/WindowProcedures.h"
#include "xml/CsvConversion.h"

#include <optional>

namespace {
// What became of one file on its way to a CSV file.
struct Flattened {
    enum class Outcome {
        Converted,
        NotWellFormed,
        // The conversion failed for another reason than the document itself.
        ConversionFailed,
        // The CSV file could not be made or written.
        WriteFailed,
    };
    Outcome outcome = Outcome::Converted;
    // Where the document is not well-formed.
    XmlError error;
    // Why the conversion or the writing failed.
    QString failure;
    FileProblem problem = FileProblem::Failed;
};

Flattened failed(Flattened::Outcome outcome, QString failure,
                 FileProblem problem = FileProblem::Failed) {
    return {outcome, {}, std::move(failure), problem};
}

// The same for the exception being handled.
Flattened failedForCurrentException(Flattened::Outcome outcome) {
    return failed(outcome, describeCurrentException(), problemOfCurrentException());
}

// Flattens the file at `xmlPath` into the CSV text of `csvPath`, from the text converted ahead
// when there is one, and counts its element paths into `paths` when given. A file that fails in
// any way leaves no CSV text.
Flattened flattenFile(const QString& xmlPath, const QString& csvPath,
                      std::optional<ConvertedFile>& ahead, WorkTexts& texts, FilePathTally* paths,
                      const ReadProgress& progress) {
    std::optional<WorkTexts::Writer> csv;
    try {
        csv.emplace(texts, csvPath);
    } catch (...) {
        return failedForCurrentException(Flattened::Outcome::WriteFailed);
    }
    std::optional<XmlError> error;
    if (ahead) {
        if (ahead->failure)
            return failed(Flattened::Outcome::ConversionFailed, *ahead->failure, ahead->problem);
        error = std::move(ahead->error);
    } else {
        // The conversion raises both its own failures and the writer's; this tells them apart.
        bool writing = false;
        try {
            error = ConvertToCSV(
                xmlPath, ",",
                [&](std::string_view piece) {
                    writing = true;
                    csv->append(piece);
                    writing = false;
                },
                paths, progress);
        } catch (const ProcedureAbandoned&) {
            throw;
        } catch (...) {
            return failedForCurrentException(writing ? Flattened::Outcome::WriteFailed
                                                     : Flattened::Outcome::ConversionFailed);
        }
    }
    if (error)
        return {Flattened::Outcome::NotWellFormed, std::move(*error), {}};
    try {
        if (ahead)
            csv->append(ahead->csv);
        csv->append("\r\n");
        csv->commit();
    } catch (...) {
        return failedForCurrentException(Flattened::Outcome::WriteFailed);
    }
    return {};
}

// The message for a file that could not be read as XML.
QString errorReadingMessage(const QString& path, const XmlError& error) {
    return QStringLiteral("Error reading ") + path + QStringLiteral("\r\nerror:") + error.reason +
           QStringLiteral("\r\nLine:") + QString::number(error.line) +
           QStringLiteral("\r\nposition:") + QString::number(error.position);
}
} // namespace

// NOLINTBEGIN(readability-function-size): numbered steps, which an error report names by
// number, kept in one piece in the order they run.
void routeWithoutDatabase(ImportSurface& surface, Dialogs& dialogs,
                          SpreadsheetApplications& applications, WorkTexts& texts,
                          ReportingProcedure& procedure, ImportResult& result) {
    QStringList csvPaths;
    CsvPaths paths(result.workspace);
    const int count = surface.fileCount();
    QStringList xmlPaths;
    for (int i = 1; i <= count; ++i)
        xmlPaths << surface.fileAt(i);
    const bool countPaths = result.summary.has_value();
    ConversionAhead ahead(xmlPaths, countPaths);
    PathSummary elementPaths;
    // The paths of the files this thread converts itself.
    const std::shared_ptr<PathDictionary> ownPaths =
        countPaths ? std::make_shared<PathDictionary>() : nullptr;
    for (int i = 1; i <= count; ++i) {
        // The window paints its bar and answers between files; it refuses a second run and
        // changes of the list meanwhile.
        surface.processEvents();
        procedure.step(140, [&] {
            surface.readingFile(i, count, 0);
            surface.setProgress(100.0 * i / surface.fileCount());
        });
        FileOutcome& outcome = result.files.emplace_back(xmlPaths.at(i - 1));
        procedure.setAboutFile(outcome.path);
        const size_t failuresBefore = result.failures.size();
        std::optional<QString> csvPath;
        procedure.step(142, [&] { csvPath = paths.pathFor(outcome.path); });
        if (csvPath) {
            std::optional<ConvertedFile> converted = ahead.take(i);
            FilePathTally counted = countPaths ? FilePathTally(ownPaths) : FilePathTally();
            // A large file keeps the window answering, and its bar moving, as it is read.
            const ReadProgress reading = [&](qint64 read, qint64 size) {
                if (size > 0)
                    surface.readingFile(i, count,
                                        static_cast<double>(read) / static_cast<double>(size));
                surface.processEvents();
            };
            const Flattened flattened = flattenFile(outcome.path, *csvPath, converted, texts,
                                                    countPaths ? &counted : nullptr, reading);
            switch (flattened.outcome) {
            case Flattened::Outcome::Converted:
                procedure.step(144, [&] {
                    if (texts.exists(*csvPath)) {
                        csvPaths << *csvPath;
                        outcome.imported = true;
                        outcome.csvPath = *csvPath;
                        if (countPaths)
                            elementPaths.add(result.files.size() - 1,
                                             converted ? converted->paths : counted);
                    }
                });
                break;
            case Flattened::Outcome::NotWellFormed:
                procedure.step(144, [&] {
                    outcome.failedToRead(flattened.error);
                    Message message{errorReadingMessage(outcome.path, flattened.error)};
                    message.aboutFile = outcome.path;
                    dialogs.showMessage(message);
                });
                break;
            case Flattened::Outcome::ConversionFailed: {
                ReportingProcedure conversion(dialogs, kCsvConversionProcedure, &result.failures);
                conversion.setAboutFile(outcome.path);
                conversion.report(100, flattened.failure, flattened.problem);
                break;
            }
            case Flattened::Outcome::WriteFailed:
                procedure.report(144, flattened.failure, flattened.problem);
                break;
            }
        }
        result.claimFailures(outcome, failuresBefore);
        procedure.setAboutFile({});
    }
    procedure.step(146, [&] {
        result.spreadsheet = ImportToExcel(csvPaths, surface, dialogs, applications, texts,
                                           result.workspace, result);
    });
    // Only now is it known which files reached the workbook.
    if (countPaths)
        result.summary->paths = elementPaths.paths(result.files);
}
// NOLINTEND(readability-function-size)
