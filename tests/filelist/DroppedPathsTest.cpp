#include "filelist/DroppedPaths.h"

#include "filelist/FileList.h"
#include "filelist/SampleFiles.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

TEST(DroppedPaths, FoldersAreExpandedInTheDropsOrderAndFilesAppendedAsTheyAre) {
    QTemporaryDir folder;
    const QString root = folder.path();
    makeTree(root, {"First/a.txt", "First/in/b.xml", "Second/c.xml", "~$temp.xml", ".Hidden/h"});
    FileList list;
    WalkProblems problems;
    addDroppedPaths(
        list,
        {root + "/Second", root + "/~$temp.xml", root + "/First", root + "/.Hidden",
         root + "/missing.xml", root + "/First/in/."},
        [] {}, problems);
    EXPECT_EQ(relativeTo(root, list.paths()),
              (QStringList{"Second/c.xml", "~$temp.xml", "First/a.txt", "First/in/b.xml", ".Hidden",
                           "missing.xml", "First/in/./b.xml"}));
    EXPECT_TRUE(problems.isEmpty());

    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile("/data/a b.xml"), QUrl("https://example.org/b.xml")});
    EXPECT_TRUE(droppedLocalPaths(&mixed).isEmpty());
}

TEST(SampleFiles, EveryFileOfTheSamplesFolderButNotOfItsSubFolders) {
    QTemporaryDir program;
    makeTree(program.path(),
             {"Samples/b.xml", "Samples/a.xml", "Samples/.hidden", "Samples/sub/c"});
    FileList list;
    appendSampleFiles(list, program.path());
    appendSampleFiles(list, program.path());
    const QString samples = program.path() + "/Samples/";
    const QStringList once{samples + ".hidden", samples + "a.xml", samples + "b.xml"};
    EXPECT_EQ(withSlashes(list.paths()), once + once);
    QTemporaryDir empty;
    appendSampleFiles(list, empty.path());
    EXPECT_EQ(list.count(), 6);
}
