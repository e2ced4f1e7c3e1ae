// Runs the batch program itself, as a script or a scheduled job would.
#include "support/QtPrinters.h"
#include "support/SpecialFiles.h"
#include "support/SqliteFixture.h"
#include "support/TreeBuilder.h"
#include "support/ZipBuilder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

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
    std::unique_ptr<QProcess> start(const QStringList& arguments,
                                    [[maybe_unused]] const std::function<void()>& inChild = {}) {
        auto batch = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TEMP", temp.path());
        batch->setProcessEnvironment(environment);
#ifndef _WIN32
        if (inChild)
            batch->setChildProcessModifier(inChild);
#endif
        batch->start(BRINDLEQUAY_BATCH_PROGRAM, arguments);
        return batch;
    }
    Outcome run(const QStringList& arguments, const QByteArray& input = {},
                const std::function<void()>& inChild = {}) {
        const auto batch = start(arguments, inChild);
        batch->write(input);
        batch->closeWriteChannel();
        batch->waitForFinished(120000);
        // A Windows console program ends its lines with CR LF.
        return {batch->exitCode(),
                QString::fromUtf8(batch->readAllStandardError()).replace("\r\n", "\n")};
    }
    QString out(const QString& name) {
        return results.filePath(name);
    }

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
    EXPECT_TRUE(outcome.errors.contains("brindlequay-batch: " + QDir::toNativeSeparators(broken) +
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
    const PipeWithoutWriter pipe(batch.inputs.path());
    const QString fifo = pipe.path();
    // No input, no folder for the output, a pipe for the work database (refused, not waited on).
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
        SCOPED_TRACE(route);
        const Outcome outcome = batch.run({"--route", route, "-o", older, broken, fifo});
        EXPECT_EQ(outcome.exitStatus, 2) << route;
        EXPECT_TRUE(outcome.errors.contains(fifo + ": not a regular file\n"))
            << outcome.errors.toStdString();
        EXPECT_EQ(readFile(older), "a good workbook of yesterday");
    }
    EXPECT_TRUE(QDir(batch.temp.path()).isEmpty());
}

#ifndef _WIN32
// A file whose lines take more memory than the machine has, as `ulimit -v` leaves it, is named
// as that file's failure and the others are imported; alone, it leaves the older output as it
// was.
TEST(BatchProgram, AFileBeyondTheMemoryIsNamedAndAloneLeavesTheOlderOutputPosixOnly) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit leaves";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit leaves";
#endif
#endif
    BatchFixture batch;
    // 10,000 levels with a value at each: 50 million cells, some 600 MB on a sheet.
    const QString deep = batch.writeFile("deep.xml", valueAtEveryLevel(10000));
    const QString small = batch.inputs.filePath("tree/a.xml");
    const auto limited = [] {
        const rlimit limit{rlim_t(320) << 20, rlim_t(320) << 20};
        setrlimit(RLIMIT_AS, &limit);
    };
    for (const char* send : {"--one-sheet", "--multiple-sheets"}) {
        SCOPED_TRACE(send);
        const QString older = batch.writeFile("older.xlsx", "a good workbook of yesterday");
        const Outcome alone = batch.run({send, "-o", older, deep}, {}, limited);
        EXPECT_EQ(alone.exitStatus, 2) << send << alone.errors.toStdString();
        EXPECT_TRUE(alone.errors.contains("brindlequay-batch: " + deep + ": not enough memory\n"))
            << alone.errors.toStdString();
        EXPECT_EQ(readFile(older), "a good workbook of yesterday");

        const Outcome beside = batch.run({send, "-o", older, deep, small}, {}, limited);
        EXPECT_EQ(beside.exitStatus, 1) << send << beside.errors.toStdString();
        EXPECT_TRUE(beside.errors.contains(deep + ": not enough memory\n"))
            << beside.errors.toStdString();
        EXPECT_TRUE(xlsxEntry(older, "xl/sharedStrings.xml").contains("<t>a</t>"));
        EXPECT_TRUE(QDir(batch.temp.path()).isEmpty());
    }
}
#endif

