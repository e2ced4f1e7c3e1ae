#pragma once

#include "base/RuntimeError.h"
#include "office/Workbook.h"

#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

// A value that a cell took only in part.
struct CutCell {
    int row = 0;
    int column = 0;
    qint64 charactersCut = 0;
};

// What of a file did not fit on its sheet.
struct SheetShortfall {
    // The file's name, and the sheet that holds what did fit.
    QString file;
    QString sheet;
    // Lines beyond the sheet's last row, and values beyond its last column.
    qint64 linesLeftOut = 0;
    qint64 valuesLeftOut = 0;
    // Values longer than a cell holds, which kept their first characters.
    std::vector<CutCell> cutCells;

    bool isEmpty() const { return linesLeftOut == 0 && valuesLeftOut == 0 && cutCells.empty(); }
    // "FILE: N lines beyond the sheet's 1,048,576 rows were not loaded; ..."
    QString description() const;
};

// A CSV file read into a workbook, and what could not be read into it.
struct OpenedCsv {
    std::unique_ptr<Workbook> workbook;
    SheetShortfall shortfall;
};

// Raised when values were written but part of them did not fit on their sheets; the sheets
// hold what did.
class IncompleteLoadError : public RuntimeError {
public:
    explicit IncompleteLoadError(std::vector<SheetShortfall> shortfalls)
        : RuntimeError(describe(shortfalls)), m_shortfalls(std::move(shortfalls)) {}
    const std::vector<SheetShortfall>& shortfalls() const { return m_shortfalls; }

private:
    static QString describe(const std::vector<SheetShortfall>& shortfalls);

    std::vector<SheetShortfall> m_shortfalls;
};

// Opens a CSV file as the spreadsheet application does: a workbook named after the file with
// one sheet named after the file without its extension. Lines end at CR LF, LF or CR; fields
// are split at commas; a field that begins with a double quote runs to the next lone double
// quote, holding commas and line breaks, and "" in it stands for one double quote.
// Raises an error when the file cannot be read.
OpenedCsv openCsvFile(const QString& path);

// The number of lines in CSV text given in pieces, read as `openCsvFile` reads it: a line break
// inside a quoted field does not end a line.
qint64 csvLineCount(std::initializer_list<std::string_view> pieces);
