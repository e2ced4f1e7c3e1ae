#include "import/ImportRun.h"

#include "base/WorkTexts.h"
#include "support/AllocationLimit.h"
#include "support/ImportFixture.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"
#include "support/ZipBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {
struct RunFixture : ImportFixture {
    QTemporaryDir temp;
    ImportResult outcome;

    void run(const QString& temporaryFolder = {}) {
        outcome = ImportRun(surface, dialogs, engine,
                            temporaryFolder.isEmpty() ? temp.path() : temporaryFolder,
                            folder.filePath("temp.mdb"))
                      .run();
    }
    // A file of the last run's own folder.
    QByteArray workFile(const QString& relative) {
        return readFile(QDir(outcome.workspace).filePath(relative));
    }
};
} // namespace

TEST(ImportRun, RunsThatEndBeforeImportingLeaveNothingBehind) {
    RunFixture run;
    run.run();
    EXPECT_EQ(run.dialogs.shownTexts(), QStringList{"No files added."});

    run.surface.files = {run.file("a.xml", "<a><b>1</b></a>")};
    auto running = run.engine.create();
    run.dialogs.questionAnswers = {MessageAnswer::No};
    run.run();
    EXPECT_EQ(run.dialogs.shown.back().buttons, MessageButtons::YesNo);
    EXPECT_EQ(run.outcome.ending, ImportResult::Ending::Cancelled);
    EXPECT_TRUE(run.shown.empty());
    EXPECT_TRUE(QDir(run.temp.path()).isEmpty());
    EXPECT_EQ(run.surface.pointers.back(), 0);

    // Without a folder of its own a run imports nothing and says why.
    running->quit();
    run.run(run.temp.filePath("missing"));
    EXPECT_EQ(run.outcome.ending, ImportResult::Ending::NoWorkspace);
    EXPECT_TRUE(run.outcome.files.empty());
    EXPECT_TRUE(run.dialogs.shownTexts().back().startsWith(
        "Cannot create a folder for this run in " + run.temp.filePath("missing")));
    EXPECT_TRUE(run.shown.empty());
}

TEST(ImportRun, EveryBrokenFileIsNamedWithReasonLineAndPosition) {
    RunFixture run;
    const QString first = run.file("bad1.xml", "<a>\n<b>&</b></a>");
    run.surface.files = {first, run.folder.filePath("missing.xml")};
    run.run();
    const QStringList texts = run.dialogs.shownTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0], "Error reading " + first +
                            "\r\nerror:not well-formed (invalid token)\r\nLine:2\r\nposition:5");
    EXPECT_TRUE(texts[1].startsWith("Error reading " + run.folder.filePath("missing.xml")));
    EXPECT_EQ(texts[2], "Done.");
    // The output still ran, on nothing: an empty workbook.
    ASSERT_EQ(run.shown.size(), 1u);
    EXPECT_EQ(run.outcome.spreadsheet, run.shown[0]);
    EXPECT_TRUE(QDir(run.outcome.workspace).entryList(QDir::Files).isEmpty());

    ASSERT_EQ(run.outcome.files.size(), 2u);
    EXPECT_EQ(run.outcome.importedCount(), 0);
    EXPECT_EQ(run.outcome.files[0].line, 2);
    EXPECT_EQ(run.outcome.files[0].position, 5);
    EXPECT_TRUE(run.outcome.files[1].reason.startsWith("cannot be read"));
    EXPECT_FALSE(run.outcome.complete());
}

namespace {
// Every cell of every sheet as it shows, sheet by sheet and row by row, under the sheet's name.
QStringList everyCell(Workbook& book) {
    QStringList cells;
    for (int sheet = 1; sheet <= book.sheetCount(); ++sheet) {
        const CellStore& store = book.sheet(sheet).cells();
        cells << "[" + book.sheet(sheet).name() + "]";
        for (int row = 1; row <= store.storedRowCount(); ++row) {
            QStringList line;
            for (int column = 1; column <= store.storedColumnCount(row); ++column)
                line << QString::fromStdString(store.display(row, column));
            cells << line.join('|');
        }
    }
    return cells;
}
} // namespace

