#include "sheet/NumberFormats.h"

#include "sheet/Worksheet.h"

#include <gtest/gtest.h>

#include <set>

// Each value that a cell reads as a number or date gets the format that shows its text again,
// and the cell shows that text.
TEST(NumberFormats, AValueCellsFormatShowsItsTextAsWritten) {
    const std::pair<const char*, const char*> cases[] = {
        {"7", "General"},
        {"-12345678", "General"},
        // From 9 digits on, the general format would turn to exponent form at the default width.
        {"123456789", "0"},
        {"-123456789", "0"},
        {"7300010000001", "0"},
        {"123456789012345", "0"},
        {"12.50", "0.00"},
        {"0.0000001", "0.0000000"},
        {"1234567890123.5", "0.0"},
        {"2024-01-15", "yyyy-mm-dd"},
        {"2024-01-15T10:30:00", "yyyy-mm-dd\"T\"hh:mm:ss"},
        {"2024-01-15T10:30:00.5", "yyyy-mm-dd\"T\"hh:mm:ss.0"},
        {"2024-01-15T10:30:00.125", "yyyy-mm-dd\"T\"hh:mm:ss.000"},
        {"10:30:00", "hh:mm:ss"},
        {"10:30:00.05", "hh:mm:ss.00"},
        {"10:30:00.999", "hh:mm:ss.000"},
    };
    CellStore cells;
    int row = 0;
    for (const auto& [text, code] : cases) {
        cells.setText(++row, 1, text);
        const Cell* cell = cells.cell(row, 1);
        ASSERT_TRUE(cell) << text;
        EXPECT_NE(cell->kind, Cell::Kind::Text) << text;
        EXPECT_EQ(numberFormatCode(numberFormatOf(*cell)), code) << text;
        EXPECT_EQ(shownValue(*cell), text);
        EXPECT_EQ(cells.display(row, 1), text);
    }
    cells.setText(++row, 1, "text");
    EXPECT_EQ(numberFormatOf(*cells.cell(row, 1)), kGeneralFormat);
    // Every format has its own code.
    std::set<std::string> codes;
    for (int format = 0; format < kNumberFormatCount; ++format)
        codes.insert(numberFormatCode(format));
    EXPECT_EQ(codes.size(), static_cast<size_t>(kNumberFormatCount));
}
