#include "net/gametimer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace {

class QtBackend : public TimerBackend {
public:
    explicit QtBackend(std::function<void()> fire)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(fire));
    }
    void start(int intervalMs) override { m_timer.start(intervalMs); }
    void stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

class QtClock : public Clock {
public:
    std::unique_ptr<TimerBackend> createBackend(std::function<void()> fire) override
    {
        return std::make_unique<QtBackend>(std::move(fire));
    }
    long long now() const override { return m_elapsed.elapsed(); }

private:
    QElapsedTimer m_elapsed = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
};

} // namespace

Clock& Clock::system()
{
    static QtClock clock;
    return clock;
}

GameTimer::GameTimer(Clock& clock, int intervalMs)
    : m_backend(clock.createBackend([this] { fire(); })), m_interval(intervalMs)
{
}

GameTimer::~GameTimer() = default;

void GameTimer::setInterval(int ms)
{
    if (ms == m_interval)
        return;
    m_interval = ms;
    if (m_enabled)
        m_backend->start(m_interval);
}

void GameTimer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (on)
        m_backend->start(m_interval);
    else
        m_backend->stop();
}

void GameTimer::fire()
{
    if (m_enabled && onTimer)
        onTimer();
}

class VirtualBackend : public TimerBackend {
public:
    VirtualBackend(VirtualClock* clock, std::function<void()> fire) : m_clock(clock), m_fire(std::move(fire))
    {
        m_clock->m_backends.push_back(this);
    }
    ~VirtualBackend() override
    {
        if (m_clock)
            std::erase(m_clock->m_backends, this);
    }
    void start(int intervalMs) override
    {
        m_interval = std::max(1, intervalMs);
        m_due = m_clock->m_now + std::max(0, intervalMs);
        m_order = m_clock->m_sequence++;
        m_running = true;
    }
    void stop() override { m_running = false; }

    VirtualClock* m_clock;
    std::function<void()> m_fire;
    long long m_due = 0;
    long long m_order = 0;
    int m_interval = 1;
    bool m_running = false;
};

VirtualClock::~VirtualClock()
{
    for (VirtualBackend* backend : m_backends)
        backend->m_clock = nullptr;
}

std::unique_ptr<TimerBackend> VirtualClock::createBackend(std::function<void()> fire)
{
    return std::make_unique<VirtualBackend>(this, std::move(fire));
}

long long VirtualClock::nextDue() const
{
    long long due = -1;
    for (const VirtualBackend* backend : m_backends)
        if (backend->m_running && (due < 0 || backend->m_due < due))
            due = backend->m_due;
    return due;
}

void VirtualClock::advance(long long ms)
{
    const long long target = m_now + ms;
    for (;;) {
        VirtualBackend* next = nullptr;
        for (VirtualBackend* backend : m_backends) {
            if (!backend->m_running || backend->m_due > target)
                continue;
            if (!next || backend->m_due < next->m_due
                || (backend->m_due == next->m_due && backend->m_order < next->m_order))
                next = backend;
        }
        if (!next)
            break;
        m_now = next->m_due;
        next->m_due += next->m_interval;
        next->m_order = m_sequence++;
        next->m_fire();
    }
    m_now = target;
}

bool VirtualClock::advanceUntil(const std::function<bool()>& done, long long limitMs, long long stepMs)
{
    for (long long passed = 0; !done(); passed += stepMs) {
        if (passed >= limitMs)
            return false;
        advance(stepMs);
    }
    return true;
}
