#include "filelist/AddFolder.h"

#include "filelist/FileList.h"
#ifndef _WIN32
#include "support/PermissionsEnforced.h"
#endif
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QStringList addFromFolder(
    const QString& root, const QString& pattern, WalkProblems& problems,
    const Yield& yield = [] {}) {
    FileList list;
    AddFilesFromFolder(list, root, pattern, yield, problems);
    return relativeTo(root, list.paths());
}
} // namespace

TEST(AddFolder, WalksByLevelInNameOrderSkippingTildeNamesAndHiddenFolders) {
    QTemporaryDir folder;
    const QString top = folder.path();
    makeTree(top,
             {"t.xml", "Two/two.xml", "One/one.xml", "One/Deep/deep.xml", "b.XML", "a.xml",
              "e..xml", "c.txt", "~$order.xml", ".hidden.xml", ".cache/in.xml", "One/~lock.xml"});
    WalkProblems problems;
    EXPECT_EQ(addFromFolder(top, "*.xml", problems),
              (QStringList{".hidden.xml", "a.xml", "b.XML", "e..xml", "t.xml", "One/one.xml",
                           "Two/two.xml", "One/Deep/deep.xml"}));
    // The extension is used exactly as typed.
    EXPECT_EQ(addFromFolder(top, "*..xml", problems), QStringList{"e..xml"});
    EXPECT_TRUE(problems.isEmpty());
}

#ifndef _WIN32
TEST(AddFolder, AFolderThatVanishesOrCannotBeReadIsReportedAndTheRestIsKeptPosixOnly) {
    QTemporaryDir folder;
    const QString top = folder.path();
    makeTree(top, {"a.xml", "gone/g.xml", "locked/l.xml", "open/o.xml", "open/deeper/d.xml"});
    QFile::setPermissions(top + "/locked", QFileDevice::Permissions());
    int folderSteps = 0;
    WalkProblems problems;
    {
        const PermissionsEnforced asAUser;
        // The second step comes after the top folder was read and before "gone" is.
        EXPECT_EQ(addFromFolder(top, "*.xml", problems,
                                [&] {
                                    if (++folderSteps == 2)
                                        QDir(top + "/gone").removeRecursively();
                                }),
                  (QStringList{"a.xml", "open/o.xml", "open/deeper/d.xml"}));
    }
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(describeWalkProblems(problems).contains(top + "/gone"));
    EXPECT_TRUE(describeWalkProblems(problems).contains(top + "/locked"));
    QFile::setPermissions(top + "/locked",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
#endif

#ifndef _WIN32
TEST(AddFolder, LinksBackUpTheTreeAreNotFollowedTwicePosixOnly) {
    QTemporaryDir folder;
    const QString top = folder.filePath("Top");
    makeTree(top, {"t.xml", "One/one.xml"});
    ASSERT_TRUE(QFile::link(top, top + "/One/back-to-top"));
    ASSERT_TRUE(QFile::link(top + "/One", top + "/again-one"));
    ASSERT_TRUE(QFile::link(top + "/t.xml", top + "/One/t-link.xml"));
    WalkProblems problems;
    // The first way into a folder wins; the file behind a link is a file like any other.
    EXPECT_EQ(addFromFolder(top, "*.xml", problems),
              (QStringList{"t.xml", "again-one/one.xml", "again-one/t-link.xml"}));
}
#endif
