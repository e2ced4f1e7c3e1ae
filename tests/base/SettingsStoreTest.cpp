#include "base/SettingsStore.h"

#include "base/BooleanText.h"
#include "base/RuntimeError.h"

#include <QFile>
#include <QTemporaryDir>

#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

TEST(SettingsStore, TextsReadBackWholeAndTheLastWriteOfTwoCopiesWins) {
    QTemporaryDir folder;
    const QString path = folder.filePath("Kestrelix.ini");
    SettingsStore first(path);
    SettingsStore second(path);
    EXPECT_EQ(first.GetSetting("Option1", "1"), "1");
    EXPECT_FALSE(QFile::exists(path));

    // A comma must not turn the text into a list.
    first.SaveSetting("Extension", "xml, txt");
    EXPECT_EQ(SettingsStore(path).GetSetting("Extension", QString()), "xml, txt");
    second.SaveSetting("Extension", "txt");
    EXPECT_EQ(first.GetSetting("Extension", QString()), "txt");

    // The file is shared with the maker's other programs, so ours keep to a section.
    EXPECT_TRUE(readFile(path).contains("[Brindlequay]"));
}

#ifndef _WIN32
TEST(SettingsStore, UserFileFollowsTheConfigurationFolderPosixOnly) {
    QTemporaryDir folder;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    EXPECT_EQ(SettingsStore::userFilePath(), folder.filePath("Kestrelix.ini"));
    qputenv("XDG_CONFIG_HOME", saved);
}
#endif

TEST(BooleanText, BooleanWordsAndNumbersAreReadAndAnyOtherTextIsRefused) {
    const std::pair<const char*, bool> cases[] = {
        {"true", true}, {"FALSE", false}, {"-1", true}, {"2.5", true}, {" 0.0 ", false}};
    for (auto [text, expected] : cases)
        EXPECT_EQ(booleanFromText(QString::fromLatin1(text)), expected) << text;
    for (const char* text : {"yes", "", "1,0"})
        EXPECT_THROW(booleanFromText(QString::fromLatin1(text)), RuntimeError) << text;
}
