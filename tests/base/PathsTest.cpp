#include "base/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(Paths, JoiningNeverDoublesARootSeparator) {
    EXPECT_EQ(joinPath(QStringLiteral("/"), QStringLiteral("a.xml")), QStringLiteral("/a.xml"));
    EXPECT_EQ(joinPath(QStringLiteral("/data"), QStringLiteral("a.xml")),
              QStringLiteral("/data/a.xml"));
    EXPECT_EQ(joinPath(QStringLiteral("/data/"), QStringLiteral("a.xml")),
              QStringLiteral("/data/a.xml"));
}

TEST(Paths, FileExistsForFilesAndFoldersAndNeverFails) {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("é ü.cur"));
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(folder.path()));
    EXPECT_FALSE(FileExists(folder.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(FileExists(QString()));
}
