#include "ui/SheetGrid.h"

#include "sheet/DataEdges.h"
#include "ui/SheetTableModel.h"

#include <QColor>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {
constexpr int kMinimumZoom = 50;
constexpr int kMaximumZoom = 200;
constexpr int kZoomStep = 10;
// The line under a frozen row, in pixels.
constexpr int kFrozenEdge = 2;

bool isNavigationKey(int key) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        return false;
    }
}
} // namespace

SheetGrid::SheetGrid(QWidget* parent)
    : QTableView(parent), m_baseRowHeight(22), m_baseFont(font()) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setTabKeyNavigation(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(m_baseRowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setWordWrap(false);
    followLinksIn(this);
}

SheetGrid::~SheetGrid() = default;

void SheetGrid::followLinksIn(QAbstractItemView* view) {
    view->viewport()->setMouseTracking(true);
    connect(view, &QAbstractItemView::entered, view, [view](const QModelIndex& index) {
        if (index.data(SheetTableModel::kLinkRole).toBool())
            view->viewport()->setCursor(Qt::PointingHandCursor);
        else
            view->viewport()->unsetCursor();
    });
    connect(view, &QAbstractItemView::viewportEntered, view,
            [view] { view->viewport()->unsetCursor(); });
    connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (!(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) &&
            index.data(SheetTableModel::kLinkRole).toBool())
            emit linkClicked(index.row() + 1, index.column() + 1);
    });
}

void SheetGrid::setCells(std::weak_ptr<const CellStore> cells) {
    m_cells = std::move(cells);
}

void SheetGrid::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    delete m_columnMarks;
    m_columnMarks = nullptr;
    if (model) {
        m_columnMarks = new QItemSelectionModel(model, this);
        horizontalHeader()->setSelectionModel(m_columnMarks);
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &SheetGrid::markSelectedColumns);
    }
    if (m_frozenRow) {
        m_frozenRow->setModel(model);
        m_frozenRow->setSelectionModel(selectionModel());
        placeFrozenRow();
    }
}

void SheetGrid::markSelectedColumns() {
    if (!m_columnMarks || !model())
        return;
    QItemSelection marks;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        marks.select(model()->index(range.top(), range.left()),
                     model()->index(range.top(), range.right()));
    m_columnMarks->select(marks, QItemSelectionModel::ClearAndSelect);
}

QModelIndex SheetGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    const QAbstractItemModel* shown = model();
    if (!shown || !current.isValid())
        return QTableView::moveCursor(action, modifiers);
    const CellPlace from{current.row() + 1, current.column() + 1};
    const CellPlace limit{shown->rowCount(), shown->columnCount()};
    const auto at = [&](CellPlace place) { return shown->index(place.row - 1, place.column - 1); };
    const bool control = modifiers & Qt::ControlModifier;
    const std::shared_ptr<const CellStore> cells = m_cells.lock();
    switch (action) {
    case MoveHome:
        if (control)
            return at({1, 1});
        return at({from.row, 1});
    case MoveEnd: {
        if (!cells)
            return QTableView::moveCursor(action, modifiers);
        if (control) {
            const CellRange used = cells->usedRange();
            return used.isEmpty() ? at({1, 1}) : at({used.lastRow, used.lastColumn});
        }
        const int last = cells->usedColumns(from.row).second;
        return at({from.row, std::max(1, last)});
    }
    case MoveUp:
    case MoveDown:
    case MoveLeft:
    case MoveRight: {
        if (!control || !cells)
            return QTableView::moveCursor(action, modifiers);
        const Heading heading = action == MoveUp     ? Heading::Up
                                : action == MoveDown ? Heading::Down
                                : action == MoveLeft ? Heading::Left
                                                     : Heading::Right;
        return at(edgeOfData(*cells, from, heading, limit));
    }
    default:
        return QTableView::moveCursor(action, modifiers);
    }
}

QItemSelectionModel::SelectionFlags SheetGrid::selectionCommand(const QModelIndex& index,
                                                                const QEvent* event) const {
    // Ctrl with a key moves as the spreadsheet applications do, and the selection goes along,
    // so that a copy takes the cell the cell bar shows.
    if (event && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (isNavigationKey(key->key())) {
            if (key->modifiers() & Qt::ShiftModifier)
                return QItemSelectionModel::SelectCurrent;
            return QItemSelectionModel::ClearAndSelect;
        }
    }
    return QTableView::selectionCommand(index, event);
}

void SheetGrid::keyPressEvent(QKeyEvent* event) {
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (control && (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal)) {
        setZoom(m_zoom + kZoomStep);
        return;
    }
    if (control && event->key() == Qt::Key_Minus) {
        setZoom(m_zoom - kZoomStep);
        return;
    }
    // Enter goes down, Shift+Enter up: the grid is read, never edited.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const bool up = event->modifiers() & Qt::ShiftModifier;
        QKeyEvent move(QEvent::KeyPress, up ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
        QTableView::keyPressEvent(&move);
        return;
    }
    QTableView::keyPressEvent(event);
}

