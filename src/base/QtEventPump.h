#pragma once

#include "base/ProgressSink.h"

#include <QElapsedTimer>

// Processes the window system's pending events, at most once every interval.
class QtEventPump final : public EventPump
{
public:
    explicit QtEventPump(int intervalMs = 30);
    void Pump() override;
    // Processes events now, whatever the time since the last call.
    void PumpNow();
    // Sleeps in the event dispatcher until an event arrives or maxMs have passed, then processes events.
    void WaitForEvents(int maxMs) override;

private:
    QElapsedTimer m_timer;
    int m_intervalMs;
};
