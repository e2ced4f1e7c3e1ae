#include "ui/SheetList.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QSortFilterProxyModel>
#include <QStringListModel>
#include <QVBoxLayout>

SheetList::SheetList(QWidget* parent)
    : QWidget(parent), m_filter(new QLineEdit), m_list(new QListView),
      m_names(new QStringListModel(this)), m_shown(new QSortFilterProxyModel(this)) {
    m_filter->setObjectName(QStringLiteral("SheetFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Find a sheet"));
    m_filter->setClearButtonEnabled(true);
    m_list->setObjectName(QStringLiteral("SheetList"));
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_shown->setSourceModel(m_names);
    m_shown->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_list->setModel(m_shown);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_filter);
    layout->addWidget(m_list, 1);

    connect(m_filter, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_shown->setFilterFixedString(text); });
    // Enter in the filter takes the first sheet it lets through.
    connect(m_filter, &QLineEdit::returnPressed, this, [this] { chooseRow(0); });
    connect(m_list, &QListView::activated, this,
            [this](const QModelIndex& index) { chooseRow(index.row()); });
    connect(m_list, &QListView::clicked, this,
            [this](const QModelIndex& index) { chooseRow(index.row()); });
}

void SheetList::setSheets(const QStringList& names, int active) {
    if (m_names->stringList() != names)
        m_names->setStringList(names);
    setActive(active);
}

void SheetList::setActive(int index) {
    const QModelIndex shown = m_shown->mapFromSource(m_names->index(index - 1));
    m_list->setCurrentIndex(shown);
    if (shown.isValid())
        m_list->scrollTo(shown);
}

void SheetList::chooseRow(int shownRow) {
    const QModelIndex source = m_shown->mapToSource(m_shown->index(shownRow, 0));
    if (source.isValid())
        emit sheetChosen(source.row() + 1);
}
