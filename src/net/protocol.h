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
// Flow of a message: socket read -> MessageCutter cuts complete messages into the
// side's received queue -> a timer takes one message per tick -> splitName() ->
// the handler named by the message reads its fields with FieldReader.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace proto {

constexpr char kTerminator = '\xFF';
constexpr char kSeparator = '+';
constexpr char kColourSeparator = '|';
constexpr quint16 kGamePort = 7772;
constexpr quint16 kLauncherPort = 9001;
constexpr int kSeatCount = 6;
constexpr int kMaxSlots = 9;
inline constexpr char kVersion[] = "1.0.6";

// Network input bounds: a connection that exceeds them is closed.
constexpr int kMaxPendingBytes = 64 * 1024;  // one message, or the bytes still waiting for its terminator
constexpr int kMaxQueuedMessages = 256;      // messages of one connection waiting in the queue
constexpr qint64 kMaxOutgoingBytes = 1024 * 1024;
// The longest message a server sends is a chat or action relay: the sender's
// name and text, each taken from a message of at most kMaxPendingBytes. A client
// accepts messages this long, so nobody can make the server send what the
// clients, the host's own among them, would refuse.
constexpr int kMaxServerMessageBytes = 2 * kMaxPendingBytes + 1024;

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
QByteArray justWatch(int seat, int state);
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
QByteArray justWatching(int seat, const QByteArray& state);
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
} // namespace proto
