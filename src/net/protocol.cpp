#include "net/protocol.h"

#include <limits>

namespace proto {
namespace {

constexpr char kChatterSoundPrefix[] = "wave";

} // namespace

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
    return join({name::kLoginInfo, num(slot), version, name}, false) + kTerminator;
}

QByteArray kickHim(int sender, int target) { return join({name::kKickHim, num(sender), num(target)}, true); }
QByteArray botSpeed(int sender, int milliseconds) { return join({name::kBotSpeed, num(sender), num(milliseconds)}, true); }

QByteArray chat(int sender, const QByteArray& text, const QByteArray& colour)
{
    return join({name::kChat, num(sender), text + kColourSeparator + colour}, false);
}

QByteArray action(int sender, const QByteArray& text, const QByteArray& colour)
{
    return join({name::kAction, num(sender), text + kColourSeparator + colour}, false);
}

QByteArray startGame(const QByteArray& starter, const QByteArray& playTo, const QByteArray& turnTime,
                     bool team, bool choose)
{
    return join({name::kStartGame, starter, playTo, turnTime, flag(team), flag(choose)}, true);
}

QByteArray justWatch(int seat, int state) { return join({name::kJustWatch, num(seat), num(state)}, false); }
QByteArray selectLetter(int sender, int letter) { return join({name::kSelectLetter, num(sender), num(letter)}, true); }
QByteArray chooseCat(int sender, int category) { return join({name::kChooseCat, num(sender), num(category)}, true); }
QByteArray playASound(int sender, int wave) { return join({name::kPlayASound, num(sender), kChatterSoundPrefix + num(wave)}, true); }

QByteArray sendLoginInfo(int slot) { return join({name::kSendLoginInfo, num(slot)}, false); }
QByteArray full() { return join({name::kFull}, true); }
QByteArray newPlayerInfo(int slot, const QByteArray& name) { return join({name::kNewPlayerInfo, num(slot), name}, false); }
QByteArray existingPlayers(int slot, const QByteArray& name) { return join({name::kExistingPlayers, num(slot), name}, false); }
QByteArray haveWrongVersion(const QByteArray& name) { return join({name::kHaveWrongVersion, name}, false); }
QByteArray wrongVersion() { return join({name::kWrongVersion}, true); }

QByteArray gameStats(const GameStats& s)
{
    QByteArray out = name::kGameStats;
    for (const QByteArray& field : {num(s.slot), num(s.currentSeat), num(s.playTo), num(s.turnTime),
                                    num(s.delayCount), flag(s.team), s.mask, num(s.category), num(s.misses)})
        out += kSeparator + field;
    for (int score : s.scores)
        out += kSeparator + num(score);
    return out + kSeparator + kTerminator;
}

QByteArray markLetters(int slot, const QList<int>& letters)
{
    QByteArray out = name::kMarkLetters + (kSeparator + num(slot));
    for (int letter : letters)
        out += kSeparator + num(letter);
    return out + kTerminator;
}

QByteArray playerDisconnected(int slot, const QByteArray& name)
{
    return join({name::kPlayerDisconnected, num(slot), name}, false);
}

QByteArray chatRelay(const QByteArray& senderField, const QByteArray& name, const QByteArray& rest)
{
    return join({name::kChat, senderField, name + " chats: " + rest}, false);
}

QByteArray actionRelay(const QByteArray& senderField, const QByteArray& name, const QByteArray& rest)
{
    return join({name::kAction, senderField, name + " " + rest}, false);
}

QByteArray playASoundRelay(int sender, const QByteArray& rest) { return join({name::kPlayASound, num(sender), rest}, false); }
QByteArray justWatching(int seat, int state) { return join({name::kJustWatching, num(seat), num(state)}, false); }

QByteArray startGameAnnounce(const QByteArray& starter, int playTo, int turnTime, const QByteArray& teamField)
{
    return join({name::kStartGame, starter, num(playTo), num(turnTime), teamField}, true);
}

