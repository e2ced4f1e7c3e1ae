#include "base/EventPump.h"

#include <QCoreApplication>

namespace {
constexpr qint64 kIntervalMs = 15;
}

EventPump::EventPump() = default;

void EventPump::pump() {
    // The first call always lets events run, so even a short loop answers what is pending.
    if (m_sinceLastPump.isValid() && m_sinceLastPump.elapsed() < kIntervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceLastPump.start();
}