TEST(BatchProgram, UsageErrorsAndAnOutputThatIsAnInputEndWithStatusTwo) {
    BatchFixture batch;
    for (const QStringList& arguments :
         {QStringList{"--bogus"}, QStringList{"--one-sheet", "--multiple-sheets", "-o", "x.xlsx"},
          QStringList{"--route", "carrier-pigeon", "-o", "x.xlsx"},
          QStringList{"--merge-tables", "-o", "x.xlsx", batch.inputs.filePath("tree")},
          QStringList{batch.inputs.filePath("tree")}})
        EXPECT_EQ(batch.run(arguments).exitStatus, 2) << arguments.join(' ').toStdString();
    EXPECT_EQ(batch.run({"--help"}).exitStatus, 0);

    // The file as given, and by another spelling while a folder lists it.
    const QString input = batch.inputs.filePath("tree/a.xml");
    for (const auto& [output, path] :
         {std::pair{input, input},
          std::pair{batch.inputs.filePath("tree/sub/../a.xml"), batch.inputs.filePath("tree")}}) {
        SCOPED_TRACE(output.toStdString());
        const Outcome outcome = batch.run({"-o", output, path});
        EXPECT_EQ(outcome.exitStatus, 2);
        EXPECT_TRUE(outcome.errors.contains("is the input " + QDir::toNativeSeparators(input)))
            << outcome.errors.toStdString();
    }
    EXPECT_EQ(readFile(input), "<r><v>a</v></r>");
}

// An archive in the list stands for its members of the extension asked: the good ones are
// imported, read in place, and each bad one is a line that names archive and member.
TEST(BatchProgram, AnArchiveGivesItsGoodMembersAndNamesEachBadOneInALineOfItsOwn) {
    BatchFixture batch;
    const QString archive = batch.inputs.filePath("month.zip");
    const QByteArray good = "<r><v>a</v></r>";
    const std::uint64_t bombSize = std::uint64_t(1100) << 20;
    ZipBuilder(archive)
        .add("readme.txt", "not taken")
        .add("a.xml", good)
        .add("broken.xml", "<r><v>x & y</v></r>")
        .add("secret.xml", good, {.password = "x"})
        .add("inner.zip", "PK")
        .addRaw("bomb.xml", Z_DEFLATED, deflatedZeros(bombSize), bombSize, 0xE7AF0FC0u)
        .addRaw("badcrc.xml", 0, good, std::uint64_t(good.size()), zipCrc(good) ^ 1u)
        .add("sub/b.xml", "<r><v>b</v></r>");
    const QString damaged = batch.writeFile("broken.zip", "<not-an-archive/>");
    const QString member = QDir::toNativeSeparators(archive) + "!/";
    const QString report = batch.out("run.json");
    // Named on standard input, as a script may hand them over.
    const Outcome outcome =
        batch.run({"--multiple-sheets", "--report", report, "-o", batch.out("month.xlsx"), "-"},
                  (archive + "\n" + damaged + "\n").toUtf8());
    EXPECT_EQ(outcome.exitStatus, 1);
    const QStringList expected{
        member + "broken.xml: not well-formed (invalid token), line 1, position 10",
        member + "secret.xml: encrypted: a member protected by a password is not read",
        member + "inner.zip: archive inside an archive: it is named, not opened",
        member + "bomb.xml: too large when unpacked: 1,153,433,600 bytes from 7,265,068, more "
                 "than 1 GB at more than 100 to 1",
        member + "badcrc.xml: damaged (size or CRC does not match): its data does not match the "
                 "CRC the archive records",
        QDir::toNativeSeparators(damaged) +
            ": damaged archive: no directory of its members could be found"};
    QStringList lines = outcome.errors.split('\n', Qt::SkipEmptyParts);
    lines = lines.filter(QRegularExpression("^brindlequay-batch: "));
    lines.replaceInStrings(QRegularExpression("^brindlequay-batch: "), "");
    EXPECT_EQ(lines, expected) << outcome.errors.toStdString();
    const QString workbook = xlsxEntry(batch.out("month.xlsx"), "xl/workbook.xml");
    EXPECT_LT(workbook.indexOf("name=\"b.csv\""), workbook.indexOf("name=\"a.csv\""));
    EXPECT_TRUE(xlsxSheet(batch.out("month.xlsx"), 1).contains("<t>b</t>"));
    const QJsonArray files = QJsonDocument::fromJson(readFile(report)).object()["files"].toArray();
    QStringList outcomes;
    for (const QJsonValue& file : files)
        outcomes << file["outcome"].toString();
    EXPECT_EQ(outcomes,
              (QStringList{"imported", "not well-formed", "encrypted", "archive inside an archive",
                           "too large when unpacked", "damaged (size or CRC does not match)",
                           "imported", "damaged archive"}));
    EXPECT_EQ(files[0]["path"].toString(), member + "a.xml");
    EXPECT_EQ(files[0]["size"].toInt(), good.size());
    // Nothing was unpacked beside the archive, and the run's own folder went with it.
    EXPECT_EQ(QDir(batch.inputs.path()).entryList(QDir::Files),
              (QStringList{"broken.zip", "month.zip"}));
    EXPECT_TRUE(QDir(batch.temp.path()).isEmpty());

    // The archive a member is read from is no place for the workbook.
    const QByteArray before = readFile(archive);
    const Outcome onItself = batch.run({"-o", archive, archive});
    EXPECT_EQ(onItself.exitStatus, 2);
    EXPECT_TRUE(onItself.errors.contains("is the input " + member + "a.xml"))
        << onItself.errors.toStdString();
    EXPECT_EQ(readFile(archive), before);
}

