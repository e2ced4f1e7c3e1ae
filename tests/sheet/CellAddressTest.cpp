#include "sheet/CellAddress.h"

#include "base/RuntimeError.h"
#include "sheet/Worksheet.h"
#include "support/CaseNames.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {
struct TypedReference {
    const char* typed;
    const char* sheet;
    int row;
    int column;
};
class TypedCellReference : public testing::TestWithParam<TypedReference> {};
} // namespace

TEST_P(TypedCellReference, NamesItsCellAndTheSheetItIsOn) {
    const TypedReference& expected = GetParam();
    const std::optional<CellAddress> address = parseCellAddress(expected.typed);
    ASSERT_TRUE(address);
    EXPECT_EQ(address->sheet, QString::fromUtf8(expected.sheet));
    EXPECT_EQ(address->row, expected.row);
    EXPECT_EQ(address->column, expected.column);
}

INSTANTIATE_TEST_SUITE_P(
    , TypedCellReference,
    testing::Values(TypedReference{"B12", "", 12, 2}, TypedReference{"  c3\t", "", 3, 3},
                    TypedReference{"$AB$5000", "", 5000, 28}, TypedReference{"A$1", "", 1, 1},
                    TypedReference{"XFD1048576", "", 1048576, 16384},
                    TypedReference{"Sheet2!C3", "Sheet2", 3, 3},
                    TypedReference{"sales 2024!a1", "sales 2024", 1, 1},
                    // A name may hold "!" and, in quotes, an apostrophe, doubled.
                    TypedReference{"'Q1 sales'!$B$2", "Q1 sales", 2, 2},
                    TypedReference{"'it''s'!D4", "it's", 4, 4},
                    TypedReference{"'a!b'!E5", "a!b", 5, 5}, TypedReference{"a!b!E5", "a!b", 5, 5}),
    [](const testing::TestParamInfo<TypedReference>& test) {
        return caseName(test.param.typed, test.index);
    });

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
