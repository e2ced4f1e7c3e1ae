#include "spreadsheet/SpreadsheetEngine.h"

#include "base/RuntimeError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

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
