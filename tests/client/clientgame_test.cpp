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
        QObject::connect(&game, &ClientGame::messageRequested, [this](const QString& text) { boxes << text; });
    }
    // Hands the game these messages in turn, as the received queue would.
    void say(std::initializer_list<const char*> messages)
    {
        for (const char* message : messages)
            game.receive(message);
    }
    VirtualClock clock;
    Link link;
    ClientGame game{link, clock};
    QStringList notices;
    QStringList sounds;
    QStringList boxes;
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
    game.pickLetter(5);
    EXPECT_EQ(boxes, QStringList{"You must first turn off just watch before you can play."});
    EXPECT_EQ(link.sent, sent);
}

TEST_F(ClientGameTest, TheHostPlaysATeamGameToItsEndAndTheServerTurnsAVisitorAway)
{
    QList<std::pair<int, QString>> lines;
    QList<std::pair<int, int>> chatter;
    QList<std::pair<QString, bool>> recorded;
    int ended = 0;
    QObject::connect(&game, &ClientGame::chatReceived, [&](int sender, const QString& text, const std::optional<QString>& colour) {
        lines.append({sender, text + "|" + colour.value_or("none")});
    });
    QObject::connect(&game, &ClientGame::chatterSoundReceived, [&](int sender, int sound) { chatter.append({sender, sound}); });
    QObject::connect(&game, &ClientGame::gameRecorded, [&](const QString& winner, bool own) { recorded.append({winner, own}); });
    QObject::connect(&game, &ClientGame::ended, [&] { ++ended; });
    game.setHost(true);
    game.setTurnSound(1);
    EXPECT_TRUE(game.isStartOffered());
    say({"CMD_sendlogininfo+1", "CMD_newplayerinfo+1+Bob", "CMD_startgame+Bob+100+15+t+"});
    EXPECT_FALSE(game.isStartOffered());
    EXPECT_EQ(game.timePerTurn(), 15);
    EXPECT_EQ(game.opponents(), (QStringList{"Klot", "Klick", "Kling", "Klick", "Krazy"})) << "a team game fills every seat";

    say({"CMD_choosecat+1+"});
    EXPECT_TRUE(game.isChoosingCategory());
    EXPECT_EQ(game.statusText(), "Choose a category");
    game.pickCategory(2);
    EXPECT_EQ(link.sent.last(), proto::msg::chooseCat(1, 2));
    EXPECT_FALSE(game.isChoosingCategory());
    say({"CMD_choosecat+4+"});
    EXPECT_EQ(game.statusText(), "Kling is choosing a category.");
    game.pickCategory(1);
    EXPECT_EQ(link.sent.last(), proto::msg::chooseCat(1, 2)) << "only the chooser's choice is sent";

    say({"CMD_loadword+d*g+2+", "CMD_nextplayer+1+"});
    EXPECT_EQ(sounds.last(), "turnnew");
    game.pickLetter(26);
    say({"CMD_error+1+1+"});
    EXPECT_EQ(game.statusText(), "That letter is already used.");
    EXPECT_EQ(sounds.last(), "invalid");
    say({"CMD_addman+1+26+z+1+*+"});
    EXPECT_EQ(game.misses(), 1);
    EXPECT_EQ(game.tileState(26), ClientGame::TileState::Used);
    EXPECT_EQ(sounds.last(), "notinword");
    say({"CMD_nextplayer+3+"});
    EXPECT_EQ(game.statusText(), "Klick's turn.");
    say({"CMD_outoftime+3+"});
    EXPECT_EQ(game.statusText(), "Out of Time.");
    EXPECT_FALSE(game.clockRunning());
    say({"CMD_nextplayer+1+", "CMD_outoftime+1+"});
    EXPECT_EQ(game.statusText(), "You are out of time.");
    say({"CMD_addman+3+15+o+9+dog+"});
    EXPECT_EQ(game.misses(), kHangingMisses);
    EXPECT_EQ(game.word(), "DOG") << "the hanged word is shown";
    EXPECT_EQ(sounds.last(), "lose");

    say({"CMD_chat+3+Klick chats: hi|255", "CMD_action+7+Eve waves", "CMD_playasound+2+wave5", "CMD_playasound+2+wave21"});
    EXPECT_EQ(lines, (QList<std::pair<int, QString>>{{3, "Klick chats: hi|255"}, {7, "Eve waves|none"}}));
    EXPECT_EQ(chatter, (QList<std::pair<int, int>>{{2, 5}}));

    say({"CMD_winner+Klock+"});
    EXPECT_EQ(game.winnerText(), "Klock has Won the Game!") << "the server's name for seat 3";
    EXPECT_EQ(recorded, (QList<std::pair<QString, bool>>{{"Klock", false}}));
    EXPECT_TRUE(game.isStartOffered());

    say({"CMD_havewrongversion+Eve", "CMD_wrongversion+"});
    EXPECT_EQ(notices.mid(notices.size() - 2), (QStringList{"Eve has a different version of the game then you.",
                                                            "You have a differnt version of the game then the host."}));
    say({"CMD_full+"});
    EXPECT_EQ(boxes, QStringList{"Game is full"});
    EXPECT_EQ(ended, 1);
}

TEST_F(ClientGameTest, WhatTheServerSaysOfOthersOrOfAnotherReceiverLeavesOursAlone)
{
    say({"CMD_sendlogininfo+2", "CMD_newplayerinfo+2+Bob", "CMD_existingplayers+1+Ann", "CMD_startgame+Ann+200+20+f+",
         "CMD_loadword+c*t+0+"});
    EXPECT_EQ(game.seatCaption(2), "Bob") << "a person hides the seat's computer";
    EXPECT_EQ(game.seatCaption(3), "<Waiting>");
    say({"CMD_playerdisconnected+2+Bob"});
    EXPECT_EQ(game.seatCaption(2), "Klot") << "seat 2's computer plays even outside team games";
    say({"CMD_existingplayers+2+Bob"});

    sounds.clear();
    say({"CMD_error+1+1+", "CMD_markletters+1+3+", "CMD_gamestats+1+1+250+15+0+t+p***s+1+2+4+1+0+6+0+0+"});
    EXPECT_TRUE(sounds.isEmpty());
    EXPECT_EQ(game.tileState(3), ClientGame::TileState::Open);
    EXPECT_EQ(game.word(), "C*T");
    EXPECT_FALSE(game.isTeamGame());

    say({"CMD_justwatching+1+1"});
    EXPECT_EQ(notices.last(), "Ann is just watching");
    EXPECT_TRUE(game.seat(1).watching);
    EXPECT_FALSE(game.isJustWatching());
    game.toggleJustWatch();
    EXPECT_EQ(link.sent.last(), proto::msg::justWatch(2, 1));
    say({"CMD_justwatching+2+1", "CMD_choosecat+2+"});
    EXPECT_FALSE(game.isChoosingCategory()) << "who just watches is not asked";

    const qsizetype sentBefore = link.sent.size();
    game.kick(1);
    game.setSeatWatching(7, true);
    EXPECT_EQ(link.sent.size(), sentBefore) << "a joiner removes nobody; spies have no seat to set";

    game.receive("CMD_sendlogininfo+8");
    game.receive("CMD_newplayerinfo+8+Bob");
    const qsizetype sentAsSpy = link.sent.size();
    game.toggleJustWatch();
    game.sendChatterSound(3);
    EXPECT_EQ(link.sent.size(), sentAsSpy) << "a spy neither watches nor sends chatter sounds";
    game.sendChat("hi", "0");
    EXPECT_EQ(link.sent.last(), proto::msg::chat(8, "hi", "0"));
}

} // namespace
