#include "ui/GridPlace.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

GridPlace GridPlace::of(const QTableView& grid) {
    GridPlace place;
    const QModelIndex current = grid.currentIndex();
    place.row = current.row();
    place.column = current.column();
    place.horizontalScroll = grid.horizontalScrollBar()->value();
    place.verticalScroll = grid.verticalScrollBar()->value();
    const int columns = grid.horizontalHeader()->count();
    place.columnWidths.reserve(static_cast<size_t>(columns));
    for (int at = 0; at < columns; ++at)
        place.columnWidths.push_back(grid.columnWidth(at));
    return place;
}

void GridPlace::restore(QTableView& grid) const {
    for (size_t at = 0; at < columnWidths.size(); ++at)
        grid.setColumnWidth(static_cast<int>(at), columnWidths[at]);
    if (row >= 0 && grid.model())
        grid.setCurrentIndex(grid.model()->index(row, column));
    grid.horizontalScrollBar()->setValue(horizontalScroll);
    grid.verticalScrollBar()->setValue(verticalScroll);
}
