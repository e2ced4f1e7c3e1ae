#include "sheet/CellsAsText.h"

#include "sheet/Worksheet.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {
CellStore sampleCells() {
    CellStore cells;
    cells.setText(1, 1, "Apfelstrudel");
    cells.setText(1, 3, "12.50");
    cells.setText(2, 2, "ÄPFEL");
    cells.setText(3, 1, "say \"hi\"\tthere");
    cells.setText(3, 2, "two\nlines");
    cells.setText(5, 1, "apfel");
    return cells;
}
} // namespace

TEST(CellsAsText, TabSeparatedAsSpreadsheetsPasteThemEveryCellOfTheSelectionKept) {
    const CellStore cells = sampleCells();
    EXPECT_EQ(tabSeparatedText(cells, {{1, 1, 3, 3}}),
              "Apfelstrudel\t\t12.50\n"
              "\tÄPFEL\t\n"
              "\"say \"\"hi\"\"\tthere\"\t\"two\nlines\"\t\n");
    // Empty rows at the end of a selection are rows of the paste too.
    EXPECT_EQ(tabSeparatedText(cells, {{4, 1, 6, 1}}), "\napfel\n\n");
    // Of cells picked one by one, only those picked.
    EXPECT_EQ(tabSeparatedText(cells, {{1, 1, 1, 1}, {2, 3, 2, 3}}), "Apfelstrudel\t\t\n\t\t\n");
    EXPECT_EQ(tabSeparatedText(cells, {}), "");

    // Numbers and dates as they were written.
    CellStore values;
    values.setText(1, 1, "2024-01-15T10:30:00.5");
    values.setText(1, 2, "7300010000001");
    values.setText(1, 3, "10:30:00");
    EXPECT_EQ(tabSeparatedText(values, {{1, 1, 1, 3}}),
              "2024-01-15T10:30:00.5\t7300010000001\t10:30:00\n");
}

TEST(CellsAsText, ARangeTrimmedToUsedCellsEndsAtTheLastRowAndColumnHoldingAnything) {
    const CellStore cells = sampleCells();
    EXPECT_EQ(trimmedToUsed(cells, {1, 1, kMaxRows, 1}).lastRow, 5);
    const CellRange rows = trimmedToUsed(cells, {2, 1, 3, kMaxColumns});
    EXPECT_EQ(std::make_pair(rows.lastRow, rows.lastColumn), std::make_pair(3, 2));
    EXPECT_TRUE(trimmedToUsed(cells, {6, 1, 9, 9}).isEmpty());
    EXPECT_TRUE(trimmedToUsed(cells, {1, 4, kMaxRows, 9}).isEmpty());
}
