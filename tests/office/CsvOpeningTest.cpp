#include "office/CsvOpening.h"

#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
std::string at(const OpenedCsv& opened, int row, int column) {
    return opened.workbook->activeSheet().cells().display(row, column);
}
} // namespace

TEST(CsvOpening, QuotedFieldsKeepTheirCommasQuotesAndLineBreaks) {
    QTemporaryDir folder;
    const OpenedCsv opened =
        openCsvFile(writeFile(folder.filePath("q.csv"), "r,\"Smith, John\"\r\n"
                                                        "r,\"1,5\"\r\n"
                                                        "r,\"two\r\nlines\",after\r\n"
                                                        "r,\"say \"\"hi\"\"\"\r\n"
                                                        "r,in\"side,\"\"\r\n"
                                                        "r,\"open at the end"));
    EXPECT_EQ(at(opened, 1, 2), "Smith, John");
    EXPECT_EQ(at(opened, 2, 2), "1,5");
    EXPECT_EQ(at(opened, 3, 2), "two\r\nlines");
    EXPECT_EQ(at(opened, 3, 3), "after");
    EXPECT_EQ(at(opened, 4, 2), "say \"hi\"");
    // A quote inside an unquoted field is a character like any other; "" alone is empty.
    EXPECT_EQ(at(opened, 5, 2), "in\"side");
    EXPECT_EQ(at(opened, 5, 3), "");
    EXPECT_EQ(at(opened, 6, 2), "open at the end");
    EXPECT_EQ(opened.workbook->activeSheet().cells().usedRange().lastRow, 6);
    EXPECT_TRUE(opened.shortfall.isEmpty());

    EXPECT_EQ(csvLineCount({"a,\"x\r\ny\"\r\n", "\r\n"}), 2);
    EXPECT_EQ(csvLineCount({"a\r\nb"}), 2);
}

TEST(CsvOpening, AValueLongerThanACellKeepsItsStartAndIsNoted) {
    QTemporaryDir folder;
    const QByteArray longValue(kMaxCellCharacters + 10, 'x');
    const OpenedCsv opened =
        openCsvFile(writeFile(folder.filePath("long.csv"), "a,b\r\nc," + longValue + ",d\r\n"));
    EXPECT_EQ(at(opened, 2, 2), std::string(kMaxCellCharacters, 'x'));
    EXPECT_EQ(at(opened, 2, 3), "d");
    ASSERT_EQ(opened.shortfall.cutCells.size(), 1u);
    EXPECT_EQ(opened.shortfall.cutCells[0].row, 2);
    EXPECT_EQ(opened.shortfall.cutCells[0].column, 2);
    EXPECT_EQ(opened.shortfall.cutCells[0].charactersCut, 10);
    EXPECT_TRUE(opened.shortfall.description().contains("long!B2 (10 characters cut)"))
        << opened.shortfall.description().toStdString();
}