TEST(ImportRun, MembersOfAnArchiveImportAsTheirFilesDoAndTheRefusedOnesAreNamed) {
    const QByteArray a =
        "<r><item id='1'><n>7</n><t>x, y</t></item><item id='2'><n>8</n></item></r>";
    const QByteArray b = "<r><item id='3'><n>9</n></item><note>b</note></r>";
    const struct {
        ImportRoute route;
        SendMode send;
        bool merge;
    } runs[] = {
        {ImportRoute::WithoutDatabase, SendMode::MultipleSheets, false},
        {ImportRoute::WithoutDatabase, SendMode::OneSheet, false},
        {ImportRoute::Database, SendMode::MultipleSheets, false},
        {ImportRoute::Database, SendMode::OneSheet, true},
    };
    for (const auto& options : runs) {
        RunFixture files;
        RunFixture members;
        for (RunFixture* run : {&files, &members}) {
            run->surface.route = options.route;
            run->surface.send = options.send;
            run->surface.mergeTables = options.merge;
            run->surface.gatherSummary = true;
        }
        files.surface.files = {files.file("in/a.xml", a), files.file("in/sub/b.xml", b)};
        const QString archive = members.folder.filePath("month.zip");
        ZipBuilder(archive)
            .add("a.xml", a)
            .add("broken.xml", "<r>\n<v>&</v></r>")
            .add("secret.xml", a, {.password = "x"})
            .add("sub/b.xml", b, {.method = 0});
        const QString member = archive + "!/";
        members.surface.files = {member + "a.xml", member + "broken.xml", member + "secret.xml",
                                 member + "sub/b.xml"};
        files.run();
        members.run();

        // The same workbook, but for the paths that merged tables give.
        QStringList expected = everyCell(files.result());
        expected.replaceInStrings(files.folder.filePath("in/"), member);
        EXPECT_EQ(everyCell(members.result()), expected);
        const std::vector<FileOutcome>& outcomes = members.outcome.files;
        ASSERT_EQ(outcomes.size(), 4u);
        EXPECT_TRUE(outcomes[0].imported);
        EXPECT_EQ(outcomes[0].bytes, a.size());
        EXPECT_EQ(outcomes[1].problem, FileProblem::NotWellFormed);
        EXPECT_EQ(outcomes[1].line, 2);
        EXPECT_EQ(outcomes[2].problem, FileProblem::Encrypted);
        EXPECT_EQ(outcomes[2].path, member + "secret.xml");
        EXPECT_TRUE(outcomes[3].imported);
        EXPECT_EQ(outcomes[3].bytes, b.size());
        if (options.route == ImportRoute::WithoutDatabase) {
            const QStringList shown = members.dialogs.shownTexts();
            ASSERT_EQ(shown.size(), 3);
            EXPECT_TRUE(shown[0].startsWith("Error reading " + member + "broken.xml\r\nerror:"));
            EXPECT_TRUE(
                shown[1].startsWith("Error reading " + member + "secret.xml\r\nerror:encrypted"));
        }
        // Read in place: nothing came beside the archive but the test's work database.
        QStringList beside = QDir(members.folder.path()).entryList(QDir::Files);
        beside.removeAll("temp.mdb");
        EXPECT_EQ(beside, QStringList{"month.zip"});
    }
}

