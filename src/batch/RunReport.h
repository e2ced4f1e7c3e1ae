#pragma once

#include "import/ImportResult.h"

#include <string>

// The run's report for scripts (--report): a JSON document of what the run did with every listed
// file and what it found in them, made from the run's result and the summary the run gathered
// (an absent summary gives empty tables, columns and paths and nulls for what only it knows).
// Keys, with one object a line in each array:
//   run      started, seconds, route, send, mergeTables, foldTables, listed, imported, failed,
//            sheets, cells
//   files    path, outcome, size, values (flatten) or rows (database); and reason, line, position
//            where it failed
//   tables   table, sheets, rows, columns, files                              (database route)
//   columns  table, column, type, files, tableFiles, values, empty, firstFile, example (database)
//   paths    path, files, values, type, firstFile                             (flatten route)
// Texts are exact: whatever a name holds is escaped as JSON has it, the document is UTF-8.
std::string runReportJson(const ImportResult& result);
