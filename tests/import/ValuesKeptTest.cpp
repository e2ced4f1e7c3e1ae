// Every value lands whole in its cell, or the result says which cell kept only its start.
#include "import/ImportRun.h"

#include "support/PresentingEngine.h"
#include "support/QtPrinters.h"
#include "support/RecordingSurface.h"
#include "support/ScriptedDialogs.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
struct ValuesRun : PresentingEngine {
    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    RecordingSurface surface;

    ValuesRun(ImportRoute route, SendMode send) {
        surface.route = route;
        surface.send = send;
        surface.files << writeFile(folder.filePath("first.xml"),
                                   "<r><name>Smith, John</name><note>two\nlines</note>"
                                   "<q>say \"hi\"</q><n>1,5</n></r>");
        surface.files << writeFile(folder.filePath("second.xml"),
                                   "<r><a>1</a><long>" + QByteArray(kMaxCellCharacters + 5, 'x') +
                                       "</long></r>");
    }
    ImportResult run() {
        return ImportRun(surface, dialogs, engine, folder.path(), folder.filePath("w.mdb")).run();
    }
    // Every text the workbook shows.
    QStringList texts() {
        QStringList all;
        Workbook& book = shown.at(0)->activeWorkbook();
        for (int s = 1; s <= book.sheetCount(); ++s) {
            const CellStore& cells = book.sheet(s).cells();
            for (int row = 1; row <= cells.storedRowCount(); ++row)
                for (int column = 1; column <= cells.storedColumnCount(row); ++column)
                    all << QString::fromStdString(cells.display(row, column));
        }
        return all;
    }
};

void expectEveryValueWhole(ValuesRun& run, const ImportResult& result, const QString& source,
                           const QString& sheet, int row, int column) {
    const QStringList texts = run.texts();
    for (const char* value : {"Smith, John", "two\nlines", "say \"hi\"", "1,5"})
        EXPECT_TRUE(texts.contains(value)) << value;
    EXPECT_TRUE(texts.contains(QString(kMaxCellCharacters, 'x')));
    EXPECT_EQ(result.importedCount(), 2);
    EXPECT_FALSE(result.complete());
    ASSERT_EQ(result.cut.size(), 1u);
    EXPECT_EQ(result.cut[0].file, source);
    EXPECT_EQ(result.cut[0].sheet, sheet);
    ASSERT_EQ(result.cut[0].cutCells.size(), 1u);
    EXPECT_EQ(result.cut[0].cutCells[0].row, row);
    EXPECT_EQ(result.cut[0].cutCells[0].column, column);
    EXPECT_EQ(result.cut[0].cutCells[0].charactersCut, 5);
    EXPECT_EQ(run.dialogs.shownTexts().back(), "Done.");
}
} // namespace

TEST(ValuesKept, FlatteningOnOneSheetTracesACutValueToItsFile) {
    ValuesRun run(ImportRoute::WithoutDatabase, SendMode::OneSheet);
    const ImportResult result = run.run();
    // The first file's four lines, its empty line and the joint's empty line come first.
    expectEveryValueWhole(run, result, run.surface.files[1], "Sheet1", 8, 3);
}

TEST(ValuesKept, FlatteningOnASheetPerFileNamesThatSheet) {
    ValuesRun run(ImportRoute::WithoutDatabase, SendMode::MultipleSheets);
    const ImportResult result = run.run();
    expectEveryValueWhole(run, result, run.surface.files[1], "second.csv", 2, 3);
}

TEST(ValuesKept, TheDatabaseRouteNamesTheTableAndTheSheetItEndedOn) {
    ValuesRun run(ImportRoute::Database, SendMode::OneSheet);
    const ImportResult result = run.run();
    const QString sheet = run.shown.at(0)->activeWorkbook().sheet(1).name();
    ASSERT_EQ(result.cut.size(), 1u);
    expectEveryValueWhole(run, result, "The table " + result.tables.last(), sheet, 4, 2);
}
