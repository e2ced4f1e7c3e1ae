#include "office/XlsxSaving.h"

#include "base/RuntimeError.h"
#include "base/TextFiles.h"
#include "office/SharedStrings.h"
#include "office/SheetPart.h"
#include "office/Workbook.h"
#include "office/ZipPackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <xlsxwriter.h>

namespace {
// What the parts around the sheets depend on: the number formats in the order in which the
// cells first use them, and whether any cell holds a text.
struct WorkbookFacts {
    std::vector<int> decimalsInOrder;
    DecimalStyles styles{};
    bool hasTexts = false;
};

WorkbookFacts factsOf(const Workbook& workbook) {
    WorkbookFacts facts;
    for (int i = 1; i <= workbook.sheetCount(); ++i) {
        const CellStore& cells = workbook.sheet(i).cells();
        for (int row = 1; row <= cells.storedRowCount(); ++row) {
            for (const Cell& cell : cells.row(row)) {
                if (cell.kind == Cell::Kind::Text) {
                    facts.hasTexts = true;
                } else if (cell.kind == Cell::Kind::Number && cell.decimals > 0 &&
                           facts.styles[cell.decimals] == 0) {
                    facts.decimalsInOrder.push_back(cell.decimals);
                    facts.styles[cell.decimals] = static_cast<int>(facts.decimalsInOrder.size());
                }
            }
        }
    }
    return facts;
}

QString libraryProblem(lxw_error error, int systemError, const QString& path) {
    // The library's own word for a full disk is a generic zip error.
    if (systemError == ENOSPC || systemError == EDQUOT)
        return writeProblem(systemError, path);
    return QString::fromUtf8(lxw_strerror(error));
}

// Everything of the package but the sheets' cells and the texts, written by the format's
// reference library from a workbook of the same sheets and number formats: the workbook,
// styles, theme, content types, relationships and document properties.
void writeFrame(const Workbook& workbook, const WorkbookFacts& facts, const QString& path,
                const QString& scratchFolder) {
    const std::string scratch = QFile::encodeName(scratchFolder).toStdString();
    lxw_workbook_options options{};
    options.tmpdir = const_cast<char*>(scratch.c_str());
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!book)
        throw RuntimeError(QStringLiteral("Cannot create the workbook file ") + path);
    std::unique_ptr<lxw_workbook, void (*)(lxw_workbook*)> closing(
        book, [](lxw_workbook* unclosed) { workbook_close(unclosed); });
    lxw_worksheet* first = nullptr;
    for (int i = 1; i <= workbook.sheetCount(); ++i) {
        const QString& name = workbook.sheet(i).name();
        lxw_worksheet* sheet = workbook_add_worksheet(book, name.toUtf8().constData());
        if (!sheet)
            throw RuntimeError(QStringLiteral("The sheet \"%1\" cannot be saved").arg(name));
        first = first ? first : sheet;
    }
    // The cells that make the frame list the formats and texts; the sheets are written apart.
    lxw_row_t row = 0;
    for (int decimals : facts.decimalsInOrder) {
        lxw_format* format = workbook_add_format(book);
        format_set_num_format(format,
                              ("0." + std::string(static_cast<size_t>(decimals), '0')).c_str());
        worksheet_write_number(first, row++, 0, 0, format);
    }
    if (facts.hasTexts)
        worksheet_write_string(first, row, 0, "text", nullptr);
    closing.release();
    errno = 0;
    const lxw_error error = workbook_close(book);
    if (error != LXW_NO_ERROR)
        throw RuntimeError(QStringLiteral("Cannot write the workbook file %1: %2")
                               .arg(path, libraryProblem(error, errno, path)));
}

// The sheet that a part of the frame stands for, from 1; 0 for any other part.
int sheetOfPart(const std::string& name) {
    static const std::string prefix = "xl/worksheets/sheet";
    if (name.rfind(prefix, 0) != 0 || name.size() < prefix.size() + 5 ||
        name.compare(name.size() - 4, 4, ".xml") != 0)
        return 0;
    return std::atoi(name.c_str() + prefix.size());
}

// Whether a sheet's part may outgrow what a plain zip entry records.
bool mayBeLarge(const Worksheet& sheet) {
    constexpr std::int64_t kBytesPerCellAtMost = 64;
    return sheet.cells().cellCount() * kBytesPerCellAtMost >= 0xFFFFFFFFll;
}

void writePackage(const Workbook& workbook, const WorkbookFacts& facts, const QString& framePath,
                  const QString& path, QStringList& problems) {
    const std::vector<StoredEntry> frame = storedEntries(framePath);
    ZipPackage package(path);
    SharedStrings strings;
    for (const StoredEntry& entry : frame) {
        if (const int index = sheetOfPart(entry.name);
            index >= 1 && index <= workbook.sheetCount()) {
            const Worksheet& sheet = workbook.sheet(index);
            PartText part(package, entry.name, mayBeLarge(sheet));
            writeSheetPart(sheet, index == 1, facts.styles, strings, part, problems);
            part.finish();
        } else if (entry.name == "xl/sharedStrings.xml") {
            PartText part(package, entry.name, false);
            strings.write(part);
            part.finish();
        } else {
            package.addStored(entry);
        }
    }
    package.close();
}
} // namespace

QStringList saveAsXlsx(const Workbook& workbook, const QString& path) {
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        throw RuntimeError(QStringLiteral("Cannot save %1: the folder %2 does not exist")
                               .arg(path, target.absolutePath()));
    QTemporaryDir scratch(target.absolutePath() + QStringLiteral("/.brindlequay-save-XXXXXX"));
    if (!scratch.isValid())
        throw RuntimeError(QStringLiteral("Cannot save %1: %2").arg(path, scratch.errorString()));
    const QString framePath = scratch.filePath(QStringLiteral("frame.xlsx"));
    const QString partial = scratch.filePath(QStringLiteral("workbook.xlsx"));
    const WorkbookFacts facts = factsOf(workbook);
    writeFrame(workbook, facts, framePath, scratch.path());
    QStringList problems;
    writePackage(workbook, facts, framePath, partial, problems);
    replaceFileWith(partial, path);
    if (problems.size() > kCellsNamedInAReport) {
        const qsizetype more = problems.size() - kCellsNamedInAReport;
        problems.resize(kCellsNamedInAReport);
        problems << QStringLiteral("and %1 more cells").arg(more);
    }
    return problems;
}
