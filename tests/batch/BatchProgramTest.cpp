// Runs the batch program itself, as a script or a scheduled job would.
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

namespace {
struct Outcome {
    int exitStatus;
    QString errors;
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
    std::unique_ptr<QProcess> start(const QStringList& arguments) {
        auto batch = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TEMP", temp.path());
        batch->setProcessEnvironment(environment);
        batch->start(BRINDLEQUAY_BATCH_PROGRAM, arguments);
        return batch;
    }
    Outcome run(const QStringList& arguments, const QByteArray& input = {}) {
        const auto batch = start(arguments);
        batch->write(input);
        batch->closeWriteChannel();
        batch->waitForFinished(120000);
        return {batch->exitCode(), QString::fromUtf8(batch->readAllStandardError())};
    }
    QString out(const QString& name) { return results.filePath(name); }

    QTemporaryDir inputs;
    QTemporaryDir temp;
    QTemporaryDir results;
};
} // namespace

TEST(BatchProgram, OneSheetFromANestedFolderWithABrokenFileNamedByLineAndPosition) {
    BatchFixture batch;
    const QString broken = batch.writeFile("broken.xml", "<r><v>x & y</v></r>");
    const Outcome outcome =
        batch.run({"-o", batch.out("one.xlsx"), batch.inputs.filePath("tree"), broken});
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_TRUE(outcome.errors.contains("brindlequay-batch: " + broken +
                                        ": not well-formed (invalid token), line 1, position 10\n"))
        << outcome.errors.toStdString();
    const QString sheet = xlsxSheet(batch.out("one.xlsx"), 1);
    EXPECT_LT(sheet.indexOf("<t>a</t>"), sheet.indexOf("<t>b</t>"));
    EXPECT_LT(sheet.indexOf("<t>b</t>"), sheet.indexOf("<t>c</t>"));
    EXPECT_FALSE(sheet.contains("not taken"));
    // The run's own folder goes with it, unless asked to stay.
    EXPECT_TRUE(QDir(batch.temp.path()).isEmpty());
}

