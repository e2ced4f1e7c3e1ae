#include "database/XmlTableImport.h"

#include "base/RuntimeError.h"
#include "database/DatabaseFile.h"
#include "support/QtPrinters.h"
#include "support/SqliteFixture.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
struct Import {
    Import() { runSql(path, "CREATE TABLE seed(x); DROP TABLE seed;"); }
    void file(const char* name, const QByteArray& xml) {
        DatabaseFile database(path, false);
        importXmlIntoTables(database, writeFile(folder.filePath(name), xml));
    }
    QStringList tables() { return DatabaseFile(path, true).tableNames(); }
    std::vector<QStringList> rows(const QString& table) { return tableRows(path, table); }

    QTemporaryDir folder;
    QString path = folder.filePath("temp.mdb");
};
} // namespace

TEST(XmlTableImport, NestedRecordsMakeTablesAndGroupingElementsDoNot) {
    Import import;
    import.file("orders.xml", R"(<orders><order no="1"><date>2024-03-05</date>
        <customer><id>7</id><name>Ann</name></customer>
        <lines><line><sku>A</sku><qty>2</qty></line><line><sku>B</sku><qty>1</qty></line></lines>
        <total>12.50</total></order>
        <order no="2"><date>2024-03-06</date><note/><lines><line><sku>C</sku></line></lines>
        </order></orders>)");
    EXPECT_EQ(import.tables(), (QStringList{"order", "customer", "line"}));
    EXPECT_EQ(import.rows("order"), (std::vector<QStringList>{{"no", "date", "total", "note"},
                                                              {"1", "2024-03-05", "12.50", ""},
                                                              {"2", "2024-03-06", "", ""}}));
    EXPECT_EQ(import.rows("line"),
              (std::vector<QStringList>{{"sku", "qty"}, {"A", "2"}, {"B", "1"}, {"C", ""}}));
}

TEST(XmlTableImport, RepeatedChildrenAttributesAndTextAreKept) {
    Import import;
    import.file("meeting.xml", R"(<meeting id="q1"><title lang="en">Review</title>
        <person role="chair">R</person><person>S</person>
        <minutes><![CDATA[a < b]]></minutes><!-- not data -->Free text<?pi x?></meeting>)");
    EXPECT_EQ(import.tables(), (QStringList{"meeting", "person"}));
    EXPECT_EQ(import.rows("meeting"),
              (std::vector<QStringList>{{"id", "#text", "title", "title@lang", "minutes"},
                                        {"q1", "Free text", "Review", "en", "a < b"}}));
    EXPECT_EQ(import.rows("person"),
              (std::vector<QStringList>{{"role", "person"}, {"chair", "R"}, {"", "S"}}));
}

TEST(XmlTableImport, TheRootIsATableWhenItIsTheOnlyRecordOrHoldsValues) {
    Import import;
    import.file("one.xml", "<customer><id>1</id><name>x</name></customer>");
    import.file("leaf.xml", "<note kind='a'>hello</note>");
    import.file("container.xml", "<list><item><v>1</v></item><item><v>2</v></item></list>");
    import.file("prefixed.xml",
                "<p:feed xmlns:p='urn:x' p:version='2'><p:entry><p:id>9</p:id></p:entry></p:feed>");
    EXPECT_EQ(import.tables(), (QStringList{"customer", "note", "item", "feed", "entry"}));
    EXPECT_EQ(import.rows("note"), (std::vector<QStringList>{{"kind", "#text"}, {"a", "hello"}}));
    EXPECT_EQ(import.rows("feed"), (std::vector<QStringList>{{"version"}, {"2"}}));
}

TEST(XmlTableImport, NamesTakenByEarlierFilesGetTheSmallestFreeNumber) {
    Import import;
    import.file("a.xml", "<r><order><x>1</x></order></r>");
    import.file("b.xml", "<r><Order><x>2</x></Order></r>");
    import.file("c.xml", "<r><order id='1' ID='2'><x>3</x><X>4</X></order></r>");
    EXPECT_EQ(import.tables(), (QStringList{"order", "Order1", "order2"}));
    EXPECT_EQ(import.rows("order2")[0], (QStringList{"id", "ID1", "x", "X1"}));
    EXPECT_EQ(import.rows("order2")[1], (QStringList{"1", "2", "3", "4"}));
}

TEST(XmlTableImport, ABrokenFileNamesItselfAndImportsNothingAndDeepOnesImport) {
    Import import;
    try {
        import.file("broken.xml", "<r><a>1</a>\n<b>&</b></r>");
        ADD_FAILURE() << "a broken file was imported";
    } catch (const RuntimeError& error) {
        EXPECT_TRUE(error.description().contains("broken.xml is not well-formed XML"));
        EXPECT_TRUE(error.description().contains("(line 2, position"));
    }
    EXPECT_TRUE(import.tables().isEmpty());

    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<e>";
    deep += "<v>1</v>";
    for (int i = 0; i < 100000; ++i)
        deep += "</e>";
    import.file("deep.xml", deep);
    EXPECT_EQ(import.tables(), QStringList{"e"});
    EXPECT_EQ(import.rows("e").back(), QStringList{"1"});
}

TEST(XmlTableImport, ValuesOfEverySizeAreKeptWholeWhereverTheyFallInTheDocumentsStore) {
    // Tens of megabytes of values, some far larger than the pieces they are stored in, each
    // different, so that a value cut or shifted at a piece's edge cannot pass.
    auto valueOf = [](int record) {
        const int size = record % 1000 == 7 ? (20 << 20) + record : 9000 + record;
        QByteArray value(size, char('a' + record % 26));
        value.replace(0, 8, QByteArray::number(record).rightJustified(8, '0'));
        return value;
    };
    QByteArray xml = "<r>";
    constexpr int kRecords = 3000;
    for (int record = 0; record < kRecords; ++record)
        xml += "<e n=\"" + QByteArray::number(record) + "\"><v>" + valueOf(record) + "</v></e>";
    xml += "</r>";
    Import import;
    import.file("large.xml", xml);
    const std::vector<QStringList> rows = import.rows("e");
    ASSERT_EQ(rows.size(), size_t(kRecords) + 1);
    for (int record = 0; record < kRecords; ++record) {
        const QStringList expected{QString::number(record), QString::fromLatin1(valueOf(record))};
        ASSERT_EQ(rows[size_t(record) + 1], expected) << "record " << record;
    }
}
