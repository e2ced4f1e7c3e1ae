#include "base/SettingsStore.h"

#include "base/BooleanText.h"
#include "base/RuntimeError.h"

#include <QFile>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {
QString fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

TEST(SettingsStore, AbsentKeyGivesTheDefaultAndCreatesNothing) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Kestrelix.ini"));
    SettingsStore store(path);
    EXPECT_EQ(store.GetSetting(QStringLiteral("Option1"), QStringLiteral("1")),
              QStringLiteral("1"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(SettingsStore, SavedTextsLandInTheBrindlequaySectionAndReadBackWhole) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Kestrelix.ini"));
    SettingsStore store(path);
    store.SaveSetting(QStringLiteral("Option1"), QStringLiteral("True"));
    store.SaveSetting(QStringLiteral("Extension"), QStringLiteral("xml, txt"));

    const QString text = fileText(path);
    EXPECT_TRUE(text.contains(QStringLiteral("[Brindlequay]"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Option1=True"))) << text.toStdString();

    SettingsStore reopened(path);
    EXPECT_EQ(reopened.GetSetting(QStringLiteral("Option1"), QStringLiteral("0")),
              QStringLiteral("True"));
    EXPECT_EQ(reopened.GetSetting(QStringLiteral("Extension"), QString()),
              QStringLiteral("xml, txt"));
}

TEST(SettingsStore, TwoRunningCopiesShareTheStoreAndTheLastWriteWins) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Kestrelix.ini"));
    SettingsStore first(path);
    SettingsStore second(path);
    first.SaveSetting(QStringLiteral("Extension"), QStringLiteral("xml"));
    second.SaveSetting(QStringLiteral("Extension"), QStringLiteral("txt"));
    EXPECT_EQ(first.GetSetting(QStringLiteral("Extension"), QString()), QStringLiteral("txt"));
}

TEST(SettingsStore, UserFileFollowsTheConfigurationFolder) {
    QTemporaryDir folder;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    EXPECT_EQ(SettingsStore::userFilePath(), folder.filePath(QStringLiteral("Kestrelix.ini")));
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST(BooleanText, ReadsBooleanWordsAndNumbers) {
    const std::pair<const char*, bool> cases[] = {
        {"True", true}, {"FALSE", false}, {"true", true}, {"1", true},    {"0", false},
        {"-1", true},   {"2.5", true},    {" 0 ", false}, {"0.0", false},
    };
    for (auto [text, expected] : cases)
        EXPECT_EQ(booleanFromText(QString::fromLatin1(text)), expected) << text;
    EXPECT_EQ(textFromBoolean(true), QStringLiteral("True"));
    EXPECT_EQ(textFromBoolean(false), QStringLiteral("False"));
}

TEST(BooleanText, AnyOtherTextIsATypeMismatch) {
    for (const char* text : {"yes", "", "Truee", "1,0"}) {
        try {
            booleanFromText(QString::fromLatin1(text));
            ADD_FAILURE() << "accepted " << text;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), ErrorNumber::TypeMismatch);
            EXPECT_EQ(error.description(), QStringLiteral("Type mismatch"));
        }
    }
}