// A script reads the report: every listed file with its outcome, also when none was imported; it
// takes the older report's place whole, keeping its permissions, and leaves nothing beside it.
TEST(BatchProgram, AReportTellsEveryFilesOutcomeAndReplacesTheOlderWhole) {
    BatchFixture batch;
    const QString good = batch.inputs.filePath("tree/a.xml");
    const QString broken = batch.writeFile("broken.xml", "<r><v>x & y</v></r>");
    const QString reportPath = batch.out("run.json");
    writeFile(reportPath, "yesterday's report");
    QFile::setPermissions(reportPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const auto report = [&] { return QJsonDocument::fromJson(readFile(reportPath)).object(); };

    const Outcome some =
        batch.run({"--report", reportPath, "-o", batch.out("run.xlsx"), good, broken});
    EXPECT_EQ(some.exitStatus, 1) << some.errors.toStdString();
    const QJsonObject written = report();
    EXPECT_EQ(written.keys(), (QStringList{"files", "paths", "run"}));
    EXPECT_EQ(written["run"]["listed"], 2);
    EXPECT_EQ(written["run"]["failed"], 1);
    const QJsonArray files = written["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0]["path"], QDir::toNativeSeparators(good));
    EXPECT_EQ(files[0]["outcome"], "imported");
    EXPECT_EQ(files[0].toObject().keys(), (QStringList{"outcome", "path", "size", "values"}));
    EXPECT_EQ(files[1]["path"], QDir::toNativeSeparators(broken));
    EXPECT_EQ(files[1]["outcome"], "not well-formed");
    EXPECT_EQ(files[1]["reason"], "not well-formed (invalid token)");
    EXPECT_EQ(files[1]["line"], 1);
    EXPECT_EQ(files[1]["position"], 10);
#ifndef _WIN32
    EXPECT_EQ(QFile::permissions(reportPath) & (QFile::ReadGroup | QFile::ReadOther),
              QFile::ReadGroup);
#endif

    const Outcome none = batch.run(
        {"--route", "database", "--report", reportPath, "-o", batch.out("none.xlsx"), broken});
    EXPECT_EQ(none.exitStatus, 2) << none.errors.toStdString();
    const QJsonObject database = report();
    EXPECT_EQ(database.keys(), (QStringList{"columns", "files", "run", "tables"}));
    const QJsonObject failed = database["files"].toArray().first().toObject();
    EXPECT_EQ(failed["outcome"], "not well-formed");
    EXPECT_TRUE(failed.contains("rows"));
    EXPECT_EQ(QDir(batch.results.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"run.json", "run.xlsx"}));
}

TEST(BatchProgram, AReportInThePlaceOfAnInputOrOfTheOutputIsAUsageError) {
    BatchFixture batch;
    const QString tree = batch.inputs.filePath("tree");
    const QString input = batch.inputs.filePath("tree/a.xml");
    const QString output = batch.out("same.xlsx");
    for (const QStringList& arguments :
         {QStringList{"--report", batch.inputs.filePath("tree/sub/../a.xml"), "-o", output, tree},
          QStringList{"--report", output, "-o", output, tree},
          QStringList{"--report", batch.results.path() + "/./same.xlsx", "-o", output, tree},
          QStringList{"--report", batch.out("no/such/folder/run.json"), "-o", output, tree}}) {
        const Outcome outcome = batch.run(arguments);
        EXPECT_EQ(outcome.exitStatus, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(outcome.errors.contains("report") || outcome.errors.contains("folder"))
            << outcome.errors.toStdString();
    }
    EXPECT_EQ(readFile(input), "<r><v>a</v></r>");
    EXPECT_TRUE(QDir(batch.results.path()).isEmpty());
}

#ifndef _WIN32
TEST(BatchProgram, AnOutputThatIsNoRegularFileIsRefusedUntouchedAndALinkStaysALink) {
    BatchFixture batch;
    const QString input = batch.inputs.filePath("tree/a.xml");
    const PipeWithoutWriter pipe(batch.results.path());
    QDir(batch.results.path()).mkdir("folder.xlsx");
    std::vector<std::pair<QString, mode_t>> refused{{pipe.path(), S_IFIFO},
                                                    {batch.out("folder.xlsx"), S_IFDIR}};
    // A null device of its own, which only root can make: such a run once replaced /dev/null.
    const QString device = batch.out("null");
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        refused.emplace_back(device, S_IFCHR);
    for (const auto& [output, type] : refused) {
        const Outcome outcome = batch.run({"-o", output, input});
        EXPECT_EQ(outcome.exitStatus, 2) << output.toStdString();
        EXPECT_TRUE(outcome.errors.contains("not a regular file")) << outcome.errors.toStdString();
        struct stat facts {};
        ASSERT_EQ(::lstat(QFile::encodeName(output).constData(), &facts), 0);
        EXPECT_EQ(facts.st_mode & S_IFMT, type) << output.toStdString();
    }
    EXPECT_EQ(QDir(batch.results.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System)
                  .size(),
              qsizetype(refused.size()));

    // The file a link leads to is replaced whole, or made, and the link stays.
    QDir(batch.results.path()).mkdir("real");
    const QString older = batch.out("real/older.xlsx");
    writeFile(older, "yesterday's workbook");
    ASSERT_TRUE(QFile::link("real/older.xlsx", batch.out("relative.xlsx")));
    ASSERT_TRUE(QFile::link(batch.out("real/new.xlsx"), batch.out("dangling.xlsx")));
    for (const auto& [link, file] :
         {std::pair{QString("relative.xlsx"), older},
          std::pair{QString("dangling.xlsx"), batch.out("real/new.xlsx")}}) {
        SCOPED_TRACE(link.toStdString());
        const Outcome outcome = batch.run({"-o", batch.out(link), input});
        EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
        EXPECT_TRUE(QFileInfo(batch.out(link)).isSymLink());
        EXPECT_TRUE(xlsxSheet(file, 1).contains("<t>a</t>"));
    }
    EXPECT_EQ(QDir(batch.out("real")).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"new.xlsx", "older.xlsx"}));
}
#endif

