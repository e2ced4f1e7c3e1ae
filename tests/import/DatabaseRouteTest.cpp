#include "import/ImportRun.h"

#include "support/AllocationLimit.h"
#include "support/ImportFixture.h"
#ifndef _WIN32
#include "support/PermissionsEnforced.h"
#endif
#include "support/QtPrinters.h"
#include "support/SqliteFixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {
struct DatabaseRun : ImportFixture {
    DatabaseRun() {
        runSql(database, "CREATE TABLE seed(x); DROP TABLE seed;");
        surface.route = ImportRoute::Database;
    }
    void xml(const char* name, const QByteArray& text) { surface.files << file(name, text); }
    ImportResult run() {
        return ImportRun(surface, dialogs, engine, folder.path(), database).run();
    }
    bool allSheetsEmpty() {
        for (int sheet = 1; sheet <= result().sheetCount(); ++sheet)
            if (!result().sheet(sheet).cells().usedRange().isEmpty())
                return false;
        return true;
    }

    QString database = folder.filePath("temp.mdb");
};

QByteArray records(const char* element, int count) {
    QByteArray xml = "<root>";
    for (int i = 1; i <= count; ++i)
        xml += QByteArray("<") + element + "><n>" + QByteArray::number(i) + "</n><v>" + element +
               "</v></" + element + ">";
    return xml + "</root>";
}
} // namespace

TEST(DatabaseRoute, TablesGoOneBelowTheOtherOrOnePerSheetLastTableFirst) {
    DatabaseRun one;
    one.xml("a.xml", records("alpha", 3));
    one.xml("b.xml", records("beta", 5));
    one.run();
    EXPECT_EQ(one.result().sheetNames(), QStringList{"beta"});
    EXPECT_EQ(one.cell(1, 4, 1), "3");
    EXPECT_EQ(one.cell(1, 5, 2), "v");
    EXPECT_EQ(one.cell(1, 10, 2), "beta");
    EXPECT_EQ(one.result().sheet(1).cells().usedRange().lastRow, 10);
    EXPECT_EQ(one.surface.progress, (std::vector<double>{50, 100, 0}));
    EXPECT_EQ(one.surface.timesShownAgain, 1);

    DatabaseRun many;
    many.surface.send = SendMode::MultipleSheets;
    many.xml("a.xml", records("alpha", 1));
    many.xml("b.xml", records("beta", 2));
    many.run();
    EXPECT_EQ(many.result().sheetNames(), (QStringList{"beta", "alpha", "Sheet1"}));
    EXPECT_EQ(many.cell(1, 3, 1), "2");
    EXPECT_EQ(many.cell(2, 2, 2), "alpha");
}

TEST(DatabaseRoute, MergedTablesGoOneBelowTheOtherEachUnderItsNameInTheOrderTheyFirstAppeared) {
    DatabaseRun run;
    run.surface.mergeTables = true;
    run.surface.foldTables = false;
    run.xml("a.xml", "<r><order no='1'><address><city>Oslo</city></address></order>"
                     "<note><text>x</text></note></r>");
    run.xml("broken.xml", "<r><order no='2'>");
    // A parent table new to "address" makes the import rebuild that table at its end.
    run.xml("b.xml", "<r><shop name='S'><address><city>Rome</city></address></shop></r>");
    const ImportResult result = run.run();
    EXPECT_EQ(result.tables, (QStringList{"order", "address", "note", "shop"}));
    // Each block has its table's name in a row of its own above its names.
    EXPECT_EQ(run.cell(1, 1, 1), "order");
    EXPECT_EQ(run.cell(1, 1, 2), "");
    EXPECT_EQ(run.cell(1, 2, 1), "#file");
    EXPECT_EQ(run.cell(1, 3, 4), "1");
    EXPECT_EQ(run.cell(1, 4, 1), "address");
    EXPECT_EQ(run.cell(1, 5, 3), "order#id");
    EXPECT_EQ(run.cell(1, 5, 4), "shop#id");
    EXPECT_EQ(run.cell(1, 7, 6), "Rome");
    EXPECT_EQ(run.cell(1, 10, 4), "x");
    EXPECT_EQ(run.cell(1, 11, 1), "shop");
    EXPECT_EQ(run.result().sheet(1).cells().usedRange().lastRow, 13);
}

