#pragma once
// The game protocol, written out once.
//
// Roles: the game server (one per game, inside the hosting copy) owns the game;
// every copy of the program is a client with one TCP connection to it (port 7772).
// The host's own client connects first and always gets slot 1.
//
// Grammar of one message on the wire (8-bit text, Latin-1):
//     message   = name *( "+" field ) terminator
//     name      = "CMD_" letters
//     terminator= byte 0xFF
// There is no length prefix and no escaping. A receiver cuts fields from the
// front up to the next "+"; a "rest" field runs to the terminator and may hold "+".
// Many messages end their last field with a "+" before the terminator.
//
// Slots 1..6 are the board's seats, 7..9 are spies. Letters travel as numbers
// 1..26 ("a".."z") or as one lower-case letter; categories as 0..4.
//
// Flow of a message: the connection's MessageCutter cuts complete messages out of
// the bytes read -> the side's received queue -> a timer takes one message per
// tick -> splitName() -> the side's one table names the decoder (proto::read) and
// the handler, which takes the decoded value. Builders are in proto::msg.

#include "net/gamerules.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace proto {

constexpr char kTerminator = '\xFF';
constexpr char kSeparator = '+';
constexpr char kColourSeparator = '|';
constexpr quint16 kGamePort = 7772;
constexpr quint16 kLauncherPort = 9001;
// The states of "CMD_justwatch" and "CMD_justwatching".
constexpr int kWatching = 1;
constexpr int kPlaying = 2;

// Network input bounds: a connection that exceeds them is closed.
constexpr int kMaxPendingBytes = 64 * 1024;  // one message, or the bytes still waiting for its terminator
constexpr int kMaxQueuedMessages = 256;      // messages of one connection waiting in the server's queue
constexpr qint64 kMaxOutgoingBytes = 1024 * 1024; // bytes a peer leaves unread before it is dropped
// The longest message a server sends is a chat or action relay: the sender's
// name and text, each taken from a message of at most kMaxPendingBytes. A client
// accepts messages this long, so nobody can make the server send what the
// clients, the host's own among them, would refuse.
constexpr int kMaxServerMessageBytes = 2 * kMaxPendingBytes + 1024;

// Every message name of the protocol. Five names travel both ways ("CMD_chat",
// "CMD_action", "CMD_startgame", "CMD_choosecat", "CMD_playasound"), with other
// fields in each direction.
namespace name {
inline constexpr char kLoginInfo[] = "CMD_logininfo";
inline constexpr char kKickHim[] = "CMD_kickhim";
inline constexpr char kBotSpeed[] = "CMD_botspeed";
inline constexpr char kChat[] = "CMD_chat";
inline constexpr char kAction[] = "CMD_action";
inline constexpr char kStartGame[] = "CMD_startgame";
inline constexpr char kJustWatch[] = "CMD_justwatch";
inline constexpr char kSelectLetter[] = "CMD_selectletter";
inline constexpr char kChooseCat[] = "CMD_choosecat";
inline constexpr char kPlayASound[] = "CMD_playasound";
inline constexpr char kSendLoginInfo[] = "CMD_sendlogininfo";
inline constexpr char kFull[] = "CMD_full";
inline constexpr char kNewPlayerInfo[] = "CMD_newplayerinfo";
inline constexpr char kExistingPlayers[] = "CMD_existingplayers";
inline constexpr char kHaveWrongVersion[] = "CMD_havewrongversion";
inline constexpr char kWrongVersion[] = "CMD_wrongversion";
inline constexpr char kGameStats[] = "CMD_gamestats";
inline constexpr char kMarkLetters[] = "CMD_markletters";
inline constexpr char kPlayerDisconnected[] = "CMD_playerdisconnected";
inline constexpr char kJustWatching[] = "CMD_justwatching";
inline constexpr char kLoadWord[] = "CMD_loadword";
inline constexpr char kNextPlayer[] = "CMD_nextplayer";
inline constexpr char kFoundLetter[] = "CMD_foundletter";
inline constexpr char kAddMan[] = "CMD_addman";
inline constexpr char kError[] = "CMD_error";
inline constexpr char kOutOfTime[] = "CMD_outoftime";
inline constexpr char kWinner[] = "CMD_winner";
} // namespace name

// Text <-> wire bytes. Text travels as Latin-1; characters outside it and the
// terminator byte itself become "?".
QByteArray toWire(const QString& text);
QString fromWire(const QByteArray& bytes);

// A number is an optional "-" followed by decimal digits that fits in 32 bits.
std::optional<int> toNumber(const QByteArray& field);

// Splits a message into its name (before the first "+") and its arguments.
// Returns nothing for a message without "+" or with an empty name.
struct NamedMessage {
    QByteArray name;
    QByteArray args;
};
std::optional<NamedMessage> splitName(const QByteArray& message);