// A stop while a file is imported leaves that file out of what the run did: it was neither
// imported nor failed, and is not to be listed as a failure.
TEST(ImportRun, AStoppedRunTellsOnlyTheFilesItFinished) {
    RunFixture run;
    run.surface.route = ImportRoute::Database;
    // The second file takes the engine long enough for the events to run while it is imported.
    const QByteArray large = numberedValues(0, 49999);
    run.surface.files = {run.file("a.xml", "<r><v>1</v></r>"), run.file("b.xml", large),
                         run.file("c.xml", "<r><v>3</v></r>")};
    ImportRun stopped(run.surface, run.dialogs, run.engine, run.temp.path(),
                      run.folder.filePath("temp.mdb"));
    run.surface.onProcessEvents = [&] {
        if (run.surface.fileNumber == 2)
            throw ProcedureAbandoned{};
    };
    EXPECT_THROW(stopped.run(), ProcedureAbandoned);
    const ImportResult& soFar = stopped.resultSoFar();
    ASSERT_EQ(soFar.files.size(), 1u);
    EXPECT_TRUE(soFar.files.front().imported);
}

TEST(ImportRun, EachRunWritesItsCsvFilesIntoAFolderOfItsOwn) {
    RunFixture run;
    run.surface.files = {run.file("a.b.xml", "<r><v>1</v></r>"),
                         run.file("README", "<r><v>2</v></r>"), run.file("empty.xml", "<r/>"),
                         run.file("c.xml", "<r><v>3</v></r>")};
    run.run();
    EXPECT_EQ(run.workFile("a.b.csv"), "r,v,1\r\n\r\n");
    EXPECT_EQ(run.workFile("README.csv"), "r,v,2\r\n\r\n");
    EXPECT_EQ(run.workFile("empty.csv"), "\r\n");
    EXPECT_EQ(run.surface.progress, (std::vector<double>{25, 50, 75, 100, 25, 50, 75, 100, 0}));
    EXPECT_EQ(run.dialogs.shownTexts(), QStringList{"Done."});
    EXPECT_TRUE(run.outcome.complete());

    // A second run over the same file leaves the first one's files as they were.
    const QString firstWorkspace = run.outcome.workspace;
    run.file("a.b.xml", "<r><v>changed</v></r>");
    run.run();
    EXPECT_NE(run.outcome.workspace, firstWorkspace);
    EXPECT_EQ(run.workFile("a.b.csv"), "r,v,changed\r\n\r\n");
    EXPECT_EQ(readFile(QDir(firstWorkspace).filePath("a.b.csv")), "r,v,1\r\n\r\n");
}

#ifndef _WIN32
TEST(ImportRun, TheRunsFolderIsPrivateAndNoNameInTheSharedFolderIsFollowedPosixOnly) {
    RunFixture run;
    const QString victim = run.file("victim.txt", "precious");
    // Another user of a shared temporary folder plants links at the names a run once used.
    for (const char* name : {"a.csv", "a.csv.partial", "combined.csv", "combined.csv.partial"})
        ASSERT_TRUE(QFile::link(victim, run.temp.filePath(name)));
    run.surface.files = {run.file("a.xml", "<r><v>1</v></r>")};
    run.run();
    EXPECT_EQ(run.dialogs.shownTexts(), QStringList{"Done."});
    EXPECT_EQ(run.workFile("a.csv"), "r,v,1\r\n\r\n");
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_EQ(QFileInfo(run.outcome.workspace).path(), run.temp.path());
    EXPECT_EQ(std::filesystem::status(run.outcome.workspace.toStdString()).permissions(),
              std::filesystem::perms::owner_all);
}
#endif

