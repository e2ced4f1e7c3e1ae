#include "batch/BatchOptions.h"

#include <gtest/gtest.h>

TEST(BatchOptions, SummaryAndReportAreAskedForAndAReportNeedsItsFile) {
    const ParsedCommandLine both = parseBatchCommandLine(
        {"batch", "--summary", "--report", "run.json", "-o", "x.xlsx", "a.xml"});
    ASSERT_TRUE(both.options);
    EXPECT_TRUE(both.options->summarySheet);
    EXPECT_EQ(both.options->report, "run.json");

    for (const QStringList& arguments :
         {QStringList{"batch", "-o", "x.xlsx", "a.xml", "--report"},
          QStringList{"batch", "--report=", "-o", "x.xlsx", "a.xml"}}) {
        const ParsedCommandLine wrong = parseBatchCommandLine(arguments);
        EXPECT_FALSE(wrong.options) << arguments.join(' ').toStdString();
        EXPECT_EQ(wrong.exitStatus, 2);
        EXPECT_TRUE(wrong.message.contains("--report")) << wrong.message.toStdString();
    }
}
