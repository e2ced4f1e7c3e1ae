#include "sheet/SheetChain.h"

#include <gtest/gtest.h>

#include <deque>

TEST(SheetChain, ABlockReadAcrossSheetsLandsOnTheRowsAfterWhereverItIsPlaced) {
    std::vector<CellStore> from(2);
    from[0].setText(3, 2, "a");
    from[0].setText(kMaxRows, 2, "b");
    from[1].setText(1, 3, "c");
    from[1].setText(2, 2, "d");
    const TallBlock block = copyUsedRows({&from[0], &from[1]});
    ASSERT_EQ(block.size(), 1u);
    EXPECT_EQ(block[0].display(1, 1), "a");
    EXPECT_EQ(block[0].display(kMaxRows - 2, 1), "b");
    EXPECT_EQ(block[0].display(kMaxRows - 1, 2), "c");
    EXPECT_EQ(block[0].display(kMaxRows, 1), "d");

    // Below row 1 the block straddles the sheets it is placed on; a sheet that receives nothing
    // is never asked for.
    std::deque<CellStore> to(1);
    pasteRows(block, 5, 1, [&](int index) -> CellStore& {
        while (static_cast<int>(to.size()) <= index)
            to.emplace_back();
        return to[static_cast<size_t>(index)];
    });
    ASSERT_EQ(to.size(), 2u);
    EXPECT_EQ(to[0].display(5, 1), "a");
    EXPECT_EQ(to[0].usedRange().lastRow, 5);
    EXPECT_EQ(to[1].display(2, 1), "b");
    EXPECT_EQ(to[1].display(3, 2), "c");
    EXPECT_EQ(to[1].display(4, 1), "d");
    EXPECT_EQ(to[1].cellCount(), 3);

    // From A1 every piece is the sheet it came from, shared rather than copied.
    to[0].setText(1, 1, "top");
    const TallBlock whole = copyUsedRows({&to[0], &to[1]});
    std::vector<CellStore> again(2);
    pasteRows(whole, 1, 1,
              [&](int index) -> CellStore& { return again[static_cast<size_t>(index)]; });
    EXPECT_EQ(again[1].display(4, 1), "d");
    EXPECT_EQ(&again[1].texts(), &to[1].texts());
}
