#include "net/protocol.h"

#include <gtest/gtest.h>

using namespace proto;

namespace {
QByteArray wire(const char* text)
{
    QByteArray out(text);
    out.replace('#', kTerminator);
    return out;
}
} // namespace

TEST(Protocol, CutterQueuesWholeMessagesAcrossReads)
{
    MessageCutter cutter;
    // Two messages in one read give two entries.
    EXPECT_EQ(cutter.feed(wire("CMD_nextplayer+2+#CMD_outoftime+2+#")),
              (QList<QByteArray>{"CMD_nextplayer+2+", "CMD_outoftime+2+"}));
    // A message split over two reads comes out once, whole, after the second.
    EXPECT_TRUE(cutter.feed("CMD_chat+3+Ann chats: hi|cl").isEmpty());
    EXPECT_EQ(cutter.feed(wire("Red#CMD_nex")), (QList<QByteArray>{"CMD_chat+3+Ann chats: hi|clRed"}));
    EXPECT_EQ(cutter.pendingBytes(), 7);
    // The double terminator of a login makes one empty message, which dispatch drops.
    const QList<QByteArray> login = MessageCutter().feed(msg::loginInfo(2, kVersion, "Bob"));
    ASSERT_EQ(login.size(), 2);
    EXPECT_EQ(login[0], "CMD_logininfo+2+1.0.6+Bob");
    EXPECT_EQ(login[1], "");
    EXPECT_FALSE(splitName(login[1]));
    EXPECT_FALSE(splitName("receivedlist"));
    EXPECT_FALSE(splitName("+abc"));
}

TEST(Protocol, CutterClosesTheDoorOnEndlessLines)
{
    MessageCutter cutter(16);
    EXPECT_TRUE(cutter.feed(QByteArray(16, 'x')).isEmpty());
    EXPECT_FALSE(cutter.overflowed());
    cutter.feed("y");
    EXPECT_TRUE(cutter.overflowed());
    EXPECT_TRUE(cutter.feed(wire("CMD_full+#")).isEmpty());
}

TEST(Protocol, CutterRefusesALongMessageThatArrivesWhole)
{
    MessageCutter cutter(16);
    const QList<QByteArray> first = cutter.feed(wire("short#") + QByteArray(17, 'x') + wire("#later#"));
    EXPECT_EQ(first, QList<QByteArray>{"short"});
    EXPECT_TRUE(cutter.overflowed());
    EXPECT_TRUE(cutter.feed(wire("CMD_full+#")).isEmpty());

    MessageCutter exact(16);
    EXPECT_EQ(exact.feed(QByteArray(16, 'y') + wire("#")), QList<QByteArray>{QByteArray(16, 'y')});
    EXPECT_FALSE(exact.overflowed());
}

TEST(Protocol, ClientsAcceptTheLongestRelayAServerCanBuild)
{
    // The longest name and the longest chat text the server takes, relayed.
    const QByteArray name(kMaxPendingBytes - 40, 'n');
    const QByteArray text(kMaxPendingBytes - 20, 't');
    const QByteArray relay = msg::chatRelay("2", name, text + "|clBlack");
    ASSERT_GT(relay.size(), kMaxPendingBytes);
    MessageCutter client(kMaxServerMessageBytes);
    EXPECT_TRUE(client.feed(relay.left(relay.size() - 1)).isEmpty());
    EXPECT_FALSE(client.overflowed());
    EXPECT_EQ(client.feed(relay.right(1)).size(), 1);
}

TEST(Protocol, FieldsAreCutFromTheFrontAndTheRestKeepsPlus)
{
    const auto named = splitName("CMD_newplayerinfo+4+Ann+Bob");
    ASSERT_TRUE(named);
    EXPECT_EQ(named->name, "CMD_newplayerinfo");
    FieldReader reader(named->args);
    EXPECT_EQ(reader.nextNumber(), 4);
    EXPECT_EQ(reader.rest(), "Ann+Bob");

    FieldReader numbers("12+-3+x1+2147483648+-2147483648++");
    EXPECT_EQ(numbers.nextNumber(), 12);
    EXPECT_EQ(numbers.nextNumber(), -3);
    EXPECT_EQ(numbers.nextNumber(), std::nullopt);
    EXPECT_EQ(numbers.nextNumber(), std::nullopt);
    EXPECT_EQ(numbers.nextNumber(), std::numeric_limits<int>::min());
    EXPECT_EQ(numbers.nextNumber(), std::nullopt); // empty field
    EXPECT_TRUE(numbers.atEnd());
    EXPECT_EQ(toNumber("-"), std::nullopt);
    EXPECT_EQ(toNumber(" 1"), std::nullopt);
}

