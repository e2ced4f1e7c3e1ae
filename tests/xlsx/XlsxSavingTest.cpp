#include "xlsx/XlsxSaving.h"

#include "base/RuntimeError.h"
#include "sheet/Workbook.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"
#include "xlsx/SharedStrings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {
[[maybe_unused]] QStringList filesIn(const QTemporaryDir& folder) {
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}
} // namespace

#ifndef _WIN32
TEST(XlsxSaving, SheetsNumbersAndTextsAreSavedAsTheyStandAndPermissionsKeptPosixOnly) {
    QTemporaryDir folder;
    auto book = Workbook::createNew("Book1");
    book->renameSheet(book->sheet(1), "Orders é");
    CellStore& cells = book->sheet(1).cells();
    cells.setText(1, 1, "12.50");
    cells.setText(1, 2, "007");
    cells.setText(2, 1, "x_x000D_y");
    cells.setText(2, 3, "a < b & \"c\"");
    const QString path = folder.filePath("out.xlsx");
    saveAsXlsx(*book, path);

    const QString workbookXml = xlsxEntry(path, "xl/workbook.xml");
    EXPECT_LT(workbookXml.indexOf("name=\"Orders é\""), workbookXml.indexOf("Sheet2"));
    const QString sheet = xlsxSheet(path, 1);
    EXPECT_TRUE(sheet.contains("<c r=\"A1\" s=\"1\"><v>12.5</v></c>")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains("<t>007</t>"));
    EXPECT_TRUE(sheet.contains("<t>x_x005F_x000D_y</t>"));
    EXPECT_TRUE(sheet.contains("<t>a &lt; b &amp; \"c\"</t>"));
    EXPECT_TRUE(xlsxEntry(path, "xl/styles.xml").contains("formatCode=\"0.00\""));

    // A long text of escape-like runs grows when escaped; it keeps what the file can hold.
    std::string escapes;
    for (int i = 0; i < 5000; ++i)
        escapes += "_x0041_";
    cells.setText(3, 1, escapes);
    const QStringList problems = saveAsXlsx(*book, path);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].startsWith("Cell Orders é!A3 was saved without its last"));
    EXPECT_TRUE(xlsxSheet(path, 1).contains("<t>_x005F_x0041_"));

    // Saving again over it keeps the file's permission bits, whatever the process's umask.
    const auto shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::WriteGroup | QFileDevice::ReadUser | QFileDevice::WriteUser;
    ASSERT_TRUE(QFile::setPermissions(path, shared));
    saveAsXlsx(*book, path);
    EXPECT_EQ(QFile::permissions(path), shared);
    EXPECT_EQ(filesIn(folder), QStringList{"out.xlsx"});
}
#endif

// The window's progress bar follows the rows of every sheet and is full only once the file is
// in place.
TEST(XlsxSaving, ProgressFollowsTheRowsOfEverySheetAndEndsWhenTheFileIsInPlace) {
    QTemporaryDir folder;
    auto book = Workbook::createNew("Book1");
    for (int row = 1; row <= 3000; ++row)
        book->sheet(1).cells().setText(row, 1, std::to_string(row));
    book->addSheet().cells().setText(1000, 2, "last");
    const QString path = folder.filePath("out.xlsx");
    std::vector<double> shares;
    saveAsXlsx(*book, path, [&](double share) {
        if (share == 1.0) {
            EXPECT_TRUE(QFile::exists(path));
        }
        shares.push_back(share);
    });
    ASSERT_GT(shares.size(), 100u);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_EQ(shares.back(), 1.0);
    // Halfway through the rows is about halfway through the saving.
    EXPECT_TRUE(std::any_of(shares.begin(), shares.end(),
                            [](double share) { return share > 0.4 && share < 0.6; }));
    EXPECT_EQ(std::count(shares.begin(), shares.end(), 1.0), 1);
}

TEST(XlsxSaving, ATextOutgrowingTheFileWhenEscapedLosesOnlyWhatItMust) {
    // Escaping adds six characters; the six that go are whole characters, a two-byte one and
    // the letter after it each counted once.
    std::string text = "_x0041_";
    while (utf16Length(text) < kMaxCellCharacters)
        text += "\xC3\xA9"
                "a";
    text.resize(text.size() - (utf16Length(text) - kMaxCellCharacters));
    ASSERT_EQ(utf16Length(text), kMaxCellCharacters);
    const SavedText saved = savedText(text);
    EXPECT_EQ(saved.charactersCut, 6);
    EXPECT_EQ(utf16Length(saved.escaped), kMaxCellCharacters);
    EXPECT_EQ(saved.escaped.substr(0, 14), "_x005F_x0041_\xC3");
}

#ifndef _WIN32
TEST(XlsxSaving, AFailedSaveLeavesNothingBehindAndKeepsTheOlderFilePosixOnly) {
    QTemporaryDir folder;
    auto book = Workbook::createNew("Book1");
    EXPECT_THROW(saveAsXlsx(*book, folder.filePath("missing/out.xlsx")), RuntimeError);
    const QString path = folder.filePath("out.xlsx");
    saveAsXlsx(*book, path);
    const QString before = xlsxEntry(path, "xl/workbook.xml");
    book->sheet(1).cells().setText(1, 1, "new");
    // A name the file refuses makes the save fail after the file was begun.
    book->sheet(2).setNameUnchecked("Bad[name]");
    EXPECT_THROW(saveAsXlsx(*book, path), RuntimeError);
    EXPECT_EQ(xlsxEntry(path, "xl/workbook.xml"), before);
    EXPECT_EQ(filesIn(folder), QStringList{"out.xlsx"});

    // A write that fails on the compressing thread, here at a limit on the size of files, is
    // told as the save's failure naming the file asked for; nothing waits for ever.
    book->sheet(2).setNameUnchecked("Sheet2");
    for (int row = 1; row <= 20000; ++row)
        book->sheet(1).cells().setText(row, 2, "value " + std::to_string(row * 7919));
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{64 << 10, limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    try {
        saveAsXlsx(*book, path);
        ADD_FAILURE() << "saved beyond the limit";
    } catch (const RuntimeError& error) {
        EXPECT_TRUE(error.description().startsWith("Cannot write the workbook file " + path))
            << error.description().toStdString();
    }
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    EXPECT_EQ(xlsxEntry(path, "xl/workbook.xml"), before);
    EXPECT_EQ(filesIn(folder), QStringList{"out.xlsx"});
}
#endif
