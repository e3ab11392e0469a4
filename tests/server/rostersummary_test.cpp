// What the host tells the local network about its game: the seated people, the
// spies and whether a game runs, reported once after each event that changes them.
#include "serverharness.h"

#include <gtest/gtest.h>

using namespace proto;

namespace {

void PrintTo(const RosterSummary& s, std::ostream* os)
{
    *os << "{seated " << s.seated << ", spies " << s.spies << (s.running ? ", running}" : ", waiting}");
}

} // namespace

TEST(RosterSummary, FollowsAnEveningOfArrivalsAGameAndDepartures)
{
    ServerHarness h;
    QList<RosterSummary> reported;
    h.server.rosterChanged = [&] { reported << h.server.rosterSummary(); };
    const auto took = [&] {
        const QList<RosterSummary> out = reported;
        reported.clear();
        return out;
    };

    FakePeer& ann = h.join("Ann");
    EXPECT_EQ(took(), (QList<RosterSummary>{{1, 0, false}}));
    FakePeer& bob = h.connect();
    EXPECT_TRUE(took().isEmpty()) << "a connection that has not logged in is nobody yet";
    h.send(bob, msg::loginInfo(bob.slot, kVersion, "Bob"));
    EXPECT_EQ(took(), (QList<RosterSummary>{{2, 0, false}}));

    // Four silent connections take seats 3 to 6; the next to log in spies.
    for (int i = 0; i < 4; ++i)
        h.connect();
    FakePeer& eve = h.join("Eve");
    ASSERT_EQ(eve.slot, 7);
    EXPECT_EQ(took(), (QList<RosterSummary>{{2, 1, false}}));
    h.send(bob, msg::chat(bob.slot, "hello", "clBlack"));
    EXPECT_TRUE(took().isEmpty()) << "chat changes nobody";

    h.startGame(ann, "50");
    EXPECT_EQ(took(), (QList<RosterSummary>{{2, 1, true}}));
    // The computer plays both people's seats to the end of the game.
    h.send(ann, msg::justWatch(1, 1));
    h.send(ann, msg::justWatch(2, 1));
    ASSERT_TRUE(h.until([&] { return !h.server.gameRunning(); }));
    EXPECT_EQ(took(), (QList<RosterSummary>{{2, 1, false}}));

    // The silent connections time out at the login: still nobody changes.
    h.clock.advance(kLoginTimeoutMs);
    EXPECT_TRUE(took().isEmpty());
    bob.close();
    eve.close();
    EXPECT_EQ(took(), (QList<RosterSummary>{{1, 1, false}, {1, 0, false}}));
}
