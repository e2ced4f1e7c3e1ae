#include "base/ErrorReport.h"

#include "base/RuntimeError.h"
#include "support/QtPrinters.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

TEST(ErrorReport, EveryFailingStepIsReportedWithItsLineAndTheProcedureGoesOn) {
    ScriptedDialogs dialogs;
    QStringList ran;
    ReportingProcedure procedure(
        dialogs, {QStringLiteral("Program.Module"), QStringLiteral("PushButton4_Click")});
    procedure.step(100, [] { throw RuntimeError(QStringLiteral("first")); });
    procedure.step(102, [&] {
        ran << "102";
        throw std::runtime_error("disk full");
    });
    procedure.step(104, [] { throw 42; });
    procedure.step(106, [&] { ran << "106"; });
    // A condition that fails counts as passed, so its body runs.
    if (procedure.test(108, []() -> bool { throw RuntimeError(QStringLiteral("no disk")); }))
        ran << "108";
    EXPECT_FALSE(procedure.test(110, [] { return false; }));

    EXPECT_EQ(ran, (QStringList{"102", "106", "108"}));
    const QStringList texts = dialogs.shownTexts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_TRUE(texts[0].startsWith("first\r\nin ")) << texts[0].toStdString();
    EXPECT_TRUE(texts[0].contains("PushButton4_Click at line 100")) << texts[0].toStdString();
    EXPECT_TRUE(texts[0].endsWith(kSupportAddress));
    EXPECT_TRUE(texts[1].startsWith("disk full\r\n"));
    EXPECT_TRUE(texts[2].startsWith("Unknown error\r\n"));
    EXPECT_TRUE(texts[3].contains("at line 108"));
}

TEST(ErrorReport, AnAbandonedProcedureEndsSilentlyAndAnUnreportedHandlerShowsItsError) {
    ScriptedDialogs dialogs;
    ReportingProcedure procedure(
        dialogs, {QStringLiteral("Program.Module"), QStringLiteral("PushButton4_Click")});
    EXPECT_THROW(procedure.step(100, [] { throw ProcedureAbandoned{}; }), ProcedureAbandoned);
    EXPECT_THROW(procedure.test(102, []() -> bool { throw ProcedureAbandoned{}; }),
                 ProcedureAbandoned);
    EXPECT_TRUE(dialogs.shown.empty());

    EXPECT_NO_THROW(
        runUnreportedHandler(dialogs, [] { throw RuntimeError(QStringLiteral("broken")); }));
    EXPECT_EQ(dialogs.shownTexts(), QStringList{"broken"});
}
