// Fair dispatch and chat flood control: one connection's backlog or flood
// delays nobody else's messages.
#include "serverharness.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace proto;

namespace {

const QByteArray T(1, kTerminator);

TEST(FairQueue, ServesTheLanesInTurnKeepsEachLanesOrderAndPurgesOneConnection)
{
    FairQueue queue(3);
    for (const char* text : {"a1", "a2", "a3"})
        queue.push(1, 11, text);
    queue.push(3, 33, "c1");
    queue.push(2, 22, "b1");
    queue.push(3, 33, "c2");
    QByteArray order;
    for (int i = 0; i < 4; ++i)
        order += queue.takeNext()->text + " ";
    EXPECT_EQ(order, "a1 b1 c1 a2 ");
    EXPECT_EQ(queue.size(), 2);
    queue.purge(11);
    EXPECT_EQ(queue.size(), 1);
    EXPECT_EQ(queue.takeNext()->text, "c2");
    EXPECT_FALSE(queue.takeNext());
    EXPECT_TRUE(queue.empty());
}

TEST(ChatLimiter, ABurstPassesThenTheRefillRateAndOnlyASustainedFloodCloses)
{
    using V = ChatLimiter::Verdict;
    ChatLimiter limiter;
    limiter.reset(0);
    for (int i = 0; i < kChatBurst; ++i)
        EXPECT_EQ(limiter.take(0), V::Relay) << i;
    EXPECT_EQ(limiter.take(0), V::Drop);
    int relayed = 0;
    for (long long t = 1; t <= 1000; ++t)
        relayed += limiter.take(t) == V::Relay;
    EXPECT_EQ(relayed, kChatRefillPerSecond);

    // Bursts with pauses between them are never closed.
    limiter.reset(10'000);
    for (long long t = 10'000; t < 100'000; t += 50)
        ASSERT_NE(limiter.take(t % 5000 < 1500 ? t : t - t % 5000), V::Close) << t;

    // Four messages a second, one over the rate: closed once that lasted 10 s.
    limiter.reset(0);
    long long closedAt = -1;
    for (long long t = 0; t < 60'000 && closedAt < 0; t += 250)
        if (limiter.take(t) == V::Close)
            closedAt = t;
    EXPECT_GE(closedAt, kSustainedFloodMs);
    EXPECT_LE(closedAt, kSustainedFloodMs + 15'000);
    EXPECT_TRUE(isRelayedMessage("CMD_playasound+3+wave+2"));
    EXPECT_TRUE(isRelayedMessage("CMD_action+3+waves"));
    EXPECT_FALSE(isRelayedMessage("CMD_selectletter+3+5"));
    EXPECT_FALSE(isRelayedMessage("CMD_chatter+3+x"));
}

// Two seats pick letters while one connection floods chat and one keeps a
// backlog of junk messages just below the queue bound.
TEST(FairDispatch, HonestPicksPassFloodsWithinAFewTicksAndASustainedChatFlooderIsClosed)
{
    ServerHarness h(sameWordEverywhere("abcdefghijklmnopqrstuvwxyz"));
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    FakePeer& flooder = h.join("Flo");
    FakePeer& junk = h.join("Junk");
    h.startGame(host, "5000", "60");
    h.send(host, msg::justWatch(flooder.slot, 1)); // the computer plays their seats
    h.send(host, msg::justWatch(junk.slot, 1));
    ann.take();

    // Busy connections at once: the picker, the flooder and the junk sender.
    constexpr long long kPickBound = 3 * kDispatchIntervalMs;
    constexpr long long kFloodMs = 15'000;
    const long long start = h.clock.now();
    QByteArray junkBurst;
    for (int i = 0; i < 200; ++i)
        junkBurst += "CMD_nonsense+4+" + QByteArray::number(i) + T;
    h.deliver(junk, junkBurst);

    int picks = 0;
    long long slowest = 0;
    long long closedAfter = -1;
    int chatRelayed = 0;
    int pickedLetter = 0;
    long long pickedAt = 0;
    for (long long t = 0; t < kFloodMs; t += 1) {
        const long long now = h.clock.now();
        if (t % 100 == 0 && h.server.slot(flooder.slot).connected) {
            QByteArray burst;
            for (int i = 0; i < 20; ++i)
                burst += msg::chat(flooder.slot, "spam", "clRed");
            h.deliver(flooder, burst);
            if (!h.server.slot(flooder.slot).connected && closedAfter < 0)
                closedAfter = now - start;
        }
        if (t % 100 == 50 && h.server.slot(junk.slot).connected)
            h.deliver(junk, "CMD_nonsense+4+a" + T + "CMD_nonsense+4+b" + T + "CMD_nonsense+4+c" + T);
        const int seat = h.server.currentSeat();
        if (pickedLetter == 0 && h.server.state() == EngineState::AwaitingLetter && (seat == 1 || seat == 2)) {
            pickedLetter = 1;
            while (h.server.letterUsed(pickedLetter))
                ++pickedLetter;
            pickedAt = now;
            h.deliver(seat == 1 ? host : ann, msg::selectLetter(seat, pickedLetter));
        }
        h.clock.advance(1);
        if (pickedLetter != 0 && h.server.letterUsed(pickedLetter)) {
            slowest = std::max(slowest, h.clock.now() - pickedAt);
            ++picks;
            pickedLetter = 0;
        }
        for (const QByteArray& m : ann.take())
            chatRelayed += m.startsWith("CMD_chat+" + QByteArray::number(flooder.slot) + "+");
    }
    EXPECT_GE(picks, 20);
    EXPECT_LE(slowest, kPickBound) << "an honest pick waited behind somebody else's messages";
    EXPECT_TRUE(h.server.slot(junk.slot).connected); // a backlog below the bound is allowed
    EXPECT_GE(closedAfter, kSustainedFloodMs);
    EXPECT_LE(closedAfter, kSustainedFloodMs + 1000);
    EXPECT_EQ(flooder.closeCalls, 1);
    EXPECT_GE(chatRelayed, kChatBurst);
    EXPECT_LE(chatRelayed, kChatBurst + kChatRefillPerSecond * (closedAfter / 1000 + 1));
}

// The host and a guest flood the chat side by side for 30 s: both are thinned to the
// same allowance, only the guest is closed, and the host's game goes on.
TEST(FloodControl, TheHostsLinesAreThinnedLikeAnyonesButItsConnectionStaysOpen)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    FakePeer& flooder = h.join("Flo");
    h.startGame(host, "5000", "60");
    ann.take();

    constexpr long long kFloodMs = 30'000;
    const QByteArray fromHost = "CMD_chat+" + QByteArray::number(host.slot) + "+";
    const QByteArray fromFlooder = "CMD_chat+" + QByteArray::number(flooder.slot) + "+";
    int hostRelayed = 0;
    int flooderRelayed = 0;
    for (long long t = 0; t < kFloodMs; t += 100) {
        QByteArray hostBurst;
        QByteArray flooderBurst;
        for (int i = 0; i < 20; ++i) {
            hostBurst += msg::chat(host.slot, "spam", "clRed");
            flooderBurst += msg::chat(flooder.slot, "spam", "clRed");
        }
        h.deliver(host, hostBurst);
        if (h.server.slot(flooder.slot).connected)
            h.deliver(flooder, flooderBurst);
        h.clock.advance(100);
        for (const QByteArray& m : ann.take()) {
            hostRelayed += m.startsWith(fromHost);
            flooderRelayed += m.startsWith(fromFlooder);
        }
    }
    EXPECT_FALSE(h.server.slot(flooder.slot).connected);
    EXPECT_EQ(flooder.closeCalls, 1);
    EXPECT_GE(flooderRelayed, kChatBurst);
    EXPECT_LE(flooderRelayed, kChatBurst + kChatRefillPerSecond * (kSustainedFloodMs / 1000 + 2));

    EXPECT_TRUE(h.server.slot(host.slot).connected);
    EXPECT_EQ(host.closeCalls, 0);
    EXPECT_TRUE(h.server.gameRunning());
    const int allowance = kChatBurst + kChatRefillPerSecond * int(kFloodMs / 1000);
    EXPECT_GE(hostRelayed, allowance - kChatRefillPerSecond);
    EXPECT_LE(hostRelayed, allowance + 1);

    // Once the host is quiet again his lines pass as before.
    h.clock.advance(5'000);
    ann.take();
    h.send(host, msg::chat(host.slot, "sorry", "clRed"));
    const QList<QByteArray> after = ann.take();
    EXPECT_EQ(std::count_if(after.begin(), after.end(), [&](const QByteArray& m) { return m.startsWith(fromHost); }), 1);
}

} // namespace
