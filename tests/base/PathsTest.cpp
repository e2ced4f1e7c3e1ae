#include "base/Paths.h"

#include <QFile>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(Paths, JoiningNeverDoublesARootSeparator) {
    EXPECT_EQ(joinPath("/", "a.xml"), "/a.xml");
    EXPECT_EQ(joinPath("/data", "a.xml"), "/data/a.xml");
    EXPECT_EQ(joinPath("/data/", "a.xml"), "/data/a.xml");
}

TEST(Paths, FileExistsForFilesAndFoldersAndNeverFails) {
    QTemporaryDir folder;
    const QString file = folder.filePath("é ü.cur");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(folder.path()));
    EXPECT_FALSE(FileExists(folder.filePath("missing")));
    EXPECT_FALSE(FileExists(QString()));
}
