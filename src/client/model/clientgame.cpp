#include "client/model/clientgame.h"

#include <algorithm>

namespace {

QString upper(const QByteArray& field)
{
    return proto::fromWire(field).toUpper();
}

} // namespace

template <typename Decoded>
ClientGame::Handler ClientGame::handler(std::optional<Decoded> (*decode)(const QByteArray&),
                                        void (ClientGame::*handle)(const Decoded&))
{
    return [decode, handle](ClientGame& game, const QByteArray& args) {
        if (const std::optional<Decoded> decoded = decode(args))
            (game.*handle)(*decoded);
    };
}

const QHash<QByteArray, ClientGame::Handler>& ClientGame::handlers()
{
    namespace name = proto::name;
    namespace read = proto::read;
    static const QHash<QByteArray, Handler> table = {
        {name::kSendLoginInfo, handler(&read::sendLoginInfo, &ClientGame::onSendLoginInfo)},
        {name::kNewPlayerInfo, handler(&read::newPlayerInfo, &ClientGame::onPlayer)},
        {name::kExistingPlayers, handler(&read::existingPlayers, &ClientGame::onPlayer)},
        {name::kPlayerDisconnected, handler(&read::playerDisconnected, &ClientGame::onPlayerDisconnected)},
        {name::kHaveWrongVersion, handler(&read::haveWrongVersion, &ClientGame::onHaveWrongVersion)},
        {name::kWrongVersion, handler(&read::wrongVersion, &ClientGame::onWrongVersion)},
        {name::kFull, handler(&read::full, &ClientGame::onFull)},
        {name::kError, handler(&read::error, &ClientGame::onError)},
        {name::kChat, handler(&read::chatRelay, &ClientGame::onChat)},
        {name::kAction, handler(&read::actionRelay, &ClientGame::onChat)},
        {name::kPlayASound, handler(&read::playASoundRelay, &ClientGame::onChatterSound)},
        {name::kStartGame, handler(&read::startGameAnnounce, &ClientGame::onStartGame)},
        {name::kLoadWord, handler(&read::loadWord, &ClientGame::onLoadWord)},
        {name::kMarkLetters, handler(&read::markLetters, &ClientGame::onMarkLetters)},
        {name::kFoundLetter, handler(&read::foundLetter, &ClientGame::onFoundLetter)},
        {name::kNextPlayer, handler(&read::nextPlayer, &ClientGame::onNextPlayer)},
        {name::kChooseCat, handler(&read::chooseCatAnnounce, &ClientGame::onChooseCat)},
        {name::kOutOfTime, handler(&read::outOfTime, &ClientGame::onOutOfTime)},
        {name::kAddMan, handler(&read::addMan, &ClientGame::onAddMan)},
        {name::kWinner, handler(&read::winner, &ClientGame::onWinner)},
        {name::kGameStats, handler(&read::gameStats, &ClientGame::onGameStats)},
        {name::kJustWatching, handler(&read::justWatching, &ClientGame::onJustWatching)},
    };
    return table;
}

ClientGame::ClientGame(ClientLink& link, Clock& clock, QObject* parent)
    : QObject(parent), m_link(link), m_turnClock(clock, 1000)
{
    m_turnClock.onTimer = [this] {
        countDownOneSecond();
        emit updated();
    };
    m_tiles.fill(TileState::Open);
}

ClientGame::~ClientGame() = default;

void ClientGame::receive(const QByteArray& message)
{
    const auto named = proto::splitName(message);
    if (!named)
        return;
    const auto entry = handlers().constFind(named->name);
    if (entry == handlers().cend())
        return;
    (*entry)(*this, named->args);
    emit updated();
}

// ---------------------------------------------------------------- who we are

void ClientGame::setHost(bool host)
{
    m_host = host;
    setStartOffered(host);
    emit updated();
}