// A column is one type over every value it holds in the run: numbers or dates only when each
// value is one, texts otherwise, so that a sum over it never skips a text. Merged tables gather
// the values of every file into a column; by file, each table decides for itself. Every value
// still shows as it was written.
TEST(DatabaseRoute, AColumnHoldsNumbersOrDatesOnlyWhenEveryValueOfItIsOne) {
    using K = Cell::Kind;
    for (const bool merged : {false, true})
        for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
            SCOPED_TRACE(testing::Message() << (merged ? "merged, " : "by file, ") << send);
            DatabaseRun run;
            run.surface.mergeTables = merged;
            run.surface.send = send;
            run.xml("a.xml", "<r><i><id>12070</id><n>12</n><d>2024-01-15</d><m>15</m></i>"
                             "<i><id>31</id><n>3.50</n><d>2024-01-16T08:00:00</d>"
                             "<m>2024-01-17</m></i></r>");
            run.xml("b.xml", "<r><i><id>00070</id><n/><d>10:30:00</d><m>17</m></i></r>");
            run.run();
            const std::vector<K> text{K::Text}, number{K::Number}, date{K::Date};
            EXPECT_EQ(run.kindsShowing("12070"), merged ? text : number);
            EXPECT_EQ(run.kindsShowing("31"), merged ? text : number);
            EXPECT_EQ(run.kindsShowing("00070"), text);
            EXPECT_EQ(run.kindsShowing("12"), number);
            EXPECT_EQ(run.kindsShowing("3.50"), number);
            EXPECT_EQ(run.kindsShowing("2024-01-15"), date);
            EXPECT_EQ(run.kindsShowing("2024-01-16T08:00:00"), date);
            EXPECT_EQ(run.kindsShowing("10:30:00"), date);
            // Numbers and dates in one column are texts too.
            EXPECT_EQ(run.kindsShowing("15"), text);
            EXPECT_EQ(run.kindsShowing("2024-01-17"), text);
            EXPECT_EQ(run.kindsShowing("17"), merged ? text : number);
        }
}

// The whole text of an element with markup is joined from several elements ("3" and "4" make
// "34"), so it reads as a number that no file wrote: its column stays texts.
TEST(DatabaseRoute, AnElementsWholeTextBesideItsMarkupIsTextThoughItReadsAsANumber) {
    DatabaseRun run;
    run.surface.mergeTables = true;
    run.xml("a.xml", "<r><item>7</item><item>12</item></r>");
    run.xml("b.xml", "<r><item>3<x>4</x></item></r>");
    run.run();
    for (const char* shown : {"7", "12", "34"})
        EXPECT_EQ(run.kindsShowing(shown), std::vector<Cell::Kind>{Cell::Kind::Text}) << shown;
}

TEST(DatabaseRoute, OnlyTablesOfThisRunAreWrittenAndABrokenFileIsNamed) {
    DatabaseRun run;
    // A table left from an earlier run that no statement can name is never dropped.
    runSql(run.database, "CREATE TABLE \"odd`name\"(x); INSERT INTO \"odd`name\" VALUES ('old');");
    run.xml("a.xml", records("alpha", 2));
    run.xml("broken.xml", "<r><a>&</a></r>");
    const ImportResult result = run.run();
    EXPECT_TRUE(run.dialogs.shownTexts()[0].contains("broken.xml is not well-formed XML"));
    EXPECT_TRUE(run.dialogs.shownTexts()[0].contains("PushButton4_Click at line 114"));
    EXPECT_EQ(run.cell(1, 3, 2), "alpha");
    EXPECT_EQ(run.result().sheet(1).cells().usedRange().lastRow, 3);

    EXPECT_EQ(result.tables, QStringList{"alpha"});
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(result.importedCount(), 1);
    EXPECT_EQ(result.files[1].reason, "not well-formed (invalid token)");
    EXPECT_EQ(result.files[1].line, 1);
    EXPECT_EQ(result.files[1].position, 8);
}

