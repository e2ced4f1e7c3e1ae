#pragma once

#include "sheet/Worksheet.h"

#include <vector>

class QAbstractItemModel;
class QItemSelection;

// The cells selected in a grid as ranges of its sheet, rows and columns from 1. A whole column
// (or row) selected ends at the last row (or column) in it that holds anything: the grid shows
// room beyond the used cells, which a copy should not carry along.
std::vector<CellRange> selectedCells(const QItemSelection& selection,
                                     const QAbstractItemModel& model, const CellStore& cells);
