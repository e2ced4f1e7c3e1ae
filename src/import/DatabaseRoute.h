#pragma once

#include <QString>

class Dialogs;
class ImportSurface;
class ReportingProcedure;
class SpreadsheetApplications;

// The route through the work database: every listed file is imported into tables of the
// database, and every table (but the import's error tables) is written cell by cell into a new,
// visible workbook, all on one sheet or one sheet per table. Steps are reported through the
// run's procedure and the route goes on after a failing one.
void routeThroughDatabase(ImportSurface& surface, Dialogs& dialogs,
                          SpreadsheetApplications& applications, const QString& databasePath,
                          ReportingProcedure& procedure);
