#pragma once
// Every game timer of the program goes through GameTimer. In the program the Qt
// event loop drives it (Clock::system()); in tests a VirtualClock drives it, so a
// whole game plays out in virtual time without waiting.

#include <functional>
#include <memory>
#include <vector>

class GameTimer;

// One running period of one timer, made by a clock.
class TimerBackend {
public:
    virtual ~TimerBackend() = default;
    virtual void start(int intervalMs) = 0; // (re)starts the period from now
    virtual void stop() = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // The clock of the Qt event loop.
    static Clock& system();
    virtual std::unique_ptr<TimerBackend> createBackend(std::function<void()> fire) = 0;
    // Milliseconds since an arbitrary fixed moment; never goes back.
    virtual long long now() const = 0;
};

// A repeating timer with the behaviour of a window timer: it ticks every interval
// while enabled; enabling a running timer keeps its period; a new interval
// restarts the period of a running timer.
class GameTimer {
public:
    explicit GameTimer(Clock& clock = Clock::system(), int intervalMs = 1000);
    ~GameTimer();
    GameTimer(const GameTimer&) = delete;
    GameTimer& operator=(const GameTimer&) = delete;

    void setInterval(int ms);
    int interval() const { return m_interval; }
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    void start() { setEnabled(true); }
    void stop() { setEnabled(false); }

    // Called on every tick.
    std::function<void()> onTimer;

private:
    void fire();

    std::unique_ptr<TimerBackend> m_backend;
    int m_interval;
    bool m_enabled = false;
};

// A clock that only moves when a test advances it. Timers fire in order of their
// due time; timers due at the same moment fire in the order they last started or fired.
class VirtualClock : public Clock {
public:
    VirtualClock() = default;
    ~VirtualClock() override;
    std::unique_ptr<TimerBackend> createBackend(std::function<void()> fire) override;

    // Moves time forward by ms, firing every timer that falls due on the way. A timer
    // started with interval 0 falls due at once and then repeats every millisecond.
    void advance(long long ms);
    // Advances tick by tick until the predicate holds or limitMs have passed; returns the predicate.
    bool advanceUntil(const std::function<bool()>& done, long long limitMs, long long stepMs = 1);
    long long now() const override { return m_now; }
    // The time at which the next enabled timer fires, or -1 when none runs.
    long long nextDue() const;

private:
    friend class VirtualBackend;
    std::vector<class VirtualBackend*> m_backends;
    long long m_now = 0;
    long long m_sequence = 0;
};
