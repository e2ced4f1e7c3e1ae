#include "sheet/CellAddress.h"

#include "base/RuntimeError.h"
#include "sheet/Worksheet.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(CellAddress, AReferenceTypedNamesItsCellAndTheSheetItIsOn) {
    const struct {
        const char* typed;
        const char* sheet;
        int row;
        int column;
    } cases[] = {
        {"B12", "", 12, 2},
        {"  c3\t", "", 3, 3},
        {"$AB$5000", "", 5000, 28},
        {"A$1", "", 1, 1},
        {"XFD1048576", "", 1048576, 16384},
        {"Sheet2!C3", "Sheet2", 3, 3},
        {"sales 2024!a1", "sales 2024", 1, 1},
        // A name may hold "!" and, in quotes, an apostrophe, doubled.
        {"'Q1 sales'!$B$2", "Q1 sales", 2, 2},
        {"'it''s'!D4", "it's", 4, 4},
        {"'a!b'!E5", "a!b", 5, 5},
        {"a!b!E5", "a!b", 5, 5},
    };
    for (const auto& expected : cases) {
        const std::optional<CellAddress> address = parseCellAddress(expected.typed);
        ASSERT_TRUE(address) << expected.typed;
        EXPECT_EQ(address->sheet, QString::fromUtf8(expected.sheet)) << expected.typed;
        EXPECT_EQ(address->row, expected.row) << expected.typed;
        EXPECT_EQ(address->column, expected.column) << expected.typed;
    }
}

TEST(CellAddress, WhatNamesNoCellOfASheetIsRefused) {
    for (const char* typed :
         {"", "B", "12", "B0", "B012", "XFE1", "B1048577", "AAAA1", "B 12", "B12:C14", "$$B1",
          "!A1", "''!A1", "'open!A1", "'quoted'A1", "'quoted'!", "Sheet2!", "B1.5", "R1C1"})
        EXPECT_FALSE(parseCellAddress(typed)) << typed;
}

TEST(CellAddress, TheActiveCellIsSelectedByAPlainReferenceOnly) {
    Worksheet sheet("Sheet1");
    sheet.selectRange("C12");
    EXPECT_EQ(sheet.activeRow(), 12);
    EXPECT_EQ(sheet.activeColumn(), 3);
    EXPECT_THROW(sheet.selectRange("Sheet1!A1"), RuntimeError);
    EXPECT_THROW(sheet.selectRange("XFE1"), RuntimeError);
    EXPECT_EQ(sheet.activeRow(), 12);
}
