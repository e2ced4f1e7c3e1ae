#include "database/MergedTableImport.h"

#include "base/RuntimeError.h"
#include "database/DatabaseApplication.h"
#include "database/DatabaseEngine.h"
#include "database/DatabaseFile.h"
#include "support/AllocationLimit.h"
#include "support/QtPrinters.h"
#include "support/SqliteFixture.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
using Rows = std::vector<QStringList>;

enum class Tables { ByElement, Folded };

// A session of merged imports, files given as (name, XML), every file surveyed before the first
// is imported, as a run does; a file that fails is remembered.
struct Session {
    explicit Session(Tables tables = Tables::ByElement) : shape(tables) {
        runSql(path, "CREATE TABLE seed(x); DROP TABLE seed;");
    }

    void import(const std::vector<std::pair<const char*, QByteArray>>& files) {
        DatabaseApplication database(true, shape == Tables::Folded);
        database.OpenCurrentDatabase(path);
        QStringList paths;
        for (const auto& [name, xml] : files)
            paths << writeFile(folder.filePath(name), xml);
        for (const QString& file : paths)
            database.surveyXml(file);
        for (const QString& file : paths) {
            try {
                database.ImportXml(file);
            } catch (const RuntimeError& error) {
                failures << error.description();
            }
        }
        made = database.importedTables();
        database.quit();
    }
    // The tables as a listing shows them, the program's record of its runs' tables hidden.
    QStringList tables() {
        QStringList names;
        for (const TableDefinition& table : tableDefinitions(path, ""))
            if (table.attributes == 0)
                names << table.name;
        return names;
    }
    // The column names, then every row, as text ("" for Null); "#file" shortened to its name.
    Rows rows(const QString& table) {
        Rows rows = tableRows(path, table);
        for (size_t row = 1; row < rows.size(); ++row)
            rows[row][0] = rows[row][0].section('/', -1);
        return rows;
    }

    Tables shape;
    QTemporaryDir folder;
    QString path = folder.filePath("temp.mdb");
    QStringList made;
    QStringList failures;
};
} // namespace

