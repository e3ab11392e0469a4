// The decoders against the catalogue's exact forms (made by the builders) and
// against what a careless or hostile peer might send instead.
#include "net/protocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace proto;

namespace {

// The arguments of a built message: the text between the name's "+" and the terminator.
QByteArray argsOf(const QByteArray& built)
{
    const auto named = splitName(built.left(built.indexOf(kTerminator)));
    return named ? named->args : QByteArray();
}

enum class Direction { ToServer, ToClient };

// Whether the message's decoder takes it, by the message's name and direction.
bool accepted(Direction direction, const QByteArray& message)
{
    using Decoder = std::function<bool(const QByteArray&)>;
    const auto takes = [](auto decode) -> Decoder { return [decode](const QByteArray& a) { return bool(decode(a)); }; };
    static const std::map<QByteArray, Decoder> clientToServer = {
        {name::kLoginInfo, takes(read::loginInfo)},       {name::kKickHim, takes(read::kickHim)},
        {name::kBotSpeed, takes(read::botSpeed)},         {name::kChat, takes(read::chat)},
        {name::kAction, takes(read::action)},             {name::kStartGame, takes(read::startGame)},
        {name::kJustWatch, takes(read::justWatch)},       {name::kSelectLetter, takes(read::selectLetter)},
        {name::kChooseCat, takes(read::chooseCat)},       {name::kPlayASound, takes(read::playASound)},
    };
    static const std::map<QByteArray, Decoder> serverToClient = {
        {name::kSendLoginInfo, takes(read::sendLoginInfo)},
        {name::kFull, takes(read::full)},
        {name::kNewPlayerInfo, takes(read::newPlayerInfo)},
        {name::kExistingPlayers, takes(read::existingPlayers)},
        {name::kHaveWrongVersion, takes(read::haveWrongVersion)},
        {name::kWrongVersion, takes(read::wrongVersion)},
        {name::kGameStats, takes(read::gameStats)},
        {name::kMarkLetters, takes(read::markLetters)},
        {name::kPlayerDisconnected, takes(read::playerDisconnected)},
        {name::kChat, takes(read::chatRelay)},
        {name::kAction, takes(read::actionRelay)},
        {name::kPlayASound, takes(read::playASoundRelay)},
        {name::kJustWatching, takes(read::justWatching)},
        {name::kStartGame, takes(read::startGameAnnounce)},
        {name::kChooseCat, takes(read::chooseCatAnnounce)},
        {name::kLoadWord, takes(read::loadWord)},
        {name::kNextPlayer, takes(read::nextPlayer)},
        {name::kFoundLetter, takes(read::foundLetter)},
        {name::kAddMan, takes(read::addMan)},
        {name::kError, takes(read::error)},
        {name::kOutOfTime, takes(read::outOfTime)},
        {name::kWinner, takes(read::winner)},
    };
    const auto named = splitName(message);
    const auto& table = direction == Direction::ToServer ? clientToServer : serverToClient;
    const auto found = table.find(named->name);
    EXPECT_NE(found, table.end()) << message.toStdString();
    return found != table.end() && found->second(named->args);
}

constexpr Direction kToServer = Direction::ToServer;
constexpr Direction kToClient = Direction::ToClient;

TEST(Decoders, ClientMessagesGiveBackWhatTheBuildersWrote)
{
    const auto login = read::loginInfo(argsOf(msg::loginInfo(2, kVersion, "Bo+b")));
    ASSERT_TRUE(login);
    EXPECT_EQ(login->sender, 2);
    EXPECT_EQ(login->version, "1.0.6");
    EXPECT_EQ(login->name, "Bo+b");

    const auto kick = read::kickHim(argsOf(msg::kickHim(1, 8)));
    ASSERT_TRUE(kick);
    EXPECT_EQ(kick->target, 8);
    EXPECT_EQ(read::botSpeed(argsOf(msg::botSpeed(1, 2000)))->milliseconds, 2000);

    const auto chat = read::chat(argsOf(msg::chat(3, "a+b|c", "clRed")));
    ASSERT_TRUE(chat);
    EXPECT_EQ(chat->sender, 3);
    EXPECT_EQ(chat->rest, "a+b|c|clRed");
    EXPECT_EQ(read::action(argsOf(msg::action(4, "waves", "$00FF0000")))->rest, "waves|$00FF0000");
    EXPECT_EQ(read::playASound(argsOf(msg::playASound(5, 7)))->rest, "wave7+");

    const auto start = read::startGame(argsOf(msg::startGame("You", "200", "20", true, false)));
    ASSERT_TRUE(start);
    EXPECT_EQ(start->starter, "You");
    EXPECT_EQ(start->playTo, 200);
    EXPECT_EQ(start->turnTime, 20);
    EXPECT_TRUE(start->team());
    EXPECT_FALSE(start->choose);

    const auto watch = read::justWatch(argsOf(msg::justWatch(4, kWatching)));
    ASSERT_TRUE(watch);
    EXPECT_EQ(watch->seat, 4);
    EXPECT_EQ(watch->state, kWatching);
    EXPECT_EQ(read::justWatch(argsOf(msg::justWatch(4, kPlaying)))->state, kPlaying);
    EXPECT_EQ(read::selectLetter(argsOf(msg::selectLetter(2, 26)))->letter, 26);
    EXPECT_EQ(read::chooseCat(argsOf(msg::chooseCat(5, 4)))->category, 4);
}

TEST(Decoders, ServerMessagesGiveBackWhatTheBuildersWrote)
{
    EXPECT_EQ(read::sendLoginInfo(argsOf(msg::sendLoginInfo(9)))->slot, 9);
    const auto spy = read::existingPlayers(argsOf(msg::existingPlayers(8, "Eve+Spy")));
    ASSERT_TRUE(spy);
    EXPECT_EQ(spy->slot, 8);
    EXPECT_EQ(spy->name, "Eve+Spy");
    EXPECT_EQ(read::newPlayerInfo(argsOf(msg::newPlayerInfo(1, "You")))->name, "You");
    EXPECT_EQ(read::playerDisconnected(argsOf(msg::playerDisconnected(3, "C+D")))->name, "C+D");
    EXPECT_EQ(read::haveWrongVersion(argsOf(msg::haveWrongVersion("A+B")))->name, "A+B");
    EXPECT_TRUE(read::wrongVersion(argsOf(msg::wrongVersion())));
    EXPECT_TRUE(read::full(argsOf(msg::full())));

    msg::GameStats sent;
    sent.slot = 3;
    sent.currentSeat = 2;
    sent.playTo = 200;
    sent.turnTime = 20;
    sent.delayCount = 4;
    sent.team = true;
    sent.mask = "a** '*";
    sent.category = 4;
    sent.misses = 6;
    sent.scores[0] = 12;
    sent.scores[5] = 7;
    const auto stats = read::gameStats(argsOf(msg::gameStats(sent)));
    ASSERT_TRUE(stats);
    EXPECT_EQ(stats->addressee, 3);
    EXPECT_EQ(stats->currentSeat, 2);
    EXPECT_EQ(stats->playTo, "200");
    EXPECT_EQ(stats->turnTime, 20);
    EXPECT_TRUE(stats->team);
    EXPECT_EQ(stats->mask, "a** '*");
    EXPECT_EQ(stats->category, 4);
    EXPECT_EQ(stats->misses, 6);
    EXPECT_EQ(stats->scores, (std::array<int, kSeatCount>{12, 0, 0, 0, 0, 7}));

    const auto marks = read::markLetters(argsOf(msg::markLetters(2, {1, 5, 26})));
    ASSERT_TRUE(marks);
    EXPECT_EQ(marks->addressee, 2);
    EXPECT_EQ(marks->letters, (QList<int>{1, 5, 26}));

    const auto relay = read::chatRelay(argsOf(msg::chatRelay("3", "Ann", "a|b|clRed")));
    ASSERT_TRUE(relay);
    EXPECT_EQ(relay->sender, 3);
    EXPECT_EQ(relay->text, "Ann chats: a|b");
    EXPECT_EQ(relay->colour, "clRed");
    EXPECT_EQ(read::actionRelay(argsOf(msg::actionRelay("4", "Bob", "waves")))->colour, std::nullopt);
    const auto sound = read::playASoundRelay(argsOf(msg::playASoundRelay(2, "wave20+")));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->sender, 2);
    EXPECT_EQ(sound->sound, 20);

