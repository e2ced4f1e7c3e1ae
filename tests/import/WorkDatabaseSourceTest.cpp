#include "import/WorkDatabaseSource.h"

#include "import/ImportRun.h"
#include "support/PermissionsEnforced.h"
#include "support/PresentingEngine.h"
#include "support/QtPrinters.h"
#include "support/RecordingSurface.h"
#include "support/ScriptedDialogs.h"
#include "support/SqliteFixture.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
struct Choice {
    Choice() {
        QDir().mkpath(folder.filePath("dist"));
        runSql(beside, "CREATE TABLE earlier(v); INSERT INTO earlier VALUES ('old');");
    }

    QTemporaryDir folder;
    QString beside = folder.filePath("dist/temp.mdb");
    QString usersOwn = folder.filePath("data/Kestrelix/Brindlequay/temp.mdb");
    WorkDatabaseChoice choice{beside, usersOwn};
    ScriptedDialogs dialogs;

    void replaceBeside(const QByteArray& bytes) {
        QFile::remove(beside);
        writeFile(beside, bytes);
    }
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
    EXPECT_TRUE(second.problem.contains("is in use by another import"))
        << second.problem.toStdString();
    EXPECT_FALSE(QFile::exists(db.usersOwn));
    first = {};
    EXPECT_EQ(secondWindow.hold(db.dialogs).path, db.beside);
    EXPECT_TRUE(db.dialogs.shown.empty());
}

TEST(WorkDatabaseChoice, OneThatCannotServeGivesWayToTheUsersOwnAndTheUserIsToldOnce) {
    const std::pair<const char*, std::function<void(Choice&)>> cases[] = {
        {"it is not a database", [](Choice& db) { db.replaceBeside(QByteArray(4096, 'z')); }},
        {"it is not a file",
         [](Choice& db) {
             QFile::remove(db.beside);
             QDir().mkpath(db.beside);
         }},
        {"it does not exist", [](Choice& db) { QFile::remove(db.beside); }},
        {"it cannot be written",
         [](Choice& db) { QFile::setPermissions(db.beside, QFileDevice::ReadOwner); }},
        {"it cannot be written",
         [](Choice& db) {
             // The journal cannot be made beside a writable file in a read-only folder.
             QFile::setPermissions(QFileInfo(db.beside).path(),
                                   QFileDevice::ReadOwner | QFileDevice::ExeOwner);
         }},
    };
    for (const auto& [why, spoil] : cases) {
        Choice db;
        spoil(db);
        const PermissionsEnforced asAUser;
        for (int run = 0; run < 2; ++run) {
            const HeldWorkDatabase held = db.choice.hold(db.dialogs);
            EXPECT_EQ(held.path, db.usersOwn) << why << held.problem.toStdString();
        }
        ASSERT_EQ(db.dialogs.shown.size(), 1u) << why;
        EXPECT_TRUE(db.dialogs.shown[0].text.contains(QString::fromUtf8(why)))
            << why << "\n"
            << db.dialogs.shown[0].text.toStdString();
        EXPECT_TRUE(db.dialogs.shown[0].text.contains(db.usersOwn));
        QFile::setPermissions(QFileInfo(db.beside).path(), QFileDevice::ReadOwner |
                                                               QFileDevice::WriteOwner |
                                                               QFileDevice::ExeOwner);
    }
}

TEST(WorkDatabaseChoice, ARunWithoutAWorkDatabaseImportsNothingAndSaysWhy) {
    struct Run : PresentingEngine {
        QTemporaryDir folder;
        ScriptedDialogs dialogs;
        RecordingSurface surface;
    } run;
    run.surface.route = ImportRoute::Database;
    run.surface.files = {writeFile(run.folder.filePath("a.xml"), "<r><i><v>1</v></i></r>")};
    const QString database = run.folder.filePath("temp.mdb");
    runSql(database, "CREATE TABLE earlier(v);");
    WorkDatabaseChoice otherWindow(database, run.folder.filePath("own.mdb"));
    const HeldWorkDatabase held = otherWindow.hold(run.dialogs);
    ASSERT_EQ(held.path, database);

    WorkDatabaseChoice thisWindow(database, run.folder.filePath("own.mdb"));
    const ImportResult result =
        ImportRun(run.surface, run.dialogs, run.engine, run.folder.path(), &thisWindow).run();
    EXPECT_EQ(result.ending, ImportResult::Ending::NoWorkDatabase);
    EXPECT_TRUE(result.files.empty());
    EXPECT_TRUE(run.shown.empty());
    ASSERT_EQ(run.dialogs.shown.size(), 1u);
    EXPECT_TRUE(run.dialogs.shown[0].text.contains("is in use by another import"));
    EXPECT_TRUE(run.dialogs.shown[0].text.endsWith("Nothing was imported."));
}
