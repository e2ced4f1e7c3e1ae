#include "import/EventsWhileWaiting.h"

#include "base/ErrorReport.h"
#include "base/RuntimeError.h"
#include "support/RecordingSurface.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
void takeAWhile() {
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
}
} // namespace

TEST(RunWhileEventsRun, EventsRunUntilTheWorkIsOverAndItsFailureComesBack) {
    RecordingSurface surface;
    std::atomic<int> turns = 0;
    surface.onProcessEvents = [&] { ++turns; };
    std::atomic<bool> worked = false;
    // The work lasts until the events have turned a few times, however loaded the machine is;
    // a caller that waited without turning them would keep it waiting to the deadline.
    runWhileEventsRun(surface, [&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (turns <= 5 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        worked = true;
    });
    EXPECT_TRUE(worked);
    EXPECT_GT(turns, 5);

    EXPECT_THROW(runWhileEventsRun(surface, [] { throw RuntimeError(QStringLiteral("locked")); }),
                 RuntimeError);
}

// The window closed meanwhile ends the caller, but only once the work no longer uses what the
// caller holds.
TEST(RunWhileEventsRun, AnEndAskedForByTheEventsWaitsForTheWork) {
    RecordingSurface surface;
    surface.onProcessEvents = [] { throw ProcedureAbandoned{}; };
    std::atomic<bool> worked = false;
    EXPECT_THROW(runWhileEventsRun(surface,
                                   [&] {
                                       takeAWhile();
                                       worked = true;
                                   }),
                 ProcedureAbandoned);
    EXPECT_TRUE(worked);
}

TEST(HeldMessages, AreShownInOrderOnceTheWorkIsOver) {
    HeldMessages held;
    held.showMessage(Message{QStringLiteral("first")});
    held.showMessage(Message{QStringLiteral("second")});
    ScriptedDialogs shown;
    held.showTo(shown);
    EXPECT_EQ(shown.shownTexts(), (QStringList{"first", "second"}));
}
