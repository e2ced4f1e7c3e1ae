#pragma once

#include <QAbstractTableModel>

#include <memory>

class Worksheet;

// Shows one sheet in a grid: column letters, row numbers, and each cell as it shows its value,
// a cell with a link in the link colour, underlined, and true for `kLinkRole`.
// Cells are read from the sheet on demand, so a sheet of a million rows costs nothing up front.
// A sheet deleted meanwhile shows as empty until the view is given another.
class SheetTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    // Whether the cell has a link.
    static constexpr int kLinkRole = Qt::UserRole + 1;

    explicit SheetTableModel(std::weak_ptr<const Worksheet> sheet, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Shows at least `rows` rows and `columns` columns, so that a cell beyond the used range
    // and its margin can be gone to.
    void showAtLeast(int rows, int columns);

    // The sheet shown; none once it was deleted.
    std::shared_ptr<const Worksheet> sheet() const { return m_sheet.lock(); }

private:
    std::weak_ptr<const Worksheet> m_sheet;
    int m_rows;
    int m_columns;
};

// The letters of a column, from 1: A, B, ..., Z, AA, ...
QString columnLetters(int column);