// Cuts fields from the front of an argument text.
class FieldReader {
public:
    explicit FieldReader(QByteArray args) : m_rest(std::move(args)) {}
    // The text before the next "+" (all that is left when there is none); removes it and the "+".
    QByteArray next();
    // next() read as a number; nothing when it is not one (the field is consumed all the same).
    std::optional<int> nextNumber();
    // Everything not yet read, "+" characters included.
    const QByteArray& rest() const { return m_rest; }
    bool atEnd() const { return m_rest.isEmpty(); }

private:
    QByteArray m_rest;
};

// Cuts a connection's byte stream at the terminator. Bytes after the last
// terminator wait for the next read.
class MessageCutter {
public:
    explicit MessageCutter(int maxPending = kMaxPendingBytes) : m_maxPending(maxPending) {}
    // Appends the bytes and returns every message they complete (empty ones included).
    QList<QByteArray> feed(const QByteArray& bytes);
    // True once a message, or the bytes waiting for a terminator, exceeded the
    // bound; no more messages come out after that.
    bool overflowed() const { return m_overflowed; }
    int pendingBytes() const { return int(m_buffer.size()); }

private:
    QByteArray m_buffer;
    int m_maxPending;
    bool m_overflowed = false;
};

// Builders for every message of the protocol, each ending with the terminator.
namespace msg {

// client -> server
QByteArray loginInfo(int slot, const QByteArray& version, const QByteArray& name); // ends with two terminators
QByteArray kickHim(int sender, int target);
QByteArray botSpeed(int sender, int milliseconds);
QByteArray chat(int sender, const QByteArray& text, const QByteArray& colour);
QByteArray action(int sender, const QByteArray& text, const QByteArray& colour);
QByteArray startGame(const QByteArray& starter, const QByteArray& playTo, const QByteArray& turnTime,
                     bool team, bool choose);
QByteArray justWatch(int seat, int state); // state kWatching or kPlaying
QByteArray selectLetter(int sender, int letter);
QByteArray chooseCat(int sender, int category);
QByteArray playASound(int sender, int wave);

// server -> client
QByteArray sendLoginInfo(int slot);
QByteArray full();
QByteArray newPlayerInfo(int slot, const QByteArray& name);
QByteArray existingPlayers(int slot, const QByteArray& name);
QByteArray haveWrongVersion(const QByteArray& name);
QByteArray wrongVersion();
struct GameStats {
    int slot = 0, currentSeat = 0, playTo = 0, turnTime = 0, delayCount = 0;
    bool team = false;
    QByteArray mask;
    int category = 0, misses = 0;
    int scores[kSeatCount] = {};
};
QByteArray gameStats(const GameStats& stats);
QByteArray markLetters(int slot, const QList<int>& letters);
QByteArray playerDisconnected(int slot, const QByteArray& name);
QByteArray chatRelay(const QByteArray& senderField, const QByteArray& name, const QByteArray& rest);
QByteArray actionRelay(const QByteArray& senderField, const QByteArray& name, const QByteArray& rest);
QByteArray playASoundRelay(int sender, const QByteArray& rest);
QByteArray justWatching(int seat, int state);
QByteArray startGameAnnounce(const QByteArray& starter, int playTo, int turnTime, const QByteArray& teamField);
QByteArray chooseCatAnnounce(int seat);
QByteArray loadWord(const QByteArray& mask, int category);
QByteArray nextPlayer(int seat);
struct Found {
    int seat = 0, letter = 0;
    char letterChar = 'a';
    int count = 0, bonus = 0, score = 0;
    int mate1 = 0, mate1Score = 0, mate2 = 0, mate2Score = 0;
    QByteArray mask;
};
QByteArray foundLetter(const Found& found);
QByteArray addMan(int seat, int letter, char letterChar, int misses, const QByteArray& word);
QByteArray error(int seat);
QByteArray outOfTime(int seat);
QByteArray winner(const QByteArray& name);

} // namespace msg