    EXPECT_TRUE(read::justWatching(argsOf(msg::justWatching(4, kWatching)))->watching);
    EXPECT_FALSE(read::justWatching(argsOf(msg::justWatching(4, kPlaying)))->watching);
    const auto start = read::startGameAnnounce(argsOf(msg::startGameAnnounce("You", 200, 20, "t")));
    ASSERT_TRUE(start);
    EXPECT_EQ(start->starter, "You");
    EXPECT_EQ(start->playTo, "200");
    EXPECT_EQ(start->turnTime, 20);
    EXPECT_TRUE(start->team);
    EXPECT_EQ(read::chooseCatAnnounce(argsOf(msg::chooseCatAnnounce(5)))->seat, 5);
    EXPECT_EQ(read::nextPlayer(argsOf(msg::nextPlayer(2)))->seat, 2);
    const auto word = read::loadWord(argsOf(msg::loadWord("*****'* *****", 0)));
    ASSERT_TRUE(word);
    EXPECT_EQ(word->mask, "*****'* *****");
    EXPECT_EQ(word->category, 0);

    const auto found = read::foundLetter(argsOf(msg::foundLetter({3, 5, 'e', 2, 10, 40, 1, 40, 5, 40, "e*e"})));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->seat, 3);
    EXPECT_EQ(found->letter, 5);
    EXPECT_EQ(found->letterText, "e");
    EXPECT_EQ(found->count, 2);
    EXPECT_EQ(found->bonus, 10);
    EXPECT_EQ(found->score, 40);
    ASSERT_TRUE(found->mates[0] && found->mates[1]);
    EXPECT_EQ(found->mates[0]->seat, 1);
    EXPECT_EQ(found->mates[1]->seat, 5);
    EXPECT_EQ(found->mates[1]->score, 40);
    EXPECT_EQ(found->mask, "e*e");

    const auto man = read::addMan(argsOf(msg::addMan(2, 20, 't', 7, "baker's dozen")));
    ASSERT_TRUE(man);
    EXPECT_EQ(man->seat, 2);
    EXPECT_EQ(man->letter, 20);
    EXPECT_EQ(man->misses, 7);
    EXPECT_EQ(man->word, "baker's dozen");
    const auto error = read::error(argsOf(msg::error(3)));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->seat, 3);
    EXPECT_EQ(error->code, 1);
    EXPECT_EQ(read::outOfTime(argsOf(msg::outOfTime(6)))->seat, 6);
    EXPECT_EQ(read::winner(argsOf(msg::winner("The Gray Team")))->name, "The Gray Team");
}

