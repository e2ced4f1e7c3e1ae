#pragma once

#include <QString>
#include <QStringList>

class Dialogs;
class ImportSurface;
class SpreadsheetApplications;

// Turns the CSV files of a run into one new, visible, unsaved workbook: all on the first sheet
// (one-sheet mode: the texts are joined into one file first), or one sheet per file named after
// it (multiple-sheet mode). Every failing step is reported and the output goes on.
void ImportToExcel(const QStringList& csvPaths, ImportSurface& surface, Dialogs& dialogs,
                   SpreadsheetApplications& applications, const QString& temporaryFolder);
