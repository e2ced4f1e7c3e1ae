#include "ui/ColumnFitting.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace {
constexpr int kMaxFittedWidth = 360;
// Room for the grid's lines and the cell's own margins.
constexpr int kCellMargin = 12;
} // namespace

void fitColumnWidths(QTableView& view, int firstColumn, int lastColumn, int firstRow,
                     int rowCount) {
    QAbstractItemModel* model = view.model();
    if (!model)
        return;
    const QFontMetrics metrics(view.font());
    const QFontMetrics headerMetrics(view.horizontalHeader()->font());
    const int lastRow = std::min(model->rowCount(), firstRow + rowCount) - 1;
    lastColumn = std::min(lastColumn, model->columnCount() - 1);
    for (int column = std::max(firstColumn, 0); column <= lastColumn; ++column) {
        int width =
            headerMetrics.horizontalAdvance(model->headerData(column, Qt::Horizontal).toString());
        for (int row = std::max(firstRow, 0); row <= lastRow; ++row) {
            const QString shown = model->index(row, column).data().toString();
            if (shown.isEmpty())
                continue;
            const qsizetype lineEnd = shown.indexOf(QLatin1Char('\n'));
            // Beyond the widest a column gets, the rest of a long text need not be measured.
            const QString firstLine = shown.left(
                std::min<qsizetype>(lineEnd < 0 ? shown.size() : lineEnd, kMaxFittedWidth / 2));
            width = std::max(width, metrics.horizontalAdvance(firstLine));
        }
        view.setColumnWidth(column, std::clamp(width + kCellMargin,
                                               view.horizontalHeader()->minimumSectionSize(),
                                               kMaxFittedWidth));
    }
}