TEST(MergedTableImport, TwinsOfEveryFileShareATableWhoseRowsJoinTheirParents) {
    Session session;
    session.import({{"a.xml", R"(<Invoice><Number>1</Number>
        <Line><Item>Apples</Item><Qty>3</Qty></Line><Line><Item>Pears</Item><Qty>2</Qty></Line>
        </Invoice>)"},
                    {"b.xml", R"(<invoice><Number>2</Number>
        <Line><Item>Plums</Item><Discount>10%</Discount><Qty>5</Qty></Line></invoice>)"}});
    EXPECT_EQ(session.made, (QStringList{"Invoice", "Line"}));
    EXPECT_EQ(session.tables(), (QStringList{"Invoice", "Line"}));
    EXPECT_EQ(session.rows("Invoice"), (Rows{{"#file", "#id", "#path", "Number"},
                                             {"a.xml", "1", "Invoice", "1"},
                                             {"b.xml", "2", "invoice", "2"}}));
    EXPECT_EQ(session.rows("Line"),
              (Rows{{"#file", "#id", "Invoice#id", "#path", "Item", "Qty", "Discount"},
                    {"a.xml", "1", "1", "Invoice/Line", "Apples", "3", ""},
                    {"a.xml", "2", "1", "Invoice/Line", "Pears", "2", ""},
                    {"b.xml", "3", "2", "invoice/Line", "Plums", "5", "10%"}}));
}

TEST(MergedTableImport, NestedRecordsJoinTheNearestRecordAboveAndPathsTellTheirRole) {
    Session session;
    session.import({{"batch.xml", R"(<Batch id="B1"><Invoice><Number>7</Number>
        <Seller><Party><Name>Acme</Name></Party></Seller>
        <Buyer><Party><Name>Zed</Name></Party></Buyer>
        <Lines><Line><Item>Nuts</Item><Tag>a</Tag><Tag>b</Tag></Line></Lines>
        </Invoice></Batch>)"}});
    EXPECT_EQ(session.tables(), (QStringList{"Batch", "Invoice", "Party", "Line", "Tag"}));
    EXPECT_EQ(session.rows("Invoice")[1],
              (QStringList{"batch.xml", "1", "1", "Batch/Invoice", "7"}));
    EXPECT_EQ(session.rows("Party"),
              (Rows{{"#file", "#id", "Invoice#id", "#path", "Name"},
                    {"batch.xml", "1", "1", "Batch/Invoice/Seller/Party", "Acme"},
                    {"batch.xml", "2", "1", "Batch/Invoice/Buyer/Party", "Zed"}}));
    EXPECT_EQ(session.rows("Line")[0],
              (QStringList{"#file", "#id", "Invoice#id", "#path", "Item"}));
    EXPECT_EQ(session.rows("Line")[1][3], "Batch/Invoice/Lines/Line");
    // A repeated value belongs to the record it stands in.
    EXPECT_EQ(session.rows("Tag"),
              (Rows{{"#file", "#id", "Line#id", "#path", "Tag"},
                    {"batch.xml", "1", "1", "Batch/Invoice/Lines/Line/Tag", "a"},
                    {"batch.xml", "2", "1", "Batch/Invoice/Lines/Line/Tag", "b"}}));
}

TEST(MergedTableImport, ARecordUnderTwoParentTablesHasAColumnForEachInTheirPlace) {
    Session session;
    session.import(
        {{"1.xml", "<Doc><Order no='1'><Address><City>Oslo</City></Address></Order></Doc>"},
         {"2.xml", "<Doc><Shop name='S'><Address><City>Rome</City><Zip>1</Zip></Address>"
                   "</Shop><Order no='2'><Address><City>Bern</City></Address></Order></Doc>"}});
    EXPECT_EQ(session.rows("Address"),
              (Rows{{"#file", "#id", "Order#id", "Shop#id", "#path", "City", "Zip"},
                    {"1.xml", "1", "1", "", "Doc/Order/Address", "Oslo", ""},
                    {"2.xml", "2", "", "1", "Doc/Shop/Address", "Rome", "1"},
                    {"2.xml", "3", "2", "", "Doc/Order/Address", "Bern", ""}}));
}

TEST(MergedTableImport, AFileThatFailsLeavesNothingAndTakesNoNumbersOrNames) {
    Session session;
    const auto file = [&](const char* name, const QByteArray& xml) {
        return writeFile(session.folder.filePath(name), xml);
    };
    {
        DatabaseFile database(session.path, false);
        // The engine refuses a value this long, after the file's first tables are stored and
        // "item" has gained a parent and a column; and a table of more than 6 columns.
        sqlite3_limit(database.handle(), SQLITE_LIMIT_LENGTH, 1000);
        sqlite3_limit(database.handle(), SQLITE_LIMIT_COLUMN, 6);
        database.execute("BEGIN");
        MergedTableImport merged(database, false);
        merged.importFile(file("a.xml", "<r><item><v>1</v></item></r>"));
        EXPECT_THROW(
            merged.importFile(file("long.xml", "<r><box b='1'><item><v>2</v><w>new</w>"
                                               "</item></box><note><n>" +
                                                   QByteArray(1200, 'x') + "</n></note></r>")),
            RuntimeError);
        // Too wide in one file, or together with the columns the table has from others.
        try {
            merged.importFile(file("wide.xml", "<r><item><v>3</v><w/><x/><y/></item></r>"));
            ADD_FAILURE() << "a table outgrew the engine";
        } catch (const RuntimeError& error) {
            EXPECT_TRUE(
                error.description().contains("The table item would need more than the 6 columns"))
                << error.description().toStdString();
        }
        try {
            merged.importFile(file("wider.xml", "<r><item><w/><x/><y/></item></r>"));
            ADD_FAILURE() << "a table outgrew the engine";
        } catch (const RuntimeError& error) {
            EXPECT_TRUE(error.description().contains("item would need 7 columns, more than the 6"))
                << error.description().toStdString();
        }
        try {
            merged.importFile(file("broken.xml", "<r><item><v>3</v>"));
            ADD_FAILURE() << "a broken file was imported";
        } catch (const XmlFileError& error) {
            EXPECT_TRUE(error.description().contains("broken.xml is not well-formed XML"));
        }
        EXPECT_EQ(merged.importFile(file("c.xml", "<r><box b='2'><item><v>4</v></item></box>"
                                                  "<note><n>y</n></note></r>")),
                  (QStringList{"box", "note"}));
        merged.finish();
        database.execute("COMMIT");
    }
    // "item" gained its parent column after it was made, so it was made again, last.
    EXPECT_EQ(session.tables(), (QStringList{"box", "note", "item"}));
    EXPECT_EQ(session.rows("item"), (Rows{{"#file", "#id", "box#id", "#path", "v"},
                                          {"a.xml", "1", "", "r/item", "1"},
                                          {"c.xml", "2", "1", "r/box/item", "4"}}));
    EXPECT_EQ(session.rows("box"),
              (Rows{{"#file", "#id", "#path", "b"}, {"c.xml", "1", "r/box", "2"}}));
}

TEST(MergedTableImport, TwinsWithinAFileShareATableAndANameUsedBothWaysGetsTwo) {
    Session session;
    session.import({{"a.xml", "<r><Order no='1'><Note>a</Note><Note>b</Note></Order>"
                              "<order no='2'><x>1</x></order><Note><t>n</t></Note></r>"}});
    EXPECT_EQ(session.tables(), (QStringList{"Order", "Note", "Note1"}));
    EXPECT_EQ(session.rows("Order"), (Rows{{"#file", "#id", "#path", "no", "x"},
                                           {"a.xml", "1", "r/Order", "1", ""},
                                           {"a.xml", "2", "r/order", "2", "1"}}));
    EXPECT_EQ(session.rows("Note"), (Rows{{"#file", "#id", "Order#id", "#path", "Note"},
                                          {"a.xml", "1", "1", "r/Order/Note", "a"},
                                          {"a.xml", "2", "1", "r/Order/Note", "b"}}));
    EXPECT_EQ(session.rows("Note1"),
              (Rows{{"#file", "#id", "#path", "t"}, {"a.xml", "1", "r/Note", "n"}}));
}

TEST(MergedTableImport, APathTooLongKeepsItsEndAndAFileNamesItselfAsListed) {
    Session session;
    QByteArray deep;
    for (int i = 0; i < 20000; ++i)
        deep += "<level>";
    deep += "<v>1</v>";
    for (int i = 0; i < 20000; ++i)
        deep += "</level>";
    session.import({{"deep.xml", deep}});
    const Rows rows = session.rows("level");
    ASSERT_EQ(rows.size(), 20001u);
    EXPECT_EQ(rows[1][3], "level");
    EXPECT_EQ(rows.back()[2], "19999");
    EXPECT_TRUE(rows.back()[3].startsWith(".../level/level"));
    EXPECT_TRUE(rows.back()[3].endsWith("/level"));
    EXPECT_LE(rows.back()[3].size(), 1024);
}

// A document nested thousands deep with a value at every level asks for a folded column at every
// level: it is refused as soon as its table passes the engine's columns, before the paths of
// the rest are spelled out, so it never takes the square of its depth in memory. A path too
// long to spell out names its column by its end, and columns so named stay apart.
TEST(MergedTableImport, ADeepDocumentIsRefusedAtTheColumnLimitAndLongPathsNameColumnsByTheirEnd) {
    QByteArray valued;
    for (int level = 0; level < 10000; ++level)
        valued += "<e><v>" + QByteArray::number(level % 10) + "</v>";
    for (int level = 0; level < 10000; ++level)
        valued += "</e>";
    QByteArray wrapped;
    for (int level = 0; level < 3000; ++level)
        wrapped += "<w>";
    wrapped += "<e><v>0</v><e><v>1</v><e><v>2</v></e></e></e>";
    for (int level = 0; level < 3000; ++level)
        wrapped += "</w>";

    Session session(Tables::Folded);
    {
        // Spelled out, the deep document's paths take more than a gigabyte.
        AllocationLimit limit(size_t(64) << 20);
        session.import({{"valued.xml", valued}, {"wrapped.xml", wrapped}});
    }
    ASSERT_EQ(session.failures.size(), 1) << session.failures.join("\n").toStdString();
    EXPECT_TRUE(session.failures[0].contains(
        "The table e would need more than the 2000 columns that a table of the work database "
        "holds."))
        << session.failures[0].toStdString();
    const Rows rows = session.rows("w");
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0].size(), 6);
    for (int column = 3; column < 6; ++column) {
        EXPECT_TRUE(rows[0][column].startsWith(".../w/w/")) << rows[0][column].toStdString();
        EXPECT_LE(rows[0][column].size(), 1024);
        EXPECT_EQ(rows[1][column], QString::number(column - 3));
    }
    EXPECT_TRUE(rows[0][3].endsWith("/w/e/v"));
    EXPECT_TRUE(rows[0][4].endsWith("/w/e/e/v"));
    EXPECT_TRUE(rows[0][5].endsWith("/w/e/e/e/v"));
}

namespace {
// Two invoices shaped as UBL has them: a supplier and a customer party, a tax total with its
// subtotals, lines with items; notes repeat in the second invoice only.
const QByteArray kInvoiceOne = R"(<Invoice xmlns:cbc="urn:c" xmlns:cac="urn:a">
  <cbc:ID>INV-1</cbc:ID><cbc:Note>first</cbc:Note>
  <cac:AccountingSupplierParty><cac:Party><cac:PartyName><cbc:Name>Acme</cbc:Name></cac:PartyName>
  </cac:Party></cac:AccountingSupplierParty>
  <cac:AccountingCustomerParty><cac:Party><cac:PartyName><cbc:Name>Buyer</cbc:Name></cac:PartyName>
  </cac:Party></cac:AccountingCustomerParty>
  <cac:TaxTotal><cbc:TaxAmount currencyID="EUR">5.00</cbc:TaxAmount>
    <cac:TaxSubtotal><cbc:TaxableAmount>20</cbc:TaxableAmount></cac:TaxSubtotal>
    <cac:TaxSubtotal><cbc:TaxableAmount>5</cbc:TaxableAmount></cac:TaxSubtotal></cac:TaxTotal>
  <cac:InvoiceLine><cbc:ID>1</cbc:ID><cbc:InvoicedQuantity unitCode="EA">2</cbc:InvoicedQuantity>
    <cac:Item><cbc:Name>Bolt</cbc:Name><cac:SellersItemIdentification><cbc:ID>B-1</cbc:ID>
    </cac:SellersItemIdentification></cac:Item></cac:InvoiceLine>
  <cac:InvoiceLine><cbc:ID>2</cbc:ID><cac:Item><cbc:Name>Nut</cbc:Name></cac:Item></cac:InvoiceLine>
</Invoice>)";
const QByteArray kInvoiceTwo = R"(<Invoice xmlns:cbc="urn:c" xmlns:cac="urn:a">
  <cbc:ID>INV-2</cbc:ID><cbc:Note>one</cbc:Note><cbc:Note>two</cbc:Note>
  <cac:AccountingSupplierParty><cac:Party><cac:PartyName><cbc:Name>Acme</cbc:Name></cac:PartyName>
  </cac:Party></cac:AccountingSupplierParty>
  <cac:TaxTotal><cbc:TaxAmount currencyID="EUR">1.00</cbc:TaxAmount>
    <cac:TaxSubtotal><cbc:TaxableAmount>10</cbc:TaxableAmount></cac:TaxSubtotal></cac:TaxTotal>
  <cac:InvoiceLine><cbc:ID>1</cbc:ID><cbc:InvoicedQuantity unitCode="KG">1.5</cbc:InvoicedQuantity>
    <cac:Item><cbc:Name>Wire</cbc:Name></cac:Item></cac:InvoiceLine>
</Invoice>)";
} // namespace

