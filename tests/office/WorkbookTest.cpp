#include "office/Workbook.h"

#include "base/RuntimeError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(Workbook, ASheetNameNeverHoldsACharacterTheSavedFileCannotCarry) {
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    for (const QString& name : {QStringLiteral("tab\there"), QStringLiteral("one\x01"),
                                QString(QChar(0xFFFF)), QString(smile.at(0)) + "x"}) {
        EXPECT_THROW(checkSheetName(name, {}), RuntimeError) << name.toStdString();
        const QString made = acceptableSheetName(name, "Sheet1");
        EXPECT_NO_THROW(checkSheetName(made, {})) << made.toStdString();
    }
    EXPECT_NO_THROW(checkSheetName(smile + "ok", {}));
    // A name cut to length never ends in half a pair.
    EXPECT_EQ(acceptableSheetName(QString(30, 'a') + smile, "Sheet1"), QString(30, 'a'));
}
