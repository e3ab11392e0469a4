// The engine's less travelled paths: a computer chooser's timing, turn order
// around empty seats, a wrong letter picked twice, the latecomer's delay count,
// and who is named the winner.
#include "serverharness.h"

#include <gtest/gtest.h>

#include <map>

using namespace proto;

namespace {

QList<int> turnsIn(const QList<QByteArray>& messages)
{
    QList<int> seats;
    for (const QByteArray& m : messages)
        if (m.startsWith("CMD_nextplayer+"))
            seats << fieldsOf(m).value(1).toInt();
    return seats;
}

QList<QByteArray> named(const QList<QByteArray>& messages, const QByteArray& name)
{
    QList<QByteArray> out;
    for (const QByteArray& m : messages)
        if (m.startsWith(name + "+"))
            out << m;
    return out;
}

TEST(TurnsAndWinners, AComputerChooserPicksTheCategoryOneBotSpeedAfterChoosecat)
{
    // Find a start whose first chooser is the computer at seat 2.
    for (quint32 seed = 1; seed < 100; ++seed) {
        ServerHarness h(sameWordEverywhere("abba"), seed);
        h.server.botSpeedSource = [] { return 1000; };
        FakePeer& host = h.join("You");
        h.startGame(host, "200", "30", false, true);
        if (h.server.currentSeat() != 2)
            continue;
        EXPECT_EQ(named(host.take(), "CMD_choosecat"), QList<QByteArray>{"CMD_choosecat+2+"});
        h.clock.advance(999);
        EXPECT_EQ(h.server.state(), EngineState::AwaitingCategory);
        EXPECT_TRUE(host.take().isEmpty());
        h.clock.advance(1);
        EXPECT_EQ(host.takeNames(), (QList<QByteArray>{"CMD_loadword", "CMD_nextplayer"}));
        return;
    }
    FAIL() << "no seed made seat 2 the first chooser";
}

TEST(TurnsAndWinners, TurnsSkipEmptySeatsButNotSeatTwo)
{
    ServerHarness h(sameWordEverywhere("zzzz"));
    FakePeer& host = h.join("You");
    FakePeer& bob = h.join("Bob");
    FakePeer& cat = h.join("Cat");
    FakePeer& dan = h.join("Dan");
    bob.close();
    cat.close();
    h.drain();
    ASSERT_EQ(dan.slot, 4);
    h.startGame(host, "200", "30");
    // The people miss with "q"; the computer at seat 2 misses with common letters.
    QList<int> turns;
    for (int step = 0; step < 200 && h.server.misses() < 6; ++step) {
        const int seat = h.server.currentSeat();
        if (h.server.state() == EngineState::AwaitingLetter && (seat == 1 || seat == 4))
            h.pick(seat == 1 ? host : dan, 'q');
        else
            h.clock.advance(100);
    }
    turns = turnsIn(host.take());
    ASSERT_GE(turns.size(), 6);
    const std::map<int, int> next = {{1, 2}, {2, 4}, {4, 1}};
    for (qsizetype i = 1; i < turns.size(); ++i)
        EXPECT_EQ(turns[i], next.at(turns[i - 1])) << "turn " << i;
}

TEST(TurnsAndWinners, AWrongLetterPickedAgainIsAMissAgain)
{
    ServerHarness h(sameWordEverywhere("abba"));
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    h.startGame(host, "200", "30");
    host.take();
    const int first = h.server.currentSeat();
    h.pick(first == 1 ? host : ann, 'z');
    const int second = h.server.currentSeat();
    ASSERT_NE(second, first);
    h.pick(second == 1 ? host : ann, 'z');
    EXPECT_EQ(named(host.take(), "CMD_addman"),
              (QList<QByteArray>{"CMD_addman+" + QByteArray::number(first) + "+26+z+1+*+",
                                 "CMD_addman+" + QByteArray::number(second) + "+26+z+2+*+"}));
    EXPECT_EQ(h.server.misses(), 2);
}

TEST(TurnsAndWinners, ALatecomerDuringAPauseIsToldTheSecondsLeft)
{
    ServerHarness h(sameWordEverywhere("ab"));
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    h.startGame(host, "200", "30");
    const int seat = h.server.currentSeat();
    h.pick(seat == 1 ? host : ann, 'a');
    h.pick(seat == 1 ? host : ann, 'b');
    ASSERT_EQ(h.server.state(), EngineState::PauseBeforeRound);
    h.clock.advance(1000);
    ASSERT_EQ(h.server.pauseCount(), 3);
    FakePeer& late = h.join("Late");
    const QList<QByteArray> stats = named(late.take(), "CMD_gamestats");
    ASSERT_EQ(stats.size(), 1);
    EXPECT_EQ(fieldsOf(stats[0]).value(5), "3");
}

// Plays until somebody wins: the seats in `scorers` complete every word ("ab")
// on their turns, everybody else misses once ("z").
QList<QByteArray> playUntilWon(ServerHarness& h, const std::map<int, FakePeer*>& people, const QList<int>& scorers)
{
    for (int step = 0; step < 500 && h.server.gameRunning(); ++step) {
        const int seat = h.server.currentSeat();
        if (h.server.state() != EngineState::AwaitingLetter || !people.count(seat)) {
            h.clock.advance(500);
            continue;
        }
        FakePeer& player = *people.at(seat);
        if (scorers.contains(seat)) {
            h.pick(player, 'a');
            h.pick(player, 'b');
        } else {
            h.pick(player, 'z');
        }
    }
    return named(people.begin()->second->take(), "CMD_winner");
}

TEST(TurnsAndWinners, AWinnerWithoutANameIsCalledByTheComputersName)
{
    ServerHarness h(sameWordEverywhere("ab"));
    FakePeer& host = h.join("You");
    FakePeer& nameless = h.join("");
    ASSERT_EQ(nameless.slot, 2);
    h.startGame(host, "50", "30");
    EXPECT_EQ(playUntilWon(h, {{1, &host}, {2, &nameless}}, {2}), QList<QByteArray>{"CMD_winner+Klot+"});

    // Seat 3's computer is "Klock" at the server, though the client's seat label says "Klick".
    ServerHarness third(sameWordEverywhere("ab"));
    FakePeer& thirdHost = third.join("You");
    FakePeer& ann = third.join("Ann");
    FakePeer& alsoNameless = third.join("");
    ASSERT_EQ(alsoNameless.slot, 3);
    third.startGame(thirdHost, "50", "30");
    EXPECT_EQ(playUntilWon(third, {{1, &thirdHost}, {2, &ann}, {3, &alsoNameless}}, {3}),
              QList<QByteArray>{"CMD_winner+Klock+"});
}

TEST(TurnsAndWinners, TheGrayTeamWinsWhenAnEvenSeatLeads)
{
    ServerHarness h(sameWordEverywhere("ab"));
    std::map<int, FakePeer*> people;
    for (const char* name : {"You", "Ann", "Bob", "Cat", "Dan", "Eve"}) {
        FakePeer& peer = h.join(name);
        people[peer.slot] = &peer;
    }
    h.startGame(*people[1], "50", "30", true);
    EXPECT_EQ(playUntilWon(h, people, {2, 4, 6}), QList<QByteArray>{"CMD_winner+The Gray Team+"});
    EXPECT_EQ(h.server.score(1), 0);
    EXPECT_GT(h.server.score(2), 50);
}

} // namespace
