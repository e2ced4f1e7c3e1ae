#include "ui/HelpText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(HelpText, IsTheExactMessageWithItsLoneCarriageReturns) {
    const QByteArray expected =
        "Make sure XML files can be opened in Internet Explorer. Internet Explorer validates XML "
        "files and will inform you if there is a problem such as \"invalid character(s)\"...\x0D"
        "\x0D"
        "An exaple of an invalid character is &\x0D\x0A\x0D\x0A"
        "You must have MS Excel and Access 2002 (XP) or higher installed to use this software."
        "\x0D\x0A\x0D\x0A"
        "This software imports XML files into Excel but MS Access is opened when you click the "
        "'Start' button to help with the import process.\x0D\x0A\x0D\x0A"
        "Again, you need to have MS Access installed to use this software.";
    EXPECT_EQ(helpMessageText().toUtf8(), expected);
}
