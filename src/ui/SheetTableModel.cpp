#include "ui/SheetTableModel.h"

#include "sheet/Worksheet.h"

#include <QFont>
#include <QGuiApplication>
#include <QPalette>

namespace {
// A grid shows a little room beyond the last used cell, as spreadsheet applications do, and
// no more: Ctrl+End and the scroll bars then measure the data.
constexpr int kMarginRows = 20;
constexpr int kMarginColumns = 5;
} // namespace

SheetTableModel::SheetTableModel(std::weak_ptr<const Worksheet> sheet, QObject* parent)
    : QAbstractTableModel(parent), m_sheet(std::move(sheet)) {
    const std::shared_ptr<const Worksheet> shown = m_sheet.lock();
    const CellRange used = shown ? shown->cells().usedRange() : CellRange{};
    m_rows = std::min(kMaxRows, used.lastRow + kMarginRows);
    m_columns = std::min(kMaxColumns, used.lastColumn + kMarginColumns);
}

void SheetTableModel::showAtLeast(int rows, int columns) {
    rows = std::min(rows, kMaxRows);
    columns = std::min(columns, kMaxColumns);
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    }
    if (columns > m_columns) {
        beginInsertColumns({}, m_columns, columns - 1);
        m_columns = columns;
        endInsertColumns();
    }
}

int SheetTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int SheetTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant SheetTableModel::data(const QModelIndex& index, int role) const {
    const std::shared_ptr<const Worksheet> sheet = m_sheet.lock();
    if (!index.isValid() || !sheet)
        return {};
    const int row = index.row() + 1;
    const int column = index.column() + 1;
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        const std::string shown = sheet->cells().display(row, column);
        return QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
    }
    if (role == Qt::TextAlignmentRole) {
        const Cell* cell = sheet->cells().cell(row, column);
        // Numbers and dates stand to the right, as spreadsheet applications place them.
        const bool number =
            cell && (cell->kind == Cell::Kind::Number || cell->kind == Cell::Kind::Date);
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role == kLinkRole || role == Qt::ForegroundRole || role == Qt::FontRole) {
        const bool linked = sheet->linkAt(row, column) != nullptr;
        if (role == kLinkRole)
            return linked;
        if (!linked)
            return {};
        if (role == Qt::ForegroundRole)
            return QGuiApplication::palette().brush(QPalette::Link);
        // Only the underline: the grid's own font, zoomed perhaps, gives the rest.
        QFont underlined;
        underlined.setUnderline(true);
        return underlined;
    }
    return {};
}

QVariant SheetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? columnLetters(section + 1) : QVariant(section + 1);
}

QString columnLetters(int column) {
    return cellReference(1, column).chopped(1);
}
