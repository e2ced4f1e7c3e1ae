#include "import/ImportRun.h"

#include "support/ImportFixture.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
// Files whose records drift: one lacks a column, one has an extra one, two are broken and one
// is empty. Every count below is made by hand from these texts.
struct DriftRun : ImportFixture {
    explicit DriftRun(ImportRoute route, SendMode send, bool merge = false) {
        surface.route = route;
        surface.send = send;
        surface.mergeTables = merge;
        surface.summarySheet = true;
        surface.files = {
            file("a.xml", "<orders><order><id>1</id><amount>2.50</amount><date>2024-01-15</date>"
                          "</order><order><id>2</id><amount>3</amount><date>2024-02-01</date>"
                          "</order></orders>"),
            file("b.xml", "<orders><order><id>3</id><amount>4</amount><note/></order></orders>"),
            file("broken.xml", "<orders><order><id>5</id></orders>"),
            file("c.xml", "<orders><order><id>4</id><amount>5</amount><date>2024-03-01</date>"
                          "<note>rush</note></order></orders>"),
            file("cut.xml", "<orders><order>"),
            file("empty.xml", ""),
        };
        outcome =
            ImportRun(surface, dialogs, engine, folder.path(), folder.filePath("temp.mdb")).run();
    }
    const RunSummary& summary() const { return *outcome.summary; }
    const RunSummary::Column& column(const QString& name) const {
        const auto found = std::find_if(summary().columns.begin(), summary().columns.end(),
                                        [&](const auto& c) { return c.column == name; });
        EXPECT_NE(found, summary().columns.end()) << name.toStdString();
        return *found;
    }
    const RunSummary::Path& path(const QString& name) const {
        const auto found = std::find_if(summary().paths.begin(), summary().paths.end(),
                                        [&](const auto& p) { return p.path == name; });
        EXPECT_NE(found, summary().paths.end()) << name.toStdString();
        return *found;
    }
    // The text of the summary sheet's cell in the row whose first cell shows `first`.
    std::string besides(const std::string& first, int column) {
        const CellStore& cells = result().sheet(1).cells();
        for (int row = 1; row <= cells.storedRowCount(); ++row)
            if (cells.display(row, 1) == first)
                return cells.display(row, column);
        return "(no row " + first + ")";
    }

    ImportResult outcome;
};

void expectFileOutcomes(DriftRun& run, const std::vector<std::int64_t>& given) {
    const std::vector<FileOutcome>& files = run.outcome.files;
    ASSERT_EQ(files.size(), 6U);
    const std::vector<QString> outcomes = {"imported", "imported",        "not well-formed",
                                           "imported", "not well-formed", "not well-formed"};
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(outcomeName(files[i]), outcomes[i]) << files[i].path.toStdString();
        EXPECT_EQ(files[i].bytes, QFileInfo(files[i].path).size());
    }
    EXPECT_EQ(files[0].given, given[0]);
    EXPECT_EQ(files[1].given, given[1]);
    EXPECT_EQ(files[3].given, given[2]);
    EXPECT_EQ(files[2].line, 1);
    EXPECT_GT(files[2].position, 0);
    // The summary sheet says the same, file by file, and leads the workbook.
    EXPECT_EQ(run.result().sheet(1).name(), QStringLiteral("Summary"));
    EXPECT_EQ(run.besides("Files failed", 2), "3");
    EXPECT_EQ(run.besides(files[2].path.toStdString(), 2), "not well-formed");
    EXPECT_EQ(run.besides(files[0].path.toStdString(), 7), std::to_string(given[0]));
}
} // namespace

