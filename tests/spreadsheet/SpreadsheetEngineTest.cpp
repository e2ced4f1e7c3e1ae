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

TEST(SpreadsheetEngine, NewWorkbooksAreNamedApartWhicheverInstanceHoldsThem) {
    SpreadsheetEngine engine;
    const auto first = engine.create();
    const auto second = engine.create();
    EXPECT_EQ(first->addWorkbook().name(), QStringLiteral("Book1"));
    EXPECT_EQ(second->addWorkbook().name(), QStringLiteral("Book2"));
    first->quit();
    EXPECT_EQ(engine.create()->addWorkbook().name(), QStringLiteral("Book3"));
}
