#include "import/WorkDatabaseSource.h"

#include "base/SettingsStore.h"
#include "import/ImportRun.h"
#include "support/ImportFixture.h"
#ifndef _WIN32
#include "support/PermissionsEnforced.h"
#endif
#include "support/CaseNames.h"
#include "support/QtPrinters.h"
#include "support/SqliteFixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
struct Choice : ImportFixture {
    Choice() {
        QDir().mkpath(folder.filePath("dist"));
        runSql(beside, "CREATE TABLE earlier(v); INSERT INTO earlier VALUES ('old');");
    }

    QString beside = folder.filePath("dist/temp.mdb");
    QString usersOwn = folder.filePath("data/Kestrelix/Brindlequay/temp.mdb");
    WorkDatabaseChoice choice{beside, usersOwn};
};
} // namespace

TEST(WorkDatabaseChoice, TheOneBesideTheProgramIsHeldForOneRunAtATime) {
    Choice db;
    HeldWorkDatabase first = db.choice.hold(db.dialogs);
    EXPECT_EQ(first.path, db.beside);
    // A second window's run meanwhile is told, and takes no other database.
    WorkDatabaseChoice secondWindow(db.beside, db.usersOwn);
    const HeldWorkDatabase second = secondWindow.hold(db.dialogs);
    EXPECT_TRUE(second.inUse);
    EXPECT_TRUE(second.path.isEmpty());
    EXPECT_FALSE(QFile::exists(db.usersOwn));

    // A whole run meanwhile imports nothing and says why.
    db.surface.route = ImportRoute::Database;
    db.surface.files = {db.file("a.xml", "<r><i><v>1</v></i></r>")};
    const ImportResult result =
        ImportRun(db.surface, db.dialogs, db.engine, db.folder.path(), &secondWindow).run();
    EXPECT_EQ(result.ending, ImportResult::Ending::NoWorkDatabase);
    EXPECT_TRUE(result.files.empty());
    EXPECT_TRUE(db.shown.empty());
    ASSERT_EQ(db.dialogs.shown.size(), 1u);
    EXPECT_TRUE(db.dialogs.shown[0].text.contains("is in use by another import"));
    EXPECT_TRUE(db.dialogs.shown[0].text.endsWith("Nothing was imported."));

    first = {};
    EXPECT_EQ(secondWindow.hold(db.dialogs).path, db.beside);
}

// The program's own database is emptied of every table before a run, whoever made it; the
// record of the runs' tables is the program's and stays out of sight.
TEST(WorkDatabaseChoice, TheProgramsOwnLosesEveryTableOfTheLastRun) {
    Choice db;
    db.surface.route = ImportRoute::Database;
    const auto run = [&](const char* element) {
        db.surface.files = {
            db.file(QString(element) + ".xml",
                    QByteArray("<r><") + element + "><v>1</v></" + element + "></r>")};
        return ImportRun(db.surface, db.dialogs, db.engine, db.folder.path(), &db.choice).run();
    };
    EXPECT_EQ(run("first").tables, QStringList{"first"});
    runSql(db.beside, "CREATE TABLE later(v);");
    EXPECT_EQ(run("second").tables, QStringList{"second"});
    QStringList left;
    for (const QStringList& entry : tableRows(db.beside, "sqlite_schema"))
        left << entry[1];
    left.sort();
    EXPECT_EQ(left, (QStringList{"brindlequay run tables", "name", "second"}));
    EXPECT_EQ(tableRows(db.beside, "second"), (std::vector<QStringList>{{"v"}, {"1"}}));
}

#ifndef _WIN32
namespace {
struct SpoiledDatabase {
    const char* why;
    std::function<void(Choice&)> spoil;
};
class BrokenWorkDatabase : public testing::TestWithParam<SpoiledDatabase> {};

std::string spoiledName(const testing::TestParamInfo<SpoiledDatabase>& test) {
    return caseName(test.param.why, test.index);
}
} // namespace

TEST_P(BrokenWorkDatabase, GivesWayToTheUsersOwnAndTheUserIsToldWhyOnceAWindow) {
    Choice db;
    GetParam().spoil(db);
    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(db.choice.hold(db.dialogs).path, db.usersOwn);
    ASSERT_EQ(db.dialogs.shown.size(), 1u);
    EXPECT_TRUE(db.dialogs.shown[0].text.contains(QString::fromUtf8(GetParam().why)))
        << db.dialogs.shown[0].text.toStdString();
    EXPECT_TRUE(db.dialogs.shown[0].text.contains(db.usersOwn));
}

INSTANTIATE_TEST_SUITE_P(
    , BrokenWorkDatabase,
    testing::Values(SpoiledDatabase{"it is not a database",
                                    [](Choice& db) {
                                        QFile::remove(db.beside);
                                        writeFile(db.beside, QByteArray(4096, 'z'));
                                    }},
                    SpoiledDatabase{"it is not a file",
                                    [](Choice& db) {
                                        QFile::remove(db.beside);
                                        QDir().mkpath(db.beside);
                                    }},
                    SpoiledDatabase{"it does not exist",
                                    [](Choice& db) { QFile::remove(db.beside); }}),
    spoiledName);

// An installed program's folder cannot be written: the user's own work database is the normal
// place, said once for good, and nothing is written beside the program.
class ReadOnlyInstall : public testing::TestWithParam<SpoiledDatabase> {};

TEST_P(ReadOnlyInstall, UsesTheUsersOwnAndSaysWhereOncePosixOnly) {
    Choice db;
    const QByteArray before = readFile(db.beside);
    SettingsStore settings(db.folder.filePath("Kestrelix.ini"));
    GetParam().spoil(db);
    const PermissionsEnforced asAUser;
    for (int start = 0; start < 2; ++start) {
        WorkDatabaseChoice window(db.beside, db.usersOwn, &settings);
        for (int run = 0; run < 2; ++run)
            EXPECT_EQ(window.hold(db.dialogs).path, db.usersOwn);
    }
    ASSERT_EQ(db.dialogs.shown.size(), 1u);
    const Message& told = db.dialogs.shown[0];
    EXPECT_EQ(told.icon, MessageIcon::Information);
    EXPECT_TRUE(told.text.contains(db.usersOwn));
    EXPECT_FALSE(told.text.contains("cannot be used")) << told.text.toStdString();
    QFile::setPermissions(QFileInfo(db.beside).path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(readFile(db.beside), before);
    EXPECT_EQ(QDir(QFileInfo(db.beside).path()).entryList(QDir::Files), QStringList{"temp.mdb"});
}

INSTANTIATE_TEST_SUITE_P(, ReadOnlyInstall,
                         testing::Values(SpoiledDatabase{"the file",
                                                         [](Choice& db) {
                                                             QFile::setPermissions(
                                                                 db.beside, QFileDevice::ReadOwner);
                                                         }},
                                         SpoiledDatabase{"the folder",
                                                         [](Choice& db) {
                                                             QFile::setPermissions(
                                                                 QFileInfo(db.beside).path(),
                                                                 QFileDevice::ReadOwner |
                                                                     QFileDevice::ExeOwner);
                                                         }}),
                         spoiledName);
#endif