// Decoders: each takes the arguments of its message (the text after "CMD_xxx+")
// and returns the fields as typed values, or nothing when the message is to be
// ignored whatever the receiver's state. What depends on the receiver (its own
// slot, the turn, the game state) is left to the handler.
//
// A sender slot is read only in the form a client writes it (decimal, no sign,
// no leading zero): the server trusts no other spelling, so relaying the number
// gives back the very field received. Other numbers are read by toNumber().
namespace read {

// ---- client -> server

struct LoginInfo {
    int sender = 0;
    QByteArray version;
    QByteArray name; // rest field
};
std::optional<LoginInfo> loginInfo(const QByteArray& args);

struct KickHim {
    int sender = 0;
    int target = 0;
};
std::optional<KickHim> kickHim(const QByteArray& args);

struct BotSpeed {
    int sender = 0;
    int milliseconds = 0;
};
std::optional<BotSpeed> botSpeed(const QByteArray& args);

// "CMD_chat", "CMD_action" and "CMD_playasound" as a client sends them: the
// sender and everything after it, which the server relays unchanged.
struct Relayed {
    int sender = 0;
    QByteArray rest;
};
std::optional<Relayed> chat(const QByteArray& args);
std::optional<Relayed> action(const QByteArray& args);
std::optional<Relayed> playASound(const QByteArray& args);

struct StartGame {
    QByteArray starter;
    std::optional<int> playTo;   // not a number: the server's default
    std::optional<int> turnTime; // likewise
    QByteArray teamField;        // announced again as received
    bool choose = false;
    bool team() const { return teamField == "t"; }
};
std::optional<StartGame> startGame(const QByteArray& args);

struct JustWatch {
    int seat = 0;
    int state = kPlaying; // kWatching or kPlaying; any other state is no request
};
std::optional<JustWatch> justWatch(const QByteArray& args);

struct SelectLetter {
    int sender = 0;
    int letter = 0; // any number; the engine judges it
};
std::optional<SelectLetter> selectLetter(const QByteArray& args);

struct ChooseCat {
    int sender = 0;
    std::optional<int> category; // not a number: the round is played in category 0
};
std::optional<ChooseCat> chooseCat(const QByteArray& args);

// ---- server -> client

struct SendLoginInfo {
    int slot = 0; // 1..9
};
std::optional<SendLoginInfo> sendLoginInfo(const QByteArray& args);

struct Full {};
std::optional<Full> full(const QByteArray& args);

// "CMD_newplayerinfo", "CMD_existingplayers" and "CMD_playerdisconnected".
struct Player {
    int slot = 0;    // 1..9
    QByteArray name; // rest field
};
std::optional<Player> newPlayerInfo(const QByteArray& args);
std::optional<Player> existingPlayers(const QByteArray& args);
std::optional<Player> playerDisconnected(const QByteArray& args);

struct HaveWrongVersion {
    QByteArray name; // rest field
};
std::optional<HaveWrongVersion> haveWrongVersion(const QByteArray& args);

struct WrongVersion {};
std::optional<WrongVersion> wrongVersion(const QByteArray& args);

struct GameStats {
    int addressee = 0;  // 1 or more
    int currentSeat = 0; // 1..6
    QByteArray playTo;  // shown as received
    int turnTime = 0;
    bool team = false;
    QByteArray mask;
    int category = 0; // 0..4
    int misses = 0;   // 0 or more
    std::array<int, kSeatCount> scores{}; // seats 1..6
};
std::optional<GameStats> gameStats(const QByteArray& args);

struct MarkLetters {
    int addressee = 0;  // 1 or more
    QList<int> letters; // the fields that are letter numbers 1..26, in order
};
std::optional<MarkLetters> markLetters(const QByteArray& args);

// "CMD_chat" and "CMD_action" as the server relays them: the sender slot becomes
// the chat line's style, text is everything before the last colour separator.
struct ChatLine {
    int sender = 0; // read as the chat reads a style number
    QByteArray text;
    std::optional<QByteArray> colour; // after the last "|", when there is one
};
std::optional<ChatLine> chatRelay(const QByteArray& args);
std::optional<ChatLine> actionRelay(const QByteArray& args);

struct ChatterSound {
    int sender = 0; // any number
    int sound = 0;  // 1..20, from "wave1".."wave20" exactly
};
std::optional<ChatterSound> playASoundRelay(const QByteArray& args);

struct JustWatching {
    int seat = 0; // 1..6
    bool watching = false; // state "1"; any other state is playing
};
std::optional<JustWatching> justWatching(const QByteArray& args);

struct StartGameAnnounce {
    QByteArray starter;
    QByteArray playTo; // shown as received
    int turnTime = 0;
    bool team = false;
};
std::optional<StartGameAnnounce> startGameAnnounce(const QByteArray& args);

struct Seat {
    int seat = 0; // 1..6
};
std::optional<Seat> chooseCatAnnounce(const QByteArray& args);
std::optional<Seat> nextPlayer(const QByteArray& args);

struct LoadWord {
    QByteArray mask;
    int category = 0; // 0..4
};
std::optional<LoadWord> loadWord(const QByteArray& args);

struct SeatScore {
    int seat = 0; // 1..6
    int score = 0;
};
struct FoundLetter {
    int seat = 0;   // 1..6
    int letter = 0; // 1..26
    QByteArray letterText; // shown as received
    int count = 0;
    int bonus = 0;
    int score = 0;
    std::array<std::optional<SeatScore>, 2> mates; // a mate field 0 names nobody
    QByteArray mask;
};
std::optional<FoundLetter> foundLetter(const QByteArray& args);

struct AddMan {
    std::optional<int> seat; // not checked: the picker is not shown
    int letter = 0;          // 1..26
    int misses = 0;          // 0 or more
    QByteArray word;         // "*", or the whole word at the hanging miss
};
std::optional<AddMan> addMan(const QByteArray& args);

struct Error {
    int seat = 0;
    std::optional<int> code; // 1: the letter is already revealed
};
std::optional<Error> error(const QByteArray& args);

struct OutOfTime {
    int seat = 0; // any number
};
std::optional<OutOfTime> outOfTime(const QByteArray& args);

struct Winner {
    QByteArray name; // up to the next "+"
};
std::optional<Winner> winner(const QByteArray& args);

} // namespace read
} // namespace proto
