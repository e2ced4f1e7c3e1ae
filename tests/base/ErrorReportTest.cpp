#include "base/ErrorReport.h"

#include "base/RuntimeError.h"
#include "support/ScriptedDialogs.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {
const QString kScreenshotLine =
    QStringLiteral("Please email screenshot of this message to support@brindlequay.example");

void failWith(const QString& description) {
    throw RuntimeError(description);
}
} // namespace

TEST(ErrorReport, TextJoinsDescriptionLocationStepAndScreenshotRequest) {
    EXPECT_EQ(errorReportText(QStringLiteral("Type mismatch"), QStringLiteral("Form_Load"), 128),
              QStringLiteral("Type mismatch\r\nin Tamsforge2/19/2015.Form1.Form_Load at line 128"
                             "\r\r") +
                  kScreenshotLine);
    EXPECT_TRUE(errorReportText(QString(), QStringLiteral("ConvertToCSV"), 100)
                    .startsWith(QStringLiteral("\r\nin Tamsforge2/19/2015.Form1.ConvertToCSV at "
                                               "line 100\r\r")));
}

TEST(ErrorReport, EachFailingStepIsReportedInOrderAndTheProcedureGoesOn) {
    ScriptedDialogs dialogs;
    QStringList ran;
    ReportingProcedure procedure(dialogs, QStringLiteral("PushButton4_Click"));
    procedure.step(100, [&] { failWith(QStringLiteral("first")); });
    procedure.step(102, [&] { ran << "102"; });
    procedure.step(104, [&] {
        ran << "104 before";
        failWith(QStringLiteral("second"));
        ran << "104 after";
    });
    procedure.step(106, [&] { ran << "106"; });

    EXPECT_EQ(ran, (QStringList{"102", "104 before", "106"}));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].text,
              errorReportText("first", QStringLiteral("PushButton4_Click"), 100));
    EXPECT_EQ(dialogs.shown[1].text,
              errorReportText("second", QStringLiteral("PushButton4_Click"), 104));
    for (const Message& report : dialogs.shown) {
        EXPECT_EQ(report.title, QStringLiteral("Application Error"));
        EXPECT_EQ(report.icon, MessageIcon::Warning);
        EXPECT_EQ(report.buttons, MessageButtons::Ok);
    }
}

TEST(ErrorReport, AnErrorInAConditionalsTestRunsItsBody) {
    ScriptedDialogs dialogs;
    ReportingProcedure procedure(dialogs, QStringLiteral("Form_Load"));
    bool bodyRan = false;
    if (procedure.test(104, []() -> bool { throw RuntimeError(QStringLiteral("no disk")); }))
        bodyRan = true;
    EXPECT_TRUE(bodyRan);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].text.contains(QStringLiteral("at line 104")));

    EXPECT_FALSE(procedure.test(106, [] { return false; }));
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST(ErrorReport, ForeignExceptionsStillGiveADescription) {
    ScriptedDialogs dialogs;
    ReportingProcedure procedure(dialogs, QStringLiteral("Form_Load"));
    procedure.step(100, [] { throw std::runtime_error("disk full"); });
    procedure.step(102, [] { throw 42; });
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith(QStringLiteral("disk full\r\n")));
    EXPECT_TRUE(dialogs.shown[1].text.startsWith(QStringLiteral("Unknown error\r\n")));
}

TEST(ErrorReport, AnAbandonedProcedureEndsWithoutAReport) {
    ScriptedDialogs dialogs;
    ReportingProcedure procedure(dialogs, QStringLiteral("PushButton4_Click"));
    EXPECT_THROW(procedure.step(100, [] { throw ProcedureAbandoned{}; }), ProcedureAbandoned);
    EXPECT_THROW(procedure.test(102, []() -> bool { throw ProcedureAbandoned{}; }),
                 ProcedureAbandoned);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST(ErrorReport, AnErrorInAnUnreportingHandlerIsShownNotRaised) {
    ScriptedDialogs dialogs;
    EXPECT_NO_THROW(runUnreportedHandler(dialogs, [] { failWith(QStringLiteral("broken")); }));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("broken"));
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Brindlequay"));
}