// Each row: the direction, a message without its terminator, and whether its
// decoder takes it (a message that is not taken changes nothing at its receiver).
struct Row {
    Direction direction;
    const char* message;
    bool taken;
};

const Row kRows[] = {
    // A sender slot only in the form a client writes it.
    {kToServer, "CMD_logininfo+2+1.0.6", true},
    {kToServer, "CMD_logininfo+02+1.0.6+Bob", false},
    {kToServer, "CMD_logininfo++1.0.6+Bob", false},
    {kToServer, "CMD_chat+1", true},
    {kToServer, "CMD_chat+-0+hi|clRed", false},
    {kToServer, "CMD_action+x+waves", false},
    {kToServer, "CMD_playasound+3+", true},
    {kToServer, "CMD_kickhim+1+x+", false},
    {kToServer, "CMD_kickhim+1+04+", true},
    {kToServer, "CMD_botspeed+1++", false},
    {kToServer, "CMD_selectletter+2+e+", false},
    {kToServer, "CMD_selectletter+2+-5+", true},
    // A category that is no number still begins the round (in category 0).
    {kToServer, "CMD_choosecat+2+x+", true},
    {kToServer, "CMD_choosecat+2x+1+", false},
    {kToServer, "CMD_startgame+", true},
    {kToServer, "CMD_justwatch+4+3", false},
    {kToServer, "CMD_justwatch+4+1+", false},
    {kToServer, "CMD_justwatch+04+2", true},
    {kToServer, "CMD_justwatch+four+1", false},
    // Server to client.
    {kToClient, "CMD_sendlogininfo+10", false},
    {kToClient, "CMD_sendlogininfo+0", false},
    {kToClient, "CMD_sendlogininfo+1+", false},
    {kToClient, "CMD_newplayerinfo+42+X", false},
    {kToClient, "CMD_existingplayers+x+Y", false},
    {kToClient, "CMD_playerdisconnected+9", true},
    {kToClient, "CMD_chat+4 chats: hi|clRed", false},
    {kToClient, "CMD_chat+a+Z chats: hi", false},
    {kToClient, "CMD_action+3+Ann waves", true},
    {kToClient, "CMD_playasound+1+wave21+", false},
    {kToClient, "CMD_playasound+1+wave07+", false},
    {kToClient, "CMD_playasound+1+WAVE7+", false},
    {kToClient, "CMD_playasound+1+wave0+", false},
    {kToClient, "CMD_playasound+1+wave7 +", false},
    {kToClient, "CMD_playasound+x+wave7+", false},
    {kToClient, "CMD_playasound+99+wave7+", true},
    {kToClient, "CMD_justwatching+7+1", false},
    {kToClient, "CMD_justwatching+3+yes", true},
    {kToClient, "CMD_startgame+Ann+200+x+t+", false},
    {kToClient, "CMD_startgame+Ann+lots+20+t+", true},
    {kToClient, "CMD_choosecat+0+", false},
    {kToClient, "CMD_nextplayer+7+", false},
    {kToClient, "CMD_loadword+***+5+", false},
    {kToClient, "CMD_loadword+***+-1+", false},
    {kToClient, "CMD_foundletter+2+5+e+2+0+2+2+2+2+2+***e*+", true},
    {kToClient, "CMD_foundletter+2+5+e+2+0+2+0+0+0+0+***e*+", true},
    {kToClient, "CMD_foundletter+7+5+e+2+0+2+2+2+2+2+***e*+", false},
    {kToClient, "CMD_foundletter+2+27+e+2+0+2+2+2+2+2+***e*+", false},
    {kToClient, "CMD_foundletter+2+5+e+x+0+2+2+2+2+2+***e*+", false},
    {kToClient, "CMD_foundletter+2+5+e+2+0+2+7+2+2+2+***e*+", false},
    {kToClient, "CMD_foundletter+2+5+e+2+0+2+2+2+2+", false},
    {kToClient, "CMD_addman+x+20+t+1+*+", true},
    {kToClient, "CMD_addman+2+0+t+1+*+", false},
    {kToClient, "CMD_addman+2+20+t+-1+*+", false},
    {kToClient, "CMD_gamestats+3+2+200+20+4+t+a*+4+6+1+2+3+4+5+6+", true},
    {kToClient, "CMD_gamestats+3+2+200+20+pause+t+a*+4+6+1+2+3+4+5+6+", true},
    {kToClient, "CMD_gamestats+0+2+200+20+4+t+a*+4+6+1+2+3+4+5+6+", false},
    {kToClient, "CMD_gamestats+3+0+200+20+4+t+a*+4+6+1+2+3+4+5+6+", false},
    {kToClient, "CMD_gamestats+3+2+200+x+4+t+a*+4+6+1+2+3+4+5+6+", false},
    {kToClient, "CMD_gamestats+3+2+200+20+4+t+a*+5+6+1+2+3+4+5+6+", false},
    {kToClient, "CMD_gamestats+3+2+200+20+4+t+a*+4+-1+1+2+3+4+5+6+", false},
    {kToClient, "CMD_gamestats+3+2+200+20+4+t+a*+4+6+1+2+3+4+5+", false},
    {kToClient, "CMD_markletters+x+1+2", false},
    {kToClient, "CMD_markletters+0+1", false},
    {kToClient, "CMD_error+x+1+", false},
    {kToClient, "CMD_error+2+x+", true},
    {kToClient, "CMD_outoftime+-4+", true},
    {kToClient, "CMD_outoftime++", false},
    {kToClient, "CMD_winner+", true},
    {kToClient, "CMD_havewrongversion+", true},
};

