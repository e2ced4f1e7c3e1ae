#pragma once

class QTableView;

// Widens or narrows columns of `view`, from 0, to what their cells show in `rowCount` rows
// from `firstRow`: the width of the widest first line of those cells, never narrower than the
// column's letters and never wider than 360 pixels, so that one long value leaves the other
// columns in view. A bounded sample: a sheet of a million rows fits as fast as
// one of a hundred.
void fitColumnWidths(QTableView& view, int firstColumn, int lastColumn, int firstRow, int rowCount);
