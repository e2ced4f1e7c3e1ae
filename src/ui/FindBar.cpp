#include "ui/FindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
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
    close->setObjectName(QStringLiteral("CloseFind"));

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
    connect(close, &QPushButton::clicked, this, &FindBar::dismiss);
    connect(m_text, &QLineEdit::textChanged, this, [this] { showNotFound(false); });
}

void FindBar::open() {
    show();
    m_text->setFocus();
    m_text->selectAll();
}

void FindBar::dismiss() {
    hide();
    emit dismissed();
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    // Esc reaches the bar from its text, box and buttons, none of which takes it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
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
