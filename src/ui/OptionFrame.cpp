#include "ui/OptionFrame.h"

#include "ui/ControlLock.h"

OptionButton::OptionButton(const QString& caption, QWidget* parent)
    : QRadioButton(caption, parent) {
    setAutoExclusive(false);
}

void OptionButton::nextCheckState() {
    setChecked(true);
}

bool OptionButton::event(QEvent* event) {
    return dropWhileLocked(m_locked, *event) || QRadioButton::event(event);
}

OptionFrame::OptionFrame(const QString& caption, const QString& upperCaption,
                         const QString& lowerCaption, QWidget* parent)
    : QGroupBox(caption, parent), m_upper(new OptionButton(upperCaption, this)),
      m_lower(new OptionButton(lowerCaption, this)) {
    for (OptionButton* button : {m_upper, m_lower}) {
        connect(button, &QAbstractButton::toggled, this, [this, button](bool checked) {
            if (checked)
                sibling(button)->setChecked(false);
        });
        connect(button, &QAbstractButton::clicked, this,
                [this, button] { emit optionClicked(button); });
    }
}

void OptionFrame::setValue(OptionButton* button, bool selected) {
    if (button->isChecked() == selected)
        return;
    button->setChecked(selected);
    if (selected)
        emit optionClicked(button);
}

void OptionFrame::setLocked(bool locked) {
    m_upper->setLocked(locked);
    m_lower->setLocked(locked);
}

OptionButton* OptionFrame::sibling(OptionButton* button) const {
    return button == m_upper ? m_lower : m_upper;
}