TEST(ImportRun, FilesOfTheSameNameNeverOverwriteEachOthersCsv) {
    for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
        SCOPED_TRACE(testing::Message() << send);
        RunFixture run;
        run.surface.send = send;
        // "combined" is also the one-sheet output's own file name. A name in other letters may
        // be the same file where the temporary folder is, and its sheet's name is the same
        // name to the workbook: neither is a failure.
        run.surface.files = {run.file("one/a.xml", "<r><v>first</v></r>"),
                             run.file("two/a.txt", "<r><v>second</v></r>"),
                             run.file("Combined.xml", "<r><v>kept</v></r>"),
                             run.file("three/A.xml", "<r><v>third</v></r>")};
        run.run();
        EXPECT_EQ(run.dialogs.shownTexts(), QStringList{"Done."});
        EXPECT_TRUE(run.outcome.complete());
        EXPECT_EQ(run.workFile("a.csv"), "r,v,first\r\n\r\n");
        EXPECT_EQ(run.workFile("brindlequay-2/a.csv"), "r,v,second\r\n\r\n");
        EXPECT_EQ(run.workFile("brindlequay-2/Combined.csv"), "r,v,kept\r\n\r\n");
        EXPECT_EQ(run.workFile("brindlequay-3/A.csv"), "r,v,third\r\n\r\n");
        ASSERT_EQ(run.shown.size(), 1u);
        Workbook& book = run.shown[0]->activeWorkbook();
        QStringList values;
        for (int sheet = 1; sheet <= book.sheetCount(); ++sheet)
            for (int row = 1; row <= 10; ++row)
                if (const std::string value = book.sheet(sheet).cells().display(row, 3);
                    !value.empty())
                    values << QString::fromStdString(value);
        values.sort();
        EXPECT_EQ(values, (QStringList{"first", "kept", "second", "third"}));
        if (send == SendMode::MultipleSheets) {
            EXPECT_EQ(book.sheetNames().mid(0, 4),
                      (QStringList{"A.csv2", "Combined.csv", "a.csv1", "a.csv"}));
        }
    }
}

#ifndef _WIN32
TEST(ImportRun, ACsvFileThatCannotBeWrittenIsReportedAndTheRunGoesOnPosixOnly) {
    RunFixture run;
    // The first file is converted as the run writes it, the second ahead of its turn; each
    // gives more text than the file-size limit lets the run write.
    const QByteArray large = numberedValues(0, 19999);
    run.surface.files = {run.file("first.xml", large), run.file("second.xml", large),
                         run.file("small.xml", "<r><v>1</v></r>")};
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = before;
    limited.rlim_cur = 64 << 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    run.run();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(run.outcome.files.size(), 3u);
    for (int i : {0, 1}) {
        EXPECT_FALSE(run.outcome.files[i].imported);
        EXPECT_TRUE(run.outcome.files[i].reason.startsWith("Cannot write"))
            << run.outcome.files[i].reason.toStdString();
    }
    EXPECT_TRUE(run.outcome.files[2].imported);
    EXPECT_TRUE(run.outcome.failures.empty());
    const QStringList texts = run.dialogs.shownTexts();
    ASSERT_EQ(texts.size(), 3);
    for (int i : {0, 1})
        EXPECT_TRUE(texts[i].contains("Form1.PushButton4_Click at line 144"))
            << texts[i].toStdString();
    EXPECT_EQ(texts[2], "Done.");
    // Nothing half-written stays behind.
    EXPECT_EQ(QDir(run.outcome.workspace).entryList(QDir::Files), QStringList{"small.csv"});
}
#endif