QByteArray chooseCatAnnounce(int seat) { return join({name::kChooseCat, num(seat)}, true); }
QByteArray loadWord(const QByteArray& mask, int category) { return join({name::kLoadWord, mask, num(category)}, true); }
QByteArray nextPlayer(int seat) { return join({name::kNextPlayer, num(seat)}, true); }

QByteArray foundLetter(const Found& f)
{
    return join({name::kFoundLetter, num(f.seat), num(f.letter), QByteArray(1, f.letterChar), num(f.count),
                 num(f.bonus), num(f.score), num(f.mate1), num(f.mate1Score), num(f.mate2),
                 num(f.mate2Score), f.mask},
                true);
}

QByteArray addMan(int seat, int letter, char letterChar, int misses, const QByteArray& word)
{
    return join({name::kAddMan, num(seat), num(letter), QByteArray(1, letterChar), num(misses), word}, true);
}

QByteArray error(int seat) { return join({name::kError, num(seat), "1"}, true); }
QByteArray outOfTime(int seat) { return join({name::kOutOfTime, num(seat)}, true); }
QByteArray winner(const QByteArray& name) { return join({name::kWinner, name}, true); }

} // namespace msg

namespace read {
namespace {

// A sender slot exactly as a client writes it.
std::optional<int> senderField(const QByteArray& field)
{
    const auto number = toNumber(field);
    if (!number || QByteArray::number(*number) != field)
        return std::nullopt;
    return number;
}

std::optional<int> nextSender(FieldReader& fields)
{
    return senderField(fields.next());
}

std::optional<int> nextSeat(FieldReader& fields)
{
    const auto seat = fields.nextNumber();
    return seat && isSeat(*seat) ? seat : std::nullopt;
}

// A sender slot and a number: the fields of three client messages.
template <typename Message>
std::optional<Message> senderAndNumber(const QByteArray& args)
{
    FieldReader fields(args);
    const auto sender = nextSender(fields);
    const auto number = fields.nextNumber();
    if (!sender || !number)
        return std::nullopt;
    return Message{*sender, *number};
}

std::optional<Player> player(const QByteArray& args)
{
    FieldReader fields(args);
    const auto slot = fields.nextNumber();
    if (!slot || !isSlot(*slot))
        return std::nullopt;
    return Player{*slot, fields.rest()};
}

// A message that opens with a sender slot: nothing when the slot is not written
// as a client writes it, else what readRest makes of it and the fields after it.
template <typename ReadRest>
auto fromSender(const QByteArray& args, ReadRest readRest)
    -> std::optional<decltype(readRest(0, std::declval<FieldReader&>()))>
{
    FieldReader fields(args);
    const auto sender = nextSender(fields);
    if (!sender)
        return std::nullopt;
    return readRest(*sender, fields);
}

std::optional<Relayed> relayed(const QByteArray& args)
{
    return fromSender(args, [](int sender, FieldReader& fields) { return Relayed{sender, fields.rest()}; });
}

std::optional<ChatLine> chatLine(const QByteArray& args)
{
    const qsizetype bar = args.lastIndexOf(kColourSeparator);
    const QByteArray line = bar >= 0 ? args.left(bar) : args;
    const qsizetype plus = line.indexOf(kSeparator);
    if (plus < 0)
        return std::nullopt;
    bool ok = false;
    const int sender = fromWire(line.left(plus)).toInt(&ok);
    if (!ok)
        return std::nullopt;
    ChatLine out{sender, line.mid(plus + 1), std::nullopt};
    if (bar >= 0)
        out.colour = args.mid(bar + 1);
    return out;
}

std::optional<int> chatterSound(const QByteArray& field)
{
    if (!field.startsWith(kChatterSoundPrefix))
        return std::nullopt;
    const auto sound = senderField(field.mid(qsizetype(sizeof kChatterSoundPrefix) - 1));
    return sound && *sound >= 1 && *sound <= kChatterSoundCount ? sound : std::nullopt;
}

// Reads the next field as a number into target; valid turns false when it is
// none or check refuses it.
void readNumber(FieldReader& fields, int& target, bool& valid, bool (*check)(int) = nullptr)
{
    const auto number = fields.nextNumber();
    valid = valid && number && (!check || check(*number));
    target = number.value_or(0);
}

bool isPositive(int number)
{
    return number >= 1;
}

bool isNotNegative(int number)
{
    return number >= 0;
}

bool isMateField(int seat)
{
    return seat == 0 || isSeat(seat);
}

} // namespace

std::optional<LoginInfo> loginInfo(const QByteArray& args)
{
    return fromSender(args, [](int sender, FieldReader& fields) {
        const QByteArray version = fields.next();
        return LoginInfo{sender, version, fields.rest()};
    });
}

std::optional<KickHim> kickHim(const QByteArray& args) { return senderAndNumber<KickHim>(args); }

std::optional<BotSpeed> botSpeed(const QByteArray& args) { return senderAndNumber<BotSpeed>(args); }

std::optional<Relayed> chat(const QByteArray& args) { return relayed(args); }
std::optional<Relayed> action(const QByteArray& args) { return relayed(args); }
std::optional<Relayed> playASound(const QByteArray& args) { return relayed(args); }

std::optional<StartGame> startGame(const QByteArray& args)
{
    FieldReader fields(args);
    StartGame out;
    out.starter = fields.next();
    out.playTo = fields.nextNumber();
    out.turnTime = fields.nextNumber();
    out.teamField = fields.next();
    out.choose = fields.next() == "t";
    return out;
}

std::optional<JustWatch> justWatch(const QByteArray& args)
{
    FieldReader fields(args);
    const auto seat = fields.nextNumber();
    const QByteArray& state = fields.rest();
    if (!seat || (state != "1" && state != "2"))
        return std::nullopt;
    return JustWatch{*seat, state == "1" ? kWatching : kPlaying};
}

std::optional<SelectLetter> selectLetter(const QByteArray& args) { return senderAndNumber<SelectLetter>(args); }

std::optional<ChooseCat> chooseCat(const QByteArray& args)
{
    return fromSender(args, [](int sender, FieldReader& fields) { return ChooseCat{sender, fields.nextNumber()}; });
}

std::optional<SendLoginInfo> sendLoginInfo(const QByteArray& args)
{
    const auto slot = toNumber(args);
    if (!slot || !isSlot(*slot))
        return std::nullopt;
    return SendLoginInfo{*slot};
}

std::optional<Full> full(const QByteArray&) { return Full{}; }
std::optional<Player> newPlayerInfo(const QByteArray& args) { return player(args); }
std::optional<Player> existingPlayers(const QByteArray& args) { return player(args); }
std::optional<Player> playerDisconnected(const QByteArray& args) { return player(args); }
std::optional<HaveWrongVersion> haveWrongVersion(const QByteArray& args) { return HaveWrongVersion{args}; }
std::optional<WrongVersion> wrongVersion(const QByteArray&) { return WrongVersion{}; }

std::optional<GameStats> gameStats(const QByteArray& args)
{
    FieldReader fields(args);
    GameStats out;
    bool valid = true;
    readNumber(fields, out.addressee, valid, isPositive);
    readNumber(fields, out.currentSeat, valid, isSeat);
    out.playTo = fields.next();
    readNumber(fields, out.turnTime, valid);
    fields.next(); // the server's pause count, which clients do not use
    out.team = fields.next() == "t";
    out.mask = fields.next();
    readNumber(fields, out.category, valid, isCategory);
    readNumber(fields, out.misses, valid, isNotNegative);
    for (int& score : out.scores)
        readNumber(fields, score, valid);
    return valid ? std::optional<GameStats>(out) : std::nullopt;
}

std::optional<MarkLetters> markLetters(const QByteArray& args)
{
    FieldReader fields(args);
    const auto addressee = fields.nextNumber();
    if (!addressee || *addressee < 1)
        return std::nullopt;
    MarkLetters out{*addressee, {}};
    while (!fields.atEnd())
        if (const auto letter = fields.nextNumber(); letter && isLetter(*letter))
            out.letters.append(*letter);
    return out;
}

std::optional<ChatLine> chatRelay(const QByteArray& args) { return chatLine(args); }
std::optional<ChatLine> actionRelay(const QByteArray& args) { return chatLine(args); }

std::optional<ChatterSound> playASoundRelay(const QByteArray& args)
{
    FieldReader fields(args);
    const auto sender = fields.nextNumber();
    const auto sound = chatterSound(fields.next());
    if (!sender || !sound)
        return std::nullopt;
    return ChatterSound{*sender, *sound};
}

std::optional<JustWatching> justWatching(const QByteArray& args)
{
    FieldReader fields(args);
    const auto seat = nextSeat(fields);
    if (!seat)
        return std::nullopt;
    return JustWatching{*seat, fields.rest() == "1"};
}

std::optional<StartGameAnnounce> startGameAnnounce(const QByteArray& args)
{
    FieldReader fields(args);
    StartGameAnnounce out;
    out.starter = fields.next();
    out.playTo = fields.next();
    const auto turnTime = fields.nextNumber();
    out.team = fields.next() == "t";
    if (!turnTime)
        return std::nullopt;
    out.turnTime = *turnTime;
    return out;
}

std::optional<Seat> chooseCatAnnounce(const QByteArray& args)
{
    FieldReader fields(args);
    const auto seat = nextSeat(fields);
    return seat ? std::optional<Seat>(Seat{*seat}) : std::nullopt;
}

std::optional<Seat> nextPlayer(const QByteArray& args) { return chooseCatAnnounce(args); }

std::optional<LoadWord> loadWord(const QByteArray& args)
{
    FieldReader fields(args);
    const QByteArray mask = fields.next();
    const auto category = fields.nextNumber();
    if (!category || !isCategory(*category))
        return std::nullopt;
    return LoadWord{mask, *category};
}

std::optional<FoundLetter> foundLetter(const QByteArray& args)
{
    FieldReader fields(args);
    FoundLetter out;
    bool valid = true;
    readNumber(fields, out.seat, valid, isSeat);
    readNumber(fields, out.letter, valid, isLetter);
    out.letterText = fields.next();
    readNumber(fields, out.count, valid);
    readNumber(fields, out.bonus, valid);
    readNumber(fields, out.score, valid);
    for (auto& mate : out.mates) {
        SeatScore given;
        readNumber(fields, given.seat, valid, isMateField);
        readNumber(fields, given.score, valid);
        if (given.seat != 0)
            mate = given;
    }
    out.mask = fields.next();
    return valid ? std::optional<FoundLetter>(out) : std::nullopt;
}

std::optional<AddMan> addMan(const QByteArray& args)
{
    FieldReader fields(args);
    AddMan out;
    bool valid = true;
    out.seat = fields.nextNumber();
    readNumber(fields, out.letter, valid, isLetter);
    fields.next(); // the letter itself, which the letter number already names
    readNumber(fields, out.misses, valid, isNotNegative);
    out.word = fields.next();
    return valid ? std::optional<AddMan>(out) : std::nullopt;
}

std::optional<Error> error(const QByteArray& args)
{
    FieldReader fields(args);
    const auto seat = fields.nextNumber();
    if (!seat)
        return std::nullopt;
    return Error{*seat, fields.nextNumber()};
}

std::optional<OutOfTime> outOfTime(const QByteArray& args)
{
    FieldReader fields(args);
    const auto seat = fields.nextNumber();
    if (!seat)
        return std::nullopt;
    return OutOfTime{*seat};
}

std::optional<Winner> winner(const QByteArray& args)
{
    FieldReader fields(args);
    return Winner{fields.next()};
}

} // namespace read
} // namespace proto