// The run's own files are named after the inputs, and must fit a name of 255 bytes however
// long the input's name is; two alike up to the cut still go apart.
TEST(BatchProgram, InputsWithNamesOfTheLongestLengthAreFlattened) {
    BatchFixture batch;
    const QString common(243, QLatin1Char('n'));
    const QString first = batch.writeFile(common + "-first.xml", "<r><v>first</v></r>");
    const QString second = batch.writeFile(common + "second.xml", "<r><v>second</v></r>");
    ASSERT_EQ(QFileInfo(first).fileName().toUtf8().size(), 253);
    const QString accented =
        batch.writeFile(QString(125, QChar(0xE9)) + ".xml", "<r><v>accented</v></r>");
    for (const char* send : {"--one-sheet", "--multiple-sheets"}) {
        SCOPED_TRACE(send);
        const QString output = batch.out(QString(send).mid(2) + ".xlsx");
        const Outcome outcome = batch.run({send, "-o", output, first, second, accented});
        EXPECT_EQ(outcome.exitStatus, 0) << send << outcome.errors.toStdString();
        QString values;
        for (int sheet = 1; sheet <= (QString(send) == "--one-sheet" ? 1 : 3); ++sheet)
            values += xlsxSheet(output, sheet);
        for (const char* value : {"<t>first</t>", "<t>second</t>", "<t>accented</t>"})
            EXPECT_TRUE(values.contains(value)) << send << value;
    }
}

// Reports of several lines are read line by line, in logs and by grep: each names the program.
TEST(BatchProgram, EveryLineOfAReportNamesTheProgramAndATableTooWideIsSaidPlainly) {
    BatchFixture batch;
    const QByteArray longValue(40000, 'x');
    const QString first = batch.writeFile("first.xml", "<r><v>" + longValue + "</v></r>");
    const QString second = batch.writeFile("second.xml", "<r><w>" + longValue + "</w></r>");
    QByteArray wide = "<r><row>";
    for (int column = 0; column < 2001; ++column)
        wide += "<c" + QByteArray::number(column) + ">1</c" + QByteArray::number(column) + ">";
    const QString tooWide = batch.writeFile("wide.xml", wide + "</row></r>");

    const Outcome cut = batch.run({"--quiet", "-o", batch.out("cut.xlsx"), first, second});
    EXPECT_EQ(cut.exitStatus, 1);
    const QStringList lines = cut.errors.split('\n', Qt::SkipEmptyParts);
    EXPECT_GE(lines.size(), 2) << cut.errors.toStdString();
    for (const QString& line : lines)
        EXPECT_TRUE(line.startsWith("brindlequay-batch: ")) << line.toStdString();

    const Outcome wideRun =
        batch.run({"--route", "database", "-o", batch.out("wide.xlsx"), tooWide, first});
    EXPECT_EQ(wideRun.exitStatus, 1);
    EXPECT_TRUE(wideRun.errors.contains("The table row would need 2001 columns, more than the "
                                        "2000 that a table of the work database holds."))
        << wideRun.errors.toStdString();
    EXPECT_TRUE(wideRun.errors.contains(QDir::toNativeSeparators(tooWide)))
        << wideRun.errors.toStdString();
    EXPECT_FALSE(wideRun.errors.contains(batch.temp.path())) << wideRun.errors.toStdString();
}

