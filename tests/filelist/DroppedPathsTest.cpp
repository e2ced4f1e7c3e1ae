#include "filelist/DroppedPaths.h"

#include "filelist/FileList.h"
#include "filelist/SampleFiles.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"
#include "support/ZipBuilder.h"

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
        "*.xml", [] {}, problems);
    EXPECT_EQ(relativeTo(root, list.paths()),
              (QStringList{"Second/c.xml", "~$temp.xml", "First/a.txt", "First/in/b.xml", ".Hidden",
                           "missing.xml", "First/in/./b.xml"}));
    EXPECT_TRUE(problems.isEmpty());

    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile("/data/a b.xml"), QUrl("https://example.org/b.xml")});
    EXPECT_TRUE(droppedLocalPaths(&mixed).isEmpty());
}

TEST(DroppedPaths, AnArchiveGivenOrFoundStandsForItsMembersOfTheExtensionAsked) {
    QTemporaryDir folder;
    const QString root = folder.path();
    makeTree(root, {"Drop/note.txt", "Drop/z.xml"});
    ZipBuilder(root + "/Drop/month.zip")
        .add("readme.txt", "text")
        .add("invoices/", "")
        .add("invoices/0002.XML", "<b/>")
        .add("invoices/0001.xml", "<a/>")
        .add("__MACOSX/invoices/._0001.xml", "\0\5\26\7")
        .add("old.zip", "PK")
        .add("invoices/0001.xml", "<again/>");
    ZipBuilder(root + "/given.ZIP").add("g.xml", "<g/>").add("g.txt", "text");
    writeFile(root + "/broken.zip", "<not-a-zip/>");
    FileList list;
    WalkProblems problems;
    // A dropped folder gives every file, an archive the members of the extension asked last.
    addDroppedPaths(
        list, {root + "/Drop", root + "/given.ZIP", root + "/broken.zip"}, "*.xml", [] {},
        problems);
    EXPECT_EQ(relativeTo(root, list.paths()),
              (QStringList{"Drop/month.zip!/invoices/0002.XML", "Drop/month.zip!/invoices/0001.xml",
                           "Drop/month.zip!/old.zip", "Drop/note.txt", "Drop/z.xml",
                           "given.ZIP!/g.xml", "broken.zip"}));
    // A second member of one name could not be told from the first in the list.
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].endsWith("month.zip!/invoices/0001.xml: another member of the archive "
                                     "bears this name before it"));

    // The batch program lists folders' files and archives' members alike.
    FileList batch;
    addPaths(
        batch, {root + "/Drop"}, "*.txt", "*.txt", [] {}, problems);
    EXPECT_EQ(
        relativeTo(root, batch.paths()),
        (QStringList{"Drop/month.zip!/readme.txt", "Drop/month.zip!/old.zip", "Drop/note.txt"}));
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
