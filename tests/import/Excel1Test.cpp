#include "import/Excel1.h"

#include "spreadsheet/SpreadsheetEngine.h"
#include "support/QtPrinters.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

TEST(Excel1, TheQuestionComesOnlyWhenAnInstanceRuns) {
    SpreadsheetEngine engine;
    ScriptedDialogs dialogs;
    EXPECT_FALSE(CancelForOpenExcel(engine, dialogs));
    EXPECT_TRUE(dialogs.shown.empty());

    auto running = engine.create();
    dialogs.questionAnswers = {MessageAnswer::Yes, MessageAnswer::No};
    EXPECT_FALSE(CancelForOpenExcel(engine, dialogs));
    EXPECT_TRUE(CancelForOpenExcel(engine, dialogs));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
}

TEST(Excel1, SheetNamesLoseBracketsAndAreCutAtThirtyNeverInsideACharacter) {
    EXPECT_EQ(CleanSheetName("[Q1] totals.csv"), "Q1 totals.csv");
    EXPECT_EQ(CleanSheetName(QString(40, 'b')), QString(30, 'b'));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x93\x8A");
    EXPECT_EQ(CleanSheetName(QString(29, 'c') + emoji + "x"), QString(29, 'c'));
    EXPECT_EQ(CleanSheetName(QString(28, 'c') + emoji + "x"), QString(28, 'c') + emoji);
}
