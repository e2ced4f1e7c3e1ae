#include "ui/GridPlace.h"

#include <QScrollBar>
#include <QTableView>

GridPlace GridPlace::of(const QTableView& grid) {
    GridPlace place;
    const QModelIndex current = grid.currentIndex();
    place.row = current.row();
    place.column = current.column();
    place.horizontalScroll = grid.horizontalScrollBar()->value();
    place.verticalScroll = grid.verticalScrollBar()->value();
    return place;
}

void GridPlace::restore(QTableView& grid) const {
    // The scroll bars measure the model the grid was given, which it lays out only later.
    grid.doItemsLayout();
    if (row >= 0 && grid.model())
        grid.setCurrentIndex(grid.model()->index(row, column));
    grid.horizontalScrollBar()->setValue(horizontalScroll);
    grid.verticalScrollBar()->setValue(verticalScroll);
}

void SheetPlaces::remember(const std::shared_ptr<const Worksheet>& sheet, const GridPlace& place) {
    std::erase_if(m_places, [](const auto& entry) { return entry.first.expired(); });
    m_places[sheet] = place;
}

std::optional<GridPlace> SheetPlaces::placeOn(const std::shared_ptr<const Worksheet>& sheet) const {
    const auto found = m_places.find(sheet);
    if (found == m_places.end())
        return std::nullopt;
    return found->second;
}
