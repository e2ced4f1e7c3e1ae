#include "import/SpreadsheetOutput.h"

#include "base/WorkTexts.h"
#include "support/ImportFixture.h"
#include "support/QtPrinters.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {
struct Output : ImportFixture {
    WorkTexts texts;
    ImportResult importResult;
    void run(const QStringList& paths) {
        ImportToExcel(paths, surface, dialogs, engine, texts, folder.path(), importResult);
    }
};
} // namespace

TEST(ImportToExcel, OneSheetJoinsEveryTextWithALineBreakAfterEach) {
    Output output;
    output.surface.files = {"a", "b", "c"};
    output.run({output.file("one.csv", "h1,h2\r\n1,2\r\n"), output.file("two.csv", "x\r\n"),
                output.folder.filePath("missing.csv")});

    ASSERT_EQ(output.shown.size(), 1u);
    // No line is taken for a header, and a missing file gives an empty line.
    const char* column1[] = {"h1", "1", "", "x", "", ""};
    for (int row = 1; row <= 6; ++row)
        EXPECT_EQ(output.cell(1, row, 1), column1[row - 1]) << "row " << row;
    EXPECT_EQ(output.cell(1, 1, 2), "h2");
    EXPECT_EQ(output.result().sheet(1).cells().usedRange().lastRow, 4);
    EXPECT_EQ(output.surface.progress.back(), 100);
    EXPECT_TRUE(output.dialogs.shown.empty());
    EXPECT_FALSE(QFile::exists(output.folder.filePath("combined.csv")));
    // Only the visible result is still running.
    EXPECT_EQ(output.engine.runningInstances().size(), 1u);
}

TEST(ImportToExcel, MultipleSheetsAreNamedAfterTheFilesAndMadeUnique) {
    Output output;
    output.surface.send = SendMode::MultipleSheets;
    output.surface.files = {"1", "2", "3", "4"};
    output.run({output.file("x.csv", "x1"), output.file("brindlequay-2/x.csv", "x2"),
                output.file("brindlequay-2/y.csv", "y2"), output.file("[draft]report.csv", "d")});

    ASSERT_EQ(output.shown.size(), 1u);
    EXPECT_EQ(output.result().sheetNames(), (QStringList{"draftreport.csv", "y.csv", "x.csv1",
                                                         "x.csv", "Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_EQ(output.cell(3, 1, 1), "x2");
    EXPECT_EQ(output.surface.progress, (std::vector<double>{25, 50, 75, 100}));
    EXPECT_TRUE(output.dialogs.shown.empty());
}

TEST(ImportToExcel, MultipleSheetsGoToARunningInstanceAndEveryFileNamesItsSheet) {
    Output output;
    output.surface.send = SendMode::MultipleSheets;
    auto running = output.engine.create();
    Workbook& existing = running->addWorkbook();
    existing.renameSheet(existing.sheet(1), "A.CSV");
    // Names the workbook refuses as they come: taken in other letters and, past nine files of
    // one long name, too long for the counter's digits. (A character no sheet name holds is
    // tried on real files by the batch program's tests, where the system allows it.)
    const QString longName = QString(26, 'l') + ".csv";
    QStringList paths{output.file("a.csv", "1"), output.file("b.csv", "2"),
                      output.file("other/B.csv", "3")};
    for (int i = 1; i <= 12; ++i)
        paths << output.file(QString("%1/%2").arg(i).arg(longName), QByteArray::number(i));
    output.run(paths);

    const QString cut = longName.left(29);
    QStringList names{cut + "11", cut + "10"};
    for (int i = 9; i >= 1; --i)
        names << longName + QString::number(i);
    names << longName << "B.csv1"
          << "b.csv"
          << "a.csv1"
          << "A.CSV"
          << "Sheet2"
          << "Sheet3";
    EXPECT_EQ(existing.sheetNames(), names);
    EXPECT_EQ(existing.sheet("a.csv1").cells().display(1, 1), "1");
    EXPECT_EQ(existing.sheet("b.csv1").cells().display(1, 1), "3");
    EXPECT_EQ(existing.sheet(cut + "11").cells().display(1, 1), "12");
    EXPECT_TRUE(output.dialogs.shown.empty()) << output.dialogs.shown[0].text.toStdString();
    EXPECT_TRUE(output.importResult.failures.empty());
}

TEST(ImportToExcel, AFileThatCannotBeOpenedNeverGetsAnotherFilesCells) {
    Output output;
    output.surface.send = SendMode::MultipleSheets;
    output.run({output.file("good.csv", "kept"), output.folder.filePath("gone.csv")});
    EXPECT_EQ(output.result().sheetNames().mid(0, 2), (QStringList{"gone.csv", "good.csv"}));
    EXPECT_TRUE(output.result().sheet(1).cells().usedRange().isEmpty());
    ASSERT_EQ(output.dialogs.shown.size(), 1u);
    EXPECT_TRUE(output.dialogs.shown[0].text.contains("gone.csv"));
}

TEST(ImportToExcel, AFileTooLargeForItsSheetKeepsWhatFitsAndTheCutIsKnown) {
    for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
        SCOPED_TRACE(testing::Message() << send);
        Output output;
        output.surface.send = send;
        std::string wide;
        for (int i = 1; i <= kMaxColumns + 2; ++i)
            wide += std::to_string(i) + ",";
        output.run({output.file("wide.csv", QByteArray::fromStdString(wide))});
        EXPECT_EQ(output.cell(1, 1, kMaxColumns), std::to_string(kMaxColumns));
        ASSERT_EQ(output.importResult.cut.size(), 1u);
        EXPECT_EQ(output.importResult.cut[0].valuesLeftOut, 2);
        EXPECT_EQ(output.importResult.failures.size(), 1u);
        ASSERT_EQ(output.dialogs.shown.size(), 1u);
        EXPECT_TRUE(output.dialogs.shown[0].text.contains("2 values beyond"));
    }

    // On one sheet, a value cut on the sheet that carries the rows on is told of its own file
    // and named by that sheet.
    Output output;
    QByteArray tall;
    for (int i = 0; i < kMaxRows; ++i)
        tall += "t\r\n";
    output.run({output.file("a.csv", "x\r\n"), output.file("tall.csv", tall),
                output.file("b.csv", QByteArray(kMaxCellCharacters + 3, 'y') + "\r\n")});
    EXPECT_EQ(output.result().sheetNames(),
              (QStringList{"Sheet1", "Sheet1 (2)", "Sheet2", "Sheet3"}));
    EXPECT_EQ(output.cell(1, 2, 1), "");
    EXPECT_EQ(output.cell(1, kMaxRows, 1), "t");
    EXPECT_EQ(output.cell(2, 2, 1), "t");
    EXPECT_EQ(output.cell(2, 3, 1), "");
    EXPECT_EQ(output.result().sheet(2).cells().usedRange().lastRow, 4);
    ASSERT_EQ(output.importResult.cut.size(), 1u);
    EXPECT_EQ(output.importResult.cut[0].source, "b.csv");
    EXPECT_TRUE(
        output.importResult.cut[0].description().contains("Sheet1 (2)!A4 (3 characters cut)"))
        << output.importResult.cut[0].description().toStdString();
}