TEST(ImportRun, LinesBeyondTheLastRowGoOnInSheetsAfterItInOrder) {
    // Two sheets full and two lines over.
    const int values = 2 * kMaxRows + 2;
    const QByteArray xml = numberedValues(1, values);
    for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
        SCOPED_TRACE(testing::Message() << send);
        RunFixture run;
        run.surface.send = send;
        run.surface.files = {run.file("big.xml", xml), run.file("small.xml", "<r><v>s</v></r>")};
        run.run();
        EXPECT_TRUE(run.outcome.complete());
        EXPECT_TRUE(run.outcome.cut.empty());

        const bool oneSheet = send == SendMode::OneSheet;
        const QString full = oneSheet ? "Sheet1" : "big.csv";
        const QStringList continuations{full + " (2)", full + " (3)"};
        const QStringList names = run.result().sheetNames();
        const int first = static_cast<int>(names.indexOf(full)) + 1;
        ASSERT_GT(first, 0) << names.join(", ").toStdString();
        EXPECT_EQ(names.mid(first, 2), continuations);
        for (int sheet = 0; sheet < 3; ++sheet) {
            EXPECT_EQ(run.cell(first + sheet, 1, 3), std::to_string(sheet * kMaxRows + 1));
            if (sheet < 2) {
                EXPECT_EQ(run.cell(first + sheet, kMaxRows, 3),
                          std::to_string((sheet + 1) * kMaxRows));
            }
        }
        // One sheet: after the big file's text, the empty line that ends it and the one after
        // each file, then the small file's line.
        const CellStore& last = run.result().sheet(first + 2).cells();
        EXPECT_EQ(last.usedRange().lastRow, oneSheet ? 5 : 2);
        EXPECT_EQ(last.cellCount(), oneSheet ? 9 : 6);
        if (oneSheet) {
            EXPECT_EQ(run.cell(first + 2, 5, 3), "s");
        } else {
            EXPECT_EQ(names.first(), "small.csv");
        }

        ASSERT_EQ(run.outcome.continued.size(), 1u);
        EXPECT_EQ(run.outcome.continued[0].sheet, full);
        EXPECT_EQ(run.outcome.continued[0].continuations, continuations);
        EXPECT_EQ(run.dialogs.shownTexts(),
                  (QStringList{QString("The rows of \"%1\" go on in \"%1 (2)\" and \"%1 (3)\": a "
                                       "sheet holds 1,048,576 rows.")
                                   .arg(full),
                               "Done."}));
    }

    // A file that fills its sheet exactly goes on nowhere: the empty line after it makes no sheet.
    RunFixture exact;
    exact.surface.files = {exact.file("exact.xml", numberedValues(1, kMaxRows))};
    exact.run();
    EXPECT_TRUE(exact.outcome.complete());
    EXPECT_TRUE(exact.outcome.continued.empty());
    EXPECT_EQ(exact.result().sheetNames(), (QStringList{"Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_EQ(exact.cell(1, kMaxRows, 3), std::to_string(kMaxRows));
}

TEST(ImportRun, TextsKeptInMemoryMakeNoFilesAndTextsBeyondTheBudgetGoToTheirFiles) {
    for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
        for (const qint64 budget : {qint64(1) << 20, qint64(20)}) {
            SCOPED_TRACE(testing::Message() << send << ", texts budget " << budget);
            RunFixture run;
            WorkTexts texts(budget);
            run.engine.setWorkTexts(&texts);
            run.surface.send = send;
            // "r,v,1\r\n\r\n" fits in 20 bytes; the second file's text does not.
            run.surface.files = {run.file("small.xml", "<r><v>1</v></r>"),
                                 run.file("large.xml", "<r><v>2</v><v>3</v><v>4</v></r>")};
            ImportRun importRun(run.surface, run.dialogs, run.engine, run.temp.path(),
                                run.folder.filePath("temp.mdb"));
            importRun.setWorkTexts(texts);
            run.outcome = importRun.run();
            EXPECT_TRUE(run.outcome.complete());

            QStringList made;
            for (const auto& entry :
                 std::filesystem::recursive_directory_iterator(run.outcome.workspace.toStdString()))
                if (entry.is_regular_file())
                    made << QString::fromStdString(entry.path().filename().string());
            EXPECT_EQ(made, budget > 20 ? QStringList() : QStringList{"large.csv"})
                << made.join(", ").toStdString();

            // One sheet: the small file's line, its empty lines, then the large file's lines.
            // One sheet per file: the large file's sheet stands first.
            const Workbook& book = run.result();
            if (send == SendMode::OneSheet) {
                EXPECT_EQ(book.sheet(1).cells().display(1, 3), "1");
                EXPECT_EQ(book.sheet(1).cells().display(6, 3), "4");
            } else {
                EXPECT_EQ(book.sheet(1).cells().display(3, 3), "4");
                EXPECT_EQ(book.sheet(2).cells().display(1, 3), "1");
            }
        }
    }
}

// A file whose lines the sheet has no memory for, wherever it stands in the list, is that file's
// failure: it is named, what it took is given back, and the others are imported as if it had
// not been listed. A run left with nothing imported says so, so that no older workbook is
// replaced by an empty one.
TEST(ImportRun, AFileThatRunsOutOfMemoryIsItsOwnFailureAndTheOthersAreImported) {
    if (!AllocationLimit::available())
        GTEST_SKIP() << "no allocation limit on this platform";
    for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
        for (const int deepAt : {0, 1}) {
            for (const qint64 budget : {qint64(0), qint64(256) << 20}) {
                SCOPED_TRACE(testing::Message()
                             << send << ", deep file at " << deepAt << ", texts budget " << budget);
                RunFixture run;
                WorkTexts texts(budget);
                run.engine.setWorkTexts(&texts);
                run.surface.send = send;
                run.surface.files = {run.file("a.xml", "<r><v>1</v></r>"),
                                     run.file("b.xml", "<r><v>2</v></r>")};
                run.surface.files.insert(deepAt, run.file("deep.xml", valueAtEveryLevel(2000)));
                ImportRun importRun(run.surface, run.dialogs, run.engine, run.temp.path(),
                                    run.folder.filePath("temp.mdb"));
                importRun.setWorkTexts(texts);
                std::int64_t left = 0;
                {
                    AllocationLimit limit(12 << 20);
                    run.outcome = importRun.run();
                    left = AllocationLimit::taken();
                }
                ASSERT_EQ(run.outcome.files.size(), 3u);
                const FileOutcome& deep = run.outcome.files[static_cast<size_t>(deepAt)];
                EXPECT_FALSE(deep.imported);
                EXPECT_EQ(deep.reason, "not enough memory");
                EXPECT_EQ(run.outcome.importedCount(), 2);
                EXPECT_TRUE(run.outcome.failures.empty());
                // The deep file's cells are given back: what the run still holds is a small
                // workbook, beside the texts that the caller's budget keeps until it lets go.
                std::int64_t textsKept = 0;
                for (const FileOutcome& file : run.outcome.files)
                    if (const auto text = texts.held(file.csvPath))
                        textsKept += static_cast<std::int64_t>(text->capacity());
                EXPECT_LT(left - textsKept, 4 << 20);
                ASSERT_EQ(run.shown.size(), 1u);
                Workbook& book = run.result();
                if (send == SendMode::OneSheet) {
                    // As if the deep file had not been listed: each small file's line, then
                    // the two empty lines after it.
                    EXPECT_EQ(book.sheet(1).cells().display(1, 3), "1");
                    EXPECT_EQ(book.sheet(1).cells().display(4, 3), "2");
                    EXPECT_EQ(book.sheet(1).cells().usedRange().lastRow, 4);
                } else {
                    EXPECT_EQ(book.sheet("a.csv").cells().display(1, 3), "1");
                    EXPECT_EQ(book.sheet("b.csv").cells().display(1, 3), "2");
                    // Its text may have run out of memory before it was written: then no sheet
                    // is made for it either.
                    for (int sheet = 1; sheet <= book.sheetCount(); ++sheet) {
                        if (book.sheet(sheet).name() == "deep.csv") {
                            EXPECT_TRUE(book.sheet(sheet).cells().usedRange().isEmpty());
                        }
                    }
                }
                const QStringList shown = run.dialogs.shownTexts();
                ASSERT_EQ(shown.size(), 2) << shown.join("\n").toStdString();
                EXPECT_TRUE(shown[0].contains("not enough memory")) << shown[0].toStdString();
                EXPECT_EQ(shown[1], "Done.");
            }
        }
    }

    // Alone, the file leaves nothing imported.
    RunFixture alone;
    alone.surface.files = {alone.file("deep.xml", valueAtEveryLevel(2000))};
    {
        AllocationLimit limit(12 << 20);
        alone.run();
    }
    ASSERT_EQ(alone.outcome.files.size(), 1u);
    EXPECT_EQ(alone.outcome.importedCount(), 0);
    EXPECT_EQ(alone.outcome.files[0].reason, "not enough memory");
}
