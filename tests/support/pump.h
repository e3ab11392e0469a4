#pragma once
// Runs the event loop and a virtual clock together, as tests of whole windows need.

#include "net/gametimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

// Processes events and advances the clock by stepMs at a time until done() holds;
// false once realLimitMs of real time have passed without it.
inline bool pump(VirtualClock& clock, const std::function<bool()>& done, int realLimitMs = 20000, int stepMs = 20)
{
    QElapsedTimer real;
    real.start();
    while (!done()) {
        if (real.elapsed() > realLimitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        clock.advance(stepMs);
    }
    return true;
}
