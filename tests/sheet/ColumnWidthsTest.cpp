#include "sheet/ColumnWidths.h"

#include "base/RuntimeError.h"
#include "sheet/Workbook.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
struct WidthCase {
    const char* text;
    int width;
};
class ShownWidth : public testing::TestWithParam<WidthCase> {};
} // namespace

TEST_P(ShownWidth, IsTheFirstLinesWithWideCharactersTwiceAndMarksNot) {
    EXPECT_EQ(shownWidth(GetParam().text, 1000), GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(
    , ShownWidth,
    testing::Values(WidthCase{"", 0}, WidthCase{"Invoice", 7},
                    WidthCase{"first line\nsecond, much longer line", 10},
                    WidthCase{"carriage\rreturn", 8},
                    // "é" as e with a combining accent, and one character of two bytes.
                    WidthCase{"e\xCC\x81t\xC3\xA9", 3}, WidthCase{"\xE6\x97\xA5\xE6\x9C\xAC", 4},
                    WidthCase{"\xEA\xB0\x80!", 3}, WidthCase{"\xF0\x9F\x98\x80", 2}),
    [](const testing::TestParamInfo<WidthCase>& test) {
        return caseName(test.param.text, test.index);
    });

TEST(ColumnWidths, ALongTextIsCountedOnlyAsFarAsItMatters) {
    EXPECT_EQ(shownWidth(std::string(100000, 'x'), 50), 51);
}

TEST(ColumnWidths, ColumnsAreFittedToWhatTheirFirstRowsShowWithinTheLeastAndTheMost) {
    CellStore cells;
    cells.setText(1, 1, "name");
    cells.setText(2, 1, "Apfelstrudel");
    cells.setText(1, 2, "12.50");
    cells.setText(2, 2, "7");
    cells.setText(1, 3, "2024-01-15");
    cells.setText(2, 3, "2024-01-15T10:30:00.5");
    cells.setText(1, 4, "7300010000001");
    // Column 5 stays empty; column 6 holds one character, column 7 a very long text.
    cells.setText(1, 6, "x");
    cells.setText(2, 7, std::string(5000, 'w'));
    cells.setText(1, 8, "short\nbut a much longer second line");
    // Rows after the first ones fitted to do not count.
    cells.setText(kFittedRows + 1, 1, std::string(40, 'z'));

    const std::vector<double> widths = fittedWidths(cells, 1, kFittedRows, 1, 9);
    // The widest value shown and a digit of room; numbers and dates as their formats show
    // them ("12.50", not 12.5), the date-time whole.
    const std::vector<double> expected{13, 6, 22, 14, 0, kMinFittedWidth, kMaxFittedWidth, 6, 0};
    EXPECT_EQ(widths, expected);

    // Rows further down, as in view after scrolling, are fitted alike.
    EXPECT_EQ(fittedWidths(cells, kFittedRows + 1, 10, 1, 2), (std::vector<double>{41, 0}));
    EXPECT_TRUE(fittedWidths(cells, 1, kFittedRows, 3, 2).empty());
    // Fitted by hand, a long value may take up to what applications allow.
    EXPECT_EQ(fittedWidths(cells, 1, kFittedRows, 7, 8, kMaxColumnWidth),
              (std::vector<double>{kMaxColumnWidth, 6}));
    EXPECT_EQ(fittedWidths(cells, kFittedRows + 1, 1, 1, 1, kMaxColumnWidth),
              (std::vector<double>{41}));
}

TEST(ColumnWidths, WidthsSetByHandWinAndAreKeptWithinWhatApplicationsAllow) {
    auto book = Workbook::createNew("Book1");
    Worksheet& sheet = book->sheet(1);
    sheet.cells().setText(1, 1, "Apfelstrudel");
    sheet.cells().setText(1, 3, "12.50");
    // Only the first rows and columns are fitted, so that a sheet of a million rows saves and
    // shows as fast as a small one.
    sheet.cells().setText(1, kFittedColumns + 1, "beyond the fitted columns");
    EXPECT_EQ(columnWidths(sheet), (std::vector<double>{13, 0, 6}));

    book->markSaved();
    sheet.setColumnWidth(2, 20.5);
    sheet.setColumnWidth(3, 1000);
    sheet.setColumnWidth(300, 0.2);
    sheet.setColumnWidth(301, std::numeric_limits<double>::quiet_NaN());
    std::vector<double> expected(301, 0);
    expected[0] = 13;
    expected[1] = 20.5;
    expected[2] = kMaxColumnWidth;
    expected[299] = kMinColumnWidth;
    expected[300] = kMinColumnWidth;
    EXPECT_EQ(columnWidths(sheet), expected);
    EXPECT_THROW(sheet.setColumnWidth(kMaxColumns + 1, 10), RuntimeError);
    // How a sheet is viewed is saved with it, so a change of it is a change of the workbook.
    EXPECT_TRUE(book->isModified());
    book->markSaved();
    sheet.setColumnWidth(2, 20.5);
    sheet.setTopRowFrozen(false);
    EXPECT_FALSE(book->isModified());
    sheet.setTopRowFrozen(true);
    EXPECT_TRUE(sheet.isTopRowFrozen());
    EXPECT_TRUE(book->isModified());
    book->markSaved();
    book->sheet(2).setTopRowFrozen(true);
    book->deleteSheet("Sheet2");
    EXPECT_TRUE(book->isModified());
}
