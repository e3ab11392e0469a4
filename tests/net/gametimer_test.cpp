#include "net/gametimer.h"

#include <gtest/gtest.h>

#include <string>

TEST(VirtualClock, FiresTimersInOrderOfDueTime)
{
    VirtualClock clock;
    std::string log;
    GameTimer fast(clock, 10), slow(clock, 25);
    fast.onTimer = [&] { log += 'f'; };
    slow.onTimer = [&] { log += 's'; };
    fast.start();
    slow.start();
    clock.advance(50);
    EXPECT_EQ(log, "ffsffsf"); // 10 20 25 30 40, then both at 50: the one waiting longest first
    EXPECT_EQ(clock.now(), 50);
}

TEST(VirtualClock, EnablingKeepsThePeriodAndANewIntervalRestartsIt)
{
    VirtualClock clock;
    int ticks = 0;
    GameTimer timer(clock, 1000);
    timer.onTimer = [&] { ++ticks; };
    timer.start();
    clock.advance(600);
    timer.start(); // already running: period kept
    clock.advance(400);
    EXPECT_EQ(ticks, 1);
    clock.advance(600);
    timer.setInterval(1500); // restarts from now (1600)
    clock.advance(1400);
    EXPECT_EQ(ticks, 1);
    clock.advance(100);
    EXPECT_EQ(ticks, 2);
}

TEST(VirtualClock, ATimerStoppedFromAnotherTimersTickDoesNotFire)
{
    VirtualClock clock;
    GameTimer first(clock, 100), second(clock, 100);
    int secondTicks = 0;
    first.onTimer = [&] { second.stop(); };
    second.onTimer = [&] { ++secondTicks; };
    first.start();
    second.start();
    clock.advance(1000);
    EXPECT_EQ(secondTicks, 0);
    EXPECT_EQ(clock.nextDue(), 1100);
}

TEST(VirtualClock, AdvanceUntilStopsWhenDone)
{
    VirtualClock clock;
    GameTimer timer(clock, 7);
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    timer.start();
    EXPECT_TRUE(clock.advanceUntil([&] { return ticks == 3; }, 1000));
    EXPECT_EQ(clock.now(), 21);
    EXPECT_FALSE(clock.advanceUntil([&] { return ticks == 1000; }, 70));
}