void ClientGame::startOver()
{
    m_ownSlot.reset();
    m_people.clear();
    for (auto slot = m_spies.keyValueBegin(); slot != m_spies.keyValueEnd(); ++slot)
        emit spyLeft(slot->first, slot->second);
    m_spies.clear();
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        m_seats[seat] = Seat{};
        emit seatChanged(seat);
    }
    stopCountdown();
    setTurn(std::nullopt);
    clearBoard();
    setWinnerText({});
    setStartOffered(m_host);
    emit updated();
}

void ClientGame::send(const QByteArray& message)
{
    m_link.send(message);
}

// ---------------------------------------------------------------- login and roster

void ClientGame::onSendLoginInfo(const proto::read::SendLoginInfo& login)
{
    m_ownSlot = login.slot;
    send(proto::msg::loginInfo(login.slot, kVersion, m_loginName));
}

void ClientGame::onPlayer(const proto::read::Player& player)
{
    const int slot = player.slot;
    const QString name = proto::fromWire(player.name);
    m_people.insert(slot, name);
    if (isOwnSlot(slot)) {
        emit notice(QStringLiteral("You are Connected."));
        emit ownArrival();
    } else {
        emit notice(name + QStringLiteral(" is Connected."));
    }
    if (isSeat(slot)) {
        seatTaken(slot, name);
    } else {
        m_spies.insert(slot, name);
        emit spyJoined(slot, name);
        emit notice(isOwnSlot(slot) ? QStringLiteral("You are spying.") : name + QStringLiteral(" is spying."));
    }
    emit soundRequested(QStringLiteral("entered"));
}

void ClientGame::onPlayerDisconnected(const proto::read::Player& player)
{
    const int slot = player.slot;
    const QString name = proto::fromWire(player.name);
    m_people.remove(slot);
    if (isSeat(slot)) {
        if (m_seats[slot].occupied)
            emit notice(seatCaption(slot) + QStringLiteral(" disconnected."));
        seatFreed(slot);
        return;
    }
    const auto spy = m_spies.constFind(slot);
    if (spy == m_spies.cend() || *spy != name)
        return;
    m_spies.erase(spy);
    emit spyLeft(slot, name);
    emit notice(name + QStringLiteral(" has left."));
}

void ClientGame::seatTaken(int seat, const QString& name)
{
    m_seats[seat].occupied = true;
    m_seats[seat].computer = false;
    m_seats[seat].name = name;
    emit seatChanged(seat);
}

void ClientGame::seatFreed(int seat)
{
    Seat& place = m_seats[seat];
    place.occupied = false;
    place.name.clear();
    place.computer = (seat == 2 || m_teamGame) && *kComputerSeatCaptions[seat];
    place.watching = false;
    emit seatChanged(seat);
}

QString ClientGame::seatCaption(int seat) const
{
    if (!isSeat(seat))
        return {};
    const Seat& place = m_seats[seat];
    if (place.occupied)
        return place.name;
    return place.computer ? QString::fromLatin1(kComputerSeatCaptions[seat]) : kNobodyCaption;
}

QStringList ClientGame::opponents() const
{
    QStringList names;
    for (int seat = 1; seat <= kSeatCount; ++seat)
        if (!isOwnSlot(seat) && (m_seats[seat].occupied || m_seats[seat].computer))
            names << seatCaption(seat);
    return names;
}

void ClientGame::onHaveWrongVersion(const proto::read::HaveWrongVersion& other)
{
    emit notice(proto::fromWire(other.name) + QStringLiteral(" has a different version of the game then you."));
}

void ClientGame::onWrongVersion(const proto::read::WrongVersion&)
{
    emit notice(QStringLiteral("You have a differnt version of the game then the host."));
}

void ClientGame::onFull(const proto::read::Full&)
{
    emit messageRequested(QStringLiteral("Game is full"));
    emit ended();
}

void ClientGame::onError(const proto::read::Error& error)
{
    if (!isOwnSlot(error.seat))
        return;
    if (error.code == 1)
        setStatus(QStringLiteral("That letter is already used."));
    emit soundRequested(QStringLiteral("invalid"));
}