void SheetGrid::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0)
            setZoom(m_zoom + steps * kZoomStep);
        event->accept();
        return;
    }
    QTableView::wheelEvent(event);
}

void SheetGrid::setZoom(int percent) {
    percent = std::clamp(percent, kMinimumZoom, kMaximumZoom);
    if (percent == m_zoom)
        return;
    const double factor = static_cast<double>(percent) / static_cast<double>(m_zoom);
    m_zoom = percent;
    QFont zoomed = m_baseFont;
    zoomed.setPointSizeF(m_baseFont.pointSizeF() * percent / 100.0);
    setFont(zoomed);
    verticalHeader()->setDefaultSectionSize(m_baseRowHeight * percent / 100);
    // Widths the user or the fitting chose keep their proportion.
    QHeaderView* columns = horizontalHeader();
    m_zooming = true;
    for (int column = 0; column < columns->count(); ++column)
        columns->resizeSection(column, qRound(columns->sectionSize(column) * factor));
    m_zooming = false;
    if (m_frozenRow) {
        zoomFrozenRow();
        placeFrozenRow();
    }
    emit zoomChanged(m_zoom);
}

void SheetGrid::setTopRowFrozen(bool frozen) {
    if (frozen == isTopRowFrozen())
        return;
    if (!frozen) {
        delete m_frozenRow;
        m_frozenRow = nullptr;
        return;
    }
    // A second view of the same cells over the first row, sharing the selection, that scrolls
    // only sideways with the grid.
    m_frozenRow = new QTableView(this);
    m_frozenRow->setObjectName(QStringLiteral("FrozenRow"));
    m_frozenRow->setFocusPolicy(Qt::NoFocus);
    m_frozenRow->horizontalHeader()->hide();
    m_frozenRow->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozenRow->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozenRow->setFrameShape(QFrame::NoFrame);
    // It shares the grid's current cell, which must not scroll it away from the top row.
    m_frozenRow->setAutoScroll(false);
    connect(m_frozenRow->verticalScrollBar(), &QScrollBar::valueChanged, m_frozenRow,
            [frozen = m_frozenRow](int value) {
                if (value != 0)
                    frozen->verticalScrollBar()->setValue(0);
            });
    m_frozenRow->setWordWrap(false);
    m_frozenRow->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The line under the band is a widget of its own: a style sheet on the band would give its
    // row number a font of its own, which the zoom would not reach.
    auto* edge = new QFrame(m_frozenRow);
    edge->setObjectName(QStringLiteral("FrozenRowEdge"));
    edge->setAutoFillBackground(true);
    QPalette grey = edge->palette();
    grey.setColor(QPalette::Window, QColor(0x7a, 0x7a, 0x7a));
    edge->setPalette(grey);
    zoomFrozenRow();
    m_frozenRow->setModel(model());
    if (model())
        m_frozenRow->setSelectionModel(selectionModel());
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, m_frozenRow,
            [this] { followSidewaysScroll(); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, m_frozenRow,
            [this](int column, int, int size) {
                if (m_frozenRow)
                    m_frozenRow->setColumnWidth(column, size);
            });
    connect(m_frozenRow, &QTableView::pressed, this, [this](const QModelIndex& index) {
        setCurrentIndex(index);
        setFocus();
    });
    followLinksIn(m_frozenRow);
    placeFrozenRow();
    m_frozenRow->show();
}

void SheetGrid::zoomFrozenRow() {
    m_frozenRow->setFont(font());
    // A header makes no row lower than its least height: the band keeps the grid's, so that its
    // row is never taller than the grid's at a small zoom.
    QHeaderView* rows = m_frozenRow->verticalHeader();
    rows->setMinimumSectionSize(verticalHeader()->minimumSectionSize());
    rows->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
}

void SheetGrid::followSidewaysScroll() {
    // The grid's header offset rather than its scroll bar's value: scrolled to its end, the grid
    // lines its last column up with its right edge by pixels, which the band, with a viewport
    // and a scroll range of its own, would not do alike.
    m_frozenRow->horizontalHeader()->setOffset(horizontalHeader()->offset());
    m_frozenRow->viewport()->update();
}

void SheetGrid::placeFrozenRow() {
    if (!m_frozenRow)
        return;
    QHeaderView* columns = horizontalHeader();
    for (int column = 0; column < columns->count(); ++column)
        m_frozenRow->setColumnWidth(column, columns->sectionSize(column));
    m_frozenRow->verticalHeader()->setFixedWidth(verticalHeader()->width());
    const int width = viewport()->width() + verticalHeader()->width();
    m_frozenRow->setGeometry(frameWidth(), frameWidth() + columns->height(), width,
                             rowHeight(0) + kFrozenEdge);
    if (auto* edge = m_frozenRow->findChild<QFrame*>(QStringLiteral("FrozenRowEdge"))) {
        edge->setGeometry(0, rowHeight(0), width, kFrozenEdge);
        edge->raise();
    }
    followSidewaysScroll();
}

void SheetGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeFrozenRow();
}

void SheetGrid::updateGeometries() {
    QTableView::updateGeometries();
    placeFrozenRow();
}