TEST(Decoders, MalformedFieldsAreRefusedWhereTheReceiverWouldIgnoreThem)
{
    for (const Row& row : kRows)
        EXPECT_EQ(accepted(row.direction, row.message), row.taken) << row.message;
}

TEST(Decoders, LenientFieldsKeepWhatTheReceiverShows)
{
    // Marked letters skip what is no letter number; a trailing "+" ends the list.
    EXPECT_EQ(read::markLetters("2+1+x+27+5+")->letters, (QList<int>{1, 5}));
    // The chat keeps everything before the last "|" and reads the colour after it.
    const auto chat = read::chatRelay("4+Cat chats: a|b|clRed");
    EXPECT_EQ(chat->text, "Cat chats: a|b");
    EXPECT_EQ(chat->colour, "clRed");
    // Names in a start or a win are cut at "+"; a name elsewhere keeps it.
    EXPECT_EQ(read::winner("Ann+Bob+")->name, "Ann");
    EXPECT_EQ(read::startGameAnnounce("Ann+Bob+200+20+t+")->playTo, "Bob");
    // A start's numbers fall back to the server's defaults; the team field is announced as sent.
    const auto start = read::startGame("You+lots+0+yes+t+");
    EXPECT_EQ(start->playTo, std::nullopt);
    EXPECT_EQ(start->turnTime, 0);
    EXPECT_EQ(start->teamField, "yes");
    EXPECT_FALSE(start->team());
    EXPECT_TRUE(start->choose);
    EXPECT_EQ(read::chooseCat("2+x+")->category, std::nullopt);
    // Only the state "1" is watching at a client; anything else is playing.
    EXPECT_FALSE(read::justWatching("3+yes")->watching);
    EXPECT_EQ(read::addMan("x+20+t+1+*+")->seat, std::nullopt);
    EXPECT_FALSE(read::foundLetter("2+5+e+2+0+2+0+0+0+0+***e*+")->mates[0]);
}

} // namespace
