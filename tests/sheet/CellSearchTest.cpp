#include "sheet/CellSearch.h"
#include "sheet/Workbook.h"
#include "sheet/Worksheet.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(CellSearch, FindsTextsAndShownNumbersInReadingOrderWithoutRegardToCase) {
    CellStore cells;
    cells.setText(1, 1, "Apfelstrudel mit Sahne");
    cells.setText(1, 3, "12.50");
    cells.setText(2, 2, "ÄPFEL");
    cells.setText(3, 2, "two\nlines");
    cells.setText(5, 1, "apfel");
    CellSearch apfel(cells, "APFEL");
    EXPECT_EQ(apfel.nextAfter({0, 0}), (CellPlace{1, 1}));
    EXPECT_EQ(apfel.nextAfter({1, 1}), (CellPlace{5, 1}));
    EXPECT_EQ(apfel.nextAfter({5, 1}), std::nullopt);

    CellSearch umlaut(cells, "äpfel");
    EXPECT_EQ(umlaut.nextAfter({0, 0}), (CellPlace{2, 2}));

    // A number is found as it is shown, its decimals included.
    CellSearch number(cells, "2.50");
    EXPECT_EQ(number.nextAfter({0, 0}), (CellPlace{1, 3}));
    // A date or time as it was written.
    cells.setText(6, 2, "2024-01-15T10:30:00.5");
    cells.setText(7, 1, "10:30:00");
    EXPECT_EQ(CellSearch(cells, "01-15t10").nextAfter({0, 0}), (CellPlace{6, 2}));
    EXPECT_EQ(CellSearch(cells, "10:30").nextAfter({6, 2}), (CellPlace{7, 1}));
    EXPECT_EQ(CellSearch(cells, "2024").nextAfter({0, 0}), (CellPlace{6, 2}));
    EXPECT_EQ(CellSearch(cells, "").nextAfter({0, 0}), std::nullopt);
    EXPECT_EQ(CellSearch(cells, "lines").nextAfter({3, 1}), (CellPlace{3, 2}));
}

TEST(CellSearch, AFindInAWorkbookGoesOnThroughTheSheetsAndAroundToWhereItBegan) {
    const std::unique_ptr<Workbook> book = Workbook::createNew("Book1");
    book->sheet(1).cells().setText(2, 2, "total");
    book->sheet(1).cells().setText(9, 1, "subtotal");
    book->sheet(3).cells().setText(1, 4, "Total");
    const auto find = [&](WorkbookPlace after, bool allSheets) {
        return findInWorkbook(*book, after, "total", allSheets);
    };
    EXPECT_EQ(find({1, {2, 2}}, false), (WorkbookPlace{1, {9, 1}}));
    // Around to the start of the sheet, or through the others first.
    EXPECT_EQ(find({1, {9, 1}}, false), (WorkbookPlace{1, {2, 2}}));
    EXPECT_EQ(find({1, {9, 1}}, true), (WorkbookPlace{3, {1, 4}}));
    EXPECT_EQ(find({3, {1, 4}}, true), (WorkbookPlace{1, {2, 2}}));
    // The only match is where the find began: it is found there again, last.
    EXPECT_EQ(find({3, {1, 4}}, false), (WorkbookPlace{3, {1, 4}}));
    EXPECT_EQ(find({2, {0, 0}}, false), std::nullopt);
    EXPECT_EQ(findInWorkbook(*book, {1, {0, 0}}, "nowhere", true), std::nullopt);
}