TEST(MergedTableImport, WhatOccursOnceFoldsIntoItsRecordAndWhatRepeatsAnywhereIsATable) {
    Session session(Tables::Folded);
    session.import({{"a.xml", kInvoiceOne}, {"b.xml", kInvoiceTwo}});
    EXPECT_EQ(session.tables(), (QStringList{"Invoice", "Note", "TaxSubtotal", "InvoiceLine"}));
    EXPECT_EQ(session.rows("Invoice"),
              (Rows{{"#file", "#id", "#path", "ID", "AccountingSupplierParty/Party/PartyName/Name",
                     "AccountingCustomerParty/Party/PartyName/Name", "TaxTotal/TaxAmount",
                     "TaxTotal/TaxAmount@currencyID"},
                    {"a.xml", "1", "Invoice", "INV-1", "Acme", "Buyer", "5.00", "EUR"},
                    {"b.xml", "2", "Invoice", "INV-2", "Acme", "", "1.00", "EUR"}}));
    // Notes repeat only in the second invoice, yet the first one's note is a row as well.
    EXPECT_EQ(session.rows("Note"), (Rows{{"#file", "#id", "Invoice#id", "#path", "Note"},
                                          {"a.xml", "1", "1", "Invoice/Note", "first"},
                                          {"b.xml", "2", "2", "Invoice/Note", "one"},
                                          {"b.xml", "3", "2", "Invoice/Note", "two"}}));
    // A subtotal inside the folded tax total belongs to the invoice.
    EXPECT_EQ(session.rows("TaxSubtotal")[3],
              (QStringList{"b.xml", "3", "2", "Invoice/TaxTotal/TaxSubtotal", "10"}));
    EXPECT_EQ(session.rows("InvoiceLine"),
              (Rows{{"#file", "#id", "Invoice#id", "#path", "ID", "InvoicedQuantity",
                     "InvoicedQuantity@unitCode", "Item/Name", "Item/SellersItemIdentification/ID"},
                    {"a.xml", "1", "1", "Invoice/InvoiceLine", "1", "2", "EA", "Bolt", "B-1"},
                    {"a.xml", "2", "1", "Invoice/InvoiceLine", "2", "", "", "Nut", ""},
                    {"b.xml", "3", "2", "Invoice/InvoiceLine", "1", "1.5", "KG", "Wire", ""}}));
}

