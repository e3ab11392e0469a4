#include "net/dispatchtimer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A queue of n messages drained by a 10 ms dispatch timer; records tick times.
struct Drain {
    VirtualClock clock;
    DispatchTimer timer{clock, 10};
    int waiting = 0;
    std::vector<long long> ticks;

    Drain()
    {
        timer.onTimer = [this] {
            ticks.push_back(clock.now());
            if (--waiting == 0)
                timer.stop();
        };
    }
    void arrive(int count)
    {
        waiting += count;
        timer.start();
    }
};

TEST(DispatchTimer, AQuietQueueIsServedAtOnceAndABurstOncePerInterval)
{
    Drain d;
    d.clock.advance(100);
    d.arrive(3);
    EXPECT_TRUE(d.ticks.empty()); // never inside the caller
    d.clock.advance(0);
    EXPECT_EQ(d.ticks, (std::vector<long long>{100}));
    d.clock.advance(50);
    EXPECT_EQ(d.ticks, (std::vector<long long>{100, 110, 120}));
    EXPECT_FALSE(d.timer.isEnabled());
    EXPECT_EQ(d.timer.lastTick(), 120);

    d.ticks.clear();
    d.arrive(1); // at 150, a whole interval after the last tick: at once
    d.clock.advance(4);
    EXPECT_EQ(d.ticks, (std::vector<long long>{150}));
    d.arrive(2); // at 154, 4 ms after a tick: at the end of that interval
    d.clock.advance(5);
    EXPECT_EQ(d.ticks.size(), 1u);
    d.clock.advance(20);
    EXPECT_EQ(d.ticks, (std::vector<long long>{150, 160, 170}));
}

TEST(DispatchTimer, StartingARunningTimerKeepsItsPeriod)
{
    Drain d;
    d.arrive(5);
    d.clock.advance(15); // ticks at 0 and 10
    d.arrive(0);
    d.clock.advance(4);
    EXPECT_EQ(d.ticks, (std::vector<long long>{0, 10}));
    d.clock.advance(1);
    EXPECT_EQ(d.ticks, (std::vector<long long>{0, 10, 20}));
}

} // namespace