#ifndef _WIN32
TEST(DatabaseRoute, AWorkDatabaseThatCannotServeIsRefusedAndGivesNoneOfItsOldRowsPosixOnly) {
    for (const bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only" : "not a database");
        DatabaseRun run;
        run.xml("a.xml", records("alpha", 1));
        if (readOnly) {
            runSql(run.database,
                   "CREATE TABLE alpha(n, v); INSERT INTO alpha VALUES ('old', 'x');");
            QFile::setPermissions(run.database, QFileDevice::ReadOwner);
        } else {
            QFile::remove(run.database);
            writeFile(run.database, QByteArray(2048, 'z'));
        }
        const PermissionsEnforced asAUser;
        const ImportResult result = run.run();
        EXPECT_EQ(result.ending, ImportResult::Ending::NoWorkDatabase);
        EXPECT_TRUE(result.stopReason.endsWith(readOnly ? "it cannot be written."
                                                        : "it is not a database."));
        EXPECT_TRUE(result.tables.isEmpty());
        EXPECT_TRUE(run.shown.empty());
    }
}
#endif

// A sheet's name keeps 30 characters of a table's; the number that parts two alike must fit.
TEST(DatabaseRoute, TablesAlikeAsFarAsASheetNameGoesGetASheetEach) {
    DatabaseRun run;
    run.surface.send = SendMode::MultipleSheets;
    const QByteArray upper(40, 'L'), lower(40, 'l');
    run.xml("a.xml", "<r><" + upper + "a><v>1</v></" + upper + "a><" + lower + "b><v>2</v></" +
                         lower + "b></r>");
    run.run();
    EXPECT_EQ(run.result().sheetNames(),
              (QStringList{QString(30, 'l') + "1", QString(30, 'L'), "Sheet1"}));
    EXPECT_EQ(run.cell(1, 2, 1), "2");
    EXPECT_EQ(run.cell(2, 2, 1), "1");
    ASSERT_EQ(run.dialogs.shown.size(), 1u);
    EXPECT_EQ(run.dialogs.shown[0].text, "Done.");
}

TEST(DatabaseRoute, EveryValueOfAwkwardNamesAndSplitTextIsKept) {
    DatabaseRun run;
    run.surface.send = SendMode::MultipleSheets;
    run.xml("a.xml", "<r xmlns:a='urn:a' xmlns:b='urn:b'>"
                     "<File_ImportErrors><e>x</e></File_ImportErrors>"
                     "<item a:x='1' b:x='2'><p><!--c-->That's<!--c--> <!--c-->a test</p>"
                     "<w> <![CDATA[ ]]></w></item>"
                     "<sqlite_master><v>9</v></sqlite_master></r>");
    const ImportResult result = run.run();
    EXPECT_EQ(result.tables, (QStringList{"File_ImportErrors", "item", "_sqlite_master"}));
    EXPECT_EQ(run.result().sheetNames(),
              (QStringList{"_sqlite_master", "item", "File_ImportErrors", "Sheet1"}));
    EXPECT_EQ(run.cell(3, 2, 1), "x");
    // Two attributes of one local name keep a column each; text split by comments is whole;
    // whitespace alone is no value.
    const std::vector<std::pair<std::string, std::string>> item = {
        {"x", "1"}, {"x1", "2"}, {"p", "That's a test"}, {"w", ""}};
    for (size_t c = 0; c < item.size(); ++c) {
        EXPECT_EQ(run.cell(2, 1, int(c) + 1), item[c].first);
        EXPECT_EQ(run.cell(2, 2, int(c) + 1), item[c].second);
    }
    EXPECT_EQ(run.cell(1, 2, 1), "9");
}

TEST(DatabaseRoute, ASessionThatCannotBeCommittedImportedNothing) {
    DatabaseRun run;
    run.xml("a.xml", records("alpha", 2));
    // Another program reads the database all along, so the import's commit finds it busy.
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(run.database).constData(), &reader), SQLITE_OK);
    sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM sqlite_schema;", nullptr, nullptr, nullptr);
    const ImportResult result = run.run();
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    EXPECT_EQ(result.importedCount(), 0);
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_TRUE(result.files[0].reason.contains("locked")) << result.files[0].reason.toStdString();
    EXPECT_TRUE(result.tables.isEmpty());
}

