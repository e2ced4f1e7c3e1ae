#include "sheet/Workbook.h"

#include "base/RuntimeError.h"
#include "sheet/LinkFollowing.h"
#include "support/CaseNames.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(Workbook, NewSheetsGoBeforeTheActiveOneAndNamesFollowTheRules) {
    auto book = Workbook::createNew("Book1");
    book->addSheet();
    book->addSheet();
    book->renameSheet(book->activeSheet(), "Sheet6");
    EXPECT_EQ(book->addSheet().name(), "Sheet7");
    book->deleteSheet("sheet2");
    EXPECT_EQ(book->sheetNames(), (QStringList{"Sheet7", "Sheet6", "Sheet4", "Sheet1", "Sheet3"}));
    EXPECT_THROW(book->deleteSheet("Sheet2"), RuntimeError);

    // Beyond the written rules, nothing the saved file cannot carry: control characters,
    // non-characters, half a surrogate pair.
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    Worksheet& sheet = book->sheet(4);
    for (const QString& refused :
         {QString(), QString(32, 'x'), QString("a/b"), QString("'quoted"), QString("sheet3"),
          QString("tab\there"), QString("one\x01"), QString(QChar(0xFFFF)), smile.left(1)}) {
        EXPECT_THROW(book->renameSheet(sheet, refused), RuntimeError) << refused.toStdString();
        if (!refused.isEmpty() && refused != "sheet3") {
            EXPECT_NO_THROW(checkSheetNames({acceptableSheetName(refused, "S")}));
        }
    }
    EXPECT_EQ(sheet.name(), "Sheet1");
    book->renameSheet(sheet, QString(31, 'y'));
    book->renameSheet(sheet, "it's fine " + smile);
    EXPECT_EQ(acceptableSheetName(QString(30, 'a') + smile, "S"), QString(30, 'a'));
}

TEST(Workbook, SheetsThatCarryOnAFullSheetStandAfterItUnderItsNameAndFollowItsRenaming) {
    auto book = Workbook::createNew("Book1");
    Worksheet& full = book->sheet(1);
    book->activate(2);
    // A sheet already bears the first continuation's name, in other letters.
    book->renameSheet(book->sheet(3), "sheet1 (2)");
    EXPECT_EQ(book->continuation(full, 2).name(), "Sheet1 (4)");
    EXPECT_EQ(&book->continuation(full, 1), &book->sheet(2));
    EXPECT_EQ(book->sheetNames(),
              (QStringList{"Sheet1", "Sheet1 (3)", "Sheet1 (4)", "Sheet2", "sheet1 (2)"}));
    EXPECT_EQ(book->activeSheet().name(), "Sheet2");

    // A name near the longest is cut for its suffix, never between the halves of a character.
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString longName = QString(26, 'n') + smile + "xyz";
    book->renameSheet(full, longName);
    EXPECT_EQ(book->continuationsOf(full)[0]->name(), QString(26, 'n') + " (2)");
    EXPECT_EQ(book->continuationsOf(full)[1]->name(), QString(26, 'n') + " (3)");
    EXPECT_EQ(continuationSheetName(QString(31, 'm'), 10), QString(26, 'm') + " (10)");
    EXPECT_NO_THROW(checkSheetNames(book->sheetNames()));

    // A continuation whose full sheet is gone is an ordinary sheet.
    book->deleteSheet(longName);
    EXPECT_EQ(book->sheet(1).continues(), nullptr);
    EXPECT_TRUE(book->continuationsOf(book->sheet(1)).empty());
}

TEST(Workbook, NamesAreFoundAfterEveryRenamingAddingAndDeleting) {
    auto book = Workbook::createNew("Book1");
    Worksheet& first = book->sheet(1);
    book->renameSheet(first, "Data");
    // The old name is free again, the new one is taken whatever its letter case.
    EXPECT_EQ(book->findSheet("sheet1"), nullptr);
    EXPECT_EQ(book->findSheet("DATA"), &first);
    EXPECT_EQ(book->addSheet().name(), "Sheet4");
    EXPECT_NO_THROW(book->renameSheet(book->activeSheet(), "Sheet1"));
    EXPECT_THROW(book->renameSheet(book->activeSheet(), "data"), RuntimeError);

    // Continuations renamed with their full sheet are found under their new names only.
    Worksheet& second = book->continuation(first, 1);
    book->continuation(first, 2);
    book->renameSheet(first, "Rows");
    EXPECT_EQ(book->findSheet("Data (2)"), nullptr);
    EXPECT_EQ(book->findSheet("rows (2)"), &second);
    EXPECT_EQ(book->freeNameFor(book->sheet(2), "Rows (3)"), "Rows (3)1");

    // A deleted continuation leaves its name free, and the ones after it move up a place.
    book->deleteSheet("Rows (2)");
    EXPECT_EQ(book->findSheet("Rows (2)"), nullptr);
    EXPECT_EQ(book->continuationNames(first), QStringList{"Rows (3)"});
    EXPECT_EQ(book->continuation(first, 2).name(), "Rows (4)");
    EXPECT_EQ(book->continuationNames(first), (QStringList{"Rows (3)", "Rows (4)"}));

    // A sheet of another workbook is not this one's, even under a name this one has.
    auto other = Workbook::createNew("Book2");
    EXPECT_FALSE(book->holds(other->sheet(2)));
    EXPECT_TRUE(book->holds(first));
    book->deleteSheet("rows");
    EXPECT_EQ(book->sheetNames(),
              (QStringList{"Sheet1", "Rows (3)", "Rows (4)", "Sheet2", "Sheet3"}));
}

