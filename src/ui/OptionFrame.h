#pragma once

#include <QGroupBox>
#include <QRadioButton>

// An option button that a click always selects and never unselects; the frame keeps the pair
// exclusive, so that code can also leave both unselected.
class OptionButton final : public QRadioButton {
    Q_OBJECT
public:
    OptionButton(const QString& caption, QWidget* parent);

    // A locked button takes no clicks and no keys.
    void setLocked(bool locked) { m_locked = locked; }

protected:
    void nextCheckState() override;
    bool event(QEvent* event) override;

private:
    bool m_locked = false;
};

// A frame holding two option buttons that form one group.
class OptionFrame final : public QGroupBox {
    Q_OBJECT
public:
    OptionFrame(const QString& caption, const QString& upperCaption, const QString& lowerCaption,
                QWidget* parent);

    OptionButton* upper() const { return m_upper; }
    OptionButton* lower() const { return m_lower; }

    // Sets a button's value as code does: a change to selected unselects the other button and
    // raises the click; unselecting raises nothing and selects no other button.
    void setValue(OptionButton* button, bool selected);
    // While locked, clicks change neither button.
    void setLocked(bool locked);

signals:
    // A button was clicked by the user or selected by code.
    void optionClicked(OptionButton* button);

private:
    OptionButton* sibling(OptionButton* button) const;

    OptionButton* m_upper;
    OptionButton* m_lower;
};
