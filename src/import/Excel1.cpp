#include "import/Excel1.h"

#include "base/Dialogs.h"
#include "spreadsheet/SpreadsheetApplication.h"

bool ExcelIsRunning(SpreadsheetApplications& applications) {
    try {
        return applications.attachRunning()->defaultValue() == QLatin1String("Microsoft Excel");
    } catch (...) {
        return false;
    }
}

bool CancelForOpenExcel(SpreadsheetApplications& applications, Dialogs& dialogs) {
    if (!ExcelIsRunning(applications))
        return false;
    const QString question =
        QStringLiteral("Excel may be open. It is recommended that you close Excel first.\r"
                       "Use Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary.\r\n\r\n"
                       "Would you like to proceed anyway?");
    return dialogs.showMessage(Message{question, MessageButtons::YesNo, MessageIcon::None}) ==
           MessageAnswer::No;
}

QString CleanSheetName(const QString& text) {
    QString name = text;
    name.remove(QLatin1Char('['));
    name.remove(QLatin1Char(']'));
    constexpr qsizetype kLength = 30;
    if (name.size() <= kLength)
        return name;
    const bool splitsPair = name.at(kLength - 1).isHighSurrogate();
    return name.left(splitsPair ? kLength - 1 : kLength);
}

bool SheetNameExists(SpreadsheetApplication& application, const QString& name) {
    // No two sheets' names differ only in letter case, so one look-up tells.
    const Worksheet* sheet = application.activeWorkbook().findSheet(name);
    return sheet && sheet->name() == name;
}