void ClientGame::onChat(const proto::read::ChatLine& line)
{
    std::optional<QString> colour;
    if (line.colour)
        colour = proto::fromWire(*line.colour);
    emit chatReceived(line.sender, proto::fromWire(line.text), colour);
}

void ClientGame::onChatterSound(const proto::read::ChatterSound& sound)
{
    emit chatterSoundReceived(sound.sender, sound.sound);
}

// ---------------------------------------------------------------- the game

void ClientGame::onStartGame(const proto::read::StartGameAnnounce& start)
{
    endChoosing();
    stopCountdown();
    setStartOffered(false);
    setJustWatching(false);
    setWinnerText({});
    clearBoard();
    setTimePerTurn(start.turnTime);
    applyTeam(start.team);
    emit notice(proto::fromWire(start.starter) + QStringLiteral(" has started a game."));
    m_playTo = proto::fromWire(start.playTo);
    emit optionsChanged();
    emit gameStarted();
}

void ClientGame::onLoadWord(const proto::read::LoadWord& word)
{
    endChoosing();
    setWord(word.mask);
    resetTiles(true);
    setCategory(word.category);
    setMisses(0);
}

void ClientGame::onMarkLetters(const proto::read::MarkLetters& marks)
{
    if (!isOwnSlot(marks.addressee))
        return;
    for (int letter : marks.letters)
        setTile(letter, TileState::Used);
}

void ClientGame::onFoundLetter(const proto::read::FoundLetter& found)
{
    const int finder = found.seat;
    setWord(found.mask);
    setTile(found.letter, TileState::Used);
    setLastFind(finder, qint64(found.count) + found.bonus);
    setScore(finder, found.score);
    for (const auto& mate : found.mates)
        if (mate)
            setScore(mate->seat, mate->score);

    const bool ownFind = isOwnSlot(finder);
    if (found.bonus <= 0) {
        setTurn(finder);
        const QString letter = upper(found.letterText);
        if (ownFind)
            setStatus(QStringLiteral("Choose another Letter."));
        else if (found.count <= 1)
            setStatus(QStringLiteral("1 ") + letter + QStringLiteral(" found."));
        else
            setStatus(QString::number(found.count) + QLatin1Char(' ') + letter + QStringLiteral("'s found."));
        emit soundRequested(QStringLiteral("inword"));
        return;
    }
    stopCountdown();
    setStatus(QStringLiteral("Puzzle is Complete!"));
    emit soundRequested(QStringLiteral("puzzlecomplete"));
    if (ownFind)
        emit puzzleCompleted();
}

void ClientGame::onNextPlayer(const proto::read::Seat& next)
{
    endChoosing();
    stopCountdown();
    setTurn(next.seat);
    pointAt(next.seat);
    for (int seat = 1; seat <= kSeatCount; ++seat)
        setLastFind(seat, std::nullopt);
    announceTurn(next.seat);
    startCountdown();
}

void ClientGame::onChooseCat(const proto::read::Seat& chooser)
{
    stopCountdown();
    m_chooserSeat = chooser.seat;
    if (!isOwnSlot(chooser.seat)) {
        setStatus(seatCaption(chooser.seat) + QStringLiteral(" is choosing a category."));
        m_choosing = false;
    } else if (!m_justWatching) {
        setStatus(QStringLiteral("Choose a category"));
        m_choosing = true;
    }
    emit choosingChanged();
}

void ClientGame::onOutOfTime(const proto::read::OutOfTime& late)
{
    stopCountdown();
    setStatus(isOwnSlot(late.seat) ? QStringLiteral("You are out of time.") : QStringLiteral("Out of Time."));
}

void ClientGame::onAddMan(const proto::read::AddMan& miss)
{
    stopCountdown();
    setStatus(QString());
    setMisses(miss.misses);
    if (miss.misses >= kHangingMisses) {
        if (miss.word != "*")
            setWord(miss.word);
        emit soundRequested(QStringLiteral("lose"));
    } else {
        emit soundRequested(QStringLiteral("notinword"));
    }
    setTile(miss.letter, TileState::Used);
}