namespace {
struct NameAskedFor {
    QString wanted;
    QString given;
};
class SheetAskingForAName : public testing::TestWithParam<NameAskedFor> {};
} // namespace

// Beside sheets named "Data.csv" and 31 n's, and "Sheet3" as a new workbook has it.
TEST_P(SheetAskingForAName, GetsTheNearestOneTheRulesAndTheOtherSheetsLeave) {
    auto book = Workbook::createNew("Book1");
    book->renameSheet(book->sheet(1), "Data.csv");
    book->renameSheet(book->sheet(2), QString(31, 'n'));
    Worksheet& asking = book->addSheet();
    EXPECT_EQ(book->freeNameFor(asking, GetParam().wanted), GetParam().given);
    EXPECT_NO_THROW(book->renameSheet(asking, book->freeNameFor(asking, GetParam().wanted)));
}

INSTANTIATE_TEST_SUITE_P(, SheetAskingForAName,
                         testing::Values(
                             // Nothing of the name is left, so the sheet keeps its own.
                             NameAskedFor{"''", "Sheet4"}, NameAskedFor{"sheet4", "sheet4"},
                             NameAskedFor{"a.csv1", "a.csv1"},
                             NameAskedFor{"it's " + QString::fromUtf8("\xF0\x9F\x98\x80"),
                                          "it's " + QString::fromUtf8("\xF0\x9F\x98\x80")},
                             NameAskedFor{"data.csv", "data.csv1"},
                             NameAskedFor{"sheet3", "sheet31"}, NameAskedFor{"a:b.csv", "a_b.csv"},
                             NameAskedFor{"x\\y/z?*[w]", "x_y_z___w_"},
                             NameAskedFor{"'quoted'", "quoted"},
                             NameAskedFor{QString(40, 'm'), QString(31, 'm')},
                             NameAskedFor{QString(40, 'N'), QString(30, 'N') + "1"}),
                         [](const testing::TestParamInfo<NameAskedFor>& test) {
                             return caseName(test.param.wanted.left(20).toStdString(), test.index);
                         });

TEST(Workbook, SheetsAskingForOneNameGetTheNumbersInTurn) {
    auto book = Workbook::createNew("Book1");
    book->renameSheet(book->sheet(1), "Data.csv");
    // Many sheets asking for one name get the numbers in turn; a number whose sheet is gone or
    // renamed is the smallest free one again.
    QStringList given;
    for (int i = 0; i < 4; ++i) {
        Worksheet& sheet = book->addSheet();
        book->renameSheet(sheet, book->freeNameFor(sheet, "DATA.csv"));
        given << sheet.name();
    }
    EXPECT_EQ(given, (QStringList{"DATA.csv1", "DATA.csv2", "DATA.csv3", "DATA.csv4"}));
    book->deleteSheet("data.csv3");
    book->renameSheet(book->sheet("data.csv2"), "moved");
    EXPECT_EQ(book->freeNameFor(book->addSheet(), "DATA.csv"), "DATA.csv2");
    book->renameSheet(book->activeSheet(), "DATA.csv2");
    EXPECT_EQ(book->freeNameFor(book->addSheet(), "DATA.csv"), "DATA.csv3");
    EXPECT_NO_THROW(checkSheetNames(book->sheetNames()));
}

TEST(Workbook, ALinkLeadsToItsSheetByNameAndIsAChangeOfTheWorkbook) {
    auto book = Workbook::createNew("Book1");
    book->markSaved();
    Worksheet& summary = book->sheet(1);
    // Added out of order and once replaced: still found, and listed in the order of the cells.
    summary.addLink(9, 2, "Sheet3", 40, 3);
    summary.addLink(2, 1, "sheet2");
    summary.addLink(9, 2, "Sheet2", 5, 5);
    EXPECT_TRUE(book->isModified());
    ASSERT_EQ(summary.links().size(), 2u);
    EXPECT_EQ(summary.links()[0].row, 2);
    EXPECT_EQ(summary.linkAt(9, 2)->targetRow, 5);
    EXPECT_EQ(summary.linkAt(9, 1), nullptr);
    EXPECT_THROW(summary.addLink(1, 1, "Sheet2", kMaxRows + 1, 1), RuntimeError);

    // Letter case aside, as the workbook compares names.
    const LinkDestination found = followLink(*book, summary, 2, 1);
    EXPECT_EQ(found.outcome, LinkDestination::Outcome::Found);
    EXPECT_EQ(found.place, (WorkbookPlace{2, {1, 1}}));
    EXPECT_EQ(followLink(*book, summary, 3, 3).outcome, LinkDestination::Outcome::NoLink);
    // A link names its sheet, which a renaming leaves behind, as in a spreadsheet file.
    book->renameSheet(book->sheet(2), "Renamed");
    const LinkDestination gone = followLink(*book, summary, 2, 1);
    EXPECT_EQ(gone.outcome, LinkDestination::Outcome::SheetGone);
    EXPECT_EQ(gone.sheetName, "sheet2");
}
