#pragma once

#include <QString>

#include <vector>

// A value that a cell took only in part.
struct CutCell {
    int row = 0;
    int column = 0;
    qint64 charactersCut = 0;
};

// What of a file or table did not fit on its sheet.
struct SheetShortfall {
    // What the values came from, as a report names it ("FILE", "The table X", ...), and the
    // sheet that holds what did fit.
    QString source;
    QString sheet;
    // Lines beyond the sheet's last row, and values beyond its last column.
    qint64 linesLeftOut = 0;
    qint64 valuesLeftOut = 0;
    // Values longer than a cell holds, which kept their first characters.
    std::vector<CutCell> cutCells;

    bool isEmpty() const { return linesLeftOut == 0 && valuesLeftOut == 0 && cutCells.empty(); }
    // "SOURCE: N lines beyond the sheet's 1,048,576 rows were not loaded; ..."
    QString description() const;
};