TEST(MergedTableImport, StatementsFoldTheirAccountAndAFreeTextThatRepeatsSomewhereIsATable) {
    const auto statement = [](const char* iban, const QByteArray& entries) {
        return QByteArray("<Document><BkToCstmrStmt><Stmt><Id>S-") + iban +
               "</Id><Acct><Id><IBAN>" + iban + "</IBAN></Id><Ccy>EUR</Ccy></Acct>" + entries +
               "</Stmt></BkToCstmrStmt></Document>";
    };
    const QByteArray entry = R"(<Ntry><Amt Ccy="EUR">12.50</Amt><NtryDtls><TxDtls><RmtInf>
        <Ustrd>rent</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>)";
    const QByteArray twoLines = R"(<Ntry><Amt Ccy="EUR">3</Amt><NtryDtls><TxDtls><RmtInf>
        <Ustrd>part one</Ustrd><Ustrd>part two</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>)";
    Session session(Tables::Folded);
    session.import(
        {{"one.xml", statement("DE01", entry + entry)}, {"two.xml", statement("DE02", twoLines)}});
    EXPECT_EQ(session.tables(), (QStringList{"Document", "Ntry", "Ustrd"}));
    EXPECT_EQ(session.rows("Document"),
              (Rows{{"#file", "#id", "#path", "BkToCstmrStmt/Stmt/Id",
                     "BkToCstmrStmt/Stmt/Acct/Id/IBAN", "BkToCstmrStmt/Stmt/Acct/Ccy"},
                    {"one.xml", "1", "Document", "S-DE01", "DE01", "EUR"},
                    {"two.xml", "2", "Document", "S-DE02", "DE02", "EUR"}}));
    EXPECT_EQ(session.rows("Ntry")[0],
              (QStringList{"#file", "#id", "Document#id", "#path", "Amt", "Amt@Ccy"}));
    EXPECT_EQ(
        session.rows("Ustrd"),
        (Rows{{"#file", "#id", "Ntry#id", "#path", "Ustrd"},
              {"one.xml", "1", "1", "Document/BkToCstmrStmt/Stmt/Ntry/NtryDtls/TxDtls/RmtInf/Ustrd",
               "rent"},
              {"one.xml", "2", "2", "Document/BkToCstmrStmt/Stmt/Ntry/NtryDtls/TxDtls/RmtInf/Ustrd",
               "rent"},
              {"two.xml", "3", "3", "Document/BkToCstmrStmt/Stmt/Ntry/NtryDtls/TxDtls/RmtInf/Ustrd",
               "part one"},
              {"two.xml", "4", "3", "Document/BkToCstmrStmt/Stmt/Ntry/NtryDtls/TxDtls/RmtInf/Ustrd",
               "part two"}}));
}

