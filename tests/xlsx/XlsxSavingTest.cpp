#include "xlsx/XlsxSaving.h"

#include "base/RuntimeError.h"
#include "sheet/Workbook.h"
#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"
#include "xlsx/SharedStrings.h"
#include "xlsx/ZipPackage.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
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

namespace {
// A number or date cell of a saved workbook as a reader finds it: its value and the code of
// the number format its style names.
struct SavedValue {
    double value = 0;
    QString format;
};

std::map<QString, SavedValue> savedValues(const QString& xlsx) {
    const QString styles = xlsxEntry(xlsx, "xl/styles.xml");
    // The formats built into every reader that these cells may name.
    std::map<int, QString> codes{{0, "General"}, {1, "0"}, {2, "0.00"}};
    static const QRegularExpression custom(
        R"re(<numFmt numFmtId="(\d+)" formatCode="([^"]*)"/>)re");
    for (const auto& match : custom.globalMatch(styles))
        codes[match.captured(1).toInt()] = match.captured(2).replace("&quot;", "\"");
    const QString cellFormats = styles.section("<cellXfs", 1, 1);
    std::vector<QString> byStyle;
    static const QRegularExpression format(R"re(<xf numFmtId="(\d+)")re");
    for (const auto& match : format.globalMatch(cellFormats))
        byStyle.push_back(codes.at(match.captured(1).toInt()));
    std::map<QString, SavedValue> values;
    static const QRegularExpression cell(R"re(<c r="([A-Z]+\d+)"(?: s="(\d+)")?><v>([^<]*)</v>)re");
    for (const auto& match : cell.globalMatch(xlsxEntry(xlsx, "xl/worksheets/sheet1.xml")))
        values[match.captured(1)] = {match.captured(3).toDouble(),
                                     byStyle.at(match.captured(2).toUInt())};
    return values;
}
} // namespace

// A sheet's part of many megabytes is compressed a megabyte at a time by several threads at
// once, each piece referring back into the one before it; unpacked, it is whole and checks out.
TEST(XlsxSaving, APartCompressedInPiecesAtOnceUnpacksWhole) {
    QTemporaryDir folder;
    auto book = Workbook::createNew("Book1");
    CellStore& cells = book->sheet(1).cells();
    constexpr int kRows = 120000;
    for (int row = 1; row <= kRows; ++row) {
        cells.setText(row, 1, "orders,order,line,item " + std::to_string(row % 977));
        cells.setText(row, 2, std::to_string(row * 7));
    }
    const QString path = folder.filePath("large.xlsx");
    saveAsXlsx(*book, path);
    const ProgramRun tested = runProgram("unzip", {"-tq", path});
    EXPECT_EQ(tested.exitCode, 0) << tested.output.toStdString();
    const QString sheet = xlsxEntry(path, "xl/worksheets/sheet1.xml");
    EXPECT_GT(sheet.size(), 6 << 20);
    EXPECT_EQ(sheet.count("<row "), kRows);
    EXPECT_TRUE(sheet.endsWith("</worksheet>"));
    for (const int row : {1, 30000, 77777, kRows})
        EXPECT_TRUE(
            sheet.contains(QStringLiteral("<c r=\"B%1\"><v>%2</v></c>").arg(row).arg(row * 7)))
            << row;
    // Parts of a single small piece each check out too.
    const QString empty = folder.filePath("empty.xlsx");
    saveAsXlsx(*Workbook::createNew("Book2"), empty);
    EXPECT_EQ(runProgram("unzip", {"-tq", empty}).exitCode, 0);
}

// An entry's stream ends with its last piece, or after its pieces when none was known to be
// the last; either way it unpacks to its text.
TEST(XlsxSaving, AnEntryUnpacksWhetherOrNotItsLastPieceWasKnown) {
    QTemporaryDir folder;
    const QString path = folder.filePath("entries.zip");
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += "<c r=\"A" + std::to_string(i) + "\"><v>" + std::to_string(i % 97) + "</v></c>";
    {
        ZipPackage package(path, path);
        for (const bool lastKnown : {true, false}) {
            package.beginEntry(lastKnown ? "known" : "unknown", false);
            package.write(text.substr(0, text.size() / 2));
            package.write(text.substr(text.size() / 2), lastKnown);
            package.endEntry();
        }
        package.beginEntry("empty", false);
        package.endEntry();
        package.close();
    }
    EXPECT_EQ(unpackedEntry(path, "known"), text);
    EXPECT_EQ(unpackedEntry(path, "unknown"), text);
    EXPECT_EQ(unpackedEntry(path, "empty"), "");
}

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

// Links lead to their places under the sheet's name quoted, whatever characters it holds, and
// their cells, texts and numbers alike, look like links while keeping their number formats.
TEST(XlsxSaving, LinksAreSavedWithTheirPlacesAndLookLikeLinks) {
    QTemporaryDir folder;
    auto book = Workbook::createNew("Book1");
    const QString odd = "Bob's \"Q1\" & <é>";
    book->renameSheet(book->sheet(2), odd);
    Worksheet& summary = book->sheet(1);
    summary.cells().setText(1, 1, "title");
    summary.cells().setText(2, 1, odd.toStdString());
    summary.addLink(2, 1, odd, 12, 1);
    summary.cells().setText(2, 2, "12.50");
    summary.addLink(2, 2, "Sheet3", 4, 2);
    const QString path = folder.filePath("links.xlsx");
    saveAsXlsx(*book, path);

    const QString sheet = xlsxEntry(path, "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(sheet.contains(
        "</sheetData><hyperlinks><hyperlink ref=\"A2\" location=\"'Bob''s &quot;Q1&quot; &amp; "
        "&lt;é&gt;'!A12\" display=\"Bob's &quot;Q1&quot; &amp; &lt;é&gt;\"/><hyperlink "
        "ref=\"B2\" location=\"'Sheet3'!B4\" display=\"12.50\"/></hyperlinks><pageMargins "))
        << sheet.toStdString();
    EXPECT_FALSE(xlsxEntry(path, "xl/worksheets/sheet2.xml").contains("hyperlink"));
    EXPECT_FALSE(xlsxEntry(path, "xl/worksheets/_rels/sheet1.xml.rels").contains("Relationship"));

    // The number keeps its format; both cells' fonts are underlined, the plain text's is not.
    EXPECT_EQ(savedValues(path).at("B2").format, "0.00");
    const QString styles = xlsxEntry(path, "xl/styles.xml");
    QStringList fonts;
    static const QRegularExpression font("<font>(.*?)</font>");
    for (const auto& match : font.globalMatch(styles.section("<fonts", 1, 1)))
        fonts << match.captured(1);
    QList<int> fontOfStyle;
    static const QRegularExpression xf(R"re(<xf numFmtId="\d+" fontId="(\d+)")re");
    for (const auto& match : xf.globalMatch(styles.section("<cellXfs", 1, 1)))
        fontOfStyle << match.captured(1).toInt();
    const auto fontOf = [&](const QString& reference) {
        const QRegularExpression cell("<c r=\"" + reference + "\"(?: s=\"(\\d+)\")?");
        const int style = cell.match(sheet).captured(1).toInt();
        return fonts.value(fontOfStyle.value(style));
    };
    EXPECT_TRUE(fontOf("A2").contains("<u/>")) << fontOf("A2").toStdString();
    EXPECT_TRUE(fontOf("B2").contains("<u/>"));
    EXPECT_TRUE(fontOf("B2").contains("<color rgb=\"FF0000FF\"/>"));
    EXPECT_FALSE(fontOf("A1").contains("<u/>"));
}

// A sheet that keeps its texts in its cells writes them there as the shared list would hold
// them, and the sheets after it number their texts from 0, as without it; a workbook whose only
// texts are such has no shared list at all.
TEST(XlsxSaving, TextsKeptInTheirCellsLeaveTheSharedListToTheOtherSheets) {
    QTemporaryDir folder;
    auto book = Workbook::createNew("Book1");
    Worksheet& summary = book->sheet(1);
    summary.setKeepsTextsInCells(true);
    summary.cells().setText(1, 1, " starts with a space");
    summary.cells().setText(1, 2, "a < b & \"c\"");
    summary.cells().setText(2, 1, "x_x000D_y");
    summary.cells().setText(2, 2, "12.50");
    std::string escapes;
    for (int i = 0; i < 5000; ++i)
        escapes += "_x0041_";
    summary.cells().setText(3, 1, escapes);
    const QString path = folder.filePath("out.xlsx");
    QStringList problems = saveAsXlsx(*book, path);
    EXPECT_FALSE(xlsxEntry(path, "[Content_Types].xml").contains("sharedStrings"));

    const QString cells = xlsxEntry(path, "xl/worksheets/sheet1.xml");
    for (
        const char* expected :
        {R"(<c r="A1" t="inlineStr"><is><t xml:space="preserve"> starts with a space</t></is></c>)",
         R"(<c r="B1" t="inlineStr"><is><t>a &lt; b &amp; "c"</t></is></c>)",
         R"(<c r="A2" t="inlineStr"><is><t>x_x005F_x000D_y</t></is></c>)",
         R"(<c r="B2" s="1"><v>12.5</v></c>)", R"(<c r="A3" t="inlineStr"><is><t>_x005F_x0041_)"})
        EXPECT_TRUE(cells.contains(expected)) << expected;
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].startsWith("Cell Sheet1!A3 was saved without its last"));

    // A text of the next sheet that the first holds too is the next sheet's own, numbered 0.
    book->sheet(2).cells().setText(1, 1, "12.50 is not here");
    book->sheet(2).cells().setText(2, 1, "x_x000D_y");
    saveAsXlsx(*book, path);
    EXPECT_TRUE(xlsxSheet(path, 2).contains(R"(<c r="A1" t="s"><t>12.50 is not here</t>)"));
    EXPECT_TRUE(xlsxSheet(path, 2).contains(R"(<c r="A2" t="s"><t>x_x005F_x000D_y</t>)"));
    EXPECT_TRUE(xlsxEntry(path, "xl/worksheets/sheet2.xml").contains(R"(t="s"><v>0</v>)"));
    EXPECT_TRUE(xlsxEntry(path, "xl/sharedStrings.xml").contains(R"(count="2" uniqueCount="2")"));
}
