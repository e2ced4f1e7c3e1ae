#include "ui/LockableCheckBox.h"

#include "ui/ControlLock.h"

bool LockableCheckBox::event(QEvent* event) {
    return dropWhileLocked(m_locked, *event) || QCheckBox::event(event);
}
