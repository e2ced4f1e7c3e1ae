#pragma once

#include <QString>

class CellStore;
struct CellRange;

// The cells of `range` as they are shown, tab-separated, a line per row, as spreadsheet
// applications put cells on the clipboard and take them back: a text holding a tab, a line
// break or a double quote stands in double quotes, each double quote doubled. Only rows and
// columns that hold anything count: a whole column gives the rows down to the last used one.
QString tabSeparatedText(const CellStore& cells, const CellRange& range);
