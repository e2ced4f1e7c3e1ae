#include "import/SpreadsheetOutput.h"

#include "support/PresentingEngine.h"
#include "support/QtPrinters.h"
#include "support/RecordingSurface.h"
#include "support/ScriptedDialogs.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
struct Output : PresentingEngine {
    QTemporaryDir temp;
    ScriptedDialogs dialogs;
    RecordingSurface surface;
    ImportResult importResult;

    QString csv(const QString& relative, std::string_view text) {
        return writeFile(temp.filePath(relative),
                         QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    }
    void run(const QStringList& paths) {
        ImportToExcel(paths, surface, dialogs, engine, temp.path(), importResult);
    }
    Workbook& result() { return shown.at(0)->activeWorkbook(); }
    std::string cell(int sheet, int row, int column) {
        return result().sheet(sheet).cells().display(row, column);
    }
};
} // namespace

TEST(ImportToExcel, OneSheetJoinsEveryTextWithALineBreakAfterEach) {
    Output output;
    output.surface.files = {"a", "b", "c", "d"};
    const QStringList paths{output.csv("one.csv", "h1,h2\r\n1,2\r\n"),
                            output.csv("two.csv", "x\r\n"), output.csv("three.csv", "y\r\n")};
    output.run(paths + QStringList{output.temp.filePath("missing.csv")});

    ASSERT_EQ(output.shown.size(), 1u);
    const Workbook& book = output.result();
    EXPECT_EQ(book.sheetNames(), (QStringList{"Sheet1", "Sheet2", "Sheet3"}));
    // Every text gains one line break more; no line is taken for a header; a missing file
    // gives an empty line.
    const std::vector<std::pair<int, std::string>> column1 = {
        {1, "h1"}, {2, "1"}, {3, ""}, {4, "x"}, {5, ""}, {6, "y"}, {7, ""}, {8, ""}};
    for (const auto& [row, value] : column1)
        EXPECT_EQ(output.cell(1, row, 1), value) << "row " << row;
    EXPECT_EQ(output.cell(1, 1, 2), "h2");
    EXPECT_EQ(output.surface.progress, (std::vector<double>{25, 50, 75, 100}));
    EXPECT_TRUE(output.dialogs.shown.empty());
    EXPECT_FALSE(QFile::exists(output.temp.filePath("combined.csv")));
    // Only the visible result is still running.
    EXPECT_EQ(output.engine.runningInstances().size(), 1u);
}

TEST(ImportToExcel, OneSheetFromAnEmptyListShowsAnEmptyWorkbook) {
    Output output;
    output.run({});
    ASSERT_EQ(output.shown.size(), 1u);
    EXPECT_TRUE(output.result().sheet(1).cells().usedRange().isEmpty());
    EXPECT_TRUE(output.dialogs.shown.empty());
}

TEST(ImportToExcel, MultipleSheetsAreNamedAfterTheFilesAndMadeUnique) {
    Output output;
    output.surface.send = SendMode::MultipleSheets;
    output.surface.files = {"1", "2", "3", "4", "5"};
    const QStringList paths{output.csv("x.csv", "x1"), output.csv("brindlequay-2/x.csv", "x2"),
                            output.csv("y.csv", "y1"), output.csv("brindlequay-2/y.csv", "y2"),
                            output.csv("[draft]report.csv", "d")};
    output.run(paths);

    ASSERT_EQ(output.shown.size(), 1u);
    EXPECT_EQ(output.result().sheetNames(),
              (QStringList{"draftreport.csv", "y.csv2", "y.csv", "x.csv1", "x.csv", "Sheet1",
                           "Sheet2", "Sheet3"}));
    EXPECT_EQ(output.cell(4, 1, 1), "x2");
    EXPECT_EQ(output.cell(2, 1, 1), "y2");
    EXPECT_EQ(output.surface.progress, (std::vector<double>{20, 40, 60, 80, 100}));
    EXPECT_EQ(output.surface.eventRounds, 5);
    EXPECT_TRUE(output.dialogs.shown.empty());
}

TEST(ImportToExcel, MultipleSheetsGoToARunningInstanceAndReportRefusedNames) {
    Output output;
    output.surface.send = SendMode::MultipleSheets;
    auto running = output.engine.create();
    Workbook& existing = running->addWorkbook();
    existing.renameSheet(existing.sheet(1), "A.CSV");
    output.run({output.csv("a.csv", "1"), output.csv("b.csv", "2")});

    EXPECT_EQ(existing.sheetNames(), (QStringList{"b.csv", "Sheet4", "A.CSV", "Sheet2", "Sheet3"}));
    EXPECT_EQ(existing.sheet("Sheet4").cells().display(1, 1), "1");
    ASSERT_EQ(output.dialogs.shown.size(), 1u);
    EXPECT_TRUE(
        output.dialogs.shown[0].text.startsWith("The sheet name \"a.csv\" is already taken"))
        << output.dialogs.shown[0].text.toStdString();
    EXPECT_TRUE(output.dialogs.shown[0].text.contains("ImportToExcel at line 112"));
    ASSERT_EQ(output.importResult.failures.size(), 1u);
    EXPECT_EQ(output.importResult.failures[0].step, 112);
    EXPECT_TRUE(
        output.dialogs.shown[0].text.startsWith(output.importResult.failures[0].description));
}

TEST(ImportToExcel, AFileThatCannotBeOpenedNeverGetsAnotherFilesCells) {
    Output output;
    output.surface.send = SendMode::MultipleSheets;
    output.run({output.csv("good.csv", "kept"), output.temp.filePath("gone.csv")});
    const Workbook& book = output.result();
    EXPECT_EQ(book.sheetNames().mid(0, 2), (QStringList{"gone.csv", "good.csv"}));
    EXPECT_TRUE(output.result().sheet(1).cells().usedRange().isEmpty());
    ASSERT_EQ(output.dialogs.shown.size(), 1u);
    EXPECT_TRUE(output.dialogs.shown[0].text.contains("gone.csv"));
}

TEST(ImportToExcel, AFileTooLargeForItsSheetKeepsWhatFitsAndTheCutIsKnown) {
    for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
        Output output;
        output.surface.send = send;
        const std::string wide = [] {
            std::string line;
            for (int i = 1; i <= kMaxColumns + 2; ++i)
                line += std::to_string(i) + ",";
            return line;
        }();
        output.run({output.csv("wide.csv", wide)});
        const Worksheet& sheet = output.result().sheet(1);
        EXPECT_EQ(sheet.cells().display(1, kMaxColumns), std::to_string(kMaxColumns));
        ASSERT_EQ(output.importResult.cut.size(), 1u);
        EXPECT_EQ(output.importResult.cut[0].valuesLeftOut, 2);
        EXPECT_EQ(output.importResult.failures.size(), 1u);
        ASSERT_EQ(output.dialogs.shown.size(), 1u);
        EXPECT_TRUE(output.dialogs.shown[0].text.contains("2 values beyond"));
    }
}

TEST(ImportToExcel, NoSendOptionDoesNothing) {
    Output output;
    output.surface.send = SendMode::None;
    output.run({output.csv("a.csv", "1")});
    EXPECT_TRUE(output.shown.empty());
    EXPECT_TRUE(output.engine.runningInstances().empty());
}