TEST(MergedTableImport, FoldedFilesThatFailOrChangeAfterTheSurveyLeaveNothing) {
    Session session(Tables::Folded);
    // The broken files count nothing in: "v" would otherwise repeat and be a table, and "j" and
    // "k" hold mixed text, in a kind new to the run and in one seen before.
    session.import({{"broken.xml", "<r><v>1</v><v>2</v><j>mixed<x/></j><w>"},
                    {"a.xml", "<r><v>1</v><m a='x'>text<n>deep</n></m><j><x>2</x></j>"
                              "<k><x>1</x></k></r>"},
                    {"broken2.xml", "<r><k>mixed<x/></k><w>"}});
    ASSERT_EQ(session.failures.size(), 2);
    EXPECT_TRUE(session.failures[0].contains("broken.xml is not well-formed XML"));
    // Text beside a child: one value, its markup beside it, and the element's attributes.
    EXPECT_EQ(session.rows("r"),
              (Rows{{"#file", "#id", "#path", "v", "m", "m#markup", "m@a", "j/x", "k/x"},
                    {"a.xml", "1", "r", "1", "textdeep", "text<n>deep</n>", "x", "2", "1"}}));

    // A file rewritten between the survey and its import, so that what was surveyed as once
    // now repeats, or a kind never seen appears, is refused whole.
    Session changed(Tables::Folded);
    const QString path =
        writeFile(changed.folder.filePath("c.xml"), "<r><v>1</v><n>a</n><n>b</n></r>");
    DatabaseApplication database(true, true);
    database.OpenCurrentDatabase(changed.path);
    database.surveyXml(path);
    for (const QByteArray& rewritten :
         {QByteArray("<r><v>1</v><v>2</v></r>"), QByteArray("<r><v>1</v><new>2</new></r>"),
          QByteArray("<r><v>1</v><n>a<x>inside</x></n></r>")}) {
        writeFile(path, rewritten);
        try {
            database.ImportXml(path);
            ADD_FAILURE() << "a changed file was imported";
        } catch (const RuntimeError& error) {
            EXPECT_TRUE(error.description().contains("c.xml was not imported: it changed"));
        }
    }
    writeFile(path, "<r><v>3</v></r>");
    database.ImportXml(path);
    database.quit();
    EXPECT_EQ(changed.rows("r"), (Rows{{"#file", "#id", "#path", "v"}, {"c.xml", "1", "r", "3"}}));
}

