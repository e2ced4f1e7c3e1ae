#include "xlsx/XlsxSaving.h"

#include "base/HardStop.h"
#include "base/Paths.h"
#include "base/RuntimeError.h"
#include "base/TextFiles.h"
#include "sheet/Workbook.h"
#include "xlsx/PackageParts.h"
#include "xlsx/PartText.h"
#include "xlsx/SharedStrings.h"
#include "xlsx/SheetPart.h"
#include "xlsx/ZipPackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <filesystem>
#include <map>
#include <xlsxwriter.h>

namespace {
// A cell format of the saved file: a number format, and whether the cell looks like a link.
struct CellFormat {
    int numberFormat = kGeneralFormat;
    bool linked = false;
};

// What the parts around the sheets depend on: the cell formats in the order in which the cells
// first use them, and whether any cell holds a text of the shared list.
struct WorkbookFacts {
    std::vector<CellFormat> formatsInOrder;
    CellStyles styles;
    bool hasTexts = false;
    // Rows of every sheet, the measure of the saving's progress.
    std::int64_t storedRows = 0;
};

// Numbers the format for cells of `numberFormat`, linked or plain, unless it has its number.
void noteFormat(WorkbookFacts& facts, int numberFormat, bool linked) {
    int& style =
        (linked ? facts.styles.linked : facts.styles.plain)[static_cast<size_t>(numberFormat)];
    if (style != 0 || (numberFormat == kGeneralFormat && !linked))
        return;
    facts.formatsInOrder.push_back({numberFormat, linked});
    style = static_cast<int>(facts.formatsInOrder.size());
}

WorkbookFacts factsOf(const Workbook& workbook) {
    WorkbookFacts facts;
    for (int i = 1; i <= workbook.sheetCount(); ++i) {
        const CellStore& cells = workbook.sheet(i).cells();
        const bool sharesTexts = !workbook.sheet(i).keepsTextsInCells();
        facts.storedRows += cells.storedRowCount();
        for (int row = 1; row <= cells.storedRowCount(); ++row) {
            for (const Cell& cell : cells.row(row)) {
                if (cell.kind == Cell::Kind::Text)
                    facts.hasTexts = facts.hasTexts || sharesTexts;
                else if (cell.kind != Cell::Kind::Empty)
                    noteFormat(facts, numberFormatOf(cell), false);
            }
        }
    }
    // A workbook without links keeps the formats it always had; the link formats come after.
    for (int i = 1; i <= workbook.sheetCount(); ++i) {
        const Worksheet& sheet = workbook.sheet(i);
        for (const SheetLink& link : sheet.links())
            if (const Cell* cell = sheet.cells().cell(link.row, link.column);
                cell && cell->kind != Cell::Kind::Empty)
                noteFormat(facts,
                           cell->kind == Cell::Kind::Text ? kGeneralFormat : numberFormatOf(*cell),
                           true);
    }
    return facts;
}

QString libraryProblem(lxw_error error, int systemError, const QString& path) {
    // The library's own word for a full disk is a generic zip error.
    if (meansNoSpace(systemError))
        return writeProblem(systemError, path);
    return QString::fromUtf8(lxw_strerror(error));
}

// The parts of the package that do not depend on the sheets, written by the format's reference
// library from a workbook of one sheet with the same number formats and, when the workbook has
// texts, a text: the styles, theme, relationships and document properties.
void writeFrame(const WorkbookFacts& facts, const QString& path, const QString& scratchFolder,
                const QString& target) {
    const std::string scratch = codePagePath(scratchFolder).toStdString();
    lxw_workbook_options options{};
    options.tmpdir = const_cast<char*>(scratch.c_str());
    lxw_workbook* book = workbook_new_opt(codePagePath(path).constData(), &options);
    if (!book)
        throw RuntimeError(QStringLiteral("Cannot create the workbook file ") + target);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_row_t row = 0;
    for (const CellFormat& cellFormat : facts.formatsInOrder) {
        lxw_format* format = workbook_add_format(book);
        if (cellFormat.numberFormat != kGeneralFormat)
            format_set_num_format(format, numberFormatCode(cellFormat.numberFormat).c_str());
        if (cellFormat.linked) {
            format_set_font_color(format, LXW_COLOR_BLUE);
            format_set_underline(format, LXW_UNDERLINE_SINGLE);
        }
        worksheet_write_number(sheet, row++, 0, 0, format);
    }
    if (facts.hasTexts)
        worksheet_write_string(sheet, row, 0, "text", nullptr);
    errno = 0;
    const lxw_error error = workbook_close(book);
    if (error != LXW_NO_ERROR)
        throw RuntimeError(QStringLiteral("Cannot write the workbook file %1: %2")
                               .arg(target, libraryProblem(error, errno, target)));
}

// Whether a sheet's part may outgrow what a plain zip entry records.
bool mayBeLarge(const Worksheet& sheet) {
    constexpr std::int64_t kBytesPerCellAtMost = 64;
    const CellStore& cells = sheet.cells();
    std::int64_t bytes = cells.cellCount() * kBytesPerCellAtMost;
    // Texts kept in the cells are the part's own, each byte escaped to seven at most.
    if (sheet.keepsTextsInCells())
        for (int row = 1; row <= cells.storedRowCount(); ++row)
            for (const Cell& cell : cells.row(row))
                if (cell.kind == Cell::Kind::Text)
                    bytes += 7 * static_cast<std::int64_t>(cells.texts().text(cell.text).size());
    return bytes >= 0xFFFFFFFFll;
}

void addPart(ZipPackage& package, const std::string& name, const std::string& text) {
    PartText part(package, name, false);
    part.append(text);
    part.finish();
}

// Writes the package in the order of the reference library's parts.
void writePackage(const Workbook& workbook, const WorkbookFacts& facts, const QString& framePath,
                  const QString& path, const QString& target, QStringList& problems,
                  qint64& unnamed, const std::function<void(double)>& progressed) {
    std::map<std::string, StoredEntry> frame;
    for (StoredEntry& entry : storedEntries(framePath))
        frame[entry.name] = std::move(entry);
    const auto framePart = [&](const std::string& name) -> const StoredEntry& {
        const auto found = frame.find(name);
        if (found == frame.end())
            throw RuntimeError(QStringLiteral("The reference library wrote no part %1")
                                   .arg(QString::fromStdString(name)));
        return found->second;
    };
    const QStringList names = workbook.sheetNames();
    const int sheets = workbook.sheetCount();
    ZipPackage package(path, target);
    addPart(package, "[Content_Types].xml", contentTypesPart(sheets, facts.hasTexts));
    package.addStored(framePart("_rels/.rels"));
    addPart(package, "xl/_rels/workbook.xml.rels",
            workbookRelationshipsPart(sheets, facts.hasTexts));
    SharedStrings strings;
    // The sheets' rows are most of the work; the shared texts after them are counted as one row.
    std::int64_t rowsBefore = 0;
    const auto tell = [&](std::int64_t rowsDone) {
        progressed(static_cast<double>(rowsDone) / static_cast<double>(facts.storedRows + 1));
    };
    for (int index = 1; index <= sheets; ++index) {
        const Worksheet& sheet = workbook.sheet(index);
        PartText part(package, "xl/worksheets/sheet" + std::to_string(index) + ".xml",
                      mayBeLarge(sheet));
        // A text cut on a million rows names its first cells and counts the rest.
        writeSheetPart(
            sheet, index == 1, facts.styles, strings, part,
            [&](std::string_view reference, qint64 cut) {
                if (problems.size() < kCellsNamedInAReport)
                    problems << QStringLiteral("Cell %1!%2 was saved without its last "
                                               "%3 characters")
                                    .arg(sheet.name(),
                                         QString::fromLatin1(reference.data(),
                                                             qsizetype(reference.size())))
                                    .arg(cut);
                else
                    ++unnamed;
            },
            [&](int rows) { tell(rowsBefore + rows); });
        part.finish();
        rowsBefore += sheet.cells().storedRowCount();
        tell(rowsBefore);
    }
    addPart(package, "xl/workbook.xml",
            workbookPart(unpackedEntry(framePath, "xl/workbook.xml"), names));
    if (facts.hasTexts) {
        PartText part(package, "xl/sharedStrings.xml", strings.mayBeLarge());
        strings.write(part);
        part.finish();
    }
    package.addStored(framePart("xl/theme/theme1.xml"));
    package.addStored(framePart("xl/styles.xml"));
    package.addStored(framePart("docProps/core.xml"));
    addPart(package, "docProps/app.xml",
            appPropertiesPart(unpackedEntry(framePath, "docProps/app.xml"), names));
    package.close();
}

// The private folder beside the target where the workbook is made. It goes at the end, and with
// a hard stop whichever thread is writing in it; removed quietly, since a hard stop may be
// removing it at the same time.
class ScratchFolder {
public:
    ScratchFolder(const QString& folder, const QString& target) {
        QString problem;
        m_registration = RemovedOnHardStop([&] {
            QTemporaryDir made(folder + QStringLiteral("/.brindlequay-save-XXXXXX"));
            made.setAutoRemove(false);
            problem = made.errorString();
            return made.isValid() ? made.path() : QString();
        });
        if (m_registration.path().isEmpty())
            throw RuntimeError(QStringLiteral("Cannot save %1: %2").arg(target, problem));
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(nativePath(path()), ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const QString& path() const { return m_registration.path(); }
    QString filePath(const QString& name) const { return path() + QLatin1Char('/') + name; }

private:
    // Let go only after the folder is removed.
    RemovedOnHardStop m_registration;
};
} // namespace

QStringList saveAsXlsx(const Workbook& workbook, const QString& requested,
                       const std::function<void(double share)>& progressed) {
    // A link stays a link: the file it leads to is the one replaced.
    const QString path = replaceableFile(requested);
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        throw RuntimeError(QStringLiteral("Cannot save %1: the folder %2 does not exist")
                               .arg(path, target.absolutePath()));
    const ScratchFolder scratch(target.absolutePath(), path);
    const QString framePath = scratch.filePath(QStringLiteral("frame.xlsx"));
    const QString partial = scratch.filePath(QStringLiteral("workbook.xlsx"));
    checkSheetNames(workbook.sheetNames());
    const WorkbookFacts facts = factsOf(workbook);
    writeFrame(facts, framePath, scratch.path(), path);
    QStringList problems;
    qint64 unnamed = 0;
    const std::function<void(double)> tell = progressed ? progressed : [](double) {};
    writePackage(workbook, facts, framePath, partial, path, problems, unnamed, tell);
    // A stop asked for until this moment keeps the older file; one after it finds the new.
    replaceFileWith(partial, path, Durability::KeepNew, OnStop::KeepOlder);
    tell(1.0);
    if (unnamed > 0)
        problems << QStringLiteral("and %1 more cells").arg(unnamed);
    return problems;
}
