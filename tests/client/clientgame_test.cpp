// ClientGame in memory: a game played through the server's messages with a
// recording link and the virtual clock, no widget and no socket.
#include "client/model/clientgame.h"
#include "client/model/receivedqueue.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

struct Link : ClientLink {
    QList<QByteArray> sent;
    void send(const QByteArray& message) override { sent << message; }
};

class ClientGameTest : public ::testing::Test {
protected:
    ClientGameTest()
    {
        game.setLoginName("Bob");
        QObject::connect(&game, &ClientGame::notice, [this](const QString& text) { notices << text; });
        QObject::connect(&game, &ClientGame::soundRequested, [this](const QString& name) { sounds << name; });
    }
    VirtualClock clock;
    Link link;
    ClientGame game{link, clock};
    QStringList notices;
    QStringList sounds;
};

TEST_F(ClientGameTest, AJoinerPlaysARoundThroughTheServersMessages)
{
    ReceivedQueue queue(clock, [this](const QByteArray& message) { game.receive(message); });
    for (const char* message : {"CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Bob", "CMD_existingplayers+1+Ann",
                                "CMD_existingplayers+8+Eve", "CMD_startgame+Ann+200+20+f+", "CMD_loadword+c*t+2+",
                                "CMD_nextplayer+3+"})
        queue.push(message);
    clock.advance(0);
    EXPECT_EQ(link.sent, QList<QByteArray>{proto::msg::loginInfo(3, kVersion, "Bob")});
    EXPECT_EQ(queue.size(), 6) << "one message per tick";
    clock.advance(6);
    EXPECT_EQ(queue.size(), 0);
    EXPECT_EQ(notices.mid(0, 4), (QStringList{"You are Connected.", "Ann is Connected.", "Eve is Connected.", "Eve is spying."}));
    EXPECT_EQ(game.seatCaption(2), "Klot");
    EXPECT_EQ(game.seatCaption(4), "<Waiting>");
    EXPECT_EQ(game.spies().value(8), "Eve");
    EXPECT_TRUE(game.isOwnTurn());
    EXPECT_EQ(game.statusText(), "Your Turn.");
    EXPECT_EQ(game.word(), "C*T");

    game.pickLetter(1);
    EXPECT_EQ(link.sent.last(), proto::msg::selectLetter(3, 1));
    EXPECT_FALSE(game.isOwnTurn());
    EXPECT_EQ(game.tileState(1), ClientGame::TileState::Gone);
    game.receive("CMD_foundletter+3+1+a+1+0+1+0+0+0+0+cat+");
    EXPECT_EQ(game.tileState(1), ClientGame::TileState::Used);
    EXPECT_EQ(game.seat(3).score, 1);
    EXPECT_EQ(game.seat(3).lastFind, 1);
    EXPECT_EQ(game.statusText(), "Choose another Letter.");
    clock.advance(20000);
    EXPECT_EQ(sounds.count("tick"), 11); // at 15 and from 10 down to 1
    EXPECT_FALSE(game.isOwnTurn()) << "the clock ran out";

    game.receive("CMD_winner+Bob+");
    EXPECT_EQ(game.winnerText(), "You have Won the Game!");
    EXPECT_EQ(game.opponents(), (QStringList{"Ann", "Klot"}));
    game.receive("CMD_playerdisconnected+1+Ann");
    EXPECT_EQ(notices.last(), "Ann disconnected.");
    EXPECT_EQ(game.seatCaption(1), "<Waiting>");
}

TEST_F(ClientGameTest, ASecondLoginRequestMovesUsAndTheCatchUpRebuildsTheBoard)
{
    game.receive("CMD_sendlogininfo+7");
    game.receive("CMD_newplayerinfo+7+Bob");
    EXPECT_EQ(notices.last(), "You are spying.");
    game.receive("CMD_sendlogininfo+4");
    EXPECT_EQ(link.sent.last(), proto::msg::loginInfo(4, kVersion, "Bob"));
    EXPECT_EQ(game.ownSlot(), 4);
    game.receive("CMD_gamestats+4+4+250+15+0+t+p***s+1+2+4+1+0+6+0+0+");
    game.receive("CMD_markletters+4+16+1+");
    EXPECT_TRUE(game.isOwnTurn());
    EXPECT_EQ(game.word(), "P***S");
    EXPECT_TRUE(game.isTeamGame());
    EXPECT_EQ(game.seatCaption(3), "Klick") << "seat 3's label, though the server calls it Klock";
    EXPECT_EQ(game.tileState(16), ClientGame::TileState::Used);
    EXPECT_EQ(game.seat(4).score, 6);

    game.startOver();
    EXPECT_FALSE(game.isLoggedIn());
    EXPECT_TRUE(game.word().isEmpty());
    EXPECT_EQ(game.seat(4).score, 0);
    game.receive("CMD_sendlogininfo+2");
    EXPECT_EQ(link.sent.last(), proto::msg::loginInfo(2, kVersion, "Bob")) << "the name is kept";
}

TEST_F(ClientGameTest, BadFieldsAndUnknownNamesChangeNothing)
{
    game.receive("CMD_sendlogininfo+1");
    const QList<QByteArray> sent = link.sent;
    for (const char* message : {"CMD_nextplayer+0+", "CMD_nextplayer+x+", "CMD_loadword+abc+9+", "CMD_justwatching+7+1",
                                "CMD_foundletter+1+27+e+1+0+1+1+1+1+1+*e*+", "CMD_bogus+1", "receivedlist", ""})
        game.receive(message);
    EXPECT_FALSE(game.turnSeat());
    EXPECT_TRUE(game.word().isEmpty());
    EXPECT_EQ(link.sent, sent);
    game.receive("CMD_justwatching+1+1");
    EXPECT_TRUE(game.isJustWatching());
    game.receive("CMD_nextplayer+1+");
    QStringList boxes;
    QObject::connect(&game, &ClientGame::messageRequested, [&](const QString& text) { boxes << text; });
    game.pickLetter(5);
    EXPECT_EQ(boxes, QStringList{"You must first turn off just watch before you can play."});
    EXPECT_EQ(link.sent, sent);
}

} // namespace
