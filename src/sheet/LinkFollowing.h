#pragma once

#include "sheet/CellSearch.h"

#include <QString>

class Workbook;
class Worksheet;

// Where a cell's link leads, as a view follows it.
struct LinkDestination {
    enum class Outcome {
        // The cell has no link.
        NoLink,
        // The link leads to `place`.
        Found,
        // No sheet of the workbook bears the name the link gives, `sheetName`.
        SheetGone,
    };
    Outcome outcome = Outcome::NoLink;
    WorkbookPlace place;
    QString sheetName;
};

// Follows the link of a cell of `from` to its sheet (by its name, in any letter case, as the
// workbook compares names) and cell.
LinkDestination followLink(const Workbook& workbook, const Worksheet& from, int row, int column);