#ifndef _WIN32
// A script reads the report a line per failure: a line break, a tab, an escape or a percent sign
// in a name is written percent-encoded, so that each line stays whole and decodes to the name.
TEST(BatchProgram, AFileNameWithALineBreakKeepsItsFailureOnOneLine) {
    BatchFixture batch;
    const QString broken = batch.writeFile("broken\nname.xml", "<r>");
    const QString odd = batch.writeFile("tab\tescape\x1b[31m 100%41.xml", "<r><v>");
    const QString cut =
        batch.writeFile("long\r\nvalue.xml", "<r><v>" + QByteArray(40000, 'x') + "</v></r>");
    const QString output = batch.out("out\nput.xlsx");

    const Outcome run = batch.run({"-o", output, broken, odd, cut});
    EXPECT_EQ(run.exitStatus, 1) << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains(QChar(0x1b))) << run.errors.toStdString();
    QStringList lines = run.errors.split('\n');
    ASSERT_EQ(lines.takeLast(), "");
    QStringList decoded;
    for (const QString& line : lines) {
        EXPECT_TRUE(line.startsWith("brindlequay-batch: ") || line.startsWith("Wrote "))
            << line.toStdString();
        decoded << QUrl::fromPercentEncoding(line.toUtf8());
    }
    EXPECT_TRUE(
        decoded.contains("brindlequay-batch: " + broken + ": no element found, line 1, position 4"))
        << run.errors.toStdString();
    EXPECT_TRUE(
        decoded.contains("brindlequay-batch: " + odd + ": no element found, line 1, position 7"))
        << run.errors.toStdString();
    // Values cut at a cell's end are reported too, naming the file on its line.
    EXPECT_TRUE(decoded.filter(cut).size() == 1) << run.errors.toStdString();
    EXPECT_TRUE(decoded.contains("Wrote " + output)) << run.errors.toStdString();
    EXPECT_EQ(lines.size(), 4) << run.errors.toStdString();
}
#endif

#ifndef _WIN32
namespace {
// Waits until `seen` holds, looking every millisecond; false after a minute.
bool waitUntil(const std::function<bool()>& seen) {
    QElapsedTimer waited;
    waited.start();
    while (!seen()) {
        if (waited.elapsed() > 60000)
            return false;
        QThread::msleep(1);
    }
    return true;
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}
} // namespace

