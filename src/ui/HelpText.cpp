#include "ui/HelpText.h"

QString helpMessageText() {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Make sure XML files can be opened in Internet Explorer. Internet "
                          "Explorer validates XML files and will inform you if there is a "
                          "problem such as \"invalid character(s)\"...") +
           QStringLiteral("\r\r") + QStringLiteral("An exaple of an invalid character is &") +
           crlf + crlf +
           QStringLiteral("You must have MS Excel and Access 2002 (XP) or higher installed to "
                          "use this software.") +
           crlf + crlf +
           QStringLiteral("This software imports XML files into Excel but MS Access is opened "
                          "when you click the 'Start' button to help with the import process.") +
           crlf + crlf +
           QStringLiteral("Again, you need to have MS Access installed to use this software.");
}