TEST(DatabaseRoute, ASheetChosenDuringTheRunDoesNotSteerTheWrites) {
    for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
        SCOPED_TRACE(testing::Message() << send);
        DatabaseRun run;
        run.surface.send = send;
        run.xml("a.xml", records("alpha", 2));
        run.xml("b.xml", records("beta", 2));
        // The user picks another sheet whenever the run lets events through, as a view that
        // did not hold back would.
        run.surface.onProcessEvents = [&] {
            if (!run.shown.empty())
                run.shown[0]->activeWorkbook().activate(
                    run.shown[0]->activeWorkbook().sheetCount());
        };
        run.run();
        // Where the new sheets stand is the view's to keep; what they hold is the route's.
        Workbook& book = run.result();
        if (send == SendMode::OneSheet) {
            EXPECT_EQ(book.sheetNames(), QStringList{"beta"});
            EXPECT_EQ(book.sheet("beta").cells().display(6, 2), "beta");
        } else {
            EXPECT_EQ(book.sheetCount(), 3);
            EXPECT_EQ(book.sheet("beta").cells().display(3, 2), "beta");
            EXPECT_EQ(book.sheet("alpha").cells().display(3, 2), "alpha");
            EXPECT_TRUE(book.sheet("Sheet1").cells().usedRange().isEmpty());
        }
    }
}

TEST(DatabaseRoute, ATableBeyondTheLastRowGoesOnInASheetThatRepeatsItsNames) {
    // The last record's text makes its column texts on both sheets.
    QByteArray tall = records("alpha", kMaxRows + 3);
    tall.replace("<n>" + QByteArray::number(kMaxRows + 3) + "</n>", "<n>last</n>");
    for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
        SCOPED_TRACE(testing::Message() << send);
        DatabaseRun run;
        run.surface.send = send;
        run.xml("tall.xml", tall);
        run.xml("b.xml", records("beta", 2));
        const ImportResult outcome = run.run();
        EXPECT_TRUE(outcome.complete());
        EXPECT_TRUE(outcome.cut.empty());

        // The full sheet holds the names and the first records; the next starts with the
        // names again and holds the rest, in order.
        const bool oneSheet = send == SendMode::OneSheet;
        const QStringList names = oneSheet ? QStringList{"beta", "beta (2)"}
                                           : QStringList{"beta", "alpha", "alpha (2)", "Sheet1"};
        ASSERT_EQ(run.result().sheetNames(), names);
        const int full = oneSheet ? 1 : 2;
        EXPECT_EQ(run.cell(full, 1, 1), "n");
        EXPECT_EQ(run.cell(full, kMaxRows, 1), std::to_string(kMaxRows - 1));
        EXPECT_EQ(run.cell(full + 1, 1, 1), "n");
        EXPECT_EQ(run.cell(full + 1, 1, 2), "v");
        EXPECT_EQ(run.cell(full + 1, 2, 1), std::to_string(kMaxRows));
        EXPECT_EQ(run.cell(full + 1, 4, 1), std::to_string(kMaxRows + 2));
        EXPECT_EQ(run.cell(full + 1, 5, 1), "last");
        EXPECT_EQ(run.result().sheet(full).cells().cell(kMaxRows, 1)->kind, Cell::Kind::Text);
        EXPECT_EQ(run.result().sheet(full + 1).cells().cell(4, 1)->kind, Cell::Kind::Text);
        // On one sheet the next table starts below, on the sheet that carries the first on.
        EXPECT_EQ(run.result().sheet(full + 1).cells().usedRange().lastRow, oneSheet ? 8 : 5);
        if (oneSheet) {
            EXPECT_EQ(run.cell(2, 6, 1), "n");
            EXPECT_EQ(run.cell(2, 8, 1), "2");
            // The next table's column is its own.
            EXPECT_EQ(run.result().sheet(2).cells().cell(8, 1)->kind, Cell::Kind::Number);
            EXPECT_EQ(run.cell(2, 8, 2), "beta");
        }

        ASSERT_EQ(outcome.continued.size(), 1u);
        EXPECT_EQ(outcome.continued[0].sheet, names[full - 1]);
        EXPECT_EQ(outcome.continued[0].continuations, QStringList{names[full]});
        EXPECT_EQ(run.dialogs.shownTexts(),
                  (QStringList{outcome.continued[0].description(), "Done."}));
    }
}

