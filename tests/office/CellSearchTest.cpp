#include "office/CellSearch.h"
#include "office/CellsAsText.h"
#include "office/Worksheet.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {
CellStore sampleCells() {
    CellStore cells;
    cells.setText(1, 1, "Apfelstrudel mit Sahne");
    cells.setText(1, 3, "12.50");
    cells.setText(2, 2, "ÄPFEL");
    cells.setText(3, 1, "say \"hi\"\tthere");
    cells.setText(3, 2, "two\nlines");
    cells.setText(5, 1, "apfel");
    return cells;
}
} // namespace

TEST(CellSearch, FindsTextsAndShownNumbersInReadingOrderWithoutRegardToCase) {
    const CellStore cells = sampleCells();
    CellSearch apfel(cells, "APFEL");
    EXPECT_EQ(apfel.nextAfter({0, 0}), (CellPlace{1, 1}));
    EXPECT_EQ(apfel.nextAfter({1, 1}), (CellPlace{5, 1}));
    EXPECT_EQ(apfel.nextAfter({5, 1}), std::nullopt);

    CellSearch umlaut(cells, "äpfel");
    EXPECT_EQ(umlaut.nextAfter({0, 0}), (CellPlace{2, 2}));

    // A number is found as it is shown, its decimals included.
    CellSearch number(cells, "2.50");
    EXPECT_EQ(number.nextAfter({0, 0}), (CellPlace{1, 3}));
    EXPECT_EQ(CellSearch(cells, "").nextAfter({0, 0}), std::nullopt);
    EXPECT_EQ(CellSearch(cells, "lines").nextAfter({3, 1}), (CellPlace{3, 2}));
}

TEST(CellsAsText, TabSeparatedAsSpreadsheetsPasteThemWithAWholeColumnCutAtTheLastRow) {
    const CellStore cells = sampleCells();
    EXPECT_EQ(tabSeparatedText(cells, {1, 1, 3, 3}),
              "Apfelstrudel mit Sahne\t\t12.50\n"
              "\tÄPFEL\t\n"
              "\"say \"\"hi\"\"\tthere\"\t\"two\nlines\"\t\n");
    EXPECT_EQ(tabSeparatedText(cells, {1, 1, kMaxRows, 1}),
              "Apfelstrudel mit Sahne\n\n\"say \"\"hi\"\"\tthere\"\n\napfel\n");
    EXPECT_EQ(tabSeparatedText(cells, {7, 1, 9, 2}), "");
    EXPECT_EQ(tabSeparatedText(CellStore(), {1, 1, 2, 2}), "");
}
