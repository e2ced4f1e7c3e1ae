#include "import/Excel1.h"

#include "office/SpreadsheetEngine.h"
#include "support/QtPrinters.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

TEST(Excel1, TheQuestionComesOnlyWhenAnInstanceRuns) {
    SpreadsheetEngine engine;
    ScriptedDialogs dialogs;
    EXPECT_FALSE(ExcelIsRunning(engine));
    EXPECT_FALSE(CancelForOpenExcel(engine, dialogs));
    EXPECT_TRUE(dialogs.shown.empty());

    auto running = engine.create();
    EXPECT_TRUE(ExcelIsRunning(engine));
    dialogs.questionAnswers = {MessageAnswer::Yes, MessageAnswer::No};
    EXPECT_FALSE(CancelForOpenExcel(engine, dialogs));
    EXPECT_TRUE(CancelForOpenExcel(engine, dialogs));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0],
              (Message{"Excel may be open. It is recommended that you close Excel first.\r"
                       "Use Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary.\r\n\r\n"
                       "Would you like to proceed anyway?",
                       MessageButtons::YesNo, MessageIcon::None, "Brindlequay"}));
}

TEST(Excel1, CleanSheetNameDropsBracketsAndCutsAtThirty) {
    EXPECT_EQ(CleanSheetName("[Q1] totals.csv"), "Q1 totals.csv");
    EXPECT_EQ(CleanSheetName("[draft]report.csv"), "draftreport.csv");
    EXPECT_EQ(CleanSheetName(""), "");
    EXPECT_EQ(CleanSheetName(QString(30, 'a')), QString(30, 'a'));
    EXPECT_EQ(CleanSheetName(QString(40, 'b')), QString(30, 'b'));
    EXPECT_EQ(CleanSheetName("it's a sheet"), "it's a sheet");
    // A character outside the basic plane is never cut in half.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x93\x8A");
    EXPECT_EQ(CleanSheetName(QString(29, 'c') + emoji + "x"), QString(29, 'c'));
    EXPECT_EQ(CleanSheetName(QString(28, 'c') + emoji + "x"), QString(28, 'c') + emoji);
}

TEST(Excel1, SheetNameExistsComparesLetterCaseAndCountsEverySheet) {
    SpreadsheetEngine engine;
    auto instance = engine.create();
    Workbook& book = instance->addWorkbook();
    book.renameSheet(book.sheet(1), "Data.csv");
    EXPECT_TRUE(SheetNameExists(*instance, "Data.csv"));
    EXPECT_FALSE(SheetNameExists(*instance, "data.csv"));
    EXPECT_TRUE(SheetNameExists(*instance, "Sheet3"));
    auto empty = engine.create();
    EXPECT_THROW(SheetNameExists(*empty, "Sheet1"), std::exception);
}
