#pragma once

#include <QString>

#include <vector>

class CellStore;
struct CellRange;

// The cells of the rectangle around the `selected` ranges as they are shown, tab-separated, a
// line per row, as spreadsheet applications put cells on the clipboard and take them back: a
// text holding a tab, a line break or a double quote stands in double quotes, each double
// quote doubled. A cell of the rectangle outside every selected range stays empty.
QString tabSeparatedText(const CellStore& cells, const std::vector<CellRange>& selected);

// `range` without the rows below and the columns right of the last ones that hold anything in
// it; empty when nothing in it does. Reads the rows' stored lengths, so that a whole column of a
// million rows is not read twice.
CellRange trimmedToUsed(const CellStore& cells, const CellRange& range);