TEST(MergedTableImport, AFileThatHasWhatTheSurveySawInNoFileIsRefused) {
    // The survey saw "b" once in "r", with children, and no value in "e" or "g"; "e" and "r" are
    // one kind, the document element, which holds values in c.xml.
    Session changed(Tables::Folded);
    const QString c = writeFile(changed.folder.filePath("c.xml"), "<r><b><c>1</c><d>2</d></b></r>");
    const QString e = writeFile(changed.folder.filePath("e.xml"), "<e><g><i>1</i><i>2</i></g></e>");
    DatabaseApplication database(true, true);
    database.OpenCurrentDatabase(changed.path);
    database.surveyXml(c);
    database.surveyXml(e);
    const std::pair<QString, QByteArray> rewritten[] = {
        // Twice where once was seen: two elements' values would be folded into one row.
        {c, "<r><b>x</b><b><c>1</c></b></r>"},
        {c, "<r><b><c>1</c></b><b><d>2</d></b></r>"},
        // Values where none was seen: "e" has no row to hold them.
        {e, "<e a='1'><g><i>1</i><i>2</i></g></e>"},
        {e, "<e><g id='5'><i>1</i><i>2</i></g></e>"},
        {e, "<e><g>text<i>1</i></g></e>"},
        // Text beside children where no file had any: the survey took "b" for a record.
        {c, "<r><b>x<c>1</c><d>2</d></b></r>"},
    };
    for (const auto& [path, xml] : rewritten) {
        writeFile(path, xml);
        try {
            database.ImportXml(path);
            ADD_FAILURE() << "a changed file was imported: " << xml.toStdString();
        } catch (const RuntimeError& error) {
            EXPECT_TRUE(error.description().contains("was not imported: it changed"))
                << error.description().toStdString();
        }
    }
    writeFile(c, "<r><b><c>1</c><d>2</d></b></r>");
    writeFile(e, "<e><g><i>1</i><i>2</i></g></e>");
    database.ImportXml(c);
    database.ImportXml(e);
    database.quit();
    EXPECT_EQ(changed.rows("r"),
              (Rows{{"#file", "#id", "#path", "b/c", "b/d"}, {"c.xml", "1", "r", "1", "2"}}));
    EXPECT_EQ(changed.rows("e"), (Rows{{"#file", "#id", "#path"}, {"e.xml", "1", "e"}}));
    EXPECT_EQ(changed.rows("i"), (Rows{{"#file", "#id", "e#id", "#path", "i"},
                                       {"e.xml", "1", "1", "e/g/i", "1"},
                                       {"e.xml", "2", "1", "e/g/i", "2"}}));
}