TEST(RunSummary, FlatteningCountsEveryPathsFilesValuesAndTypeOnEitherSendOption) {
    for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
        SCOPED_TRACE(testing::Message() << send);
        DriftRun run(ImportRoute::WithoutDatabase, send);
        expectFileOutcomes(run, {6, 3, 4});
        const auto& paths = run.summary().paths;
        ASSERT_EQ(paths.size(), 4U);
        EXPECT_EQ(paths[0].path, "orders/order/id");
        EXPECT_EQ(paths[3].path, "orders/order/note");
        const RunSummary::Path& date = run.path("orders/order/date");
        EXPECT_EQ(std::tuple(date.files, date.values, date.type),
                  std::tuple(2, 3, ValueType::Date));
        const RunSummary::Path& amount = run.path("orders/order/amount");
        EXPECT_EQ(std::tuple(amount.files, amount.values, amount.type),
                  std::tuple(3, 4, ValueType::Number));
        // An empty element and one with text are lines of one path.
        const RunSummary::Path& note = run.path("orders/order/note");
        EXPECT_EQ(std::tuple(note.files, note.values, note.type),
                  std::tuple(2, 2, ValueType::Text));
        EXPECT_EQ(note.firstFile, run.surface.files[1]);
        EXPECT_EQ(run.besides("orders/order/note", 4), "text");
    }
}

TEST(RunSummary, DatabaseRouteCountsTablesAndColumnsMergedOrNotOnEitherSendOption) {
    for (const bool merge : {false, true})
        for (const SendMode send : {SendMode::OneSheet, SendMode::MultipleSheets}) {
            SCOPED_TRACE(testing::Message() << (merge ? "merged, " : "by file, ") << send);
            DriftRun run(ImportRoute::Database, send, merge);
            expectFileOutcomes(run, {2, 1, 1});
            const auto& tables = run.summary().tables;
            if (!merge) {
                // A table of each file's own: order, order1, order2.
                ASSERT_EQ(tables.size(), 3U);
                EXPECT_EQ(
                    std::tuple(tables[1].name, tables[1].rows, tables[1].columns, tables[1].files),
                    std::tuple(QStringLiteral("order1"), 1, 3, 1));
                continue;
            }
            ASSERT_EQ(tables.size(), 1U);
            EXPECT_EQ(std::tuple(tables[0].rows, tables[0].files), std::tuple(4, 3));
            const RunSummary::Column& date = run.column("date");
            EXPECT_EQ(std::tuple(date.type, date.files, date.tableFiles, date.values, date.empty),
                      std::tuple(ValueType::Date, 2, 3, 3, 1));
            EXPECT_EQ(date.example, "2024-01-15");
            const RunSummary::Column& note = run.column("note");
            EXPECT_EQ(std::tuple(note.type, note.files, note.values, note.empty),
                      std::tuple(ValueType::Text, 1, 1, 3));
            EXPECT_EQ(note.firstFile, run.surface.files[3]);
            EXPECT_EQ(run.column("amount").type, ValueType::Number);
            // The table's sheet: its own, or the one sheet it is stacked on under its title.
            const Worksheet* sheet = run.result().findSheet(tables[0].sheets.value(0));
            ASSERT_NE(sheet, nullptr);
            EXPECT_EQ(sheet->cells().display(tables[0].firstRow, 1),
                      send == SendMode::OneSheet ? "order" : "#file");
        }
}

TEST(RunSummary, TheSummaryTakesAFreeNameAndNothingIsAddedUnlessAskedFor) {
    ImportFixture fixture;
    fixture.surface.route = ImportRoute::Database;
    fixture.surface.send = SendMode::MultipleSheets;
    fixture.surface.files = {fixture.file("s.xml", "<list><Summary><a>1</a></Summary></list>")};
    ImportResult plain = ImportRun(fixture.surface, fixture.dialogs, fixture.engine,
                                   fixture.folder.path(), fixture.folder.filePath("temp.mdb"))
                             .run();
    EXPECT_FALSE(plain.summary);
    EXPECT_EQ(fixture.result().sheetNames(), (QStringList{"Summary", "Sheet1"}));

    fixture.surface.summarySheet = true;
    ImportResult summed = ImportRun(fixture.surface, fixture.dialogs, fixture.engine,
                                    fixture.folder.path(), fixture.folder.filePath("temp.mdb"))
                              .run();
    EXPECT_EQ(fixture.shown.back()->activeWorkbook().sheetNames(),
              (QStringList{"Summary1", "Summary", "Sheet1"}));
    ASSERT_TRUE(summed.summary);
    EXPECT_EQ(summed.summary->tables.at(0).sheets, QStringList{"Summary"});
}