TEST(Protocol, SoloGameOpeningIsByteExact)
{
    EXPECT_EQ(msg::sendLoginInfo(1), wire("CMD_sendlogininfo+1#"));
    EXPECT_EQ(msg::loginInfo(1, kVersion, "You"), wire("CMD_logininfo+1+1.0.6+You##"));
    EXPECT_EQ(msg::newPlayerInfo(1, "You"), wire("CMD_newplayerinfo+1+You#"));
    EXPECT_EQ(msg::startGame("You", "200", "20", false, false), wire("CMD_startgame+You+200+20+f+f+#"));
    EXPECT_EQ(msg::startGameAnnounce("You", 200, 20, "f"), wire("CMD_startgame+You+200+20+f+#"));
    EXPECT_EQ(msg::loadWord("*****'* *****", 0), wire("CMD_loadword+*****'* *****+0+#"));
    EXPECT_EQ(msg::nextPlayer(2), wire("CMD_nextplayer+2+#"));
    msg::Found found{2, 5, 'e', 2, 0, 2, 2, 2, 2, 2, "***e*'* ***e*"};
    EXPECT_EQ(msg::foundLetter(found), wire("CMD_foundletter+2+5+e+2+0+2+2+2+2+2+***e*'* ***e*+#"));
    EXPECT_EQ(msg::addMan(2, 20, 't', 1, "*"), wire("CMD_addman+2+20+t+1+*+#"));
}

TEST(Protocol, CatalogueFormsAreExact)
{
    EXPECT_EQ(msg::full(), wire("CMD_full+#"));
    EXPECT_EQ(msg::wrongVersion(), wire("CMD_wrongversion+#"));
    EXPECT_EQ(msg::haveWrongVersion("A+B"), wire("CMD_havewrongversion+A+B#"));
    EXPECT_EQ(msg::existingPlayers(8, "Spy"), wire("CMD_existingplayers+8+Spy#"));
    EXPECT_EQ(msg::playerDisconnected(3, "C+D"), wire("CMD_playerdisconnected+3+C+D#"));
    EXPECT_EQ(msg::kickHim(1, 4), wire("CMD_kickhim+1+4+#"));
    EXPECT_EQ(msg::botSpeed(1, 2000), wire("CMD_botspeed+1+2000+#"));
    EXPECT_EQ(msg::chat(3, "hi", "clRed"), wire("CMD_chat+3+hi|clRed#"));
    EXPECT_EQ(msg::chatRelay("3", "Ann", "hi|clRed"), wire("CMD_chat+3+Ann chats: hi|clRed#"));
    EXPECT_EQ(msg::actionRelay("3", "Ann", "waves|$00FF0000"), wire("CMD_action+3+Ann waves|$00FF0000#"));
    EXPECT_EQ(msg::justWatch(4, 1), wire("CMD_justwatch+4+1#"));
    EXPECT_EQ(msg::justWatching(4, kPlaying), wire("CMD_justwatching+4+2#"));
    EXPECT_EQ(msg::selectLetter(2, 26), wire("CMD_selectletter+2+26+#"));
    EXPECT_EQ(msg::chooseCat(5, 4), wire("CMD_choosecat+5+4+#"));
    EXPECT_EQ(msg::chooseCatAnnounce(5), wire("CMD_choosecat+5+#"));
    EXPECT_EQ(msg::playASound(2, 7), wire("CMD_playasound+2+wave7+#"));
    EXPECT_EQ(msg::playASoundRelay(2, "wave7+"), wire("CMD_playasound+2+wave7+#"));
    EXPECT_EQ(msg::error(3), wire("CMD_error+3+1+#"));
    EXPECT_EQ(msg::outOfTime(3), wire("CMD_outoftime+3+#"));
    EXPECT_EQ(msg::winner("The Gray Team"), wire("CMD_winner+The Gray Team+#"));
    EXPECT_EQ(msg::markLetters(2, {1, 5, 20}), wire("CMD_markletters+2+1+5+20#"));
    msg::GameStats stats;
    stats.slot = 3;
    stats.currentSeat = 2;
    stats.playTo = 200;
    stats.turnTime = 20;
    stats.delayCount = 4;
    stats.team = true;
    stats.mask = "a** '*";
    stats.category = 4;
    stats.misses = 6;
    stats.scores[0] = 12;
    stats.scores[5] = 7;
    EXPECT_EQ(msg::gameStats(stats), wire("CMD_gamestats+3+2+200+20+4+t+a** '*+4+6+12+0+0+0+0+7+#"));
}

TEST(Protocol, TextTravelsAsLatin1)
{
    EXPECT_EQ(toWire(QString::fromUtf8("Zoë ÿ €")), QByteArray("Zo\xEB ? ?"));
    EXPECT_EQ(fromWire("Zo\xEB"), QString::fromUtf8("Zoë"));
    EXPECT_FALSE(toWire(QString(QChar(0xFF))).contains(kTerminator));
}