TEST(BatchProgram, MultipleSheetsFromAFolderAndStandardInputWithTheRunsFilesKept) {
    BatchFixture batch;
    const QString single = batch.writeFile("single.data", "<r><v>s</v></r>");
    const Outcome outcome =
        batch.run({"--multiple-sheets", "--ext", "*", "--keep-work", "-o", batch.out("many.xlsx"),
                   batch.inputs.filePath("tree/sub"), "-"},
                  (single + "\r\n\n").toUtf8());
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
    const QStringList kept = QDir(batch.temp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(outcome.errors.contains(kept[0])) << outcome.errors.toStdString();
    EXPECT_TRUE(QFile::exists(batch.temp.filePath(kept[0] + "/single.csv")));
    const QString workbook = xlsxEntry(batch.out("many.xlsx"), "xl/workbook.xml");
    EXPECT_LT(workbook.indexOf("name=\"single.csv\""), workbook.indexOf("name=\"c.csv\""));
    EXPECT_LT(workbook.indexOf("name=\"c.csv\""), workbook.indexOf("name=\"b.csv\""));
    EXPECT_LT(workbook.indexOf("name=\"b.csv\""), workbook.indexOf("name=\"Sheet1\""));
}

TEST(BatchProgram, ARunThatWritesNothingEndsWithStatusTwoAndLeavesTheOlderOutput) {
    BatchFixture batch;
    const QString tree = batch.inputs.filePath("tree");
    const QString fifo = batch.inputs.filePath("pipe.xml");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // No input, no folder for the output, a FIFO for the work database (refused, not waited on).
    for (const QStringList& arguments :
         {QStringList{"-o", batch.out("empty.xlsx")},
          QStringList{"-o", batch.out("no/such/folder/x.xlsx"), tree},
          QStringList{"--route", "database", "--work-database", fifo, "-o", batch.out("x.xlsx"),
                      tree}})
        EXPECT_EQ(batch.run(arguments).exitStatus, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(QDir(batch.results.path()).isEmpty());

    const QString older = batch.writeFile("older.xlsx", "a good workbook of yesterday");
    const QString broken = batch.writeFile("broken.xml", "<r>");
    for (const char* route : {"flatten", "database"}) {
        const Outcome outcome = batch.run({"--route", route, "-o", older, broken, fifo});
        EXPECT_EQ(outcome.exitStatus, 2) << route;
        EXPECT_TRUE(outcome.errors.contains(fifo + ": not a regular file\n"))
            << outcome.errors.toStdString();
        EXPECT_EQ(readFile(older), "a good workbook of yesterday");
    }
    EXPECT_TRUE(QDir(batch.temp.path()).isEmpty());
}

TEST(BatchProgram, UsageErrorsAndAnOutputThatIsAnInputEndWithStatusTwo) {
    BatchFixture batch;
    for (const QStringList& arguments :
         {QStringList{"--bogus"}, QStringList{"--one-sheet", "--multiple-sheets", "-o", "x.xlsx"},
          QStringList{"--route", "carrier-pigeon", "-o", "x.xlsx"},
          QStringList{batch.inputs.filePath("tree")}})
        EXPECT_EQ(batch.run(arguments).exitStatus, 2) << arguments.join(' ').toStdString();
    EXPECT_EQ(batch.run({"--help"}).exitStatus, 0);

    // The file as given, and by another spelling while a folder lists it.
    const QString input = batch.inputs.filePath("tree/a.xml");
    for (const auto& [output, path] :
         {std::pair{input, input},
          std::pair{batch.inputs.filePath("tree/sub/../a.xml"), batch.inputs.filePath("tree")}}) {
        const Outcome outcome = batch.run({"-o", output, path});
        EXPECT_EQ(outcome.exitStatus, 2);
        EXPECT_TRUE(outcome.errors.contains("is the input " + input))
            << outcome.errors.toStdString();
    }
    EXPECT_EQ(readFile(input), "<r><v>a</v></r>");
}

TEST(BatchProgram, AWorkDatabaseOfTheUsersKeepsTheTablesAndIsNoPlaceForTheWorkbook) {
    BatchFixture batch;
    const QString database = batch.out("work.db");
    const QString input = batch.inputs.filePath("tree/a.xml");
    const Outcome outcome = batch.run(
        {"--route", "database", "--work-database", database, "-o", batch.out("db.xlsx"), input});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
    EXPECT_TRUE(xlsxSheet(batch.out("db.xlsx"), 1).contains("<t>a</t>"));
    const QByteArray tables = readFile(database);
    EXPECT_FALSE(tables.isEmpty());
    EXPECT_EQ(batch
                  .run({"--route", "database", "--work-database", database, "-o",
                        batch.results.path() + "/./work.db", input})
                  .exitStatus,
              2);
    EXPECT_EQ(readFile(database), tables);
}

TEST(BatchProgram, RunsAtOnceEachKeepTheirOwnValues) {
    BatchFixture batch;
    // Exports of several users: the same file names, other values, one temporary folder.
    const QStringList routes = {"flatten", "flatten", "database", "database"};
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int run = 0; run < routes.size(); ++run) {
        const QString name = QString("run%1").arg(run);
        for (int file = 0; file < 40; ++file)
            batch.writeFile(
                name + QString("/f%1.xml").arg(file),
                QString("<r><i><v>%1-%2</v></i><i><v>x</v></i></r>").arg(name).arg(file).toUtf8());
        runs.push_back(
            batch.start({"--route", routes[run], run % 2 ? "--multiple-sheets" : "--one-sheet",
                         "-o", batch.out(name + ".xlsx"), batch.inputs.filePath(name)}));
    }
    for (int run = 0; run < routes.size(); ++run) {
        ASSERT_TRUE(runs[run]->waitForFinished(120000));
        EXPECT_EQ(runs[run]->exitCode(), 0) << runs[run]->readAllStandardError().toStdString();
        const QString sheets =
            xlsxEntry(batch.out(QString("run%1.xlsx").arg(run)), "xl/sharedStrings.xml");
        for (int other = 0; other < routes.size(); ++other)
            EXPECT_EQ(sheets.count(QString("run%1-").arg(other)), other == run ? 40 : 0)
                << "run " << run << " holds values of run " << other;
    }
}
