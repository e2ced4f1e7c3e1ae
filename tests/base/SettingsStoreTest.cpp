#include "base/SettingsStore.h"

#include "base/BooleanText.h"
#include "base/RuntimeError.h"

#include <QFile>
#include <QTemporaryDir>

#include "support/CaseNames.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <optional>

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

namespace {
struct BooleanCase {
    const char* text;
    std::optional<bool> value; // none: the text is refused
};
class BooleanFromText : public testing::TestWithParam<BooleanCase> {};
} // namespace

TEST_P(BooleanFromText, ReadsBooleanWordsAndNumbersAndRefusesAnyOtherText) {
    const QString text = QString::fromLatin1(GetParam().text);
    if (GetParam().value)
        EXPECT_EQ(booleanFromText(text), *GetParam().value);
    else
        EXPECT_THROW(booleanFromText(text), RuntimeError);
}

INSTANTIATE_TEST_SUITE_P(, BooleanFromText,
                         testing::Values(BooleanCase{"true", true}, BooleanCase{"FALSE", false},
                                         BooleanCase{"-1", true}, BooleanCase{"2.5", true},
                                         BooleanCase{" 0.0 ", false}, BooleanCase{"yes", {}},
                                         BooleanCase{"", {}}, BooleanCase{"1,0", {}}),
                         [](const testing::TestParamInfo<BooleanCase>& test) {
                             return caseName(test.param.text, test.index);
                         });
