#pragma once

#include "base/RuntimeError.h"
#include "office/Workbook.h"

#include <memory>

// What of a file did not fit on its sheet.
struct SheetShortfall {
    // The file's name.
    QString file;
    // Lines beyond the sheet's last row, and values beyond its last column.
    qint64 linesLeftOut = 0;
    qint64 valuesLeftOut = 0;

    bool isEmpty() const { return linesLeftOut == 0 && valuesLeftOut == 0; }
    // "FILE: N lines beyond the sheet's 1,048,576 rows were not loaded; ..."
    QString description() const;
};

// A CSV file read into a workbook, and what could not be read into it.
struct OpenedCsv {
    std::unique_ptr<Workbook> workbook;
    SheetShortfall shortfall;
};

// Raised when a file was opened but part of it did not fit on its sheet; the workbook holds
// what did.
class IncompleteLoadError : public RuntimeError {
public:
    explicit IncompleteLoadError(SheetShortfall shortfall)
        : RuntimeError(QStringLiteral("The file was not loaded completely. ") +
                       shortfall.description()),
          m_shortfall(std::move(shortfall)) {}
    const SheetShortfall& shortfall() const { return m_shortfall; }

private:
    SheetShortfall m_shortfall;
};

// Opens a CSV file as the spreadsheet application does: a workbook named after the file with
// one sheet named after the file without its extension. Lines end at CR LF, LF or CR; fields
// are split at every comma, with no quoting. Raises an error when the file cannot be read.
OpenedCsv openCsvFile(const QString& path);
