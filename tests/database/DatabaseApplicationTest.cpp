#include "database/DatabaseApplication.h"

#include "database/DatabaseEngine.h"
#include "support/QtPrinters.h"
#include "support/SqliteFixture.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
struct UsersDatabase {
    // A view and an index of the user's bear names that the files' tables ask for; another
    // view names a table that is no longer there.
    UsersDatabase() {
        runSql(path, "CREATE TABLE kept(x); INSERT INTO kept VALUES ('mine');"
                     "CREATE VIEW \"order\" AS SELECT x FROM kept;"
                     "CREATE INDEX shop ON kept(x);"
                     "CREATE TABLE gone(y); CREATE VIEW v_gone AS SELECT y FROM gone;"
                     "DROP TABLE gone;");
    }
    // Imports the files in one session; gives the tables it made.
    QStringList import(bool merge, const std::vector<std::pair<const char*, QByteArray>>& files) {
        DatabaseApplication database(merge, false);
        database.OpenCurrentDatabase(path);
        QStringList paths;
        for (const auto& [name, xml] : files)
            paths << writeFile(folder.filePath(name), xml);
        for (const QString& file : paths)
            database.surveyXml(file);
        for (const QString& file : paths)
            database.ImportXml(file);
        const QStringList made = database.importedTables();
        database.quit();
        return made;
    }
    // The tables as a listing shows them, the program's record of its runs' tables hidden.
    QStringList tables() {
        QStringList names;
        for (const TableDefinition& table : tableDefinitions(path, ""))
            if (table.attributes == 0)
                names << table.name;
        return names;
    }

    QTemporaryDir folder;
    QString path = folder.filePath("users.db");
};
} // namespace

TEST(DatabaseApplication, NamesOfTheUsersViewsAndIndexesAreTakenAndABrokenViewStopsNoSession) {
    UsersDatabase db;
    // A table that a later file gives a parent is rebuilt at the session's end, by renaming.
    EXPECT_EQ(db.import(true, {{"a.xml", "<r><order no='1'><address><city>Oslo</city></address>"
                                         "</order></r>"},
                               {"b.xml", "<r><shop name='S'><address><city>Rome</city></address>"
                                         "</shop></r>"}}),
              (QStringList{"order1", "address", "shop1"}));
    EXPECT_EQ(tableRows(db.path, "address"),
              (std::vector<QStringList>{
                  {"#file", "#id", "order1#id", "shop1#id", "#path", "city"},
                  {db.folder.filePath("a.xml"), "1", "1", "", "r/order/address", "Oslo"},
                  {db.folder.filePath("b.xml"), "2", "", "1", "r/shop/address", "Rome"}}));

    // The next session drops the tables the last one made, and takes the names again.
    EXPECT_EQ(db.import(false, {{"c.xml", "<r><order><no>2</no></order></r>"}}),
              QStringList{"order1"});
    EXPECT_EQ(db.tables(), (QStringList{"kept", "order1"}));
    EXPECT_EQ(tableRows(db.path, "order"), (std::vector<QStringList>{{"x"}, {"mine"}}));
}

TEST(DatabaseApplication, ATableOfARunThatTheUserChangedIsTheirsAndASessionOfNoFileKeepsAll) {
    UsersDatabase db;
    db.import(false, {{"a.xml", "<r><line><qty>1</qty></line><note><t>x</t></note></r>"}});
    runSql(db.path, "ALTER TABLE note ADD COLUMN remark;");
    // A session whose every file fails leaves the last session's tables.
    DatabaseApplication failing;
    failing.OpenCurrentDatabase(db.path);
    EXPECT_ANY_THROW(failing.ImportXml(writeFile(db.folder.filePath("broken.xml"), "<r>")));
    failing.quit();
    EXPECT_EQ(db.tables(), (QStringList{"kept", "line", "note"}));

    db.import(false, {{"b.xml", "<r><item><v>2</v></item></r>"}});
    EXPECT_EQ(db.tables(), (QStringList{"kept", "note", "item"}));
    // Dropped by no later session either.
    db.import(false, {{"c.xml", "<r><item><v>3</v></item></r>"}});
    EXPECT_EQ(db.tables(), (QStringList{"kept", "note", "item"}));
    EXPECT_EQ(tableRows(db.path, "item"), (std::vector<QStringList>{{"v"}, {"3"}}));
}
