#pragma once

#include <QModelIndex>

#include <map>
#include <memory>
#include <optional>

class QTableView;
class Worksheet;

// Where the user stands in a grid: the current cell and the scrolled-to place.
struct GridPlace {
    int row = -1;
    int column = -1;
    int horizontalScroll = 0;
    int verticalScroll = 0;

    static GridPlace of(const QTableView& grid);
    // Stands there again in the grid's model, which must hold the cell.
    void restore(QTableView& grid) const;
};

// The place the user left on each sheet of a workbook, to stand there again when the sheet is
// shown again, as spreadsheet applications keep it per sheet. A sheet deleted is forgotten.
class SheetPlaces {
public:
    void remember(const std::shared_ptr<const Worksheet>& sheet, const GridPlace& place);
    // The place last left on the sheet; none for a sheet not left before.
    std::optional<GridPlace> placeOn(const std::shared_ptr<const Worksheet>& sheet) const;

private:
    std::map<std::weak_ptr<const Worksheet>, GridPlace, std::owner_less<>> m_places;
};
