#include "office/Worksheet.h"

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