void ClientGame::onWinner(const proto::read::Winner& winner)
{
    endChoosing();
    const QString name = proto::fromWire(winner.name);
    emit soundRequested(QStringLiteral("gameover"));
    const bool seated = isSeated();
    const bool won = seated && seatCaption(*m_ownSlot) == name;
    const QString text = won ? QStringLiteral("You have Won the Game!") : name + QStringLiteral(" has Won the Game!");
    setWinnerText(text);
    setStatus(QStringLiteral("Game Over!"));
    emit notice(text);
    if (m_host)
        setStartOffered(true);
    if (seated)
        emit gameRecorded(name, won);
}

void ClientGame::onGameStats(const proto::read::GameStats& stats)
{
    if (!isOwnSlot(stats.addressee))
        return;
    const int seat = stats.currentSeat;
    setTurn(seat);
    setTimePerTurn(stats.turnTime);
    setWord(stats.mask);
    setCategory(stats.category);
    setMisses(stats.misses);
    for (int other = 1; other <= kSeatCount; ++other)
        setScore(other, stats.scores[other - 1]);
    applyTeam(stats.team);
    m_playTo = proto::fromWire(stats.playTo);
    emit optionsChanged();
    pointAt(seat);
    announceTurn(seat);
    stopCountdown();
    startCountdown();
}

void ClientGame::onJustWatching(const proto::read::JustWatching& watch)
{
    if (isOwnSlot(watch.seat))
        setJustWatching(watch.watching);
    emit notice(seatCaption(watch.seat)
                + (watch.watching ? QStringLiteral(" is just watching") : QStringLiteral(" is now playing again")));
    m_seats[watch.seat].watching = watch.watching;
    emit seatChanged(watch.seat);
}

// ---------------------------------------------------------------- the player's moves

void ClientGame::pickLetter(int letter)
{
    if (!isLetter(letter) || !isOwnTurn() || m_tiles[letter] == TileState::Used)
        return;
    if (m_justWatching) {
        emit messageRequested(QStringLiteral("You must first turn off just watch before you can play."));
        return;
    }
    setTile(letter, TileState::Gone);
    setTurn(std::nullopt);
    send(proto::msg::selectLetter(*m_ownSlot, letter));
    emit updated();
}

void ClientGame::pickCategory(int category)
{
    if (!isCategory(category))
        return;
    if (m_chooserSeat && isOwnSlot(*m_chooserSeat))
        send(proto::msg::chooseCat(*m_ownSlot, category));
    endChoosing();
    emit updated();
}

void ClientGame::askToStartGame()
{
    if (isLoggedIn())
        emit gameStartRequested();
    else
        emit messageRequested(QStringLiteral("You are not connected"));
}

void ClientGame::toggleJustWatch()
{
    if (mayPlayAsSeat())
        send(proto::msg::justWatch(*m_ownSlot, m_justWatching ? 2 : 1));
}

void ClientGame::setSeatWatching(int seat, bool watching)
{
    if (isLoggedIn() && isSeat(seat))
        send(proto::msg::justWatch(seat, watching ? 1 : 2));
}

void ClientGame::kick(int slot)
{
    if (m_host && isLoggedIn())
        send(proto::msg::kickHim(*m_ownSlot, slot));
}

void ClientGame::sendBotSpeed(int milliseconds)
{
    if (isLoggedIn())
        send(proto::msg::botSpeed(*m_ownSlot, milliseconds));
}

void ClientGame::startGame(int playTo, int turnTime, bool team, bool choose)
{
    send(proto::msg::startGame(m_loginName, QByteArray::number(playTo), QByteArray::number(turnTime), team, choose));
}

// A line sent before the login goes out from slot 0, as it always has.
void ClientGame::sendChat(const QByteArray& text, const QByteArray& colour)
{
    send(proto::msg::chat(m_ownSlot.value_or(0), text, colour));
}

void ClientGame::sendAction(const QByteArray& text, const QByteArray& colour)
{
    send(proto::msg::action(m_ownSlot.value_or(0), text, colour));
}

