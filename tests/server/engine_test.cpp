// The game and turn engine in virtual time: options, rotation, judging,
// scoring, pauses, the turn clock, teams and the win check.
#include "serverharness.h"

#include <gtest/gtest.h>

using namespace proto;

namespace {

QList<QByteArray> withName(const QList<QByteArray>& messages, const QByteArray& name)
{
    QList<QByteArray> out;
    for (const QByteArray& m : messages)
        if (m.startsWith(name + "+"))
            out.append(m);
    return out;
}

int seatOf(const QByteArray& message)
{
    return fieldsOf(message).value(1).toInt();
}

bool awaitingLetterFrom(const ServerHarness& h, int seat)
{
    return h.server.state() == EngineState::AwaitingLetter && h.server.currentSeat() == seat;
}

// Two human players at seats 1 and 2, so nothing moves unless the test says so.
struct TwoPlayers {
    explicit TwoPlayers(WordListSet lists) : h(std::move(lists)), host(h.join("You")), ann(h.join("Ann")) {}
    FakePeer& at(int seat) { return seat == 1 ? host : ann; }
    void drainInboxes()
    {
        host.take();
        ann.take();
    }
    ServerHarness h;
    FakePeer& host;
    FakePeer& ann;
};

TEST(Engine, StartOptionsAreCheckedAndAnnounced)
{
    ServerHarness h;
    FakePeer& host = h.join("You");
    host.take();
    h.startGame(host, "20", "x");
    EXPECT_EQ(host.take().first(), "CMD_startgame+You+50+30+f+");
    EXPECT_EQ(h.server.playTo(), 50);
    h.startGame(host, "abc", "0");
    EXPECT_EQ(host.take().first(), "CMD_startgame+You+200+30+f+");
    h.startGame(host, "300", "100000");
    EXPECT_EQ(host.take().first(), "CMD_startgame+You+300+600+f+");
    h.send(host, "CMD_startgame+You+300+45+t+t+\xFF");
    EXPECT_EQ(host.take().first(), "CMD_startgame+You+300+45+t+");
    EXPECT_TRUE(h.server.teamGame());
    EXPECT_TRUE(h.server.chooseCategory());
    EXPECT_EQ(h.server.state(), EngineState::AwaitingCategory);
}

TEST(Engine, ASoloGameAlternatesSeatsOneAndTwoAndOnlySeatOneCanWin)
{
    ServerHarness h(sameWordEverywhere("baker's dozen", 400));
    FakePeer& host = h.join("You");
    h.startGame(host, "50", "10");
    // The host never picks: the computer at seat 2 passes 50 but cannot win.
    ASSERT_TRUE(h.until([&] { return h.server.score(2) > 60; }, 3'600'000));
    EXPECT_TRUE(h.server.gameRunning());
    const QList<QByteArray> got = host.take();
    const QList<QByteArray> turns = withName(got, "CMD_nextplayer");
    ASSERT_GT(turns.size(), 4);
    for (qsizetype i = 1; i < turns.size(); ++i)
        EXPECT_NE(seatOf(turns[i]), seatOf(turns[i - 1])) << i;
    for (const QByteArray& turn : turns)
        EXPECT_TRUE(seatOf(turn) == 1 || seatOf(turn) == 2);
    EXPECT_TRUE(withName(got, "CMD_winner").isEmpty());

    h.send(host, msg::justWatch(1, 1));
    ASSERT_TRUE(h.until([&] { return !h.server.gameRunning(); }, 36'000'000));
    EXPECT_EQ(withName(host.take(), "CMD_winner"), QList<QByteArray>{"CMD_winner+You+"});
    EXPECT_GT(h.server.score(1), 50);
}

TEST(Engine, ATeamGameWithOnlyTheHostVisitsAllSixSeatsAndOnlyTheYellowTeamWins)
{
    ServerHarness h(sameWordEverywhere("baker's dozen", 400));
    FakePeer& host = h.join("You");
    h.startGame(host, "50", "10", true, false);
    h.send(host, msg::justWatch(1, 1));
    ASSERT_TRUE(h.until([&] { return !h.server.gameRunning(); }, 36'000'000));
    const QList<QByteArray> got = host.take();
    const QList<QByteArray> turns = withName(got, "CMD_nextplayer");
    ASSERT_GT(turns.size(), 6);
    for (qsizetype i = 1; i < turns.size(); ++i)
        EXPECT_EQ(seatOf(turns[i]), seatOf(turns[i - 1]) % 6 + 1);
    for (const QByteArray& found : withName(got, "CMD_foundletter")) {
        const QList<QByteArray> f = fieldsOf(found);
        const auto mates = GameServer::teamMates(f[1].toInt());
        EXPECT_EQ(f[7].toInt(), mates[0]);
        EXPECT_EQ(f[9].toInt(), mates[1]);
        EXPECT_EQ(f[8], f[6]);
        EXPECT_EQ(f[10], f[6]);
    }
    EXPECT_EQ(withName(got, "CMD_winner"), QList<QByteArray>{"CMD_winner+The Yellow Team+"});
    EXPECT_EQ(h.server.score(1), h.server.score(3));
    EXPECT_EQ(h.server.score(1), h.server.score(5));
}

TEST(Engine, FindsScoreAndCompletingAddsTheBonusThenPausesFourSeconds)
{
    TwoPlayers t(sameWordEverywhere("abba"));
    t.h.startGame(t.host, "200", "30");
    const int seat = t.h.server.currentSeat();
    FakePeer& player = t.at(seat);
    t.drainInboxes();

    t.h.pick(player, 'a');
    EXPECT_EQ(t.host.take(), QList<QByteArray>{"CMD_foundletter+" + QByteArray::number(seat) + "+1+a+2+0+2+"
                                                + QByteArray::number(seat) + "+2+" + QByteArray::number(seat)
                                                + "+2+a**a+"});
    player.take();
    t.h.pick(player, 'a');
    EXPECT_EQ(player.take(), QList<QByteArray>{"CMD_error+" + QByteArray::number(seat) + "+1+"});
    EXPECT_TRUE(t.host.take().isEmpty());
    EXPECT_TRUE(awaitingLetterFrom(t.h, seat));
    t.h.pick(player, char('a' + 26)); // letter number 27
    t.h.send(player, msg::selectLetter(seat, 0));
    EXPECT_TRUE(t.host.take().isEmpty());

    t.h.pick(player, 'b');
    const QList<QByteArray> found = fieldsOf(t.host.take().value(0));
    ASSERT_EQ(found.size(), 13);
    EXPECT_EQ(found[4], "2");
    EXPECT_EQ(found[5], "10");
    EXPECT_EQ(found[6], "14");
    EXPECT_EQ(t.h.server.score(seat), 14);
    EXPECT_EQ(t.h.server.state(), EngineState::PauseBeforeRound);
    EXPECT_FALSE(t.h.server.turnTimerRunning());
    t.h.clock.advance(3999);
    EXPECT_TRUE(t.host.take().isEmpty());
    t.h.clock.advance(1);
    EXPECT_EQ(t.host.takeNames(), (QList<QByteArray>{"CMD_loadword", "CMD_nextplayer"}));
}

TEST(Engine, TheSeventhMissShowsTheWordPausesSixSecondsAndTheMisserChoosesNext)
{
    TwoPlayers t(sameWordEverywhere("abba"));
    t.h.startGame(t.host, "200", "30", false, true);
    const int chooser = t.h.server.currentSeat();
    t.h.send(t.at(chooser), msg::chooseCat(chooser, 2));
    EXPECT_EQ(t.h.server.category(), 2);
    t.drainInboxes();
    int misser = 0;
    for (char letter = 'c'; letter < 'c' + 7; ++letter) {
        misser = t.h.server.currentSeat();
        t.h.pick(t.at(misser), letter);
    }
    const QList<QByteArray> got = t.host.take();
    EXPECT_EQ(withName(got, "CMD_addman").last(), "CMD_addman+" + QByteArray::number(misser) + "+9+i+7+abba+");
    EXPECT_EQ(withName(got, "CMD_nextplayer").size(), 6);
    EXPECT_EQ(t.h.server.state(), EngineState::PauseBeforeRound);
    t.h.clock.advance(5999);
    EXPECT_TRUE(t.host.take().isEmpty());
    t.h.clock.advance(1);
    EXPECT_EQ(t.host.take(), QList<QByteArray>{"CMD_choosecat+" + QByteArray::number(misser) + "+"});
}

TEST(Engine, TheTurnRunsOutAfterTurnTimePlusFourSecondsAndFindsDoNotExtendIt)
{
    TwoPlayers t(sameWordEverywhere("abcdefghij"));
    t.h.startGame(t.host, "200", "20");
    const int seat = t.h.server.currentSeat();
    t.drainInboxes();
    t.h.clock.advance(10'000);
    t.h.pick(t.at(seat), 'a'); // a find, dispatched 10 ms later
    t.h.clock.advance(24'000 - 10'010 - 1);
    EXPECT_TRUE(withName(t.host.take(), "CMD_outoftime").isEmpty());
    t.h.clock.advance(1);
    EXPECT_EQ(t.host.take(), QList<QByteArray>{"CMD_outoftime+" + QByteArray::number(seat) + "+"});
    EXPECT_EQ(t.h.server.state(), EngineState::PauseBeforeNextSeat);
    t.h.clock.advance(2999);
    EXPECT_TRUE(t.host.take().isEmpty());
    t.h.clock.advance(1);
    EXPECT_EQ(t.host.take(), QList<QByteArray>{"CMD_nextplayer+" + QByteArray::number(3 - seat) + "+"});
}

TEST(Engine, TheChooserGetsSevenSecondsBeforeTheAutomaticChoice)
{
    TwoPlayers t(sameWordEverywhere("abba"));
    t.drainInboxes();
    t.h.startGame(t.host, "200", "30", false, true);
    EXPECT_EQ(t.host.takeNames(), (QList<QByteArray>{"CMD_startgame", "CMD_choosecat"}));
    const int chooser = t.h.server.currentSeat();
    t.h.send(t.at(3 - chooser), msg::chooseCat(3 - chooser, 1)); // not the chooser
    t.h.clock.advance(7000 - 10 - 1);
    EXPECT_EQ(t.h.server.state(), EngineState::AwaitingCategory);
    t.h.clock.advance(1);
    EXPECT_EQ(t.host.takeNames(), (QList<QByteArray>{"CMD_loadword", "CMD_nextplayer"}));
    EXPECT_EQ(t.h.server.currentSeat(), 3 - chooser);
}

TEST(Engine, EqualScoresAboveThePlayToScorePlayAnotherRound)
{
    WordListSet lists;
    for (int i = 0; i < 20; ++i)
        lists[0].append("ab");
    lists[1] = {"aaabbbc"};
    TwoPlayers t(lists);
    t.h.startGame(t.host, "50", "60", false, true);
    // Eight rounds of "ab", each completed by the seat that guesses first: 48 each.
    for (int round = 0; round < 8; ++round) {
        ASSERT_EQ(t.h.server.state(), EngineState::AwaitingCategory);
        const int chooser = t.h.server.currentSeat();
        t.h.send(t.at(chooser), msg::chooseCat(chooser, 0));
        const int guesser = t.h.server.currentSeat();
        ASSERT_EQ(guesser, 3 - chooser);
        t.h.pick(t.at(guesser), 'a');
        t.h.pick(t.at(guesser), 'b');
        t.h.clock.advance(4000);
    }
    ASSERT_EQ(t.h.server.score(1), 48);
    ASSERT_EQ(t.h.server.score(2), 48);
    // Both reach 51 in a round that ends by hanging.
    const int chooser = t.h.server.currentSeat();
    t.h.send(t.at(chooser), msg::chooseCat(chooser, 1));
    t.drainInboxes();
    t.h.pick(t.at(3 - chooser), 'a');
    t.h.pick(t.at(3 - chooser), 'z');
    t.h.pick(t.at(chooser), 'b');
    for (char miss = 'd'; miss < 'd' + 6; ++miss)
        t.h.pick(t.at(t.h.server.currentSeat()), miss);
    ASSERT_EQ(t.h.server.state(), EngineState::PauseBeforeRound);
    EXPECT_EQ(t.h.server.score(1), 51);
    EXPECT_EQ(t.h.server.score(2), 51);
    t.h.clock.advance(6000);
    EXPECT_TRUE(withName(t.host.take(), "CMD_winner").isEmpty());
    EXPECT_TRUE(t.h.server.gameRunning());
    EXPECT_EQ(t.h.server.state(), EngineState::AwaitingCategory);
    // The next completed word decides it.
    const int next = t.h.server.currentSeat();
    t.h.send(t.at(next), msg::chooseCat(next, 0));
    t.h.pick(t.at(3 - next), 'a');
    t.h.pick(t.at(3 - next), 'b');
    t.h.clock.advance(4000);
    EXPECT_EQ(withName(t.host.take(), "CMD_winner"),
              QList<QByteArray>{"CMD_winner+" + (3 - next == 1 ? QByteArray("You") : QByteArray("Ann")) + "+"});
    EXPECT_FALSE(t.h.server.gameRunning());
    EXPECT_FALSE(t.h.server.turnTimerRunning());
}

TEST(Engine, TheTurnPassesOnLeavingOrWatchingOnlyWhileALetterIsAwaited)
{
    WordListSet lists = sameWordEverywhere("abba");
    TwoPlayers t(lists);
    FakePeer& bob = t.h.join("Bob");
    t.h.startGame(t.host, "200", "30");
    // Hang the word; the last miss is bob's or another's, then everyone leaves or watches in the pause.
    for (char letter = 'c'; letter < 'c' + 7; ++letter) {
        const int seat = t.h.server.currentSeat();
        t.h.pick(seat == 3 ? bob : t.at(seat), letter);
    }
    ASSERT_EQ(t.h.server.state(), EngineState::PauseBeforeRound);
    const int lastSeat = t.h.server.currentSeat();
    t.drainInboxes();
    if (lastSeat == 1)
        t.h.send(t.host, msg::justWatch(1, 1));
    else
        t.h.server.closed(lastSeat == 2 ? &t.ann : &bob);
    EXPECT_TRUE(withName(t.host.take(), "CMD_nextplayer").isEmpty());
    EXPECT_EQ(t.h.server.state(), EngineState::PauseBeforeRound);
    t.h.clock.advance(6000);
    EXPECT_EQ(withName(t.host.take(), "CMD_loadword").size(), 1);
    EXPECT_EQ(t.h.server.state(), EngineState::AwaitingLetter);
}

TEST(Engine, WatchingDuringTheOwnTurnPassesItAndTheComputerTakesTheNextOnes)
{
    TwoPlayers t(sameWordEverywhere("abcdefghijklmnopqrstuvwxyz"));
    t.h.startGame(t.host, "200", "30");
    ASSERT_TRUE(t.h.until([&] { return awaitingLetterFrom(t.h, 1); }));
    t.drainInboxes();
    t.h.send(t.host, msg::justWatch(1, 1));
    EXPECT_EQ(t.ann.take(), (QList<QByteArray>{"CMD_justwatching+1+1", "CMD_nextplayer+2+"}));
    t.h.pick(t.ann, 'z');
    EXPECT_TRUE(awaitingLetterFrom(t.h, 2));
    t.h.pick(t.ann, 'a');
    t.h.pick(t.ann, 'y'); // found too: every letter is in the word
    t.h.clock.advance(34'000 + 3'000);
    ASSERT_TRUE(awaitingLetterFrom(t.h, 1));
    EXPECT_TRUE(t.h.server.computerTimerRunning());
    t.h.clock.advance(kDefaultBotSpeedMs);
    EXPECT_GT(t.h.server.score(1), 0);
}

TEST(Engine, ARestartStopsTheOldTurnClock)
{
    TwoPlayers t(sameWordEverywhere("abba"));
    t.h.startGame(t.host, "200", "10");
    t.h.clock.advance(13'000); // one second before the turn runs out
    t.h.startGame(t.host, "200", "10", false, true);
    EXPECT_FALSE(t.h.server.turnTimerRunning());
    t.drainInboxes();
    t.h.clock.advance(6'500);
    EXPECT_TRUE(t.host.take().isEmpty());
    EXPECT_EQ(t.h.server.state(), EngineState::AwaitingCategory);
}

TEST(Engine, TheComputerReadsTheBotSpeedEachTimeItIsArmed)
{
    ServerHarness h(sameWordEverywhere("abcdefghijklmnopqrstuvwxyz", 400));
    int speed = 1000;
    h.server.botSpeedSource = [&] { return speed; };
    FakePeer& host = h.join("You");
    h.startGame(host, "200", "60");
    ASSERT_TRUE(h.until([&] { return awaitingLetterFrom(h, 2); }));
    EXPECT_EQ(h.server.computerTimerInterval(), 1000);
    host.take();
    h.clock.advance(999);
    EXPECT_TRUE(host.take().isEmpty());
    speed = 2000;
    h.clock.advance(1); // picks a letter (every letter is in the word) and arms again
    EXPECT_EQ(host.takeNames(), QList<QByteArray>{"CMD_foundletter"});
    EXPECT_EQ(h.server.computerTimerInterval(), 2000);
    h.clock.advance(1999);
    EXPECT_TRUE(host.take().isEmpty());
    h.clock.advance(1);
    EXPECT_EQ(host.takeNames(), QList<QByteArray>{"CMD_foundletter"});
}

} // namespace
