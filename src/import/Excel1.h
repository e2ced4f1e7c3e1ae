#pragma once

#include <QString>

class Dialogs;
class SpreadsheetApplication;
class SpreadsheetApplications;

// True when an instance of the spreadsheet application is running and answers with its name;
// never raises an error.
bool ExcelIsRunning(SpreadsheetApplications& applications);

// Warns when the spreadsheet application is running and asks whether to go on; true when the
// user chose to abandon the run.
bool CancelForOpenExcel(SpreadsheetApplications& applications, Dialogs& dialogs);

// A sheet name made from a file or table name: without "[" and "]", at most 30 UTF-16 code units,
// never cut between the two halves of a surrogate pair.
QString CleanSheetName(const QString& text);

// True when a sheet of the instance's active workbook bears exactly that name (letter case
// counts).
bool SheetNameExists(SpreadsheetApplication& application, const QString& name);