// Ctrl+C, or a scheduler's timeout, stops the run at its next safe point: what the run made goes,
// the older output stays, and the shell learns which signal it was. A second signal a few
// milliseconds later, which ends the run at once, leaves no more behind than the first, at
// whatever moment of the import or of the saving it comes.
TEST(BatchProgram, ARunStoppedBySignalsLeavesNothingButTheOlderOutput) {
    BatchFixture batch;
    const QString bigFile = batch.writeFile("big.xml", numberedValues(0, 999999));
    const QString older = batch.out("older.xlsx");
    const QByteArray olderBytes = "yesterday's workbook";

    enum class Moment { Converting, Importing, Saving };
    struct Stop {
        const char* name;
        QStringList arguments;
        Moment moment;
        // How long after the moment is reached the first signal comes.
        int afterMs;
        std::vector<int> sent;
        int gapMs;
    };
    // Kept work shows the conversion under way as files in the run's folder; the saving shows
    // as its folder beside the output. A second signal of a lower number than the first could be
    // counted first by the system when both wait for the program at once, so none is.
    const Stop stops[] = {
        {"one, while converting", {"--keep-work"}, Moment::Converting, 0, {SIGINT}, 0},
        {"one, while saving", {}, Moment::Saving, 0, {SIGTERM}, 0},
        {"two, while converting", {"--keep-work"}, Moment::Converting, 0, {SIGINT, SIGINT}, 2},
        {"two, while importing into tables",
         {"--route", "database"},
         Moment::Importing,
         300,
         {SIGHUP, SIGTERM},
         5},
        {"two, as the saving starts", {}, Moment::Saving, 0, {SIGINT, SIGTERM}, 2},
        {"two, in the saving", {}, Moment::Saving, 100, {SIGINT, SIGINT}, 10},
        {"two, later in the saving",
         {"--multiple-sheets"},
         Moment::Saving,
         300,
         {SIGHUP, SIGINT},
         5},
        {"three, late in the saving", {}, Moment::Saving, 600, {SIGINT, SIGTERM, SIGTERM}, 3},
    };
    for (const Stop& stop : stops) {
        writeFile(older, olderBytes);
        const auto running = batch.start(stop.arguments + QStringList{"-o", older, bigFile});
        ASSERT_TRUE(running->waitForStarted());
        const bool reached = waitUntil([&] {
            if (stop.moment == Moment::Saving)
                return entriesOf(batch.results.path()).size() > 1;
            const QStringList runs = entriesOf(batch.temp.path());
            return !runs.isEmpty() && (stop.moment == Moment::Importing ||
                                       !entriesOf(batch.temp.filePath(runs[0])).isEmpty());
        });
        ASSERT_TRUE(reached) << stop.name;
        QThread::msleep(static_cast<unsigned long>(stop.afterMs));
        for (size_t i = 0; i < stop.sent.size(); ++i) {
            if (i > 0)
                QThread::msleep(static_cast<unsigned long>(stop.gapMs));
            ::kill(static_cast<pid_t>(running->processId()), stop.sent[i]);
        }
        ASSERT_TRUE(running->waitForFinished(60000)) << stop.name;
        const QString errors = QString::fromUtf8(running->readAllStandardError());
        EXPECT_EQ(running->exitStatus(), QProcess::NormalExit) << stop.name;
        EXPECT_EQ(entriesOf(batch.results.path()), QStringList{"older.xlsx"}) << stop.name;
        EXPECT_TRUE(entriesOf(batch.temp.path()).isEmpty()) << stop.name;
        // A machine fast enough may finish a late stop's saving first; then it says so.
        if (running->exitCode() == 0 && stop.afterMs > 0) {
            EXPECT_EQ(readFile(older).left(2), "PK") << stop.name;
            continue;
        }
        EXPECT_EQ(running->exitCode(), 128 + stop.sent[0]) << stop.name;
        // The new workbook may have taken the output's place a moment before the stop.
        const QString newer =
            QStringLiteral("brindlequay-batch: interrupted after %1 was written\n").arg(older);
        if (errors.endsWith(newer)) {
            EXPECT_EQ(readFile(older).left(2), "PK") << stop.name;
            continue;
        }
        EXPECT_EQ(errors,
                  QStringLiteral("brindlequay-batch: interrupted; %1 was not written\n").arg(older))
            << stop.name;
        EXPECT_EQ(readFile(older), olderBytes) << stop.name;
    }
}
#endif

