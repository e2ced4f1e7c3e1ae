#pragma once

#include <QElapsedTimer>

// Lets pending window events run during a long loop, often enough for the window to stay
// responsive but not on every step, which would cost more than the loop's own work.
class EventPump {
public:
    EventPump();

    // Processes pending events when some time has passed since they last ran.
    void pump();

private:
    QElapsedTimer m_sinceLastPump;
};