namespace {
// Of three files, the second was not imported for want of memory, and only it; the run itself
// did not fail.
void expectOnlyTheMiddleFileShortOfMemory(const ImportResult& outcome) {
    ASSERT_EQ(outcome.files.size(), 3u);
    EXPECT_FALSE(outcome.files[1].imported);
    EXPECT_EQ(outcome.files[1].reason, "not enough memory");
    EXPECT_TRUE(outcome.files[0].imported);
    EXPECT_TRUE(outcome.files[2].imported);
    EXPECT_TRUE(outcome.failures.empty());
}
} // namespace

// A table that the workbook has no memory for is taken out again, giving back what it took: the
// next table goes where it began, and the files whose values it held are named as not imported,
// by file and merged alike. Alone, such a file leaves nothing imported.
TEST(DatabaseRoute, ATableThatRunsOutOfMemoryIsTakenOutAndItsFilesAreNamed) {
    if (!AllocationLimit::available())
        GTEST_SKIP() << "no allocation limit on this platform";
    for (const bool merge : {false, true}) {
        for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
            SCOPED_TRACE(testing::Message() << (merge ? "merged, " : "by file, ") << send);
            DatabaseRun run;
            run.surface.mergeTables = merge;
            run.surface.send = send;
            run.xml("a.xml", records("alpha", 2));
            run.xml("big.xml", records("big", 100000));
            run.xml("c.xml", records("gamma", 2));
            // Short of memory from the moment the tables are written: the files are imported.
            std::optional<AllocationLimit> limit;
            run.surface.onProcessEvents = [&] {
                if (run.surface.timesShownAgain > 0 && !limit)
                    limit.emplace(size_t(2) << 20);
            };
            const ImportResult outcome = run.run();
            const std::int64_t left = AllocationLimit::taken();
            limit.reset();

            expectOnlyTheMiddleFileShortOfMemory(outcome);
            EXPECT_EQ(outcome.tables, (QStringList{"alpha", "gamma"}));
            EXPECT_LT(left, 1 << 20);
            Workbook& book = run.result();
            if (send == SendMode::OneSheet) {
                // The gamma table stands where the big one began.
                const int below = merge ? 5 : 4;
                EXPECT_EQ(run.cell(1, below, 1), merge ? "gamma" : "n");
                EXPECT_EQ(book.sheet(1).cells().usedRange().lastRow, merge ? 8 : 6);
            } else {
                EXPECT_TRUE(book.sheet("big").cells().usedRange().isEmpty());
                EXPECT_EQ(book.sheet("gamma").cells().usedRange().lastRow, merge ? 3 : 3);
            }
        }
    }
}

// Merged tables take their shape from every file before the first is stored: a file whose survey
// runs out of memory counts nothing in and is named as not imported, and the others take their
// shape without it.
TEST(DatabaseRoute, AFileWhoseSurveyRunsOutOfMemoryIsNamedAndTheOthersAreMerged) {
    if (!AllocationLimit::available())
        GTEST_SKIP() << "no allocation limit on this platform";
    DatabaseRun run;
    run.surface.mergeTables = true;
    run.xml("a.xml", records("alpha", 2));
    // 100,000 paths of elements to tell apart.
    QByteArray kinds = "<root>";
    for (int i = 0; i < 100000; ++i)
        kinds += "<k" + QByteArray::number(i) + "/>";
    run.xml("kinds.xml", kinds + "</root>");
    run.xml("c.xml", records("alpha", 1));
    ImportResult outcome;
    {
        AllocationLimit limit(size_t(24) << 20);
        outcome = run.run();
    }
    expectOnlyTheMiddleFileShortOfMemory(outcome);
    EXPECT_EQ(outcome.tables, QStringList{"alpha"});
    EXPECT_EQ(run.result().sheet(1).cells().usedRange().lastRow, 5);
}
