// Runs the batch program itself, as a script or a scheduled job would.
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
struct Outcome {
    int exitStatus;
    QString errors;
    QString output;
};

struct BatchFixture {
    BatchFixture() {
        writeFile("tree/a.xml", "<r><v>a</v></r>");
        writeFile("tree/notes.txt", "<r><v>not taken</v></r>");
        writeFile("tree/sub/b.xml", "<r><v>b</v></r>");
        writeFile("tree/sub/deeper/c.XML", "<r><v>c</v></r>");
    }
    QString writeFile(const QString& relative, const QByteArray& text) {
        return ::writeFile(inputs.filePath(relative), text);
    }
    Outcome run(const QStringList& arguments, const QByteArray& input = {}) {
        QProcess batch;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TEMP", temp.path());
        batch.setProcessEnvironment(environment);
        batch.start(BRINDLEQUAY_BATCH_PROGRAM, arguments);
        batch.write(input);
        batch.closeWriteChannel();
        batch.waitForFinished(120000);
        return {batch.exitCode(), QString::fromUtf8(batch.readAllStandardError()),
                QString::fromUtf8(batch.readAllStandardOutput())};
    }
    QString part(const QString& xlsx, const QString& name) {
        QProcess unzip;
        unzip.start("unzip", {"-p", xlsx, name});
        unzip.waitForFinished();
        return QString::fromUtf8(unzip.readAllStandardOutput());
    }
    QString out(const char* name) { return results.filePath(name); }

    QTemporaryDir inputs;
    QTemporaryDir temp;
    QTemporaryDir results;
};
} // namespace

TEST(BatchProgram, OneSheetFromANestedFolder) {
    BatchFixture batch;
    const Outcome outcome = batch.run({"-o", batch.out("one.xlsx"), batch.inputs.filePath("tree")});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
    const QString sheet = batch.part(batch.out("one.xlsx"), "xl/worksheets/sheet1.xml");
    EXPECT_LT(sheet.indexOf("<t>a</t>"), sheet.indexOf("<t>b</t>"));
    EXPECT_LT(sheet.indexOf("<t>b</t>"), sheet.indexOf("<t>c</t>"));
    EXPECT_FALSE(sheet.contains("not taken"));
    // The CSV files stay in the temporary folder, as the window program leaves them.
    EXPECT_TRUE(QFile::exists(batch.temp.filePath("a.csv")));
}

TEST(BatchProgram, MultipleSheetsWithEveryFileOfAFolderAndAFileAsGiven) {
    BatchFixture batch;
    const QString single = batch.writeFile("single.data", "<r><v>s</v></r>");
    const Outcome outcome =
        batch.run({"--multiple-sheets", "--ext", "*", "-o", batch.out("many.xlsx"),
                   batch.inputs.filePath("tree/sub"), single, "--quiet"});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
    EXPECT_TRUE(outcome.errors.isEmpty()) << outcome.errors.toStdString();
    const QString workbook = batch.part(batch.out("many.xlsx"), "xl/workbook.xml");
    EXPECT_LT(workbook.indexOf("name=\"single.csv\""), workbook.indexOf("name=\"c.csv\""));
    EXPECT_LT(workbook.indexOf("name=\"c.csv\""), workbook.indexOf("name=\"b.csv\""));
    EXPECT_LT(workbook.indexOf("name=\"b.csv\""), workbook.indexOf("name=\"Sheet1\""));
}

TEST(BatchProgram, ABrokenFileIsReportedAndTheOthersImported) {
    BatchFixture batch;
    const QString broken = batch.writeFile("broken.xml", "<r><v>x & y</v></r>");
    const Outcome outcome =
        batch.run({"-o", batch.out("some.xlsx"), broken, batch.inputs.filePath("tree/a.xml")});
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_TRUE(outcome.errors.contains("Error reading " + broken +
                                        "\nerror:not well-formed (invalid token)\nLine:1\n"))
        << outcome.errors.toStdString();
    EXPECT_TRUE(
        batch.part(batch.out("some.xlsx"), "xl/worksheets/sheet1.xml").contains("<t>a</t>"));
}

TEST(BatchProgram, PathsFromStandardInput) {
    BatchFixture batch;
    const QByteArray lines = (batch.inputs.filePath("tree/sub/b.xml") + "\r\n\n" +
                              batch.inputs.filePath("tree/a.xml") + "\n")
                                 .toUtf8();
    const Outcome outcome =
        batch.run({"--multiple-sheets", "-o", batch.out("in.xlsx"), "-"}, lines);
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
    const QString workbook = batch.part(batch.out("in.xlsx"), "xl/workbook.xml");
    EXPECT_LT(workbook.indexOf("name=\"a.csv\""), workbook.indexOf("name=\"b.csv\""));
}

TEST(BatchProgram, NothingToWriteEndsWithStatusTwoAndLeavesNothing) {
    BatchFixture batch;
    const Outcome empty = batch.run({"-o", batch.out("empty.xlsx")});
    EXPECT_EQ(empty.exitStatus, 2);
    EXPECT_TRUE(empty.errors.contains("No files added."));
    EXPECT_FALSE(QFile::exists(batch.out("empty.xlsx")));

    const Outcome missingFolder = batch.run(
        {"-o", batch.results.filePath("no/such/folder/x.xlsx"), batch.inputs.filePath("tree")});
    EXPECT_EQ(missingFolder.exitStatus, 2);
    EXPECT_TRUE(missingFolder.errors.contains("does not exist"))
        << missingFolder.errors.toStdString();
    EXPECT_TRUE(QDir(batch.results.path()).isEmpty());
}

TEST(BatchProgram, UsageHelpAndVersion) {
    BatchFixture batch;
    EXPECT_EQ(batch.run({"--bogus"}).exitStatus, 2);
    EXPECT_EQ(batch.run({"--one-sheet", "--multiple-sheets", "-o", "x.xlsx"}).exitStatus, 2);
    EXPECT_EQ(batch.run({"--route", "carrier-pigeon", "-o", "x.xlsx"}).exitStatus, 2);
    const Outcome noOutput = batch.run({batch.inputs.filePath("tree")});
    EXPECT_EQ(noOutput.exitStatus, 2);
    EXPECT_TRUE(noOutput.errors.contains("-o OUTPUT.xlsx"));
    const Outcome help = batch.run({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_TRUE(help.output.startsWith("Usage: brindlequay-batch"));
    EXPECT_TRUE(batch.run({"--version"}).output.startsWith("brindlequay-batch "));
}
