#include "net/protocol.h"

#include <limits>

namespace proto {

QByteArray toWire(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        out.append(u < 0xFF ? char(u) : '?');
    }
    return out;
}

QString fromWire(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

std::optional<int> toNumber(const QByteArray& field)
{
    int i = 0;
    const bool negative = !field.isEmpty() && field[0] == '-';
    if (negative)
        i = 1;
    if (i >= field.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < field.size(); ++i) {
        const char c = field[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(value);
}

std::optional<NamedMessage> splitName(const QByteArray& message)
{
    const qsizetype plus = message.indexOf(kSeparator);
    if (plus <= 0)
        return std::nullopt;
    return NamedMessage{message.left(plus), message.mid(plus + 1)};
}

QByteArray FieldReader::next()
{
    const qsizetype plus = m_rest.indexOf(kSeparator);
    QByteArray field;
    if (plus < 0) {
        field = m_rest;
        m_rest.clear();
    } else {
        field = m_rest.left(plus);
        m_rest.remove(0, plus + 1);
    }
    return field;
}

std::optional<int> FieldReader::nextNumber()
{
    return toNumber(next());
}

QList<QByteArray> MessageCutter::feed(const QByteArray& bytes)
{
    QList<QByteArray> messages;
    if (m_overflowed)
        return messages;
    m_buffer.append(bytes);
    qsizetype start = 0;
    for (qsizetype end; (end = m_buffer.indexOf(kTerminator, start)) >= 0; start = end + 1) {
        // A long message is refused even when it arrives whole in one read.
        if (end - start > m_maxPending) {
            m_overflowed = true;
            m_buffer.clear();
            return messages;
        }
        messages.append(m_buffer.mid(start, end - start));
    }
    m_buffer.remove(0, start);
    if (m_buffer.size() > m_maxPending) {
        m_overflowed = true;
        m_buffer.clear();
    }
    return messages;
}

namespace msg {
namespace {

// Joins the parts with "+" and ends the message.
QByteArray join(std::initializer_list<QByteArray> parts, bool trailingSeparator)
{
    QByteArray out;
    bool first = true;
    for (const QByteArray& part : parts) {
        if (!first)
            out.append(kSeparator);
        out.append(part);
        first = false;
    }
    if (trailingSeparator)
        out.append(kSeparator);
    out.append(kTerminator);
    return out;
}

QByteArray num(int n)
{
    return QByteArray::number(n);
}

QByteArray flag(bool on)
{
    return on ? "t" : "f";
}

} // namespace

QByteArray loginInfo(int slot, const QByteArray& version, const QByteArray& name)
{
    return join({"CMD_logininfo", num(slot), version, name}, false) + kTerminator;
}

QByteArray kickHim(int sender, int target) { return join({"CMD_kickhim", num(sender), num(target)}, true); }
QByteArray botSpeed(int sender, int milliseconds) { return join({"CMD_botspeed", num(sender), num(milliseconds)}, true); }

QByteArray chat(int sender, const QByteArray& text, const QByteArray& colour)
{
    return join({"CMD_chat", num(sender), text + kColourSeparator + colour}, false);
}

QByteArray action(int sender, const QByteArray& text, const QByteArray& colour)
{
    return join({"CMD_action", num(sender), text + kColourSeparator + colour}, false);
}

QByteArray startGame(const QByteArray& starter, const QByteArray& playTo, const QByteArray& turnTime,
                     bool team, bool choose)
{
    return join({"CMD_startgame", starter, playTo, turnTime, flag(team), flag(choose)}, true);
}

QByteArray justWatch(int seat, int state) { return join({"CMD_justwatch", num(seat), num(state)}, false); }
QByteArray selectLetter(int sender, int letter) { return join({"CMD_selectletter", num(sender), num(letter)}, true); }
QByteArray chooseCat(int sender, int category) { return join({"CMD_choosecat", num(sender), num(category)}, true); }
QByteArray playASound(int sender, int wave) { return join({"CMD_playasound", num(sender), "wave" + num(wave)}, true); }

QByteArray sendLoginInfo(int slot) { return join({"CMD_sendlogininfo", num(slot)}, false); }
QByteArray full() { return join({"CMD_full"}, true); }
QByteArray newPlayerInfo(int slot, const QByteArray& name) { return join({"CMD_newplayerinfo", num(slot), name}, false); }
QByteArray existingPlayers(int slot, const QByteArray& name) { return join({"CMD_existingplayers", num(slot), name}, false); }
QByteArray haveWrongVersion(const QByteArray& name) { return join({"CMD_havewrongversion", name}, false); }
QByteArray wrongVersion() { return join({"CMD_wrongversion"}, true); }

QByteArray gameStats(const GameStats& s)
{
    QByteArray out = "CMD_gamestats";
    for (const QByteArray& field : {num(s.slot), num(s.currentSeat), num(s.playTo), num(s.turnTime),
                                    num(s.delayCount), flag(s.team), s.mask, num(s.category), num(s.misses)})
        out += kSeparator + field;
    for (int score : s.scores)
        out += kSeparator + num(score);
    return out + kSeparator + kTerminator;
}

QByteArray markLetters(int slot, const QList<int>& letters)
{
    QByteArray out = "CMD_markletters+" + num(slot);
    for (int letter : letters)
        out += kSeparator + num(letter);
    return out + kTerminator;
}

QByteArray playerDisconnected(int slot, const QByteArray& name)
{
    return join({"CMD_playerdisconnected", num(slot), name}, false);
}

QByteArray chatRelay(const QByteArray& senderField, const QByteArray& name, const QByteArray& rest)
{
    return join({"CMD_chat", senderField, name + " chats: " + rest}, false);
}

QByteArray actionRelay(const QByteArray& senderField, const QByteArray& name, const QByteArray& rest)
{
    return join({"CMD_action", senderField, name + " " + rest}, false);
}

QByteArray playASoundRelay(int sender, const QByteArray& rest) { return join({"CMD_playasound", num(sender), rest}, false); }
QByteArray justWatching(int seat, const QByteArray& state) { return join({"CMD_justwatching", num(seat), state}, false); }

QByteArray startGameAnnounce(const QByteArray& starter, int playTo, int turnTime, const QByteArray& teamField)
{
    return join({"CMD_startgame", starter, num(playTo), num(turnTime), teamField}, true);
}

QByteArray chooseCatAnnounce(int seat) { return join({"CMD_choosecat", num(seat)}, true); }
QByteArray loadWord(const QByteArray& mask, int category) { return join({"CMD_loadword", mask, num(category)}, true); }
QByteArray nextPlayer(int seat) { return join({"CMD_nextplayer", num(seat)}, true); }

QByteArray foundLetter(const Found& f)
{
    return join({"CMD_foundletter", num(f.seat), num(f.letter), QByteArray(1, f.letterChar), num(f.count),
                 num(f.bonus), num(f.score), num(f.mate1), num(f.mate1Score), num(f.mate2),
                 num(f.mate2Score), f.mask},
                true);
}

QByteArray addMan(int seat, int letter, char letterChar, int misses, const QByteArray& word)
{
    return join({"CMD_addman", num(seat), num(letter), QByteArray(1, letterChar), num(misses), word}, true);
}

QByteArray error(int seat) { return join({"CMD_error", num(seat), "1"}, true); }
QByteArray outOfTime(int seat) { return join({"CMD_outoftime", num(seat)}, true); }
QByteArray winner(const QByteArray& name) { return join({"CMD_winner", name}, true); }

} // namespace msg
} // namespace proto
