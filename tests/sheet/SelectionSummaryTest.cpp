#include "sheet/SelectionSummary.h"

#include <gtest/gtest.h>

#include <cstdio>

TEST(SelectionSummary, AmountsSumToWhatTheyAddUpToInDecimalsWhateverTheSlices) {
    // Amounts in cents whose sum, added up one by one in binary, drifts in its fifteenth digit.
    CellStore cells;
    std::uint32_t seed = 12345;
    for (int row = 1; row <= 1000; ++row) {
        seed = static_cast<std::uint32_t>((std::uint64_t{seed} * 1103515245 + 12345) % 2147483648);
        char amount[32];
        std::snprintf(amount, sizeof amount, "%u.%02u", seed % 1000000, (seed / 1000000) % 100);
        cells.setText(row, 1, amount);
    }
    cells.setText(1001, 1, "text");
    for (const std::int64_t slice : {std::int64_t{1}, std::int64_t{7}, std::int64_t{100000}}) {
        SelectionSummary summary(cells, {CellRange{1, 1, 1001, 1}});
        while (!summary.advance(slice)) {
        }
        EXPECT_EQ(summary.filledCount(), 1001);
        EXPECT_EQ(summary.numberCount(), 1000);
        char shown[64];
        std::snprintf(shown, sizeof shown, "%.15g", summary.sum());
        EXPECT_STREQ(shown, "514710146.93") << slice;
        std::snprintf(shown, sizeof shown, "%.15g", summary.average());
        EXPECT_STREQ(shown, "514710.14693") << slice;
    }
}
