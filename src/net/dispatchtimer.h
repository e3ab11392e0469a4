#pragma once
// The timer that drives a received queue: it ticks at most once per interval,
// but its first tick after a rest comes at once (on the next turn of the event
// loop, never inside the caller) when the last tick is at least one interval
// ago, and otherwise when that interval ends. So a message that arrives into a
// quiet queue is dispatched without waiting for a tick, and a burst is still
// worked off one message per interval.

#include "net/gametimer.h"

#include <functional>

class DispatchTimer {
public:
    DispatchTimer(Clock& clock, int intervalMs);
    DispatchTimer(const DispatchTimer&) = delete;
    DispatchTimer& operator=(const DispatchTimer&) = delete;

    // Schedules the next tick if none is; a running timer keeps its period.
    void start();
    // Ends the ticking until the next start().
    void stop();
    bool isEnabled() const { return m_timer.isEnabled(); }
    int interval() const { return m_interval; }
    // Clock time of the last tick, or -1 before the first.
    long long lastTick() const { return m_lastTick; }

    // Called on every tick.
    std::function<void()> onTimer;

private:
    void fire();

    Clock& m_clock;
    GameTimer m_timer;
    int m_interval;
    long long m_lastTick = -1;
};
