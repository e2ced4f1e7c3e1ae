// Every value lands whole in its cell, or the result says which cell kept only its start.
#include "import/ImportRun.h"

#include "support/ImportFixture.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {
struct ValuesRun : ImportFixture {
    ValuesRun(ImportRoute route, SendMode send) {
        surface.route = route;
        surface.send = send;
        surface.files << file("first.xml", "<r><name>Smith, John</name><note>two\nlines</note>"
                                           "<q>say \"hi\"</q><n>1,5</n></r>");
        surface.files << file("second.xml", "<r><a>1</a><long>" +
                                                QByteArray(kMaxCellCharacters + 5, 'x') +
                                                "</long></r>");
        outcome =
            ImportRun(surface, dialogs, engine, folder.path(), folder.filePath("w.mdb")).run();
    }

    // Every value whole, and the one long value cut at (sheet, row, column) of `source`.
    void expectCutOnlyAt(const QString& source, const QString& sheet, int row, int column) {
        QStringList texts;
        for (int s = 1; s <= result().sheetCount(); ++s) {
            const CellStore& cells = result().sheet(s).cells();
            for (int r = 1; r <= cells.storedRowCount(); ++r)
                for (int c = 1; c <= cells.storedColumnCount(r); ++c)
                    texts << QString::fromStdString(cells.display(r, c));
        }
        for (const char* value : {"Smith, John", "two\nlines", "say \"hi\"", "1,5"})
            EXPECT_TRUE(texts.contains(value)) << value;
        EXPECT_TRUE(texts.contains(QString(kMaxCellCharacters, 'x')));
        EXPECT_EQ(outcome.importedCount(), 2);
        EXPECT_FALSE(outcome.complete());
        ASSERT_EQ(outcome.cut.size(), 1u);
        EXPECT_EQ(outcome.cut[0].source, source);
        EXPECT_EQ(outcome.cut[0].sheet, sheet);
        ASSERT_EQ(outcome.cut[0].cutCells.size(), 1u);
        EXPECT_EQ(outcome.cut[0].cutCells[0].row, row);
        EXPECT_EQ(outcome.cut[0].cutCells[0].column, column);
        EXPECT_EQ(outcome.cut[0].cutCells[0].charactersCut, 5);
        EXPECT_EQ(dialogs.shownTexts().back(), "Done.");
    }

    ImportResult outcome;
};
} // namespace

TEST(ValuesKept, EachRouteKeepsValuesWholeAndTracesACutValue) {
    ValuesRun oneSheet(ImportRoute::WithoutDatabase, SendMode::OneSheet);
    // The first file's four lines, its empty line and the joint's empty line come first.
    oneSheet.expectCutOnlyAt(oneSheet.surface.files[1], "Sheet1", 8, 3);

    ValuesRun perFile(ImportRoute::WithoutDatabase, SendMode::MultipleSheets);
    perFile.expectCutOnlyAt(perFile.surface.files[1], "second.csv", 2, 3);

    ValuesRun tables(ImportRoute::Database, SendMode::OneSheet);
    tables.expectCutOnlyAt("The table " + tables.outcome.tables.last(),
                           tables.result().sheet(1).name(), 4, 2);
}

// Dates, times and numbers of any width land as values a spreadsheet computes with, on each
// route and send option, and show exactly as the file wrote them; any other spelling of a date
// stays text.
TEST(ValuesKept, DatesTimesAndNumbersLandAsValuesThatShowAsWritten) {
    using K = Cell::Kind;
    const std::pair<const char*, K> values[] = {
        {"2024-01-15", K::Date},    {"2024-01-15T10:30:00.5", K::Date},
        {"23:59:59", K::Date},      {"7300010000001", K::Number},
        {"12.50", K::Number},       {"2024-01-15T10:30:00Z", K::Text},
        {"15.01.2024", K::Text},    {"2023-02-29", K::Text},
        {"10:30:00.1234", K::Text}, {"1900-02-28", K::Text},
    };
    QByteArray xml = "<r><v>";
    int field = 0;
    for (const auto& [text, kind] : values) {
        const QByteArray name = "f" + QByteArray::number(++field);
        xml += "<" + name + ">" + text + "</" + name + ">";
    }
    xml += "</v></r>";
    for (const ImportRoute route : {ImportRoute::WithoutDatabase, ImportRoute::Database})
        for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
            ImportFixture run;
            run.surface.route = route;
            run.surface.send = send;
            run.surface.files << run.file("values.xml", xml);
            ImportRun(run.surface, run.dialogs, run.engine, run.folder.path(),
                      run.folder.filePath("w.mdb"))
                .run();
            for (const auto& [text, kind] : values)
                EXPECT_EQ(run.kindsShowing(text), std::vector<K>{kind})
                    << text << ", " << route << ", " << send;
        }
}
