#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// A value that a cell took only in part.
struct CutCell {
    int row = 0;
    int column = 0;
    qint64 charactersCut = 0;
    // Which sheet holds it: 0 the sheet itself, 1 its first continuation, and so on.
    int sheet = 0;
};

// What of a file or table did not fit on its sheet.
struct SheetShortfall {
    // What the values came from, as a report names it ("FILE", "The table X", ...), the sheet
    // that holds them and the sheets that carry on its rows.
    QString source;
    QString sheet;
    QStringList continuations;
    // Values beyond the sheet's last column.
    qint64 valuesLeftOut = 0;
    // Values longer than a cell holds, which kept their first characters.
    std::vector<CutCell> cutCells;

    bool isEmpty() const { return valuesLeftOut == 0 && cutCells.empty(); }
    // "SOURCE: N values beyond the sheet's 16,384 columns were not loaded; ..."
    QString description() const;
    // The name of the sheet that holds a cut cell.
    QString sheetOf(const CutCell& cell) const {
        return cell.sheet == 0 ? sheet : continuations.value(cell.sheet - 1, sheet);
    }
};
