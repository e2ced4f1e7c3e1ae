#include "base/TextFiles.h"

#include "base/RuntimeError.h"
#ifndef _WIN32
#include "support/PermissionsEnforced.h"
#endif
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <filesystem>
#include <gtest/gtest.h>

namespace {
void writeText(std::string_view text, const QString& path) {
    TextFileWriter writer(path);
    writer.append(text);
    writer.commit();
}
} // namespace

TEST(TextFiles, AWrittenFileEndsWithALineBreakAndAnAbandonedWriterLeavesTheOlderOne) {
    QTemporaryDir folder;
    const QString path = folder.filePath("a.csv");
    writeText("a,b\r\n", path);
    EXPECT_EQ(readFile(path), QByteArray("a,b\r\n"));
    {
        TextFileWriter writer(path);
        writer.append("half of a new text");
    }
    EXPECT_EQ(readFile(path), QByteArray("a,b\r\n"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"a.csv"});
    EXPECT_THROW(writeText("x", folder.filePath("missing/a.csv")), RuntimeError);

    RemoveFile(path);
    EXPECT_FALSE(QFile::exists(path));
    RemoveFile(path);
}

#ifndef _WIN32
TEST(TextFiles, AReplacedFileTakesTheNewTextAndKeepsBitsThatForbidReadingItPosixOnly) {
    QTemporaryDir folder;
    const QString path = folder.filePath("a.csv");
    writeText("older", path);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    {
        // The new file must still be readable when it is synced, whatever bits it then takes.
        const PermissionsEnforced asAUser;
        writeText("newer", path);
    }
    EXPECT_EQ(std::filesystem::status(path.toStdString()).permissions(),
              std::filesystem::perms::owner_write);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(readFile(path), QByteArray("newer"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"a.csv"});
}
#endif

#ifndef _WIN32
TEST(TextFiles, AWriterNeverWritesThroughALinkInItsPlacePosixOnly) {
    QTemporaryDir folder;
    const QString victim = folder.filePath("victim.txt");
    writeText("precious", victim);
    ASSERT_TRUE(QFile::link(victim, folder.filePath("a.csv.partial")));
    EXPECT_THROW(writeText("planted", folder.filePath("a.csv")), RuntimeError);
    EXPECT_EQ(readFile(victim), QByteArray("precious"));
    EXPECT_FALSE(QFile::exists(folder.filePath("a.csv")));
}
#endif

TEST(TextFiles, ReadingGivesUtf8ForEveryKindOfFile) {
    QTemporaryDir folder;
    EXPECT_EQ(ReadTextFile(folder.filePath("none.csv")), "");
    writeFile(folder.filePath("empty.csv"), "");
    EXPECT_EQ(ReadTextFile(folder.filePath("empty.csv")), "empty file");
    writeText("h\xc3\xa9", folder.filePath("utf8.csv"));
    EXPECT_EQ(ReadTextFile(folder.filePath("utf8.csv")), "h\xc3\xa9");

    writeFile(folder.filePath("utf16.csv"), QByteArray("\xff\xfe"
                                                       "a\0,\0\xe9\0",
                                                       8));
    EXPECT_EQ(ReadTextFile(folder.filePath("utf16.csv")), "\xef\xbb\xbf"
                                                          "a,\xc3\xa9");

    // Read in pieces, a character whose two halves lie in two pieces stays whole, and a byte
    // left over at the end reads as a replacement character.
    const int units = (4 << 20) / 2 - 2;
    QByteArray large("\xff\xfe", 2);
    for (int i = 0; i < units; ++i)
        large.append("a\0", 2);
    large.append("\x3d\xd8\x00\xde"
                 "z",
                 5);
    writeFile(folder.filePath("large.csv"), large);
    std::string expected = "\xef\xbb\xbf" + std::string(static_cast<size_t>(units), 'a') +
                           "\xf0\x9f\x98\x80\xef\xbf\xbd";
    int pieces = 0;
    std::string read;
    ReadTextFile(folder.filePath("large.csv"), [&](std::string_view piece) {
        ++pieces;
        read.append(piece);
    });
    EXPECT_GT(pieces, 1);
    EXPECT_EQ(read, expected);
}
