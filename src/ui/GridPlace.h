#pragma once

#include <QModelIndex>

#include <vector>

class QTableView;

// Where the user stands in a grid: the current cell, the scrolled-to place and the columns'
// widths, kept while the grid is given a new model of the same sheet.
struct GridPlace {
    int row = -1;
    int column = -1;
    int horizontalScroll = 0;
    int verticalScroll = 0;
    std::vector<int> columnWidths;

    static GridPlace of(const QTableView& grid);
    void restore(QTableView& grid) const;
};
