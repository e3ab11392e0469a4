// Who gets in: seats kept for dropped players and given back, the oldest kept
// seat given up when the game is full, spies, removed players, the lock, asking
// the host, and the per-address limits. Every joiner here is a copy that knows
// nothing of kept seats: it answers each "CMD_sendlogininfo" with a login.
#include "serverharness.h"

#include <gtest/gtest.h>

using namespace proto;

namespace {

bool anyLetterUsed(const GameServer& server)
{
    for (int letter = 1; letter <= kLetterCount; ++letter)
        if (server.letterUsed(letter))
            return true;
    return false;
}

const PeerAddress kZedsAddress{"203.0.113.9", false};
const PeerAddress kFriendsAddress{"198.51.100.7", false};

class Admission : public ::testing::Test {
protected:
    Admission()
    {
        h.server.hostNotice = [this](const QString& line) { notices.append(line); };
        h.server.joinRequested = [this](const JoinRequest& request) { requests.push_back(request); };
        h.server.joinRequestEnded = [this](quint64 id) { ended.append(id); };
    }
    // The seats named in "CMD_nextplayer" while the clock runs on.
    QList<int> turnsDuring(FakePeer& watcher, long long ms)
    {
        watcher.take();
        h.clock.advance(ms);
        QList<int> seats;
        for (const QByteArray& m : watcher.take())
            if (m.startsWith("CMD_nextplayer+"))
                seats.append(fieldsOf(m).value(1).toInt());
        return seats;
    }
    QStringList takeNotices() { return std::exchange(notices, {}); }

