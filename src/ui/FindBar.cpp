#include "ui/FindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FindBar::FindBar(QWidget* parent)
    : QWidget(parent), m_text(new QLineEdit),
      m_allSheets(new QCheckBox(QStringLiteral("All sheets"))), m_status(new QLabel) {
    m_text->setObjectName(QStringLiteral("FindText"));
    m_text->setPlaceholderText(QStringLiteral("Find"));
    m_text->setClearButtonEnabled(true);
    m_allSheets->setObjectName(QStringLiteral("FindInAllSheets"));
    m_status->setObjectName(QStringLiteral("FindStatus"));
    auto* next = new QPushButton(QStringLiteral("Find Next"));
    auto* close = new QPushButton(QStringLiteral("Close"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(QStringLiteral("Find:")));
    layout->addWidget(m_text, 1);
    layout->addWidget(m_allSheets);
    layout->addWidget(next);
    layout->addWidget(m_status);
    layout->addWidget(close);

    connect(m_text, &QLineEdit::returnPressed, this, &FindBar::findNext);
    connect(next, &QPushButton::clicked, this, &FindBar::findNext);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_text, &QLineEdit::textChanged, this, [this] { showNotFound(false); });
}

void FindBar::open() {
    show();
    m_text->setFocus();
    m_text->selectAll();
}

QString FindBar::text() const {
    return m_text->text();
}

bool FindBar::inAllSheets() const {
    return m_allSheets->isChecked();
}

void FindBar::showNotFound(bool notFound) {
    m_status->setText(notFound ? QStringLiteral("Not found") : QString());
}
