#include "sheet/Workbook.h"

#include "base/RuntimeError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

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
