#pragma once

#include "office/Workbook.h"

#include <memory>

// A CSV file read into a workbook, and what could not be read into it.
struct OpenedCsv {
    std::unique_ptr<Workbook> workbook;
    // Why part of the file is missing from the workbook; "" when nothing is.
    QString shortfall;
};

// Opens a CSV file as the spreadsheet application does: a workbook named after the file with
// one sheet named after the file without its extension. Lines end at CR LF, LF or CR; fields
// are split at every comma, with no quoting. Raises an error when the file cannot be read.
OpenedCsv openCsvFile(const QString& path);
