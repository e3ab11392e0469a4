// Connections, login, relays, just watch, kickPlayer and clean-up, with the
// connection-bound checks and the input and output bounds.
#include "serverharness.h"

#include <gtest/gtest.h>

using namespace proto;

namespace {

const QByteArray T(1, kTerminator);

TEST(Roster, SlotsAreHandedOutInOrderAndAFreedSlotIsReusedWithItsScore)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& second = h.join("Ann");
    FakePeer& third = h.join("Bob");
    EXPECT_EQ(host.slot, 1);
    EXPECT_EQ(second.slot, 2);
    EXPECT_EQ(third.slot, 3);
    EXPECT_EQ(host.take().first(), "CMD_sendlogininfo+1");

    h.startGame(host);
    h.send(second, msg::justWatch(2, 1)); // the computer plays for slot 2
    ASSERT_TRUE(h.until([&] { return h.server.score(2) > 0; }));

    // The seat is kept for Ann a while; once that has run out, a newcomer takes it with its score.
    h.server.closed(&second);
    EXPECT_FALSE(h.server.slot(2).connected);
    EXPECT_TRUE(h.server.slot(2).name.isEmpty());
    h.clock.advance(kSeatHoldMs);
    const int kept = h.server.score(2);
    FakePeer& newcomer = h.connect();
    EXPECT_EQ(newcomer.slot, 2);
    EXPECT_EQ(h.server.score(2), kept);
    EXPECT_EQ(h.server.slotsInUse(), 3);
}

TEST(Roster, TheTenthConnectionGetsFullAndIsClosed)
{
    ServerHarness h;
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(h.join("P" + QByteArray::number(i)).slot, i);
    for (auto& peer : h.peers)
        peer->take();
    FakePeer& tenth = h.connect();
    EXPECT_EQ(tenth.slot, 0);
    EXPECT_EQ(tenth.take(), QList<QByteArray>{"CMD_full+"});
    EXPECT_EQ(tenth.closeCalls, 1);
    EXPECT_EQ(h.server.slotsInUse(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_TRUE(h.server.slot(i + 1).connected);
        EXPECT_TRUE(h.peers[i]->take().isEmpty());
    }
}

TEST(Roster, LoginAnnouncesTellsTheNewcomerWhoIsThereAndChecksTheVersion)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& silent = h.connect(); // slot 2, not logged in yet: nobody hears of it, it hears nothing
    host.take();
    silent.take();
    FakePeer& odd = h.join("Odd+One", "1.0.5");
    EXPECT_EQ(odd.take(), (QList<QByteArray>{"CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Odd+One",
                                             "CMD_existingplayers+1+You", "CMD_wrongversion+"}));
    EXPECT_EQ(host.take(), (QList<QByteArray>{"CMD_newplayerinfo+3+Odd+One", "CMD_havewrongversion+Odd+One"}));
    EXPECT_TRUE(silent.take().isEmpty());
    EXPECT_TRUE(h.server.slot(3).connected);
}

TEST(Roster, ALatecomerIsBroughtUpToDateInOrder)
{
    ServerHarness h(sameWordEverywhere("baker's dozen"));
    FakePeer& host = h.join("You");
    h.startGame(host, "50", "20");
    ASSERT_TRUE(h.until([&] {
        for (int letter = 1; letter <= kLetterCount; ++letter)
            if (h.server.letterUsed(letter))
                return true;
        return false;
    }));
    FakePeer& late = h.join("Late");
    const QList<QByteArray> got = late.take();
    ASSERT_EQ(got.size(), 5);
    EXPECT_EQ(got[0], "CMD_sendlogininfo+2");
    EXPECT_EQ(got[1], "CMD_newplayerinfo+2+Late");
    EXPECT_EQ(got[2], "CMD_existingplayers+1+You");
    const QList<QByteArray> stats = fieldsOf(got[3]);
    ASSERT_EQ(stats.size(), 17);
    EXPECT_EQ(stats[0], "CMD_gamestats");
    EXPECT_EQ(stats[1], "2");
    EXPECT_EQ(stats[2], QByteArray::number(h.server.currentSeat()));
    EXPECT_EQ(stats[3], "50");
    EXPECT_EQ(stats[4], "20");
    EXPECT_EQ(stats[6], "f");
    EXPECT_EQ(stats[7], h.server.mask());
    EXPECT_EQ(stats[10], "0");
    EXPECT_EQ(stats[11], QByteArray::number(h.server.score(2)));
    EXPECT_EQ(stats[16], "");
    EXPECT_TRUE(got[4].startsWith("CMD_markletters+2+"));
}

TEST(Roster, NoLettersMeansNoMarkletters)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    h.startGame(host, "50", "20", false, true); // awaiting the category: no letter used yet
    FakePeer& late = h.join("Late");
    EXPECT_EQ(late.takeNames().last(), "CMD_gamestats");
}

