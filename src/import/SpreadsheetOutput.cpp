#include "import/SpreadsheetOutput.h"

#include "base/ErrorReport.h"
#include "base/Paths.h"
#include "base/RuntimeError.h"
#include "base/TextFiles.h"
#include "base/WorkTexts.h"
#include "import/CsvPaths.h"
#include "import/Excel1.h"
#include "import/ImportSurface.h"
#include "import/WindowProcedures.h"
#include "spreadsheet/CsvOpening.h"
#include "spreadsheet/SpreadsheetApplication.h"

#include <QHash>
#include <QScopeGuard>

#include <algorithm>
#include <memory>
#include <optional>

namespace {
void showProgress(ImportSurface& surface, int done) {
    const int listed = surface.fileCount();
    if (listed > 0)
        surface.setProgress(100.0 * done / listed);
}

// The listed files by the CSV files they were flattened into, looked up once per file.
class SourceFiles {
public:
    explicit SourceFiles(const ImportResult& result) {
        for (const FileOutcome& file : result.files)
            if (!file.csvPath.isEmpty() && !m_byCsvPath.contains(file.csvPath))
                m_byCsvPath.insert(file.csvPath, file.path);
    }
    // The listed file that was flattened into `csvPath`; the CSV file's name when none was.
    QString of(const QString& csvPath) const {
        return m_byCsvPath.value(csvPath, FileNameOf(csvPath));
    }

private:
    QHash<QString, QString> m_byCsvPath;
};

// Opens a CSV file; what did not fit is kept for the caller to place and report.
void openKeepingShortfall(SpreadsheetApplication& application, const QString& path,
                          std::optional<SheetShortfall>& shortfall) {
    SheetShortfall left = application.openWorkbook(path).shortfall;
    if (!left.isEmpty())
        shortfall = std::move(left);
}

// The shortfall of the combined file, told file by file: the lines of each CSV file follow
// one another on the sheet and its continuations from `firstRows`. Values beyond the last column
// are told of the files together, since their lines are no longer known.
std::vector<SheetShortfall> byFile(const SheetShortfall& combined, const QStringList& sources,
                                   const std::vector<qint64>& firstRows, const Workbook& workbook,
                                   const Worksheet& sheet) {
    const auto fileAt = [&](qint64 row) -> qsizetype {
        const auto after = std::upper_bound(firstRows.begin(), firstRows.end(), row);
        return std::max<qsizetype>(0, after - firstRows.begin() - 1);
    };
    const auto nameOf = [&](qsizetype index) {
        return index < sources.size() ? sources.at(index) : combined.source;
    };
    const SheetShortfall onSheet{QString(), sheet.name(), workbook.continuationNames(sheet), 0, {}};
    std::vector<SheetShortfall> shortfalls;
    if (combined.valuesLeftOut > 0) {
        shortfalls.push_back(onSheet);
        shortfalls.back().source = QStringLiteral("The files on one sheet");
        shortfalls.back().valuesLeftOut = combined.valuesLeftOut;
    }
    for (const CutCell& cell : combined.cutCells) {
        const QString file = nameOf(fileAt(static_cast<qint64>(cell.sheet) * kMaxRows + cell.row));
        if (shortfalls.empty() || shortfalls.back().source != file) {
            shortfalls.push_back(onSheet);
            shortfalls.back().source = file;
        }
        shortfalls.back().cutCells.push_back(cell);
    }
    return shortfalls;
}

// The texts of a run joined into one text, in the run's folder, and where the lines of each
// text begin in it.
struct JoinedTexts {
    // Whether the joined text was written whole.
    bool written = false;
    // The text that could not be read into it, when one could not.
    std::optional<qsizetype> failed;
    std::vector<qint64> firstRows;
    QStringList sources;
    // The bytes of the joined text.
    qint64 bytes = 0;
};

// The output's parts of the bar on one sheet: joining the texts, opening the joined text (by its
// bytes), then placing its cells.
constexpr double kJoinedPart = 0.3;
constexpr double kOpenedPart = 0.6;

// Joins the texts of `csvPaths` into the text of `joinedPath`, each followed by a line break.
// A text that cannot be read into it, for want of memory or otherwise, stops the joining, as
// does a joined text that cannot be written; it is then left unwritten.
// NOLINTBEGIN(readability-function-size): numbered steps, which an error report names by
// number, kept in one piece in the order they run.
JoinedTexts joinTexts(const QStringList& csvPaths, const QString& joinedPath,
                      ImportSurface& surface, WorkTexts& texts, ReportingProcedure& procedure,
                      ImportResult& result) {
    JoinedTexts joined;
    std::optional<WorkTexts::Writer> combined;
    procedure.step(100, [&] {
        combined.emplace(texts, joinedPath);
        // The texts held in memory, each with its line break, are most often all of it.
        qint64 bytes = 0;
        for (const QString& path : csvPaths)
            if (const std::shared_ptr<const std::string> text = texts.held(path))
                bytes += static_cast<qint64>(text->size()) + 2;
        combined->reserve(bytes);
    });
    if (!combined)
        return joined;
    const SourceFiles sourceFiles(result);
    qint64 nextRow = 1;
    for (int i = 1; i <= csvPaths.size(); ++i) {
        procedure.step(102, [&] { surface.processEvents(); });
        // Each text passes into the combined file in pieces, never whole in memory.
        CsvLineCounter lines;
        const size_t failuresBefore = result.failures.size();
        // A joined text that cannot be written fails every file alike; memory that runs out
        // while a text is joined, or the line break after it, is that text's.
        bool writeFailed = false;
        procedure.step(104, [&] {
            joined.firstRows.push_back(nextRow);
            joined.sources << sourceFiles.of(csvPaths.at(i - 1));
            texts.read(csvPaths.at(i - 1), [&](std::string_view piece) {
                try {
                    combined->append(piece);
                } catch (const std::bad_alloc&) {
                    throw;
                } catch (...) {
                    writeFailed = true;
                    throw;
                }
                lines.feed(piece);
                joined.bytes += static_cast<qint64>(piece.size());
            });
        });
        if (result.failures.size() > failuresBefore) {
            if (!writeFailed)
                joined.failed = i - 1;
            return joined;
        }
        bool ended = false;
        procedure.step(106, [&] {
            try {
                combined->append("\r\n");
            } catch (const std::bad_alloc&) {
                joined.failed = i - 1;
                throw;
            }
            lines.feed("\r\n");
            nextRow += lines.finish();
            ended = true;
        });
        if (!ended)
            return joined;
        procedure.step(108, [&] {
            surface.writingOutput(kJoinedPart * i / static_cast<double>(csvPaths.size()));
            showProgress(surface, i);
        });
    }
    procedure.step(112, [&] {
        combined->commit();
        joined.written = true;
    });
    return joined;
}
// NOLINTEND(readability-function-size)

// Takes the files flattened into `csvPaths` as not imported after all, for the failure that
// the last step reported (since `failuresBefore`) or for `reason` when given: the failure is
// theirs then, no longer the run's. A text that no listed file gave leaves it the run's.
void notImported(const QStringList& csvPaths, ImportResult& result, size_t failuresBefore,
                 std::optional<StepFailure> reason = {}) {
    if (result.failures.size() <= failuresBefore)
        return;
    QHash<QString, FileOutcome*> byText;
    for (FileOutcome& file : result.files)
        if (!file.csvPath.isEmpty())
            byText.insert(file.csvPath, &file);
    const StepFailure why = reason ? *reason : result.failures.back();
    bool claimed = false;
    for (const QString& path : csvPaths)
        if (FileOutcome* file = byText.value(path)) {
            file->failedFor(why);
            claimed = true;
        }
    if (claimed)
        result.failures.erase(result.failures.begin() + static_cast<std::ptrdiff_t>(failuresBefore),
                              result.failures.end());
}

// NOLINTBEGIN(readability-function-size): numbered steps, which an error report names by
// number, kept in one piece in the order they run.
std::shared_ptr<SpreadsheetApplication> oneSheetOutput(const QStringList& csvPaths,
                                                       ImportSurface& surface, Dialogs& dialogs,
                                                       SpreadsheetApplications& applications,
                                                       WorkTexts& texts, const QString& workspace,
                                                       ImportResult& result) {
    ReportingProcedure procedure(dialogs, kSpreadsheetOutputProcedure, &result.failures);
    const QString combinedPath = CsvPaths::combinedFile(workspace);
    std::shared_ptr<SpreadsheetApplication> source;
    bool opened = false;
    std::optional<SheetShortfall> shortfall;
    // A text whose lines cannot be read or placed, for want of memory or otherwise, is a
    // failure of its file, not of the run: the memory it took is given back, and the others
    // are joined and opened again without it. The texts are joined in the run's folder, so
    // every attempt reads them again.
    QStringList placing = csvPaths;
    JoinedTexts joined;
    for (bool again = true; again;) {
        again = false;
        // Only one joined text at a time takes memory.
        texts.remove(combinedPath);
        shortfall.reset();
        const size_t joinFailuresBefore = result.failures.size();
        joined = joinTexts(placing, combinedPath, surface, texts, procedure, result);
        if (joined.failed) {
            notImported({placing.at(*joined.failed)}, result, result.failures.size() - 1);
            placing.removeAt(*joined.failed);
            again = true;
            continue;
        }
        // With no joined text to open, nothing of any file reaches the sheet.
        if (!joined.written)
            notImported(placing, result, joinFailuresBefore);
        if (!source)
            procedure.step(110, [&] { source = applications.create(); });
        procedure.step(114, [&] { mustBeSet(source.get()).setDisplayAlerts(false); });
        // The text of thousands of files takes a while to open: events run between its pieces,
        // as they do between files.
        const size_t failuresBefore = result.failures.size();
        std::optional<qsizetype> outOfMemoryIn;
        procedure.step(116, [&] {
            if (!joined.written)
                return;
            qint64 bytesOpened = 0;
            applications.letEventsRunWith([&] {
                bytesOpened += static_cast<qint64>(kCsvBytesBetweenEvents);
                const double part = joined.bytes > 0 ? static_cast<double>(bytesOpened) /
                                                           static_cast<double>(joined.bytes)
                                                     : 1.0;
                surface.writingOutput(kJoinedPart + kOpenedPart * std::min(part, 1.0));
                surface.processEvents();
            });
            const auto noMore = qScopeGuard([&] { applications.letEventsRunWith({}); });
            try {
                openKeepingShortfall(mustBeSet(source.get()), combinedPath, shortfall);
                opened = true;
            } catch (const CsvOutOfMemory& outOfMemory) {
                const auto after = std::upper_bound(joined.firstRows.begin(),
                                                    joined.firstRows.end(), outOfMemory.line());
                outOfMemoryIn = std::max<qsizetype>(0, after - joined.firstRows.begin() - 1);
                if (*outOfMemoryIn >= placing.size())
                    throw;
                throw RuntimeError(QStringLiteral("The file %1 was not imported: there is not "
                                                  "enough memory for its lines on the sheet.")
                                       .arg(joined.sources.value(*outOfMemoryIn)));
            }
        });
        if (outOfMemoryIn && *outOfMemoryIn < placing.size()) {
            notImported({placing.at(*outOfMemoryIn)}, result, failuresBefore,
                        StepFailure{QString(), 0, QStringLiteral("not enough memory"),
                                    FileProblem::OutOfMemory});
            placing.removeAt(*outOfMemoryIn);
            again = !placing.isEmpty();
        } else if (!opened) {
            // Nothing of any file reached the sheet.
            notImported(placing, result, failuresBefore);
        }
    }
    // A block left on the clipboard by an earlier copy must never stand in for this one.
    bool copied = false;
    if (opened) {
        const size_t failuresBefore = result.failures.size();
        procedure.step(118, [&] {
            mustBeSet(source.get()).copyUsedRange(source->activeWorkbook().activeSheet());
            copied = true;
        });
        notImported(placing, result, failuresBefore);
    }
    std::shared_ptr<SpreadsheetApplication> target;
    Workbook* book = nullptr;
    Worksheet* first = nullptr;
    procedure.step(120, [&] {
        target = applications.create();
        book = &target->addWorkbook();
        first = &book->activeSheet();
    });
    if (copied) {
        const size_t failuresBefore = result.failures.size();
        bool pasted = false;
        procedure.step(122, [&] {
            target->paste(mustBeSet(first));
            pasted = true;
            noteContinued(*book, *first, result);
            if (shortfall)
                raiseShortfalls(byFile(*shortfall, joined.sources, joined.firstRows, *book, *first),
                                result);
        });
        // What did not fit is told, and the rest kept; a block not placed is every file's loss.
        if (!pasted)
            notImported(placing, result, failuresBefore);
    }
    procedure.step(124, [&] { mustBeSet(first).selectRange(QStringLiteral("A1")); });
    surface.writingOutput(1.0);
    procedure.step(126, [&] { mustBeSet(target.get()).setVisible(true); });
    procedure.step(128, [&] {
        mustBeSet(source.get()).quit();
        source->setDisplayAlerts(true);
    });
    procedure.step(130, [&] { texts.remove(combinedPath); });
    return target;
}
// NOLINTEND(readability-function-size)

// Its steps go on from the one-sheet branch's numbers: one procedure, numbered in text order.
// NOLINTBEGIN(readability-function-size): numbered steps, which an error report names by
// number, kept in one piece in the order they run.
std::shared_ptr<SpreadsheetApplication>
multipleSheetOutput(const QStringList& csvPaths, ImportSurface& surface, Dialogs& dialogs,
                    SpreadsheetApplications& applications, ImportResult& result) {
    ReportingProcedure procedure(dialogs, kSpreadsheetOutputProcedure, &result.failures);
    std::int32_t nameCounter = 0;
    std::shared_ptr<SpreadsheetApplication> target;
    // The output writes to the sheet it added, whatever the user looks at meanwhile.
    std::optional<BeingFilled> filling;
    const SourceFiles sourceFiles(result);
    applications.expectOpening(csvPaths);
    for (int i = 1; i <= csvPaths.size(); ++i) {
        procedure.step(132, [&] { surface.processEvents(); });
        const QString& path = csvPaths.at(i - 1);
        bool copied = false;
        // A file too large for its sheet still gives the sheet what fit, as one sheet does.
        std::optional<SheetShortfall> shortfall;
        const size_t failuresBefore = result.failures.size();
        procedure.step(134, [&] {
            const std::shared_ptr<SpreadsheetApplication> source = applications.create();
            source->setDisplayAlerts(false);
            openKeepingShortfall(*source, path, shortfall);
            source->copyUsedRange(source->activeWorkbook().activeSheet());
            copied = true;
            source->quit();
        });
        // A text that cannot be opened, for want of memory or otherwise, is its file's failure;
        // what it took went with the instance that opened it.
        if (!copied)
            notImported({path}, result, failuresBefore);
        // Let go of the last workbook before the instance that holds it may be.
        filling.reset();
        procedure.step(136, [&] {
            if (ExcelIsRunning(applications)) {
                target = applications.attachRunning();
            } else {
                target = applications.create();
                target->addWorkbook();
            }
        });
        Workbook* workbook = nullptr;
        Worksheet* sheet = nullptr;
        procedure.step(138, [&] {
            workbook = &mustBeSet(target.get()).activeWorkbook();
            filling.emplace(*workbook);
            sheet = &workbook->addSheet();
        });
        QString candidate;
        procedure.step(140, [&] { candidate = CleanSheetName(FileNameOf(path)); });
        procedure.step(142, [&] {
            while (SheetNameExists(mustBeSet(target.get()), candidate))
                candidate += QString::number(++nameCounter);
        });
        // The counter's name stays wherever the workbook takes it; one it refuses (taken in other
        // letters, a character no sheet name holds, too long) gets the nearest it takes, so that
        // every file's sheet is named after the file.
        procedure.step(144, [&] {
            Workbook& book = mustBeSet(workbook);
            Worksheet& named = mustBeSet(sheet);
            book.renameSheet(named, book.freeNameFor(named, candidate));
        });
        const size_t pasteFailuresBefore = result.failures.size();
        bool pasted = false;
        procedure.step(146, [&] {
            if (copied) {
                target->paste(mustBeSet(sheet));
                pasted = true;
                noteContinued(*workbook, *sheet, result);
            }
            mustBeSet(sheet).selectRange(QStringLiteral("A1"));
            if (shortfall) {
                shortfall->source = sourceFiles.of(path);
                shortfall->sheet = sheet->name();
                shortfall->continuations = workbook->continuationNames(*sheet);
                raiseShortfalls({*shortfall}, result);
            }
        });
        // A block placed only in part is the file's failure too, and what it took is given back.
        if (copied && !pasted) {
            notImported({path}, result, pasteFailuresBefore);
            if (sheet)
                sheet->cells() = CellStore();
        }
        procedure.step(148, [&] {
            surface.writingOutput(i / static_cast<double>(csvPaths.size()));
            showProgress(surface, i);
        });
    }
    filling.reset();
    applications.expectOpening({});
    if (target)
        procedure.step(150, [&] { target->setVisible(true); });
    return target;
}
// NOLINTEND(readability-function-size)
} // namespace

std::shared_ptr<SpreadsheetApplication> ImportToExcel(const QStringList& csvPaths,
                                                      ImportSurface& surface, Dialogs& dialogs,
                                                      SpreadsheetApplications& applications,
                                                      WorkTexts& texts, const QString& workspace,
                                                      ImportResult& result) {
    switch (surface.sendMode()) {
    case SendMode::OneSheet:
        return oneSheetOutput(csvPaths, surface, dialogs, applications, texts, workspace, result);
    case SendMode::MultipleSheets:
        return multipleSheetOutput(csvPaths, surface, dialogs, applications, result);
    case SendMode::None:
        break;
    }
    return nullptr;
}
