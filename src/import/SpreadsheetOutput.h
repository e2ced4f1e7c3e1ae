#pragma once

#include "import/ImportResult.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class Dialogs;
class ImportSurface;
class SpreadsheetApplication;
class SpreadsheetApplications;
class WorkTexts;

// Turns the CSV texts of a run (in `texts`, named by their files' paths) into one new, visible,
// unsaved workbook: all on the first sheet (one-sheet mode: the texts are joined into one file of
// the run's folder `workspace` first), or one sheet per file named after it (multiple-sheet mode).
// Every failing step is reported, and added to the result's failures, and the output goes on; what
// did not fit on a sheet is added to its cuts, and what did fit is kept. Gives the instance that
// holds the workbook, none when none was made.
std::shared_ptr<SpreadsheetApplication> ImportToExcel(const QStringList& csvPaths,
                                                      ImportSurface& surface, Dialogs& dialogs,
                                                      SpreadsheetApplications& applications,
                                                      WorkTexts& texts, const QString& workspace,
                                                      ImportResult& result);