TEST(Roster, RelaysArePassedOnByteExact)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    host.take();
    ann.take();
    h.send(ann, "CMD_chat+2+hi + there|clBlack" + T);
    h.send(ann, "CMD_action+2+waves|$00FF00FF" + T);
    h.send(ann, "CMD_playasound+2+wave7+" + T);
    const QList<QByteArray> expected = {"CMD_chat+2+Ann chats: hi + there|clBlack",
                                        "CMD_action+2+Ann waves|$00FF00FF", "CMD_playasound+2+wave7+"};
    EXPECT_EQ(host.take(), expected);
    EXPECT_EQ(ann.take(), expected);
}

TEST(Roster, OnlyTheHostKicksAndTheDoubleSocketClosedChangesNothingTheSecondTime)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    FakePeer& bob = h.join("Bob");
    h.send(ann, msg::kickHim(2, 3));
    h.send(ann, msg::kickHim(1, 3)); // written as the host, but from slot 2's connection
    EXPECT_TRUE(h.server.slot(3).connected);
    host.take();
    ann.take();

    h.send(host, msg::kickHim(1, 3));
    EXPECT_FALSE(h.server.slot(3).connected);
    EXPECT_EQ(bob.closeCalls, 1);
    EXPECT_EQ(host.take(), QList<QByteArray>{"CMD_playerdisconnected+3+Bob"});
    EXPECT_EQ(ann.take(), QList<QByteArray>{"CMD_playerdisconnected+3+Bob"});

    h.server.closed(&bob);
    h.server.closed(&bob);
    EXPECT_TRUE(host.take().isEmpty());
    EXPECT_TRUE(ann.take().isEmpty());
}

TEST(Roster, LeavingDuringTheOwnTurnPassesItExceptForSlotOne)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    h.startGame(host, "200", "30");
    ASSERT_TRUE(h.until([&] { return h.server.state() == EngineState::AwaitingLetter && h.server.currentSeat() == 2; }));
    host.take();
    h.server.closed(&ann);
    h.server.closed(&ann);
    EXPECT_EQ(host.takeNames(), (QList<QByteArray>{"CMD_playerdisconnected", "CMD_nextplayer"}));
    EXPECT_EQ(h.server.currentSeat(), 1);

    ASSERT_TRUE(h.until([&] { return h.server.state() == EngineState::AwaitingLetter && h.server.currentSeat() == 1; }));
    h.server.closed(&host);
    EXPECT_EQ(h.server.currentSeat(), 1);
}

TEST(Roster, JustWatchIsTakenForTheOwnSeatOrFromTheHostAndOnlyForAConnectedSeatInAGame)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    h.send(ann, msg::justWatch(2, 1));
    EXPECT_FALSE(h.server.slot(2).watching); // no game yet
    h.send(ann, msg::justWatch(2, 2));
    EXPECT_EQ(ann.takeNames().last(), "CMD_justwatching"); // state 2 always answers

    h.startGame(host, "200", "30", false, true);
    h.send(ann, msg::justWatch(1, 1)); // another seat, not from the host
    EXPECT_FALSE(h.server.slot(1).watching);
    h.send(ann, msg::justWatch(2, 1));
    EXPECT_TRUE(h.server.slot(2).watching);
    h.send(host, msg::justWatch(2, 2));
    EXPECT_FALSE(h.server.slot(2).watching);
    h.send(host, msg::justWatch(2, 1));
    EXPECT_TRUE(h.server.slot(2).watching);
    h.send(host, msg::justWatch(4, 1)); // nobody at seat 4
    EXPECT_FALSE(h.server.slot(4).watching);
    h.send(host, msg::justWatch(7, 1));

    h.server.closed(&ann);
    EXPECT_FALSE(h.server.slot(2).watching);
    FakePeer& back = h.join("Ann");
    EXPECT_EQ(back.slot, 2);
    EXPECT_FALSE(h.server.slot(2).watching);
    EXPECT_FALSE(h.server.isComputerPlayed(2));
}

TEST(Roster, MessagesAreBoundToTheirConnection)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    host.take();
    h.send(ann, "CMD_chat+1+I am the host|clRed" + T);
    h.send(ann, "CMD_playasound+1+wave2+" + T);
    h.send(ann, msg::loginInfo(1, kVersion, "Thief"));
    h.send(ann, msg::startGame("Ann", "50", "10", false, false));
    EXPECT_TRUE(host.take().isEmpty());
    EXPECT_EQ(h.server.slot(1).name, "You");
    EXPECT_FALSE(h.server.gameRunning());

    h.send(ann, msg::loginInfo(2, kVersion, "Renamed")); // a second login is ignored
    EXPECT_EQ(h.server.slot(2).name, "Ann");

    // Nobody chooses or picks for another seat.
    h.startGame(host, "50", "30", false, true);
    const int chooser = h.server.currentSeat();
    FakePeer& other = chooser == 1 ? ann : host;
    h.send(other, msg::chooseCat(chooser, 2));
    EXPECT_EQ(h.server.state(), EngineState::AwaitingCategory);
    h.send(chooser == 1 ? host : ann, msg::chooseCat(chooser, 2));
    const int guesser = h.server.currentSeat();
    h.send(guesser == 1 ? ann : host, msg::selectLetter(guesser, 1));
    EXPECT_FALSE(h.server.letterUsed(1));
    h.send(guesser == 1 ? host : ann, msg::selectLetter(guesser, 1));
    EXPECT_TRUE(h.server.letterUsed(1));

    // A message still queued when its connection closes is dropped, even once
    // its player holds the slot again.
    h.deliver(ann, "CMD_chat+2+late|clRed" + T);
    h.server.closed(&ann);
    host.take();
    FakePeer& back = h.join("Ann");
    ASSERT_EQ(back.slot, 2);
    EXPECT_EQ(host.take(), QList<QByteArray>{"CMD_newplayerinfo+2+Ann"});
}

