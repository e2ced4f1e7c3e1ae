#include "office/SpreadsheetEngine.h"

#include "base/RuntimeError.h"
#include "office/CellValue.h"
#include "office/CsvOpening.h"
#include "office/Workbook.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CellValue, ATextBecomesANumberOnlyWhenNothingIsLost) {
    for (const char* text : {"12.50", "-0.5", "123456789012345"}) {
        const auto number = losslessNumber(text);
        ASSERT_TRUE(number) << text;
        EXPECT_EQ(formatNumber(number->value, number->decimals), text);
    }
    EXPECT_EQ(losslessNumber("12.50")->value, 12.5);
    for (const char* text :
         {"007", "1e3", "1234567890123456789", "-0", "1,000", " 5", "5.", "", "1234567890.1234567"})
        EXPECT_FALSE(losslessNumber(text)) << text;
}

TEST(Workbook, NewSheetsGoBeforeTheActiveOneAndNamesFollowTheRules) {
    auto book = Workbook::createNew("Book1");
    book->addSheet();
    book->addSheet();
    book->renameSheet(book->activeSheet(), "Sheet6");
    EXPECT_EQ(book->addSheet().name(), "Sheet7");
    book->deleteSheet("sheet2");
    EXPECT_EQ(book->sheetNames(), (QStringList{"Sheet7", "Sheet6", "Sheet4", "Sheet1", "Sheet3"}));
    EXPECT_THROW(book->deleteSheet("Sheet2"), RuntimeError);

    Worksheet& sheet = book->sheet(4);
    for (const QString& refused :
         {QString(), QString(32, 'x'), QString("a/b"), QString("'quoted"), QString("sheet3")})
        EXPECT_THROW(book->renameSheet(sheet, refused), RuntimeError) << refused.toStdString();
    EXPECT_EQ(sheet.name(), "Sheet1");
    book->renameSheet(sheet, QString(31, 'y'));
    book->renameSheet(sheet, "it's fine");
    book->renameSheet(sheet, "IT'S FINE");
    EXPECT_EQ(sheet.name(), "IT'S FINE");
}

TEST(CsvOpening, LinesAndFieldsAsTheApplicationReadsThem) {
    QTemporaryDir folder;
    const OpenedCsv opened = openCsvFile(writeFile(folder.filePath("mixed.2015.csv"),
                                                   "a,b,,d\r\n\r\nx\ny\r007,12.50\r\n,,tail\r\n"));
    EXPECT_EQ(opened.workbook->sheetNames(), QStringList{"mixed.2015"});
    const CellStore& cells = opened.workbook->sheet(1).cells();
    // CR LF, LF and CR each end a line, and an empty line keeps its row.
    const std::tuple<int, int, const char*> shown[] = {
        {1, 3, ""}, {1, 4, "d"}, {3, 1, "x"}, {4, 1, "y"}, {5, 2, "12.50"}, {6, 3, "tail"},
    };
    for (auto [row, column, text] : shown)
        EXPECT_EQ(cells.display(row, column), text) << row << "," << column;
    EXPECT_EQ(cells.cell(5, 1)->kind, Cell::Kind::Text);
    EXPECT_EQ(cells.cell(5, 2)->kind, Cell::Kind::Number);
    EXPECT_EQ(cells.usedRange().lastRow, 6);
    EXPECT_FALSE(opened.workbook->isModified());
}

TEST(CsvOpening, ValuesBeyondTheSheetAreReportedNotDroppedSilently) {
    QTemporaryDir folder;
    QByteArray wide;
    for (int i = 0; i < kMaxColumns + 2; ++i)
        wide += "v,";
    const OpenedCsv opened = openCsvFile(writeFile(folder.filePath("wide.csv"), wide));
    EXPECT_EQ(opened.shortfall.valuesLeftOut, 2);
    EXPECT_TRUE(opened.shortfall.description().startsWith("wide.csv: 2 values"));
    EXPECT_EQ(opened.workbook->sheet(1).cells().display(1, kMaxColumns), "v");
    EXPECT_THROW(openCsvFile(folder.filePath("missing.csv")), RuntimeError);
}

TEST(SpreadsheetEngine, TheRunningInstanceIsTheOldestLeftAndAShownOneIsPresentedOnce) {
    SpreadsheetEngine engine;
    std::vector<std::shared_ptr<EngineInstance>> shown;
    engine.setPresenter(
        [&](std::shared_ptr<EngineInstance> instance) { shown.push_back(instance); });
    auto first = engine.create();
    auto second = engine.create();
    first->quit();
    EXPECT_EQ(engine.attachRunning(), second);
    second->setVisible(true);
    second->setVisible(true);
    ASSERT_EQ(shown.size(), 1u);
    second.reset();
    // The window holds the instance now, so it is still the running one.
    EXPECT_EQ(engine.attachRunning(), shown[0]);
    shown.clear();
    EXPECT_THROW(engine.attachRunning(), RuntimeError);
}
