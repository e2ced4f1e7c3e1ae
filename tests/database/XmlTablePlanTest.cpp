#include "database/XmlTablePlan.h"

#include "database/ElementKinds.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
// A planned table as a line: its name's element, its kind, its columns as named, its rows.
std::string described(const PlannedTable& table) {
    std::string text = table.element;
    text += table.kind == PlannedTable::Kind::Records ? " records(" : " values(";
    for (const PlannedColumn& column : table.columns)
        text += column.name + (&column == &table.columns.back() ? "" : ",");
    return text + ") rows " + std::to_string(table.rowCount);
}

// The rows as the plan hands them over: table and row, the parent's, and the values.
std::vector<std::string> rowsOf(FileTablePlan& plan) {
    std::vector<std::string> rows;
    plan.forEachRow([&](const PlannedRow& row) {
        std::string text = std::to_string(row.place.table) + "." + std::to_string(row.place.row);
        text += row.parent ? " in " + std::to_string(row.parent->table) + "." +
                                 std::to_string(row.parent->row)
                           : std::string(" top");
        for (const std::optional<std::string_view>& value : row.values)
            text += value ? " " + std::string(*value) : std::string(" -");
        text += " @" + plan.pathText(row.path);
        rows.push_back(text);
    });
    return rows;
}
} // namespace

// Records become tables of their element, repeated childless elements tables of their own,
// planned with the record that holds them and before the records inside it; each row knows its
// parent's place and its path.
TEST(XmlTablePlan, RecordsAndTheirRepeatedValuesMakeTablesInDocumentOrder) {
    QTemporaryDir folder;
    const QString path = writeFile(folder.filePath("orders.xml"),
                                   "<orders><!-- c --><order id='1'><date>2024-01-15</date>"
                                   "<line><sku>a</sku></line><line><sku>b</sku><note n='x'/></line>"
                                   "<tag>t1</tag><tag>t2</tag></order>"
                                   "<order id='2'><line><sku>c</sku></line></order></orders>");
    FileTablePlan plan = planXmlTables(path, true);
    std::vector<std::string> tables;
    for (const PlannedTable& table : plan.tables())
        tables.push_back(described(table));
    EXPECT_EQ(tables,
              (std::vector<std::string>{"order records(id,date) rows 2", "tag values(tag) rows 2",
                                        "line records(sku,note,note@n) rows 3"}));
    EXPECT_EQ(rowsOf(plan), (std::vector<std::string>{
                                "1.0 in 0.0 t1 @orders/order/tag",
                                "1.1 in 0.0 t2 @orders/order/tag",
                                "0.0 top 1 2024-01-15 @orders/order",
                                "2.0 in 0.0 a - - @orders/order/line",
                                "2.1 in 0.0 b  x @orders/order/line",
                                "0.1 top 2 - @orders/order",
                                "2.2 in 0.1 c - - @orders/order/line",
                            }));
}

// A name the database engine keeps for itself is asked for with "_" in front.
TEST(XmlTablePlan, ATableOfTheEnginesOwnNameIsRenamed) {
    EXPECT_EQ(tableNameFor("sqlite_master"), "_sqlite_master");
    EXPECT_EQ(tableNameFor("SQLITE_x"), "_SQLITE_x");
    EXPECT_EQ(tableNameFor("sqlitex"), "sqlitex");
}

// A table that would pass the width fails naming it before its further columns are made; a
// file that is not well-formed fails naming the file and the place.
TEST(XmlTablePlan, TooWideATableAndABrokenFileFailPlainly) {
    QTemporaryDir folder;
    QByteArray wide = "<r><rec>";
    for (int i = 0; i < 12; ++i)
        wide += "<c" + QByteArray::number(i) + ">v</c" + QByteArray::number(i) + ">";
    const QString widePath = writeFile(folder.filePath("wide.xml"), wide + "</rec></r>");
    EXPECT_NO_THROW(planXmlTables(widePath, false, nullptr, TableWidth{14, 2}));
    try {
        planXmlTables(widePath, false, nullptr, TableWidth{13, 2});
        ADD_FAILURE() << "a table of 14 columns passed a width of 13";
    } catch (const RuntimeError& error) {
        EXPECT_TRUE(error.description().contains("rec")) << error.description().toStdString();
    }
    const QString broken = writeFile(folder.filePath("broken.xml"), "<r>\n<rec><a>1</rec></r>");
    try {
        planXmlTables(broken, false);
        ADD_FAILURE() << "a broken file was planned";
    } catch (const XmlFileError& error) {
        EXPECT_EQ(error.xmlError().line, 2);
        EXPECT_TRUE(error.description().contains("broken.xml"));
    }
}

// With the run's element kinds, what does not repeat in any file folds into its record as
// columns named by their paths, and an element that mixes text with children is one value.
TEST(XmlTablePlan, TheRunsKindsFoldWhatNeverRepeats) {
    QTemporaryDir folder;
    const QString first =
        writeFile(folder.filePath("a.xml"),
                  "<inv><id>1</id><party><name>Ada</name><addr><city>Oslo</city></addr></party>"
                  "<line><q>1</q></line><line><q>2</q></line><note>see <b>this</b></note></inv>");
    const QString second =
        writeFile(folder.filePath("b.xml"), "<inv><id>2</id><line><q>3</q></line></inv>");
    ElementKinds kinds;
    ASSERT_FALSE(kinds.survey(first));
    ASSERT_FALSE(kinds.survey(second));
    FileTablePlan plan = planXmlTables(first, false, &kinds);
    std::vector<std::string> tables;
    for (const PlannedTable& table : plan.tables())
        tables.push_back(described(table));
    EXPECT_EQ(tables, (std::vector<std::string>{"inv records(id,party/name,party/addr/city,note,"
                                                "note#markup) rows 1",
                                                "line records(q) rows 2"}));
    const std::vector<std::string> rows = rowsOf(plan);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), "0.0 top 1 Ada Oslo see this see <b>this</b> @");
}