TEST(Roster, BotSpeedIsTakenOnlyFromTheHost)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    h.send(ann, msg::botSpeed(2, 1000));
    EXPECT_EQ(h.server.botSpeedSource(), kDefaultBotSpeedMs);
    h.send(host, msg::botSpeed(1, 1000));
    EXPECT_EQ(h.server.botSpeedSource(), 1000);
    h.send(host, msg::botSpeed(1, -5));
    EXPECT_EQ(h.server.botSpeedSource(), 1000);
}

TEST(Roster, AFloodClosesOnlyTheFloodingConnection)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    FakePeer& bob = h.join("Bob");
    host.take();

    QByteArray burst; // not chat, which flood control would thin out before it is queued
    for (int i = 0; i <= kMaxQueuedMessages; ++i)
        burst += "CMD_justwatch+2+0" + T;
    h.deliver(ann, burst);
    EXPECT_FALSE(h.server.slot(2).connected);
    EXPECT_EQ(ann.closeCalls, 1);
    EXPECT_EQ(h.server.queuedMessages(), 0); // its messages left the queue with it

    h.deliver(bob, QByteArray(kMaxPendingBytes + 1, 'x'));
    EXPECT_FALSE(h.server.slot(3).connected);

    h.send(host, "CMD_chat+1+still here|clRed" + T);
    EXPECT_EQ(host.takeNames(), (QList<QByteArray>{"CMD_playerdisconnected", "CMD_playerdisconnected", "CMD_chat"}));

    // Exactly the bound is still fine.
    FakePeer& carol = h.join("Carol");
    QByteArray full;
    for (int i = 0; i < kMaxQueuedMessages; ++i)
        full += "CMD_justwatch+" + QByteArray::number(carol.slot) + "+0" + T;
    h.deliver(carol, full);
    EXPECT_TRUE(h.server.slot(carol.slot).connected);
}

TEST(Roster, AFailingPeerIsClosedAndTheBroadcastGoesOn)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    FakePeer& bob = h.join("Bob");
    host.take();
    bob.take();
    ann.failSend = true;
    h.send(host, "CMD_chat+1+hello|clRed" + T);
    EXPECT_FALSE(h.server.slot(2).connected);
    EXPECT_EQ(bob.take(), (QList<QByteArray>{"CMD_chat+1+You chats: hello|clRed", "CMD_playerdisconnected+2+Ann"}));
    EXPECT_EQ(ann.closeCalls, 1);
    EXPECT_TRUE(h.server.slot(1).connected);
}

TEST(Roster, AConnectionThatNeverLogsInIsClosedAfterThirtySeconds)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    FakePeer& idle = h.connect();
    h.clock.advance(kLoginTimeoutMs - 10);
    EXPECT_TRUE(h.server.slot(2).connected);
    h.clock.advance(10);
    EXPECT_FALSE(h.server.slot(2).connected);
    EXPECT_EQ(idle.closeCalls, 1);
    h.clock.advance(kLoginTimeoutMs);
    EXPECT_TRUE(h.server.slot(1).connected);
    EXPECT_EQ(host.slot, 1);
}

TEST(Roster, TheDispatchTimerRestsWhileTheQueueIsEmptyAndTakesOneMessagePerTick)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    EXPECT_FALSE(h.server.dispatchTimerRunning());
    host.take();
    h.deliver(host, "CMD_chat+1+a|clRed" + T + "CMD_chat+1+b|clRed" + T + "CMD_chat+1+c");
    EXPECT_TRUE(h.server.dispatchTimerRunning());
    h.clock.advance(kDispatchIntervalMs);
    EXPECT_EQ(host.take().size(), 1);
    h.clock.advance(kDispatchIntervalMs);
    EXPECT_EQ(host.take().size(), 1);
    EXPECT_FALSE(h.server.dispatchTimerRunning());
    h.deliver(host, "|clRed" + T);
    h.clock.advance(kDispatchIntervalMs);
    EXPECT_EQ(host.take(), QList<QByteArray>{"CMD_chat+1+You chats: c|clRed"});
    h.deliver(host, "garbage" + T + "CMD_unknown+1" + T + T);
    h.drain();
    EXPECT_TRUE(host.take().isEmpty());
    EXPECT_FALSE(h.server.dispatchTimerRunning());
}

} // namespace
