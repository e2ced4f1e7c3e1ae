#pragma once

#include <vector>

class QTableView;

// The pixels a column of `width` digit widths (sheet/ColumnWidths.h) takes in the view: a digit
// of the view's font for each, and the cell's margins.
int columnPixels(const QTableView& view, double width);
// The width in digit widths of a column of `pixels` in the view.
double columnWidthOf(const QTableView& view, int pixels);

// Gives the view's columns, from the first, the widths of the sheet's unit in `widths`, and
// every other column, a column given 0 among them, the default width, so that the window shows
// the sheet as the saved file keeps it.
void showColumnWidths(QTableView& view, const std::vector<double>& widths);
