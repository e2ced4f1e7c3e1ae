#include "sheet/Worksheet.h"

#include "support/AllocationLimit.h"

#include <gtest/gtest.h>

TEST(Worksheet, ACellKeepsTheStartOfALongTextAndNeverHalfACharacter) {
    CellStore cells;
    EXPECT_EQ(cells.setText(1, 1, std::string(kMaxCellCharacters, 'a')), 0);

    // One character short of the limit, then a character that takes two UTF-16 code units: it
    // would not fit whole, so it goes with the rest.
    const std::string beyondThePlane = "\xF0\x9F\x98\x80";
    const std::string text = std::string(kMaxCellCharacters - 1, 'a') + beyondThePlane + "tail";
    EXPECT_EQ(cells.setText(1, 2, text), 2 + 4);
    EXPECT_EQ(cells.display(1, 2), std::string(kMaxCellCharacters - 1, 'a'));

    // Characters of several bytes count once each.
    const std::string accented = "\xC3\xA9";
    std::string many;
    for (int i = 0; i < kMaxCellCharacters + 3; ++i)
        many += accented;
    EXPECT_EQ(cells.setText(1, 3, many), 3);
    EXPECT_EQ(cells.display(1, 3).size(), static_cast<size_t>(kMaxCellCharacters) * 2);
}

TEST(Worksheet, APastedBlockIsTheOriginalsUntilEitherChanges) {
    CellStore original;
    original.setText(1, 1, "name");
    original.setText(1, 2, "12.50");
    original.setText(2, 1, "name");
    original.setText(3, 3, "last");

    CellStore pasted;
    pasted.paste(original.copy(original.usedRange()), 1, 1);
    original.setText(1, 1, "changed");
    pasted.setText(2, 1, "also changed");
    EXPECT_EQ(pasted.display(1, 1), "name");
    EXPECT_EQ(original.display(2, 1), "name");
    EXPECT_EQ(pasted.display(1, 2), "12.50");
    EXPECT_EQ(pasted.cellCount(), 4);

    // Away from A1 or onto cells already there, a block is placed cell by cell, its texts
    // taken into the target's own.
    CellStore target;
    target.setText(1, 1, "kept");
    target.paste(pasted, 2, 3);
    EXPECT_EQ(target.display(1, 1), "kept");
    EXPECT_EQ(target.display(2, 3), "name");
    EXPECT_EQ(target.display(3, 3), "also changed");
    EXPECT_EQ(target.display(4, 5), "last");
    EXPECT_EQ(target.cellCount(), 5);
    EXPECT_EQ(target.texts().size(), 4u);
    // A sheet's own block pasted back into it, one cell down and across, as copy and paste do.
    CellStore own;
    own.setText(1, 1, "a");
    own.setText(1, 2, "b");
    own.setText(2, 1, "c");
    own.paste(own.copy(own.usedRange()), 2, 2);
    own.paste(own, 4, 1);
    EXPECT_EQ(own.display(2, 2), "a");
    EXPECT_EQ(own.display(2, 3), "b");
    EXPECT_EQ(own.display(3, 2), "c");
    EXPECT_EQ(own.display(2, 1), "c");
    EXPECT_EQ(own.display(5, 2), "a");
    EXPECT_EQ(own.display(6, 2), "c");
    const CellStore inner = target.copy({2, 3, 3, 4});
    EXPECT_EQ(inner.usedRange().lastRow, 2);
    EXPECT_EQ(inner.display(1, 2), "12.50");
    EXPECT_EQ(inner.cellCount(), 3);
}

TEST(Worksheet, RowsFilledInAnyOrderKeepTheirCells) {
    // Rows grow in place while filled in order, and move when an earlier one widens.
    CellStore cells;
    for (int row = 1; row <= 3000; ++row)
        for (int column = 1; column <= 30; ++column)
            cells.setText(row, column, "r" + std::to_string(row) + "c" + std::to_string(column));
    for (int row = 1; row <= 3000; row += 7)
        cells.setText(row, 400 + row % 50, "wide" + std::to_string(row));
    for (int row = 1; row <= 3000; row += 7) {
        ASSERT_EQ(cells.display(row, 30), "r" + std::to_string(row) + "c30");
        ASSERT_EQ(cells.display(row, 400 + row % 50), "wide" + std::to_string(row));
        ASSERT_EQ(cells.display(row, 399), "");
    }
    EXPECT_EQ(cells.cellCount(), 3000 * 30 + 429);
}

// Rows written after a mark, as a table that could not be written whole, are taken out again
// with their texts, and give back what they took; the rows before it stay as they were.
TEST(Worksheet, RowsWrittenAfterAMarkAreTakenOutAndGiveBackWhatTheyTook) {
    CellStore cells;
    cells.setText(1, 1, "kept");
    cells.setText(2, 2, "12");
    const CellStore::Mark mark = cells.mark();
    std::int64_t left = 0;
    {
        AllocationLimit limit(size_t(64) << 20);
        for (int row = 3; row <= 20000; ++row) {
            cells.setText(row, 1, "text " + std::to_string(row));
            cells.setText(row, 40, "kept");
        }
        cells.goBackTo(mark);
        left = AllocationLimit::taken();
    }
    if (AllocationLimit::available()) {
        EXPECT_LT(left, 16 << 10);
    }
    EXPECT_EQ(cells.usedRange().lastRow, 2);
    EXPECT_EQ(cells.cellCount(), 2);
    EXPECT_EQ(cells.texts().size(), 1u);
    EXPECT_EQ(cells.display(1, 1), "kept");
    EXPECT_EQ(cells.display(2, 2), "12");
    // The texts that stayed are found again.
    cells.setText(3, 1, "kept");
    EXPECT_EQ(cells.texts().size(), 1u);
    EXPECT_EQ(cells.display(3, 1), "kept");

    // Cells copied since the mark are laid out anew: the rows after it still go.
    CellStore shared;
    shared.setText(1, 1, "a");
    const CellStore::Mark before = shared.mark();
    shared.setText(2, 1, "b");
    const CellStore copy = shared;
    shared.goBackTo(before);
    EXPECT_EQ(shared.usedRange().lastRow, 1);
    EXPECT_EQ(copy.display(2, 1), "b");
}

// A number or date cell made a text holds exactly what it showed, as a column of mixed types
// needs; a text stays as it is.
TEST(Worksheet, ANumberOrDateTurnedIntoTextKeepsWhatItShowed) {
    CellStore cells;
    const char* values[] = {"12.50", "7300010000001", "2024-01-15T10:30:00.5", "10:30:00", "007"};
    int column = 0;
    for (const char* value : values)
        cells.setText(1, ++column, value);
    EXPECT_EQ(cells.cell(1, 1)->kind, Cell::Kind::Number);
    EXPECT_EQ(cells.cell(1, 3)->kind, Cell::Kind::Date);
    for (column = 1; column <= 6; ++column)
        cells.turnIntoText(1, column);
    column = 0;
    for (const char* value : values) {
        ++column;
        ASSERT_EQ(cells.cell(1, column)->kind, Cell::Kind::Text) << value;
        EXPECT_EQ(cells.display(1, column), value);
    }
    EXPECT_FALSE(cells.cell(1, 6));
    EXPECT_EQ(cells.cellCount(), 5);
    EXPECT_EQ(cells.texts().size(), 5u);
}
