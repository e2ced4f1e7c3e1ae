#pragma once

class Dialogs;
struct ImportResult;
class ImportSurface;
class ReportingProcedure;
class SpreadsheetApplications;
class WorkTexts;

// The route without the work database: every listed file is flattened into a CSV text named as
// a file of the run's private folder (named in `result.workspace`), kept in `texts`, and the CSV
// files are placed in a new, visible workbook, all on one sheet or one sheet per file. A file that
// is not well-formed is said so and left out. Steps are reported through the run's procedure and
// the route goes on after a failing one. Each file's outcome and the workbook go into `result`.
void routeWithoutDatabase(ImportSurface& surface, Dialogs& dialogs,
                          SpreadsheetApplications& applications, WorkTexts& texts,
                          ReportingProcedure& procedure, ImportResult& result);