// What repeats under one document element is a table under every other too: the kinds of
// element are paths below the document element, whatever its name.
TEST(MergedTableImport, ARepeatedKindIsATableUnderEveryDocumentElement) {
    const QByteArray creditNote = R"(<CreditNote xmlns:cbc="urn:c" xmlns:cac="urn:a">
  <cbc:ID>CN-1</cbc:ID><cac:TaxTotal><cbc:TaxAmount>1</cbc:TaxAmount>
    <cac:TaxSubtotal><cbc:Amount>5</cbc:Amount></cac:TaxSubtotal></cac:TaxTotal></CreditNote>)";
    const QByteArray invoice = R"(<Invoice xmlns:cbc="urn:c" xmlns:cac="urn:a">
  <cbc:ID>INV-1</cbc:ID><cac:TaxTotal><cbc:TaxAmount>2</cbc:TaxAmount>
    <cac:TaxSubtotal><cbc:Amount>1</cbc:Amount></cac:TaxSubtotal>
    <cac:TaxSubtotal><cbc:Amount>2</cbc:Amount></cac:TaxSubtotal></cac:TaxTotal></Invoice>)";
    Session session(Tables::Folded);
    session.import({{"cn.xml", creditNote}, {"inv.xml", invoice}});
    ASSERT_TRUE(session.failures.isEmpty()) << session.failures.join("\n").toStdString();
    // "TaxSubtotal" gained its invoice's column after it was made, so it was made again, last.
    EXPECT_EQ(session.tables(), (QStringList{"CreditNote", "Invoice", "TaxSubtotal"}));
    EXPECT_EQ(session.rows("CreditNote"),
              (Rows{{"#file", "#id", "#path", "ID", "TaxTotal/TaxAmount"},
                    {"cn.xml", "1", "CreditNote", "CN-1", "1"}}));
    EXPECT_EQ(session.rows("Invoice"), (Rows{{"#file", "#id", "#path", "ID", "TaxTotal/TaxAmount"},
                                             {"inv.xml", "1", "Invoice", "INV-1", "2"}}));
    EXPECT_EQ(session.rows("TaxSubtotal"),
              (Rows{{"#file", "#id", "CreditNote#id", "Invoice#id", "#path", "Amount"},
                    {"cn.xml", "1", "1", "", "CreditNote/TaxTotal/TaxSubtotal", "5"},
                    {"inv.xml", "2", "", "1", "Invoice/TaxTotal/TaxSubtotal", "1"},
                    {"inv.xml", "3", "", "1", "Invoice/TaxTotal/TaxSubtotal", "2"}}));
}

