#include "base/TextFiles.h"

#include "base/RuntimeError.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QByteArray bytesOf(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}
} // namespace

TEST(TextFiles, AWrittenFileEndsWithALineBreakAndAnAbandonedWriterLeavesTheOlderOne) {
    QTemporaryDir folder;
    const QString path = folder.filePath("a.csv");
    WriteTextFile("a,b\r\n", path);
    EXPECT_EQ(bytesOf(path), QByteArray("a,b\r\n\r\n"));
    {
        TextFileWriter writer(path);
        writer.append("half of a new text");
    }
    EXPECT_EQ(bytesOf(path), QByteArray("a,b\r\n\r\n"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"a.csv"});
    EXPECT_THROW(WriteTextFile("x", folder.filePath("missing/a.csv")), std::exception);

    RemoveFile(path);
    EXPECT_FALSE(QFile::exists(path));
    RemoveFile(path);
}

TEST(TextFiles, AWriterNeverWritesThroughALinkInItsPlace) {
    QTemporaryDir folder;
    const QString victim = folder.filePath("victim.txt");
    WriteTextFile("precious", victim);
    ASSERT_TRUE(QFile::link(victim, folder.filePath("a.csv.partial")));
    EXPECT_THROW(WriteTextFile("planted", folder.filePath("a.csv")), RuntimeError);
    EXPECT_EQ(bytesOf(victim), QByteArray("precious\r\n"));
    EXPECT_FALSE(QFile::exists(folder.filePath("a.csv")));
}

TEST(TextFiles, ReadingGivesUtf8ForEveryKindOfFile) {
    QTemporaryDir folder;
    EXPECT_EQ(ReadTextFile(folder.filePath("none.csv")), "");
    QFile(folder.filePath("empty.csv")).open(QIODevice::WriteOnly);
    EXPECT_EQ(ReadTextFile(folder.filePath("empty.csv")), "empty file");
    WriteTextFile("h\xc3\xa9", folder.filePath("utf8.csv"));
    EXPECT_EQ(ReadTextFile(folder.filePath("utf8.csv")), "h\xc3\xa9\r\n");

    QFile utf16(folder.filePath("utf16.csv"));
    utf16.open(QIODevice::WriteOnly);
    utf16.write(QByteArray("\xff\xfe"
                           "a\0,\0\xe9\0",
                           8));
    utf16.close();
    EXPECT_EQ(ReadTextFile(folder.filePath("utf16.csv")), "\xef\xbb\xbf"
                                                          "a,\xc3\xa9");
}
