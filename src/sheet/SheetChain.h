#pragma once

#include "sheet/Worksheet.h"

#include <functional>
#include <vector>

// A block of cells that may be taller than a sheet: pieces a sheet high, one below the other;
// the last may be shorter.
using TallBlock = std::vector<CellStore>;

// The used block of a sheet and of the sheets that carry on its rows, read as one column of
// rows: the rows of each sheet follow the last row of the one before it. Pieces that begin at
// A1 of a sheet share its cells, so copying costs nothing however many rows it holds.
TallBlock copyUsedRows(const std::vector<const CellStore*>& sheets);

// Places a block with its top left at (row, column) of the first of a run of sheets; rows
// beyond a sheet's last go on from row 1 of the next. `sheetAt(index)` gives sheet `index` of
// the run (0 the first) and is asked only for a sheet that receives cells.
void pasteRows(const TallBlock& block, int row, int column,
               const std::function<CellStore&(int index)>& sheetAt);