namespace {
// Journal articles: a title with an italic letter, paragraphs with citations, a formula, a
// character-data section, a comment, entities and the layout of a pretty-printed file.
const QByteArray kArticleOne = R"(<?xml version="1.0"?>
<!DOCTYPE article [<!ENTITY nhc "N-heterocyclic carbene">]>
<article xmlns:xlink="http://www.w3.org/1999/xlink">
  <front><article-meta>
    <title-group><article-title><italic>N</italic>-Heterocyclic Carbene</article-title></title-group>
  </article-meta></front>
  <body><sec id="s1">
    <p>An &nhc; binds (<xref ref-type="bibr" rid="b1">1</xref>, <xref rid="b2">2</xref>) to H<sub>2</sub>O<!-- sic -->.</p>
    <p id="p2">
      Code <![CDATA[a < b]]> &amp; <ext-link xlink:href="http://x.org/?a=1&amp;b=&quot;2&quot;">link</ext-link><break/> end
    </p>
  </sec></body>
</article>)";
// The title is plain here, and a paragraph holds children with whitespace only between them,
// which alone would make it a record: both kinds are mixed in the other file.
const QByteArray kArticleTwo = R"(<article>
  <front><article-meta>
    <title-group><article-title>Plain title</article-title></title-group>
  </article-meta></front>
  <body><sec id="s1"><p><bold>Bold</bold> <italic>words</italic></p></sec></body>
</article>)";
} // namespace

TEST(MergedTableImport, TextBesideChildElementsIsOneValueWrittenWholeWithItsMarkupBeside) {
    Session session(Tables::Folded);
    session.import({{"one.xml", kArticleOne}, {"two.xml", kArticleTwo}});
    ASSERT_TRUE(session.failures.isEmpty()) << session.failures.join("\n").toStdString();
    // No table, and no column, for the inline markup.
    EXPECT_EQ(session.tables(), (QStringList{"article", "p"}));
    EXPECT_EQ(session.rows("article"),
              (Rows{{"#file", "#id", "#path", "front/article-meta/title-group/article-title",
                     "front/article-meta/title-group/article-title#markup", "body/sec@id"},
                    {"one.xml", "1", "article", "N-Heterocyclic Carbene",
                     "<italic>N</italic>-Heterocyclic Carbene", "s1"},
                    {"two.xml", "2", "article", "Plain title", "", "s1"}}));
    EXPECT_EQ(
        session.rows("p"),
        (Rows{{"#file", "#id", "article#id", "#path", "p", "p#markup", "id"},
              {"one.xml", "1", "1", "article/body/sec/p",
               "An N-heterocyclic carbene binds (1, 2) to H2O.",
               R"(An N-heterocyclic carbene binds (<xref ref-type="bibr" rid="b1">1</xref>, )"
               R"(<xref rid="b2">2</xref>) to H<sub>2</sub>O<!-- sic -->.)",
               ""},
              {"one.xml", "2", "1", "article/body/sec/p", "\n      Code a < b & link end\n    ",
               "\n      Code <![CDATA[a < b]]> &amp; "
               R"(<ext-link xlink:href="http://x.org/?a=1&amp;b=&quot;2&quot;">link</ext-link>)"
               "<break/> end\n    ",
               "p2"},
              {"two.xml", "3", "2", "article/body/sec/p", "Bold words",
               "<bold>Bold</bold> <italic>words</italic>", ""}}));
}

TEST(MergedTableImport, AMixedDocumentElementIsOneValueAndNothingInsideMixedTextIsATable) {
    Session session(Tables::Folded);
    session.import(
        {{"doc.xml", "<doc id='d'>Hello <b>world</b><list><i>1</i><i>2</i></list></doc>"},
         {"blank.xml", "<doc>  <b> </b>  </doc>"},
         {"plain.xml", "<doc/>"}});
    ASSERT_TRUE(session.failures.isEmpty()) << session.failures.join("\n").toStdString();
    EXPECT_EQ(session.tables(), (QStringList{"doc"}));
    // Whitespace alone is no value; the markup still tells what stood there.
    EXPECT_EQ(session.rows("doc"), (Rows{{"#file", "#id", "#path", "id", "#text", "#markup"},
                                         {"doc.xml", "1", "doc", "d", "Hello world12",
                                          "Hello <b>world</b><list><i>1</i><i>2</i></list>"},
                                         {"blank.xml", "2", "doc", "", "", "  <b> </b>  "},
                                         {"plain.xml", "3", "doc", "", "", ""}}));
}
