#include "net/dispatchtimer.h"

#include <algorithm>

DispatchTimer::DispatchTimer(Clock& clock, int intervalMs)
    : m_clock(clock), m_timer(clock, intervalMs), m_interval(intervalMs)
{
    m_timer.onTimer = [this] { fire(); };
}

void DispatchTimer::start()
{
    if (m_timer.isEnabled())
        return;
    const long long wait = m_lastTick < 0 ? 0 : m_lastTick + m_interval - m_clock.now();
    m_timer.setInterval(int(std::clamp<long long>(wait, 0, m_interval)));
    m_timer.start();
}

void DispatchTimer::stop()
{
    m_timer.stop();
}

void DispatchTimer::fire()
{
    m_lastTick = m_clock.now();
    m_timer.setInterval(m_interval);
    if (onTimer)
        onTimer();
}
