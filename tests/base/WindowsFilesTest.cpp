// What only Windows has: file attributes, files held open without sharing, reserved device
// names, paths beyond MAX_PATH, names that differ only in letter case, and UNC-style paths.
#include "base/FileIdentity.h"
#include "base/RuntimeError.h"
#include "base/TextFiles.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"
#include "xml/CsvConversion.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <windows.h>

namespace {
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

TEST(WindowsFiles, AFileAnotherProgramHoldsWithoutSharingIsReportedAsUnreadable) {
    QTemporaryDir folder;
    const QString path = QDir::toNativeSeparators(folder.filePath("held.xml"));
    writeText("<r><a>1</a></r>", path);
    const HANDLE held =
        CreateFileW(wide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::optional<XmlError> error;
    EXPECT_EQ(flattened(path, error), "");
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->reason.startsWith("cannot be read (")) << error->reason.toStdString();
    CloseHandle(held);
    EXPECT_EQ(flattened(path, error), "/r/a,1\r\n");
    EXPECT_FALSE(error);
}

TEST(WindowsFiles, ReservedDeviceNamesAreNotRegularFilesInAnyFolder) {
    QTemporaryDir folder;
    for (const char* name : {"NUL", "CON", "nul.xml", "COM1"}) {
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
    writeText("<r><a>1</a></r>", path);
    std::optional<XmlError> error;
    EXPECT_EQ(flattened(path, error), "/r/a,1\r\n");
    EXPECT_FALSE(error);

    const QString unc = QStringLiteral("\\\\?\\") + path;
    EXPECT_EQ(flattened(unc, error), "/r/a,1\r\n");
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