    ServerHarness h{sameWordEverywhere("baker's dozen   ")};
    QStringList notices;
    std::vector<JoinRequest> requests;
    QList<quint64> ended;
};

TEST_F(Admission, ADroppedPlayerGetsHisSeatBackWithItsScoreWhileNewcomersSitElsewhere)
{
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    FakePeer& bea = h.join("Bea");
    h.startGame(host, "5000", "30");
    h.send(ann, msg::justWatch(2, 1)); // the computer plays for both, so their seats have points
    h.send(bea, msg::justWatch(3, 1));
    ASSERT_TRUE(h.until([&] { return h.server.score(3) > 0 && h.server.score(2) > 0; }));

    host.take();
    h.server.closed(&bea);
    h.server.closed(&ann);
    EXPECT_EQ(takeNotices(), (QStringList{"Bea lost the connection; seat 3 is kept for 5 minutes.",
                                          "Ann lost the connection; seat 2 is kept for 5 minutes."}));
    const QList<QByteArray> told = host.take();
    EXPECT_TRUE(told.contains("CMD_playerdisconnected+3+Bea"));
    EXPECT_TRUE(told.contains("CMD_playerdisconnected+2+Ann"));

    // Seat 3 is skipped and keeps its points; seat 2 is played by the computer, and its points stay there.
    const int beasScore = h.server.score(3);
    const int annsScore = h.server.score(2);
    const QList<int> turns = turnsDuring(host, 120'000);
    EXPECT_FALSE(turns.contains(3));
    EXPECT_TRUE(turns.contains(2));
    EXPECT_EQ(h.server.score(3), beasScore);
    EXPECT_GT(h.server.score(2), annsScore);

    FakePeer& zed = h.join("Zed", kVersion, kZedsAddress);
    EXPECT_EQ(zed.slot, 4);
    EXPECT_EQ(h.server.keptFor(3), "Bea");
    host.take();

    // Bea comes back: told a slot first, she is told her seat and logs in there.
    const long long before = h.clock.now();
    ASSERT_TRUE(h.until([&] { return anyLetterUsed(h.server); }));
    ASSERT_LT(h.clock.now() - before, 60'000);
    host.take();
    FakePeer& beaAgain = h.connect({}, "Bea");
    ASSERT_EQ(beaAgain.slot, 5);
    h.drain();
    EXPECT_EQ(beaAgain.slot, 3);
    const QList<QByteArray> seen = beaAgain.take();
    ASSERT_GE(seen.size(), 7);
    EXPECT_EQ(seen.mid(0, 6), (QList<QByteArray>{"CMD_sendlogininfo+5", "CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Bea",
                                                 "CMD_existingplayers+1+You", "CMD_existingplayers+4+Zed"}
                                   << seen.value(5)));
    EXPECT_TRUE(seen.value(5).startsWith("CMD_gamestats+3+"));
    EXPECT_EQ(fieldsOf(seen.value(5)).value(9 + 3).toInt(), beasScore);
    EXPECT_TRUE(seen.value(6).startsWith("CMD_markletters+3+"));
    EXPECT_EQ(host.take().first(), "CMD_newplayerinfo+3+Bea"); // and nothing of slot 5
    EXPECT_EQ(h.server.score(3), beasScore);
    EXPECT_FALSE(h.server.slot(5).connected);
    EXPECT_EQ(takeNotices(), QStringList{"Bea is back in seat 3."});

    // Ann's seat runs out unclaimed; the next newcomer takes it with its points.
    h.clock.advance(kSeatHoldMs);
    EXPECT_EQ(takeNotices(), QStringList{"Ann did not come back within 5 minutes; seat 2 is free again."});
    const int seatTwo = h.server.score(2);
    EXPECT_EQ(h.join("Cal").slot, 2);
    EXPECT_EQ(h.server.score(2), seatTwo);
}

TEST_F(Admission, APlayerBackBeforeHisLostConnectionEndedTakesHisSeatOnlyFromHisAddressAndOnlyOnceItGoesUnanswered)
{
    const PeerAddress beasAddress{"192.0.2.20", false};
    FakePeer& host = h.join("You");
    FakePeer& bea = h.join("Bea", kVersion, beasAddress);
    ASSERT_EQ(bea.slot, 2);
    h.startGame(host, "5000", "30");
    h.send(bea, msg::justWatch(2, 1));
    ASSERT_TRUE(h.until([&] { return h.server.score(2) > 0; }));

    // Her old connection still answers: a second Bea from her address is someone else.
    FakePeer& twin = h.join("Bea", kVersion, beasAddress);
    EXPECT_EQ(twin.slot, 3);
    // It stops answering, but this Bea comes from elsewhere.
    bea.unanswering = true;
    FakePeer& stranger = h.join("Bea", kVersion, kFriendsAddress);
    EXPECT_EQ(stranger.slot, 4);
    EXPECT_EQ(bea.closeCalls, 0);
    EXPECT_TRUE(h.server.slot(2).connected);
    h.server.closed(&twin);
    h.server.closed(&stranger);
    takeNotices();

    // Bea from her address while the old connection goes unanswered: it ends, and she is back in her seat.
    const int score = h.server.score(2);
    host.take();
    FakePeer& beaAgain = h.join("Bea", kVersion, beasAddress);
    EXPECT_EQ(beaAgain.slot, 2);
    EXPECT_EQ(bea.closeCalls, 1);
    EXPECT_EQ(h.server.score(2), score);
    EXPECT_EQ(takeNotices(), (QStringList{"Bea lost the connection; seat 2 is kept for 5 minutes.", "Bea is back in seat 2."}));
    const QList<QByteArray> told = host.take();
    const qsizetype left = told.indexOf("CMD_playerdisconnected+2+Bea");
    ASSERT_GE(left, 0);
    EXPECT_GT(told.indexOf("CMD_newplayerinfo+2+Bea"), left);
}

TEST_F(Admission, AFullGameGivesUpTheOldestKeptSeatAndSpiesAreNotKept)
{
    std::vector<FakePeer*> people;
    for (const char* name : {"You", "Ann", "Bea", "Cal", "Dan", "Eve", "Sam", "Tia", "Uma"})
        people.push_back(&h.join(name));
    FakePeer& host = *people[0];
    h.server.closed(people[4]); // Dan, seat 5
    h.clock.advance(1000);
    h.server.closed(people[5]); // Eve, seat 6
    h.server.closed(people[6]); // Sam, spy 7: not kept
    EXPECT_EQ(takeNotices(), (QStringList{"Dan lost the connection; seat 5 is kept for 5 minutes.",
                                          "Eve lost the connection; seat 6 is kept for 5 minutes."}));

    EXPECT_EQ(h.join("Sam").slot, 7); // back in the free spy slot, not in a kept seat
    host.take();
    FakePeer& gus = h.join("Gus");
    EXPECT_EQ(gus.slot, 5);
    EXPECT_EQ(takeNotices(), QStringList{"The game was full, so Gus took seat 5, which was kept for Dan."});
    EXPECT_EQ(host.take(), QList<QByteArray>{"CMD_newplayerinfo+5+Gus"});

    // Eve still gets in: the only seat left is her own.
    EXPECT_EQ(h.join("Eve").slot, 6);
    EXPECT_EQ(takeNotices(), QStringList{"Eve is back in seat 6."});
    FakePeer& dan = h.join("Dan");
    EXPECT_EQ(dan.slot, 0);
    EXPECT_EQ(dan.take(), QList<QByteArray>{"CMD_full+"});
}

TEST_F(Admission, APlayerBackWhileANewcomerWaitsInHisSeatTakesItFromTheNewcomer)
{
    std::vector<FakePeer*> people;
    for (const char* name : {"You", "Ann", "Bea", "Cal", "Dan", "Eve", "Sam", "Tia", "Uma"})
        people.push_back(&h.join(name));
    h.server.closed(people[2]); // Bea, seat 3
    h.clock.advance(1000);
    h.server.closed(people[3]); // Cal, seat 4
    FakePeer& silent = h.connect(kZedsAddress); // provisionally in seat 3, never logs in
    ASSERT_EQ(silent.slot, 3);
    FakePeer& cal = h.join("Cal"); // provisionally in seat 4, his own
    EXPECT_EQ(cal.slot, 4);
    FakePeer& bea = h.connect({}, "Bea");
    EXPECT_EQ(bea.slot, 0); // no seat left to wait in
    h.server.closed(&silent);
    FakePeer& beaAgain = h.join("Bea");
    EXPECT_EQ(beaAgain.slot, 3);
    EXPECT_EQ(h.server.keptFor(3), "");
}

TEST_F(Admission, RemovedPlayersTheLockAndThePerAddressLimitsTurnArrivalsAway)
{
    FakePeer& host = h.join("You");
    std::vector<FakePeer*> local; // this machine has no limits
    for (int i = 0; i < 3; ++i)
        local.push_back(&h.connect());
    for (FakePeer* peer : local) {
        EXPECT_NE(peer->slot, 0);
        h.server.closed(peer);
    }
    FakePeer& zed = h.join("Zed", kVersion, kZedsAddress);
    FakePeer& lee = h.join("Lee"); // on this machine
    h.send(host, msg::kickHim(1, zed.slot));
    h.send(host, msg::kickHim(1, lee.slot));
    EXPECT_EQ(zed.closeCalls, 1);
    EXPECT_TRUE(h.server.keptFor(2).isEmpty());
    EXPECT_TRUE(takeNotices().isEmpty());

    // Zed's name is refused from anywhere, and his address for ten minutes.
    FakePeer& zedElsewhere = h.join("Zed", kVersion, kFriendsAddress);
    EXPECT_EQ(zedElsewhere.take().last(), "CMD_full+");
    EXPECT_EQ(zedElsewhere.closeCalls, 1);
    EXPECT_EQ(takeNotices(), QStringList{"Zed (198.51.100.7) was turned away: removed from this game."});
    FakePeer& fromZedsAddress = h.join("Yan", kVersion, kZedsAddress);
    EXPECT_EQ(fromZedsAddress.slot, 0);
    EXPECT_EQ(fromZedsAddress.take(), QList<QByteArray>{"CMD_full+"});
    EXPECT_NE(h.join("Lem").slot, 0); // this machine is never barred
    EXPECT_EQ(h.join("Lee").take().last(), "CMD_full+");
    takeNotices();
    h.clock.advance(kAddressBarMs);
    EXPECT_TRUE(h.server.inGame(h.join("Yan", kVersion, kZedsAddress).slot));

    // Locked: newcomers are turned away, a kept seat's player still comes back.
    FakePeer& yan = *h.peers.back();
    h.server.closed(&yan);
    takeNotices();
    h.server.setLocked(true);
    FakePeer& max = h.join("Max", kVersion, kFriendsAddress);
    EXPECT_EQ(max.take().last(), "CMD_full+");
    EXPECT_EQ(max.closeCalls, 1);
    EXPECT_EQ(takeNotices(), QStringList{"Max (198.51.100.7) was turned away: the game is locked."});
    EXPECT_TRUE(h.server.inGame(h.join("Yan", kVersion, kZedsAddress).slot));
    h.server.setLocked(false);

    // At most two connections of a remote address await their login, and four are there in all.
    const PeerAddress crowd{"192.0.2.1", false};
    FakePeer& first = h.connect(crowd);
    FakePeer& second = h.connect(crowd);
    FakePeer& third = h.connect(crowd);
    EXPECT_NE(second.slot, 0);
    EXPECT_EQ(third.slot, 0);
    EXPECT_EQ(third.take(), QList<QByteArray>{"CMD_full+"});
    EXPECT_EQ(third.closeCalls, 1);
    h.send(first, msg::loginInfo(first.slot, kVersion, "C1"));
    h.send(second, msg::loginInfo(second.slot, kVersion, "C2"));
    EXPECT_NE(h.join("C3", kVersion, crowd).slot, 0);
    EXPECT_NE(h.connect(crowd).slot, 0);
    EXPECT_EQ(h.connect(crowd).slot, 0);
    EXPECT_NE(h.connect(kFriendsAddress).slot, 0);
}

TEST_F(Admission, AskingTheHostHoldsANewcomerUntilLetInTurnedAwayOrOutOfTime)
{
    FakePeer& host = h.join("You");
    FakePeer& ann = h.join("Ann");
    h.server.setAskBeforeJoining(true);
    h.startGame(host, "5000", "30");
    host.take();

    FakePeer& zed = h.join("Zed", kVersion, kZedsAddress);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].name, "Zed");
    EXPECT_EQ(requests[0].address, "203.0.113.9");
    EXPECT_FALSE(turnsDuring(host, 60'000 - 1000).contains(3));
    EXPECT_EQ(zed.take(), QList<QByteArray>{"CMD_sendlogininfo+3"});
    for (const QByteArray& m : host.take())
        EXPECT_FALSE(m.contains("Zed")) << m.toStdString();
    h.server.letIn(requests[0].id);
    EXPECT_EQ(ended, QList<quint64>{requests[0].id});
    EXPECT_EQ(host.take(), QList<QByteArray>{"CMD_newplayerinfo+3+Zed"});
    const QList<QByteArray> welcome = zed.take();
    EXPECT_EQ(welcome.value(0), "CMD_newplayerinfo+3+Zed");
    EXPECT_TRUE(welcome.value(3).startsWith("CMD_gamestats+3+"));
    EXPECT_TRUE(turnsDuring(host, 200'000).contains(3));

    // Two may wait; a third is turned away at once.
    FakePeer& yan = h.join("Yan", kVersion, kFriendsAddress);
    FakePeer& xia = h.join("Xia", kVersion, kFriendsAddress);
    FakePeer& wes = h.join("Wes");
    EXPECT_EQ(wes.take().last(), "CMD_full+");
    EXPECT_EQ(takeNotices(), QStringList{"Wes was turned away: two others are already waiting to join."});
    ASSERT_EQ(requests.size(), 3u);
    h.server.turnAway(requests[1].id);
    EXPECT_EQ(yan.take().last(), "CMD_full+");
    EXPECT_EQ(yan.closeCalls, 1);
    EXPECT_EQ(takeNotices(), QStringList{"Yan was not let in."});
    h.server.letIn(requests[1].id); // too late: nothing happens
    EXPECT_FALSE(h.server.slot(yan.slot).connected);
    h.clock.advance(kJoinQuestionMs);
    EXPECT_EQ(xia.take().last(), "CMD_full+");
    EXPECT_EQ(takeNotices(), QStringList{"Xia was not let in: nobody answered within 60 seconds."});
    EXPECT_EQ(ended.size(), 3);

    // Ann's kept seat takes her back without asking.
    h.server.closed(&ann);
    h.join("Ann");
    EXPECT_EQ(requests.size(), 3u);
    EXPECT_TRUE(h.server.inGame(2));

    // A waiting newcomer who leaves takes his request with him.
    host.take();
    FakePeer& vic = h.join("Vic");
    ASSERT_EQ(requests.size(), 4u);
    h.server.closed(&vic);
    EXPECT_EQ(ended.last(), requests[3].id);
    EXPECT_TRUE(host.takeNames().indexOf("CMD_playerdisconnected") < 0);
}

} // namespace
