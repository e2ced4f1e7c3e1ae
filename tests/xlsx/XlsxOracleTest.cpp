// Our package, unzipped, part for part against the one that the format's reference library
// writes for the same workbook in its default mode (the form that spreadsheet applications are
// known to accept).
#include "sheet/ColumnWidths.h"
#include "sheet/NumberFormats.h"
#include "sheet/Workbook.h"
#include "support/ProgramRun.h"
#include "support/TreeBuilder.h"
#include "xlsx/SharedStrings.h"
#include "xlsx/XlsxSaving.h"

#include <QDirIterator>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <map>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <xlsxwriter.h>

namespace {
// The same cells given to the reference library in the order our saving numbers texts: sheet
// by sheet, row by row; a text as the file must hold it.
void saveWithLibrary(const Workbook& book, const QString& path) {
    lxw_workbook* library = workbook_new(QFile::encodeName(path).constData());
    std::map<int, lxw_format*> formats;
    std::vector<lxw_worksheet*> sheets;
    for (int i = 1; i <= book.sheetCount(); ++i) {
        const Worksheet& sheet = book.sheet(i);
        lxw_worksheet* added = workbook_add_worksheet(library, sheet.name().toUtf8().constData());
        sheets.push_back(added);
        // The view as the window left it: columns of one width side by side set at once.
        const std::vector<double> widths = columnWidths(sheet);
        for (size_t first = 0; first < widths.size();) {
            size_t last = first;
            while (last + 1 < widths.size() && widths[last + 1] == widths[first])
                ++last;
            if (widths[first] > 0) {
                ASSERT_EQ(worksheet_set_column(added, static_cast<lxw_col_t>(first),
                                               static_cast<lxw_col_t>(last), widths[first],
                                               nullptr),
                          LXW_NO_ERROR);
            }
            first = last + 1;
        }
        if (sheet.isTopRowFrozen())
            worksheet_freeze_panes(added, 1, 0);
    }
    for (int i = 1; i <= book.sheetCount(); ++i) {
        const CellStore& cells = book.sheet(i).cells();
        for (int row = 1; row <= cells.storedRowCount(); ++row) {
            for (int column = 1; column <= cells.storedColumnCount(row); ++column) {
                const Cell* cell = cells.cell(row, column);
                if (!cell)
                    continue;
                const auto r = static_cast<lxw_row_t>(row - 1);
                const auto c = static_cast<lxw_col_t>(column - 1);
                if (cell->kind == Cell::Kind::Text) {
                    ASSERT_EQ(worksheet_write_string(sheets[i - 1], r, c,
                                                     savedText(cells.textOf(*cell)).escaped.c_str(),
                                                     nullptr),
                              LXW_NO_ERROR);
                    continue;
                }
                const int numberFormat = numberFormatOf(*cell);
                lxw_format*& format = formats[numberFormat];
                if (!format && numberFormat != kGeneralFormat) {
                    format = workbook_add_format(library);
                    format_set_num_format(format, numberFormatCode(numberFormat).c_str());
                }
                worksheet_write_number(sheets[i - 1], r, c, cell->number, format);
            }
        }
    }
    ASSERT_EQ(workbook_close(library), LXW_NO_ERROR);
}

// Every part of a package by its name, read from the package unzipped.
std::map<QString, QByteArray> partsOf(const QString& xlsx, const QString& folder) {
    EXPECT_EQ(runProgram("unzip", {"-q", "-o", xlsx, "-d", folder}).exitCode, 0)
        << xlsx.toStdString();
    std::map<QString, QByteArray> parts;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        parts[QDir(folder).relativeFilePath(path)] = readFile(path);
    }
    return parts;
}

void expectSamePackage(const Workbook& book) {
    QTemporaryDir folder;
    saveAsXlsx(book, folder.filePath("ours.xlsx"));
    saveWithLibrary(book, folder.filePath("library.xlsx"));
    auto ours = partsOf(folder.filePath("ours.xlsx"), folder.filePath("ours"));
    auto library = partsOf(folder.filePath("library.xlsx"), folder.filePath("library"));
    // The document's dates are the moment of saving.
    ours.erase("docProps/core.xml");
    library.erase("docProps/core.xml");
    ASSERT_GE(library.size(), 9u);
    ASSERT_EQ(ours.size(), library.size());
    for (const auto& [name, bytes] : library) {
        ASSERT_TRUE(ours.count(name)) << name.toStdString();
        EXPECT_EQ(ours[name].toStdString(), bytes.toStdString()) << name.toStdString();
    }
}

