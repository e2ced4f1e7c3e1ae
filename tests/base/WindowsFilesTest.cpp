// What only Windows has: file attributes, files locked by another program, reserved device
// names, paths beyond MAX_PATH, names that differ only in letter case, UNC-style paths, and
// settings in the registry.
#include "base/FileIdentity.h"
#include "base/RuntimeError.h"
#include "base/SettingsStore.h"
#include "base/TextFiles.h"
#include "filelist/AddFolder.h"
#include "filelist/FileList.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"
#include "xml/CsvConversion.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <windows.h>

namespace {
constexpr std::string_view kDocument = "<r><a>1</a></r>";
constexpr std::string_view kFlattened = "r,a,1\r\n";

const wchar_t* wide(const QString& path) {
    return reinterpret_cast<const wchar_t*>(path.utf16());
}

void writeText(std::string_view text, const QString& path) {
    TextFileWriter writer(path);
    writer.append(text);
    writer.commit();
}

std::string flattened(const QString& path, std::optional<XmlError>& error) {
    std::string csv;
    error = ConvertToCSV(path, ",", [&](std::string_view piece) { csv.append(piece); });
    return csv;
}
} // namespace

TEST(WindowsFiles, AReadOnlyFileIsNotReplacedAndKeepsItsText) {
    QTemporaryDir folder;
    const QString path = QDir::toNativeSeparators(folder.filePath("a.csv"));
    writeText("older", path);
    ASSERT_TRUE(SetFileAttributesW(wide(path), FILE_ATTRIBUTE_READONLY));
    {
        TextFileWriter writer(path);
        writer.append("newer");
        EXPECT_THROW(writer.commit(), RuntimeError);
    }
    SetFileAttributesW(wide(path), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readFile(path), QByteArray("older"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"a.csv"});
}

TEST(WindowsFiles, AFileAnotherProgramHoldsWithoutSharingIsReportedAsUnreadableUntilItIsFreed) {
    QTemporaryDir folder;
    const QString path = QDir::toNativeSeparators(folder.filePath("held.xml"));
    writeText(kDocument, path);
    // As a program that writes a file and lets no one else open it meanwhile.
    const HANDLE held = CreateFileW(wide(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::optional<XmlError> error;
    EXPECT_EQ(flattened(path, error), "");
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->reason.startsWith("cannot be read (")) << error->reason.toStdString();
    CloseHandle(held);
    EXPECT_EQ(flattened(path, error), kFlattened);
    EXPECT_FALSE(error);
}

TEST(WindowsFiles, ReservedDeviceNamesAreNotRegularFilesInAnyFolder) {
    QTemporaryDir folder;
    for (const char* name : {"NUL", "nul", "Nul"}) {
        std::optional<XmlError> error;
        flattened(QDir::toNativeSeparators(folder.filePath(name)), error);
        ASSERT_TRUE(error) << name;
        EXPECT_EQ(error->reason, "not a regular file") << name;
    }
}

TEST(WindowsFiles, PathsBeyondMaxPathAndUncFormsAreWrittenAndRead) {
    QTemporaryDir folder;
    QString deep = QDir::toNativeSeparators(folder.path());
    while (deep.size() < 300)
        deep += QStringLiteral("\\a-folder-name-of-some-length");
    ASSERT_TRUE(QDir().mkpath(deep));
    const QString path = deep + QStringLiteral("\\long.xml");
    ASSERT_GT(path.size(), MAX_PATH);
    writeText(kDocument, path);
    std::optional<XmlError> error;
    EXPECT_EQ(flattened(path, error), kFlattened);
    EXPECT_FALSE(error);

    const QString unc = QStringLiteral("\\\\?\\") + path;
    EXPECT_EQ(flattened(unc, error), kFlattened);
    EXPECT_FALSE(error);
}

TEST(WindowsFiles, NamesThatDifferOnlyInLetterCaseAreOneFile) {
    QTemporaryDir folder;
    const QString lower = QDir::toNativeSeparators(folder.filePath("data.xml"));
    const QString upper = QDir::toNativeSeparators(folder.filePath("DATA.XML"));
    writeText("<r/>", lower);
    const auto one = smallRegularFileIdentity(lower, 1 << 20);
    ASSERT_TRUE(one);
    EXPECT_EQ(smallRegularFileIdentity(upper, 1 << 20), one);
    // Replacing through the other spelling replaces the same file.
    writeText("<s/>", upper);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(readFile(lower), QByteArray("<s/>"));
}

TEST(WindowsFiles, AFolderWalkSkipsHiddenAndSystemFoldersAndFilesFlaggedExactlyHiddenAndArchive) {
    QTemporaryDir folder;
    const QString top = folder.path();
    makeTree(top, {"a.xml", "b.xml", "c.xml", "d.xml", "Hidden/in.xml", "System/in.xml",
                   "ReadOnly/in.xml"});
    const auto flag = [&](const QString& name, DWORD attributes) {
        ASSERT_TRUE(
            SetFileAttributesW(wide(QDir::toNativeSeparators(top + "/" + name)), attributes));
    };
    flag("a.xml", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    flag("b.xml", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    flag("c.xml", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    flag("Hidden", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    flag("System", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    flag("ReadOnly", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    FileList list;
    WalkProblems problems;
    AddFilesFromFolder(
        list, QDir::toNativeSeparators(top), "*.xml", [] {}, problems);
    EXPECT_EQ(relativeTo(top, list.paths()),
              (QStringList{"b.xml", "c.xml", "d.xml", "ReadOnly/in.xml"}));
    EXPECT_TRUE(problems.isEmpty());
    flag("b.xml", FILE_ATTRIBUTE_NORMAL);
    flag("ReadOnly", FILE_ATTRIBUTE_DIRECTORY);
}

TEST(WindowsFiles, TheUsersSettingsAreKeptInTheRegistryWhereTheirOlderProgramsKeepThem) {
    const wchar_t* key = L"Software\\VB and VBA Program Settings\\Kestrelix\\Brindlequay";
    wchar_t older[256];
    DWORD olderSize = sizeof older;
    const bool hadOlder = RegGetValueW(HKEY_CURRENT_USER, key, L"Extension", RRF_RT_REG_SZ, nullptr,
                                       older, &olderSize) == ERROR_SUCCESS;
    {
        SettingsStore settings(SettingsStore::userFilePath(), SettingsStore::userFormat());
        settings.SaveSetting("Extension", "xml, txt");
        EXPECT_EQ(settings.GetSetting("Extension", "x"), "xml, txt");
    }
    wchar_t stored[256];
    DWORD size = sizeof stored;
    ASSERT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, key, L"Extension", RRF_RT_REG_SZ, nullptr, stored, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(QString::fromWCharArray(stored), "xml, txt");
    if (hadOlder)
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Extension", REG_SZ, older, olderSize);
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"Extension");
}

TEST(WindowsFiles, AReplacedFileKeepsTheOlderOnesHiddenAndSystemFlags) {
    QTemporaryDir folder;
    const QString path = QDir::toNativeSeparators(folder.filePath("a.csv"));
    writeText("older", path);
    ASSERT_TRUE(SetFileAttributesW(wide(path), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    writeText("newer", path);
    EXPECT_EQ(readFile(path), QByteArray("newer"));
    const DWORD attributes = GetFileAttributesW(wide(path));
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}
