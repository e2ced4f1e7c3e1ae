#include "ui/ControlLock.h"

#include <QEvent>

bool dropWhileLocked(bool locked, QEvent& event) {
    if (!locked)
        return false;
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        event.accept();
        return true;
    default:
        return false;
    }
}