void ClientGame::sendChatterSound(int sound)
{
    if (mayPlayAsSeat())
        send(proto::msg::playASound(*m_ownSlot, sound));
}

// ---------------------------------------------------------------- changes

void ClientGame::clearBoard()
{
    endChoosing();
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        m_seats[seat].score = 0;
        m_seats[seat].lastFind.reset();
        m_seats[seat].watching = false;
        emit seatChanged(seat);
    }
    setWord({});
    setMisses(0);
    resetTiles(false);
}

void ClientGame::endChoosing()
{
    m_chooserSeat.reset();
    m_choosing = false;
    emit choosingChanged();
    setStatus(QString());
}

void ClientGame::setStatus(const QString& text)
{
    m_status = text;
    emit statusChanged();
}

void ClientGame::setWord(const QByteArray& mask)
{
    m_word = upper(mask);
    emit wordChanged();
}

void ClientGame::setCategory(int category)
{
    m_category = category;
    emit categoryChanged();
}

void ClientGame::setMisses(int misses)
{
    m_misses = std::min(misses, kHangingMisses);
    emit figureChanged();
}

void ClientGame::setTile(int letter, TileState state)
{
    m_tiles[letter] = state;
    emit tileChanged(letter);
}

void ClientGame::resetTiles(bool showAll)
{
    for (int letter = 1; letter <= kLetterCount; ++letter)
        if (showAll || m_tiles[letter] != TileState::Open)
            m_tiles[letter] = showAll ? TileState::Open : TileState::Gone;
    emit tilesReset();
}

void ClientGame::setScore(int seat, int score)
{
    m_seats[seat].score = score;
    emit seatChanged(seat);
}

void ClientGame::setLastFind(int seat, std::optional<qint64> find)
{
    m_seats[seat].lastFind = find;
    emit seatChanged(seat);
}

void ClientGame::setTurn(std::optional<int> seat)
{
    m_turnSeat = seat;
    emit turnChanged();
}

void ClientGame::pointAt(int seat)
{
    m_pointerSeat = seat;
    emit turnChanged();
}

void ClientGame::announceTurn(int seat)
{
    if (isOwnSlot(seat)) {
        setStatus(QStringLiteral("Your Turn."));
        emit soundRequested(m_turnSound == 1 ? QStringLiteral("turnnew") : QStringLiteral("turn"));
    } else {
        setStatus(seatCaption(seat) + QStringLiteral("'s turn."));
    }
}

void ClientGame::applyTeam(bool team)
{
    m_teamGame = team;
    for (int seat = 2; seat <= kSeatCount; ++seat)
        if (!m_seats[seat].occupied) {
            m_seats[seat].computer = team || seat == 2;
            emit seatChanged(seat);
        }
    emit optionsChanged();
}

void ClientGame::setTimePerTurn(int seconds)
{
    m_timePerTurn = seconds < 1 ? 30 : seconds;
    emit optionsChanged();
}

void ClientGame::setStartOffered(bool offered)
{
    m_startOffered = offered;
    emit startOfferedChanged();
}

void ClientGame::setJustWatching(bool watching)
{
    m_justWatching = watching;
    emit justWatchingChanged(watching);
}

void ClientGame::setWinnerText(const QString& text)
{
    m_winnerText = text;
    emit winnerChanged();
}

void ClientGame::startCountdown()
{
    m_secondsLeft = m_timePerTurn;
    m_turnClock.start();
    emit clockChanged();
}

// The clock keeps showing where it stopped.
void ClientGame::stopCountdown()
{
    m_turnClock.stop();
}

void ClientGame::countDownOneSecond()
{
    --m_secondsLeft;
    if (m_secondsLeft < 1) {
        m_secondsLeft = 0;
        setTurn(std::nullopt);
        emit clockChanged();
        return;
    }
    emit clockChanged();
    if (m_secondsLeft == 20 || m_secondsLeft == 15 || m_secondsLeft <= 10)
        emit soundRequested(QStringLiteral("tick"));
}