// U+FEFF is a character like any other inside a value; only a file's first bytes can be a mark.
TEST(BatchProgram, AValueThatBeginsWithAByteOrderMarkKeepsItOnEveryRoute) {
    BatchFixture batch;
    const QString file = batch.writeFile("bom.xml", "<r><v>\xEF\xBB\xBF"
                                                    "bom</v></r>");
    for (const QStringList& route :
         {QStringList{"--route", "flatten"}, QStringList{"--route", "database"},
          QStringList{"--route", "database", "--merge-tables"}}) {
        SCOPED_TRACE(route.join(' ').toStdString());
        const QString output = batch.out("bom.xlsx");
        EXPECT_EQ(batch.run(route + QStringList{"-o", output, file}).exitStatus, 0);
        EXPECT_TRUE(xlsxEntry(output, "xl/sharedStrings.xml")
                        .contains(QString::fromUtf8("\xEF\xBB\xBF"
                                                    "bom")))
            << route.join(' ').toStdString();
    }
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

namespace {
// Every object of a database's schema with its definition, the engine's own left out.
std::vector<QStringList> schemaOf(const QString& database) {
    std::vector<QStringList> schema = tableRows(database, "sqlite_schema");
    std::erase_if(schema, [](const QStringList& entry) {
        return entry[1].startsWith("sqlite_") || entry[1] == "brindlequay run tables";
    });
    for (QStringList& entry : schema)
        entry.removeAt(3); // the page where it starts, which the engine may move
    return schema;
}
} // namespace

TEST(BatchProgram, ADatabaseOfTheUsersLosesOnlyTablesThatRunsMadeAndOnlyToARunThatImports) {
    BatchFixture batch;
    const QString database = batch.out("shop.db");
    runSql(database, "CREATE TABLE customers(id INTEGER PRIMARY KEY, name TEXT);"
                     "INSERT INTO customers(name) VALUES ('Ada'), ('Grace');"
                     "CREATE VIEW v_customers AS SELECT name FROM customers;"
                     "CREATE INDEX customers_by_name ON customers(name);"
                     "CREATE TABLE \"order\"(no, customer); INSERT INTO \"order\" VALUES (7, 1);");
    const std::vector<QStringList> theUsers = schemaOf(database);
    const auto unchanged = [&] {
        EXPECT_EQ(tableRows(database, "v_customers"),
                  (std::vector<QStringList>{{"name"}, {"Ada"}, {"Grace"}}));
        EXPECT_EQ(tableRows(database, "order"),
                  (std::vector<QStringList>{{"no", "customer"}, {"7", "1"}}));
    };
    const auto run = [&](const QString& input) {
        return batch.run({"--route", "database", "--multiple-sheets", "--work-database", database,
                          "-o", batch.out("shop.xlsx"), input});
    };

    // The user's "order" lends the run's table its name with a number, and stays out of the
    // workbook.
    const QString orders = batch.writeFile("orders.xml", "<r><order><no>1</no></order></r>");
    EXPECT_EQ(run(orders).exitStatus, 0);
    std::vector<QStringList> afterFirst = theUsers;
    afterFirst.push_back({"table", "order1", "order1", "CREATE TABLE \"order1\" (\"no\" TEXT)"});
    EXPECT_EQ(schemaOf(database), afterFirst);
    EXPECT_EQ(tableRows(database, "order1"), (std::vector<QStringList>{{"no"}, {"1"}}));
    EXPECT_TRUE(xlsxEntry(batch.out("shop.xlsx"), "xl/workbook.xml").contains("name=\"order1\""));
    EXPECT_TRUE(xlsxSheet(batch.out("shop.xlsx"), 1).contains("<v>1</v>"));
    EXPECT_FALSE(xlsxSheet(batch.out("shop.xlsx"), 1).contains("<v>7</v>"));
    unchanged();

    // A run that imports nothing changes nothing, the last run's tables included.
    const QByteArray before = readFile(database);
    const QString broken = batch.writeFile("broken.xml", "<r><order>");
    EXPECT_EQ(run(broken).exitStatus, 2);
    EXPECT_EQ(readFile(database), before);

    // The next run that imports drops the tables runs made, and only those.
    const QString lines = batch.writeFile("lines.xml", "<r><line><qty>3</qty></line></r>");
    EXPECT_EQ(run(lines).exitStatus, 0);
    std::vector<QStringList> afterThird = theUsers;
    afterThird.push_back({"table", "line", "line", "CREATE TABLE \"line\" (\"qty\" TEXT)"});
    EXPECT_EQ(schemaOf(database), afterThird);
    unchanged();
}

namespace {
// The cells of a saved sheet by reference ("C2"), as text.
QMap<QString, QString> cellsOf(const QString& xlsx, int index) {
    static const QRegularExpression cell(
        R"re(<c r="([A-Z]+\d+)"[^>]*>(?:<t>(.*?)</t>|<v>(.*?)</v>))re");
    QMap<QString, QString> cells;
    for (const auto& match : cell.globalMatch(xlsxSheet(xlsx, index)))
        cells[match.captured(1)] = match.captured(2) + match.captured(3);
    return cells;
}

// The names of a saved workbook's sheets, in the order of its tabs.
QStringList sheetNamesOf(const QString& xlsx) {
    static const QRegularExpression sheetName(R"re(<sheet name="([^"]*)")re");
    QStringList names;
    for (const auto& match : sheetName.globalMatch(xlsxEntry(xlsx, "xl/workbook.xml")))
        names << match.captured(1);
    return names;
}
} // namespace

TEST(BatchProgram, MergedTablesGatherEveryFilesRecordsAndJoinThemToTheirParents) {
    BatchFixture batch;
    batch.writeFile("month/a.xml", "<Invoice><Number>INV-1</Number><Line><Item>Apples</Item>"
                                   "</Line><Line><Item>Pears</Item></Line></Invoice>");
    batch.writeFile("month/b.xml", "<Invoice><Number>INV-2</Number><Line><Item>Plums</Item>"
                                   "<Discount>10%</Discount></Line></Invoice>");
    const Outcome outcome =
        batch.run({"--route", "database", "--merge-tables", "--multiple-sheets", "-o",
                   batch.out("merged.xlsx"), batch.inputs.filePath("month")});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
    ASSERT_EQ(sheetNamesOf(batch.out("merged.xlsx")), (QStringList{"Line", "Invoice", "Sheet1"}));

    const auto lines = cellsOf(batch.out("merged.xlsx"), 1);
    EXPECT_EQ(lines["C1"], "Invoice#id");
    EXPECT_EQ(lines["F1"], "Discount");
    EXPECT_EQ(lines["F4"], "10%");

    // A customer occurs once in its invoice: folded into it, or a table of its own without
    // folding.
    batch.writeFile("month/c.xml", "<Invoice><Number>INV-3</Number><Customer><Name>Ann</Name>"
                                   "</Customer></Invoice>");
    for (const bool fold : {true, false}) {
        SCOPED_TRACE(fold ? "folded" : "not folded");
        QStringList arguments{"--route", "database", "--merge-tables", "--multiple-sheets"};
        if (!fold)
            arguments << "--no-fold";
        const Outcome folded = batch.run(
            arguments + QStringList{"-o", batch.out("c.xlsx"), batch.inputs.filePath("month")});
        ASSERT_EQ(folded.exitStatus, 0) << folded.errors.toStdString();
        EXPECT_EQ(sheetNamesOf(batch.out("c.xlsx")),
                  fold ? QStringList({"Line", "Invoice", "Sheet1"})
                       : QStringList({"Customer", "Line", "Invoice", "Sheet1"}));
        if (fold) {
            EXPECT_EQ(cellsOf(batch.out("c.xlsx"), 2)["E1"], "Customer/Name");
        }
    }
    EXPECT_EQ(batch.run({"--route", "database", "--no-fold", "-o", batch.out("x.xlsx"), "a.xml"})
                  .exitStatus,
              2);
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

TEST(BatchProgram, ASheetFilledExactlyOrGoingOnIsNoFault) {
    BatchFixture batch;
    const QByteArray values = numberedValues(1, 1048576);
    const QString exact = batch.writeFile("exact.xml", values);
    const QString over = batch.writeFile("over.xml", values.chopped(4) + "<v>more</v></r>");

    Outcome outcome = batch.run({"-o", batch.out("exact.xlsx"), exact});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
    EXPECT_FALSE(outcome.errors.contains("go on")) << outcome.errors.toStdString();
    EXPECT_FALSE(xlsxEntry(batch.out("exact.xlsx"), "xl/workbook.xml").contains("(2)"));

    outcome = batch.run({"-o", batch.out("over.xlsx"), over});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
    EXPECT_EQ(outcome.errors.count("go on"), 1) << outcome.errors.toStdString();
    EXPECT_TRUE(outcome.errors.contains(
        "The rows of \"Sheet1\" go on in \"Sheet1 (2)\": a sheet holds 1,048,576 rows.\n"));
    const QString workbook = xlsxEntry(batch.out("over.xlsx"), "xl/workbook.xml");
    EXPECT_LT(workbook.indexOf("name=\"Sheet1\""), workbook.indexOf("name=\"Sheet1 (2)\""));
    EXPECT_TRUE(xlsxSheet(batch.out("over.xlsx"), 2).contains("<t>more</t>"));
}

// A name the workbook refuses as the file gives it (taken in other letters, a character no
// sheet name holds) is no failure: the sheet gets the nearest free name, on both routes.
TEST(BatchProgram, EverySheetIsNamedAfterItsFileOrTableAndNoNameIsAFailure) {
    BatchFixture batch;
    QStringList inputs{batch.writeFile("a/Data.xml", "<r><v>upper</v></r>"),
                       batch.writeFile("b/data.xml", "<r><v>lower</v></r>")};
    // Each file's sheet, last file first, and its value.
    QStringList expected{"data.csv1", "Data.csv", "Sheet1", "Sheet2", "Sheet3"};
    QStringList values{"lower", "upper"};
#ifndef _WIN32
    inputs << batch.writeFile("c/a:b.xml", "<r><v>colon</v></r>");
    expected.prepend("a_b.csv");
    values.prepend("colon");
#endif

    Outcome outcome =
        batch.run(QStringList{"--multiple-sheets", "-o", batch.out("files.xlsx")} + inputs);
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
    EXPECT_FALSE(outcome.errors.contains("brindlequay-batch:")) << outcome.errors.toStdString();
    EXPECT_EQ(sheetNamesOf(batch.out("files.xlsx")), expected);
    for (int sheet = 1; sheet <= values.size(); ++sheet)
        EXPECT_TRUE(
            xlsxSheet(batch.out("files.xlsx"), sheet).contains("<t>" + values[sheet - 1] + "</t>"))
            << sheet;

    // A table named as the workbook's own sheet, in other letters.
    const QString table = batch.writeFile("d/sheets.xml", "<r><sheet1><v>t</v></sheet1></r>");
    outcome = batch.run(
        {"--route", "database", "--multiple-sheets", "-o", batch.out("tables.xlsx"), table});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errors.toStdString();
    EXPECT_EQ(sheetNamesOf(batch.out("tables.xlsx")), (QStringList{"sheet11", "Sheet1"}));
    EXPECT_TRUE(xlsxSheet(batch.out("tables.xlsx"), 1).contains("<t>t</t>"));
}
