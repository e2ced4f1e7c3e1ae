#include "import/Access1.h"

#include "base/RuntimeError.h"
#include "support/QtPrinters.h"
#include "support/ScriptedDialogs.h"
#include "support/SqliteFixture.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
struct Database {
    Database() { runSql(path, "CREATE TABLE seed(x); DROP TABLE seed;"); }
    QTemporaryDir folder;
    QString path = folder.filePath("temp.mdb");
    ScriptedDialogs dialogs;
};
} // namespace

TEST(Access1, ReadTableRowsGivesTheNamesThenEveryValueKeptApart) {
    Database db;
    runSql(db.path, "CREATE TABLE t(\"a|xxspearaeatorxx|b\", c); INSERT INTO t VALUES (1, NULL);"
                    "INSERT INTO t VALUES ('x|xxspearaeatorxx|y', 'z'); CREATE TABLE none(a, b);");
    EXPECT_EQ(ReadTableRows("t", db.path, "").rows,
              (std::vector<QStringList>{
                  {"a|xxspearaeatorxx|b", "c"}, {"1", ""}, {"x|xxspearaeatorxx|y", "z"}}));
    EXPECT_EQ(ReadTableRows("none", db.path, "").rows, (std::vector<QStringList>{{"a", "b"}}));

    runSql(db.path, "CREATE TABLE \"a`b\"(x);");
    EXPECT_THROW(ReadTableRows("a`b", db.path, ""), RuntimeError);
    EXPECT_THROW(ReadTableRows("missing", db.path, ""), RuntimeError);
    EXPECT_THROW(ReadTableRows("t", db.folder.filePath("none.mdb"), ""), RuntimeError);
}

TEST(Access1, ListingSkipsTheEnginesTablesAndClearingKeepsWhatCannotBeDropped) {
    Database db;
    runSql(db.path,
           "CREATE TABLE orders(id INTEGER PRIMARY KEY AUTOINCREMENT, x);"
           "INSERT INTO orders(x) VALUES (1); CREATE TABLE \"a`b\"(x); CREATE TABLE line(y);"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
           "INSERT INTO line SELECT hex(randomblob(500)) FROM n;");
    EXPECT_EQ(WorkTableNames(db.path, "", db.dialogs), (QStringList{"orders", "a`b", "line"}));
    const qint64 filled = QFileInfo(db.path).size();
    ClearWorkDatabase(db.path, "", db.dialogs);
    EXPECT_EQ(WorkTableNames(db.path, "", db.dialogs), QStringList{"a`b"});
    // The room of the dropped tables is given back, so the file does not grow run after run.
    EXPECT_LT(QFileInfo(db.path).size(), filled / 10);

    // A missing file is nothing to tell; a file that is no database is.
    EXPECT_FALSE(ListWorkTables(db.folder.filePath("missing.mdb"), "", db.dialogs));
    ClearWorkDatabase(db.folder.filePath("missing.mdb"), "", db.dialogs);
    EXPECT_TRUE(db.dialogs.shown.empty());
    QFile file(db.path);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_TRUE(WorkTableNames(db.path, "", db.dialogs).isEmpty());
    EXPECT_EQ(db.dialogs.shownTexts(), QStringList{"Unrecognized MS Access Database File"});
}
