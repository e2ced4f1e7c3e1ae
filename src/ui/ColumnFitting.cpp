#include "ui/ColumnFitting.h"

#include "sheet/ColumnWidths.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>
#include <cmath>

namespace {
// Room for the grid's lines and the cell's own margins.
constexpr int kCellMargin = 12;

double digitPixels(const QTableView& view) {
    return std::max(1, QFontMetrics(view.font()).horizontalAdvance(QLatin1Char('0')));
}
} // namespace

int columnPixels(const QTableView& view, double width) {
    return static_cast<int>(std::lround(width * digitPixels(view))) + kCellMargin;
}

double columnWidthOf(const QTableView& view, int pixels) {
    return std::max(0, pixels - kCellMargin) / digitPixels(view);
}

void showColumnWidths(QTableView& view, const std::vector<double>& widths) {
    QHeaderView* header = view.horizontalHeader();
    const int standard =
        std::max(columnPixels(view, kDefaultColumnWidth), header->minimumSectionSize());
    // Resizes every column, so only when the font changed.
    if (header->defaultSectionSize() != standard)
        header->setDefaultSectionSize(standard);
    for (int column = 0; column < header->count(); ++column) {
        const double width =
            static_cast<size_t>(column) < widths.size() ? widths[static_cast<size_t>(column)] : 0;
        const int pixels = width > 0
                               ? std::max(columnPixels(view, width), header->minimumSectionSize())
                               : standard;
        // A column past the given ones may still have the width of another sheet's column,
        // shown before in the same view.
        if (view.columnWidth(column) != pixels)
            view.setColumnWidth(column, pixels);
    }
}
