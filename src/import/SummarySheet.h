#pragma once

class Workbook;
struct ImportResult;

// Puts the run's summary (`result.summary`, which must be there) on a new first sheet of the
// workbook, named "Summary" or the free name nearest it, and makes it the active sheet: the run,
// every listed file's outcome, then the tables with links to where each begins and their
// columns (route through the work database) or the element paths (flattening route), each
// block under a title row and a row of headings.
void addSummarySheet(Workbook& workbook, const ImportResult& result);
