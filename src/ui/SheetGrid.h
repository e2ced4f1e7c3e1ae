#pragma once

#include <QTableView>

#include <memory>

class CellStore;
class QKeyEvent;
class QWheelEvent;

// The grid of the workbook window, moved through with the keys of the spreadsheet
// applications: arrows, Ctrl+arrows to the edge of the data, Ctrl+Home, Ctrl+End to the last
// used cell, Home and End within the row, Page Up and Page Down, Enter and Shift+Enter down and
// up, Tab and Shift+Tab right and left; Shift with any of them extends the selection, and the
// selection always follows the current cell. Ctrl+plus, Ctrl+minus and Ctrl+wheel zoom; the
// top row can be frozen so that it stays in view while the rest scrolls. A cell with a link
// shows a pointing hand, and a click on it (without Shift, which extends the selection) is told.
class SheetGrid final : public QTableView {
    Q_OBJECT
public:
    explicit SheetGrid(QWidget* parent = nullptr);
    ~SheetGrid() override;

    // The cells the keys measure the data by, held only as long as their sheet lives; none
    // leaves the grid's plain moves.
    void setCells(std::weak_ptr<const CellStore> cells);

    void setTopRowFrozen(bool frozen);
    bool isTopRowFrozen() const { return m_frozenRow != nullptr; }

    // The zoom in percent, 50 to 200 in steps of 10.
    int zoom() const { return m_zoom; }
    void setZoom(int percent);
    // Whether the columns are being resized by a zoom, and not by the user.
    bool isZooming() const { return m_zooming; }

    void setModel(QAbstractItemModel* model) override;

signals:
    void zoomChanged(int percent);
    // A cell with a link was clicked; row and column from 1.
    void linkClicked(int row, int column);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;

private:
    // Makes `view`, the grid or its frozen row, show links and tell their clicks.
    void followLinksIn(QAbstractItemView* view);
    // Gives the frozen row the grid's zoom: its font, its number's and its height.
    void zoomFrozenRow();
    // Scrolls the frozen row sideways to where the grid is.
    void followSidewaysScroll();
    void placeFrozenRow();
    // Tells the column header which columns the selection touches, on one row of each range.
    void markSelectedColumns();

    std::weak_ptr<const CellStore> m_cells;
    QTableView* m_frozenRow = nullptr;
    // The column header's own selection: with the grid's, the header would ask after every
    // change whether each column it shows is selected whole, which walks every row of a
    // million-row sheet.
    QItemSelectionModel* m_columnMarks = nullptr;
    int m_zoom = 100;
    bool m_zooming = false;
    int m_baseRowHeight;
    QFont m_baseFont;
};
