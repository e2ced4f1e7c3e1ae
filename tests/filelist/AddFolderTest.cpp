#include "filelist/AddFolder.h"

#include "filelist/FileList.h"
#include "support/PermissionsEnforced.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {
QStringList addFromFolder(
    const QString& root, const QString& pattern, WalkProblems* problemsOut = nullptr,
    const Yield& yield = [] {}) {
    FileList list;
    WalkProblems problems;
    AddFilesFromFolder(list, root, pattern, yield, problems);
    if (problemsOut)
        *problemsOut = problems;
    else
        EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    return relativeTo(root, list.paths());
}
} // namespace

TEST(AddFolder, WalksBreadthFirstByLevelWithEachFolderInNameOrder) {
    QTemporaryDir folder;
    const QString top = folder.filePath("Top");
    makeTree(top, {"t.xml", "Two/two.xml", "One/one.xml", "One/Deep/deep.xml", "b.XML", "a.xml"});
    EXPECT_EQ(addFromFolder(top, "*.xml"), (QStringList{"a.xml", "b.XML", "t.xml", "One/one.xml",
                                                        "Two/two.xml", "One/Deep/deep.xml"}));
}

TEST(AddFolder, SkipsTildeNamesAndHiddenFoldersButNotHiddenFiles) {
    QTemporaryDir folder;
    const QString top = folder.path();
    makeTree(top, {"~$order.xml", "order~.xml", ".hidden.xml", ".cache/inside.xml", "sub/~lock.xml",
                   "sub/kept.xml"});
    EXPECT_EQ(addFromFolder(top, "*.xml"),
              (QStringList{".hidden.xml", "order~.xml", "sub/kept.xml"}));
}

TEST(AddFolder, TheExtensionIsUsedAsTyped) {
    QTemporaryDir folder;
    const QString top = folder.path();
    makeTree(top, {"a.xml", "b.XML", "c.txt", "README", "d.xml.bak", "e..xml"});
    EXPECT_EQ(addFromFolder(top, "*.xml"), (QStringList{"a.xml", "b.XML", "e..xml"}));
    EXPECT_EQ(addFromFolder(top, "*.*"),
              (QStringList{"a.xml", "b.XML", "c.txt", "d.xml.bak", "e..xml", "README"}));
    EXPECT_EQ(addFromFolder(top, "*..xml"), (QStringList{"e..xml"}));
}

TEST(AddFolder, AFolderThatVanishesDuringTheWalkIsReportedAndTheRestIsKept) {
    QTemporaryDir folder;
    const QString top = folder.path();
    makeTree(top, {"a.xml", "gone/g.xml", "kept/k.xml", "kept/deeper/d.xml"});
    int folderSteps = 0;
    WalkProblems problems;
    // The second step comes after the top folder was read and before "gone" is.
    const QStringList added = addFromFolder(top, "*.xml", &problems, [&] {
        if (++folderSteps == 2)
            QDir(top + "/gone").removeRecursively();
    });
    EXPECT_EQ(added, (QStringList{"a.xml", "kept/k.xml", "kept/deeper/d.xml"}));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(describeWalkProblems(problems).contains(top + "/gone"))
        << problems[0].toStdString();
}

TEST(AddFolder, AnUnreadableFolderIsReportedAndTheRestIsKept) {
    QTemporaryDir folder;
    const QString top = folder.path();
    makeTree(top, {"a.xml", "locked/l.xml", "open/o.xml"});
    QFile::setPermissions(top + "/locked", QFileDevice::Permissions());
    WalkProblems problems;
    {
        const PermissionsEnforced asAUser;
        EXPECT_EQ(addFromFolder(top, "*.xml", &problems), (QStringList{"a.xml", "open/o.xml"}));
    }
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(top + "/locked")) << problems[0].toStdString();
    QFile::setPermissions(top + "/locked",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(AddFolder, LinksBackUpTheTreeAreNotFollowedTwice) {
    QTemporaryDir folder;
    const QString top = folder.filePath("Top");
    makeTree(top, {"t.xml", "One/one.xml"});
    ASSERT_TRUE(QFile::link(top, top + "/One/back-to-top"));
    ASSERT_TRUE(QFile::link(top + "/One", top + "/again-one"));
    ASSERT_TRUE(QFile::link(top + "/t.xml", top + "/One/t-link.xml"));
    // The first way into a folder wins; the file behind a link is a file like any other.
    EXPECT_EQ(addFromFolder(top, "*.xml"),
              (QStringList{"t.xml", "again-one/one.xml", "again-one/t-link.xml"}));
}

TEST(AddFolder, ListFilesGivesTheMatchingFilesOfOneFolderOnly) {
    QTemporaryDir folder;
    makeTree(folder.path(), {"b.xml", "a.txt", ".h.xml", "sub/c.xml"});
    EXPECT_EQ(ListFiles(folder.path(), "*.xml"), (QStringList{".h.xml", "b.xml"}));
    EXPECT_THROW(ListFiles(folder.filePath("missing"), "*.*"), std::exception);
}
