#pragma once

#include "import/WorkDatabaseSource.h"

#include <QString>

class Dialogs;
struct ImportResult;
class ImportSurface;
class ReportingProcedure;
class SpreadsheetApplications;

// The route through the work database: every listed file is imported into tables of the
// database, and every table (but the import's error tables) is written cell by cell into a new,
// visible workbook, all on one sheet or one sheet per table. Only tables that this run made are
// written: a table left by an earlier run, which a failed clearing kept, never reaches the
// workbook. The program's own database is emptied first; of a database the user named, only
// the tables that earlier runs made are dropped, and only when the run imports a file. Steps
// are reported through the run's procedure and the route goes on after a failing one. Each
// file's outcome, the tables written and the workbook go into `result`.
void routeThroughDatabase(ImportSurface& surface, Dialogs& dialogs,
                          SpreadsheetApplications& applications, const QString& databasePath,
                          WorkDatabaseOwner owner, ReportingProcedure& procedure,
                          ImportResult& result);
