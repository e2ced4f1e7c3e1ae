#include "spreadsheet/SpreadsheetEngine.h"

#include "base/RuntimeError.h"
#include "sheet/CellValue.h"
#include "support/QtPrinters.h"

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
