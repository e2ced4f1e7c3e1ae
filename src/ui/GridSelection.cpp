#include "ui/GridSelection.h"

#include "sheet/CellsAsText.h"

#include <QAbstractItemModel>
#include <QItemSelection>

std::vector<CellRange> selectedCells(const QItemSelection& selection,
                                     const QAbstractItemModel& model, const CellStore& cells) {
    std::vector<CellRange> ranges;
    for (const QItemSelectionRange& range : selection) {
        CellRange cellRange{range.top() + 1, range.left() + 1, range.bottom() + 1,
                            range.right() + 1};
        const bool wholeColumns = range.top() == 0 && range.bottom() == model.rowCount() - 1;
        const bool wholeRows = range.left() == 0 && range.right() == model.columnCount() - 1;
        if (wholeColumns || wholeRows) {
            const CellRange used = trimmedToUsed(cells, cellRange);
            if (used.isEmpty())
                continue;
            if (wholeColumns)
                cellRange.lastRow = used.lastRow;
            if (wholeRows)
                cellRange.lastColumn = used.lastColumn;
        }
        ranges.push_back(cellRange);
    }
    return ranges;
}