std::string repeated(std::string_view piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}
} // namespace

TEST(XlsxOracle, NumbersDatesTextsAndEscapesAsTheReferenceLibraryWritesThem) {
    auto book = Workbook::createNew("Book1");
    CellStore& cells = book->sheet(1).cells();
    const char* values[] = {
        "12.50",
        "-0.001",
        "123456789012345",
        "0.1",
        "7",
        "1234.5678",
        "99999999999999.9",
        "007",
        "1e3",
        "a < b & \"c\" > 'd'",
        "x_x000D_y",
        "_X00aF_ and _x12_",
        " lead",
        "trail\t",
        "\nboth ",
        "ctl\x01here",
        "\rcr",
        "\x1f",
        "del\x7f",
        "ümlaut €",
        "\xF0\x9F\x98\x80",
        // Wide whole numbers, dates and times, each with its own format.
        "123456789",
        "-7300010000001",
        "2024-01-15",
        "2024-01-15T10:30:00",
        "2024-01-15T10:30:00.5",
        "9999-12-31T23:59:59.999",
        "00:00:00",
        "23:59:59.25",
        "12:00:00.001",
    };
    int row = 1;
    for (const char* value : values) {
        cells.setText(row, 1, value);
        // Every text also twice more, to be stored once.
        cells.setText(row, 3, value);
        cells.setText(row++ + 40, 2, value);
    }
    // The longest texts a cell keeps, and one whose escapes outgrow it.
    cells.setText(row++, 1, std::string(kMaxCellCharacters, 'a'));
    cells.setText(row++, 1, repeated("é", kMaxCellCharacters));
    cells.setText(row++, 1, repeated("_x0041_", 5000));
    // A cell emptied again is not written.
    cells.setText(row, 2, "gone");
    cells.setText(row, 2, "");
    // The sheet's limits.
    cells.setText(kMaxRows, kMaxColumns, "last");
    cells.setText(kMaxRows, 1, "0.25");
    book->renameSheet(book->sheet(2), "Données ✓ 日本");
    book->renameSheet(book->sheet(3), "R&D \"Q1\" <final>");
    book->sheet(2).cells().setText(5, 3, "only");
    book->sheet(2).cells().setText(6, 1, "12.50");
    book->sheet(2).cells().setText(7, 1, "3.14159");
    expectSamePackage(*book);
}

TEST(XlsxOracle, ColumnWidthsAndFrozenTopRowsAsTheReferenceLibraryWritesThem) {
    auto book = Workbook::createNew("Book1");
    Worksheet& first = book->sheet(1);
    // Fitted widths, equal ones side by side, a column left out, widths set by hand, the widest
    // a column may be, one far to the right and one fitted to its most.
    first.cells().setText(1, 1, "name");
    first.cells().setText(1, 2, "city");
    first.cells().setText(1, 3, "12.50");
    first.cells().setText(2, 5, "2024-01-15T10:30:00");
    first.cells().setText(1, 6, std::string(300, 'x'));
    first.setColumnWidth(7, 12.5);
    first.setColumnWidth(8, kMaxColumnWidth);
    first.setColumnWidth(kMaxColumns, 20);
    first.setTopRowFrozen(true);
    // A frozen sheet whose tab is not chosen, and one with cells whose view nobody changed.
    book->sheet(2).setTopRowFrozen(true);
    book->sheet(3).cells().setText(3, 2, "Oslo");
    expectSamePackage(*book);
}

#ifndef _WIN32
TEST(XlsxOracle, EmptyWorkbooksAndOnesOfThousandsOfSheetsWithFewFilesOpenPosixOnly) {
    expectSamePackage(*Workbook::createNew("Book1"));

    // However many sheets, saving keeps only a handful of files open.
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit few{32, limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &few), 0);
    auto book = Workbook::createNew("Book1");
    for (int i = 0; i < 1500; ++i) {
        Worksheet& sheet = book->addSheet();
        sheet.cells().setText(1, 1, "value " + std::to_string(i % 100));
        sheet.cells().setText(2, 2, std::to_string(i) + ".5");
    }
    QTemporaryDir folder;
    EXPECT_NO_THROW(saveAsXlsx(*book, folder.filePath("many.xlsx")));
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
    expectSamePackage(*book);
}
#endif
