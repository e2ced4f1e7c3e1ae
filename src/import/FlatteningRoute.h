#pragma once

class Dialogs;
struct ImportResult;
class ImportSurface;
class ReportingProcedure;
class SpreadsheetApplications;

// The route without the work database: every listed file is flattened into a CSV file of the
// run's private folder (named in `result.workspace`), and the CSV files are placed in a new,
// visible workbook, all on one sheet or one sheet per file. A file that is not well-formed is
// said so and left out. Steps are reported through the run's procedure and the route goes on
// after a failing one. Each file's outcome and the workbook go into `result`.
void routeWithoutDatabase(ImportSurface& surface, Dialogs& dialogs,
                          SpreadsheetApplications& applications, ReportingProcedure& procedure,
                          ImportResult& result);
