#include "ui/SheetTabs.h"

#include <QScrollBar>
#include <QStringListModel>

SheetTabs::SheetTabs(QWidget* parent) : QListView(parent), m_names(new QStringListModel(this)) {
    setModel(m_names);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setMovement(QListView::Static);
    // Laying out twenty thousand styled tabs in one go holds the window up for over 100 ms.
    setLayoutMode(QListView::Batched);
    setBatchSize(500);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    // Tabs never take the keys from the grid.
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral(
        "QListView { background: palette(window); }"
        "QListView::item { border: 1px solid palette(mid); border-top: none; padding: 2px 10px;"
        " background: palette(button); color: palette(button-text); }"
        "QListView::item:selected { background: palette(base); color: palette(text);"
        " font-weight: bold; }"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { emit currentTabChanged(current.row()); });
    connect(this, &QListView::clicked, this,
            [this](const QModelIndex& index) { setCurrentIndex(index.row()); });
}

void SheetTabs::setNames(const QStringList& names) {
    if (m_names->stringList() == names)
        return;
    const int current = currentIndex();
    const QSignalBlocker quiet(this);
    m_names->setStringList(names);
    if (current >= 0 && current < names.size())
        QListView::setCurrentIndex(m_names->index(current));
}

void SheetTabs::bringCurrentIntoView() {
    const QModelIndex current = QListView::currentIndex();
    m_currentAwaitsLayout = current.isValid() && !visualRect(current).isValid();
    if (current.isValid() && !m_currentAwaitsLayout)
        scrollTo(current);
}

void SheetTabs::updateGeometries() {
    QListView::updateGeometries();
    // The last batch of a layout ends here.
    if (m_currentAwaitsLayout)
        bringCurrentIntoView();
}

int SheetTabs::count() const {
    return m_names->rowCount();
}

QString SheetTabs::tabText(int index) const {
    return m_names->index(index).data().toString();
}

int SheetTabs::currentIndex() const {
    return QListView::currentIndex().row();
}

void SheetTabs::setCurrentIndex(int index) {
    const QModelIndex tab = m_names->index(index);
    QListView::setCurrentIndex(tab);
    bringCurrentIntoView();
}

QSize SheetTabs::sizeHint() const {
    // One row of tabs and the scroll bar under them.
    const int row = fontMetrics().height() + 8;
    return {QListView::sizeHint().width(), row + horizontalScrollBar()->sizeHint().height()};
}

QSize SheetTabs::minimumSizeHint() const {
    return {0, sizeHint().height()};
}
