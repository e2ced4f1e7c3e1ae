#pragma once

#include <QCheckBox>

// A check box that, while locked, takes no clicks and no keys, yet is not greyed out.
class LockableCheckBox final : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

    void setLocked(bool locked) { m_locked = locked; }

protected:
    bool event(QEvent* event) override;

private:
    bool m_locked = false;
};
