#include "sheet/NumberFormats.h"

#include "sheet/Worksheet.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <set>

namespace {
struct FormatCase {
    const char* text;
    const char* code;
};
class ValueCellFormat : public testing::TestWithParam<FormatCase> {};
} // namespace

// Each value that a cell reads as a number or date gets the format that shows its text again,
// and the cell shows that text.
TEST_P(ValueCellFormat, ShowsTheTextAsWritten) {
    const auto& [text, code] = GetParam();
    CellStore cells;
    cells.setText(1, 1, text);
    const Cell* cell = cells.cell(1, 1);
    ASSERT_TRUE(cell);
    EXPECT_NE(cell->kind, Cell::Kind::Text);
    EXPECT_EQ(numberFormatCode(numberFormatOf(*cell)), code);
    EXPECT_EQ(shownValue(*cell), text);
    EXPECT_EQ(cells.display(1, 1), text);
}

INSTANTIATE_TEST_SUITE_P(
    , ValueCellFormat,
    testing::Values(FormatCase{"7", "General"}, FormatCase{"-12345678", "General"},
                    // From 9 digits on, the general format would turn to exponent form at the
                    // default width.
                    FormatCase{"123456789", "0"}, FormatCase{"-123456789", "0"},
                    FormatCase{"7300010000001", "0"}, FormatCase{"123456789012345", "0"},
                    FormatCase{"12.50", "0.00"}, FormatCase{"0.0000001", "0.0000000"},
                    FormatCase{"1234567890123.5", "0.0"}, FormatCase{"2024-01-15", "yyyy-mm-dd"},
                    FormatCase{"2024-01-15T10:30:00", "yyyy-mm-dd\"T\"hh:mm:ss"},
                    FormatCase{"2024-01-15T10:30:00.5", "yyyy-mm-dd\"T\"hh:mm:ss.0"},
                    FormatCase{"2024-01-15T10:30:00.125", "yyyy-mm-dd\"T\"hh:mm:ss.000"},
                    FormatCase{"10:30:00", "hh:mm:ss"}, FormatCase{"10:30:00.05", "hh:mm:ss.00"},
                    FormatCase{"10:30:00.999", "hh:mm:ss.000"}),
    [](const testing::TestParamInfo<FormatCase>& test) {
        return caseName(test.param.text, test.index);
    });

TEST(NumberFormats, ATextTakesTheGeneralFormatAndEveryFormatHasItsOwnCode) {
    CellStore cells;
    cells.setText(1, 1, "text");
    EXPECT_EQ(numberFormatOf(*cells.cell(1, 1)), kGeneralFormat);
    std::set<std::string> codes;
    for (int format = 0; format < kNumberFormatCount; ++format)
        codes.insert(numberFormatCode(format));
    EXPECT_EQ(codes.size(), static_cast<size_t>(kNumberFormatCount));
}
