#include "platform/EventPump.h"

#include <QCoreApplication>

namespace {
constexpr qint64 kIntervalMs = 15;
}

EventPump::EventPump() {
    m_sinceLastPump.start();
}

void EventPump::pump() {
    if (m_sinceLastPump.elapsed() < kIntervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceLastPump.restart();
}
