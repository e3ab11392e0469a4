#include "server/gameserver.h"

#include <algorithm>
#include <exception>
#include <utility>

using namespace proto;

namespace {

constexpr int kMaxBotSpeedMs = 60'000;

// Closing the host's own connection would end the game for everybody, so a flooding
// host only has its lines dropped.
bool floodMayClose(int slot)
{
    return slot != 1;
}

QString arrival(const QByteArray& name, const PeerAddress& address)
{
    if (address.text.isEmpty())
        return fromWire(name);
    return fromWire(name) + " (" + address.text + ")";
}

} // namespace

ServerPeer::~ServerPeer() = default;

GameServer::EventScope::~EventScope()
{
    if (--m_server.m_depth == 0) {
        m_server.finishClosing();
        m_server.reportRosterChange();
    }
}

GameServer::GameServer(Clock& clock, quint32 seed) : GameServer(clock, seed, WordLists()) {}

GameServer::GameServer(Clock& clock, quint32 seed, WordLists lists)
    : m_clock(clock),
      m_rng(seed),
      m_words(std::move(lists)),
      m_computer(m_rng),
      m_dispatchTimer(clock, kDispatchIntervalMs),
      m_pauseTimer(clock, kPauseTickMs),
      m_turnTimer(clock, kTurnTickMs),
      m_computerTimer(clock, kDefaultBotSpeedMs)
{
    botSpeedSource = [this] { return m_botSpeedSetting; };
    for (int seat = 1; seat <= kSeatCount; ++seat)
        m_slots[seat].player.computerName = kComputerNames[seat];
    for (int number = 1; number <= kSlotCount; ++number) {
        Slot& s = m_slots[number];
        s.loginTimer = std::make_unique<GameTimer>(clock, kLoginTimeoutMs);
        s.loginTimer->onTimer = [this, number] {
            EventScope scope(*this);
            loginTimedOut(number);
        };
        s.askTimer = std::make_unique<GameTimer>(clock, kJoinQuestionMs);
        s.askTimer->onTimer = [this, number] {
            EventScope scope(*this);
            askTimedOut(number);
        };
        s.keepTimer = std::make_unique<GameTimer>(clock, kSeatHoldMs);
        s.keepTimer->onTimer = [this, number] {
            EventScope scope(*this);
            keepTimedOut(number);
        };
    }
    m_dispatchTimer.onTimer = [this] {
        EventScope scope(*this);
        dispatchNextMessage();
    };
    m_pauseTimer.onTimer = [this] {
        EventScope scope(*this);
        pauseEnded();
    };
    m_turnTimer.onTimer = [this] {
        EventScope scope(*this);
        turnClockTick();
    };
    m_computerTimer.onTimer = [this] {
        EventScope scope(*this);
        computerTurn();
    };
}

GameServer::~GameServer() = default;

// ---- Connections ----

int GameServer::accept(ServerPeer* peer)
{
    EventScope scope(*this);
    const PeerAddress address = peer->address();
    const int number = addressMayConnect(address) ? freeSlot() : 0;
    if (number == 0) {
        refuse(peer);
        return 0;
    }
    takeConnection(number, peer, address);
    sendTo(number, msg::sendLoginInfo(number));
    return number;
}

void GameServer::refuse(ServerPeer* peer)
{
    try {
        peer->send(msg::full());
        peer->close();
    } catch (const std::exception&) {
    }
}

void GameServer::takeConnection(int slot, ServerPeer* peer, const PeerAddress& address)
{
    Slot& s = m_slots[slot];
    s.player.connected = true;
    s.player.connection = peer;
    s.player.name.clear();
    s.player.watching = false;
    s.connectionId = m_nextConnectionId++;
    s.loggedIn = false;
    s.closing = false;
    s.closeNeeded = false;
    s.queued = 0;
    s.address = address;
    s.removed = false;
    s.returningName.clear();
    s.waitingForHost = false;
    s.chatLimiter.reset(m_clock.now());
    s.loginTimer->stop();
    s.loginTimer->start();
}

// The lowest slot neither taken nor kept; else a new one; else the seat kept longest.
int GameServer::freeSlot()
{
    for (int number = 1; number <= m_slotsInUse; ++number)
        if (!m_slots[number].player.connected && m_slots[number].keptFor.isEmpty())
            return number;
    if (m_slotsInUse < kSlotCount)
        return ++m_slotsInUse;
    return oldestKeptSeat();
}

int GameServer::oldestKeptSeat() const
{
    int oldest = 0;
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        const Slot& s = m_slots[seat];
        if (s.player.connected || s.keptFor.isEmpty())
            continue;
        if (oldest == 0 || s.keptSince < m_slots[oldest].keptSince)
            oldest = seat;
    }
    return oldest;
}

int GameServer::slotOf(const ServerPeer* peer) const
{
    for (int number = 1; number <= kSlotCount; ++number)
        if (m_slots[number].player.connected && m_slots[number].player.connection == peer)
            return number;
    return 0;
}

void GameServer::received(ServerPeer* peer, const QByteArray& message)
{
    EventScope scope(*this);
    const int number = slotOf(peer);
    if (number == 0 || m_slots[number].closing)
        return;
    Slot& s = m_slots[number];
    if (isRelayedMessage(message)) {
        const ChatLimiter::Verdict verdict = s.chatLimiter.take(m_clock.now());
        if (verdict == ChatLimiter::Verdict::Close && floodMayClose(number))
            markClosing(number, true);
        if (verdict != ChatLimiter::Verdict::Relay)
            return;
    }
    if (s.queued >= kMaxQueuedMessages) {
        markClosing(number, true);
        return;
    }
    m_receivedQueue.push(number, s.connectionId, message);
    ++s.queued;
    m_dispatchTimer.start();
}

void GameServer::closed(ServerPeer* peer)
{
    EventScope scope(*this);
    const int number = slotOf(peer);
    if (number != 0 && !m_slots[number].closing)
        markClosing(number, false);
}

void GameServer::disconnectSlot(int slot)
{
    if (m_slots[slot].player.connected && !m_slots[slot].closing)
        markClosing(slot, true);
}

void GameServer::markClosing(int slot, bool closeNeeded)
{
    m_slots[slot].closing = true;
    m_slots[slot].closeNeeded = closeNeeded;
}

void GameServer::finishClosing()
{
    if (m_finishing)
        return;
    m_finishing = true;
    ++m_depth;
    for (int number = 1; number <= kSlotCount; ++number) {
        if (m_slots[number].closing) {
            cleanUpSlot(number);
            number = 0;
        }
    }
    --m_depth;
    m_finishing = false;
}

RosterSummary GameServer::rosterSummary() const
{
    RosterSummary summary;
    summary.running = m_gameRunning;
    for (int number = 1; number <= kSlotCount; ++number) {
        const Slot& s = m_slots[number];
        if (s.player.connected && s.loggedIn && !s.closing)
            ++(isSeat(number) ? summary.seated : summary.spies);
    }
    return summary;
}

void GameServer::reportRosterChange()
{
    const RosterSummary now = rosterSummary();
    if (now == m_reportedRoster)
        return;
    m_reportedRoster = now;
    if (rosterChanged)
        rosterChanged();
}

void GameServer::cleanUpSlot(int slot)
{
    Slot& s = m_slots[slot];
    if (s.closeNeeded) {
        s.closeNeeded = false;
        try {
            s.player.connection->close();
        } catch (const std::exception&) {
        }
    }
    const bool wasInGame = s.loggedIn;
    if (wasInGame)
        broadcast(msg::playerDisconnected(slot, s.player.name));
    if (s.waitingForHost)
        endRequest(slot);
    if (s.removed)
        bar(slot);
    else if (wasInGame && isSeat(slot) && !s.player.name.isEmpty())
        keepSeat(slot);
    releaseConnection(slot);
    if (slot != 1)
        passTurnOf(slot);
}

void GameServer::releaseConnection(int slot)
{
    Slot& s = m_slots[slot];
    purgeQueue(s.connectionId);
    s.loginTimer->stop();
    s.player.connected = false;
    s.player.connection = nullptr;
    s.player.name.clear();
    s.player.watching = false;
    s.loggedIn = false;
    s.closing = false;
    s.closeNeeded = false;
    s.removed = false;
    s.returningName.clear();
    s.queued = 0;
}

void GameServer::purgeQueue(quint64 connectionId)
{
    m_receivedQueue.purge(connectionId);
    if (m_receivedQueue.empty())
        m_dispatchTimer.stop();
}

void GameServer::loginTimedOut(int slot)
{
    Slot& s = m_slots[slot];
    s.loginTimer->stop();
    if (!s.loggedIn)
        disconnectSlot(slot);
}

void GameServer::sendTo(int slot, const QByteArray& bytes)
{
    Slot& s = m_slots[slot];
    if (!s.player.connected || s.closing)
        return;
    try {
        s.player.connection->send(bytes);
    } catch (const std::exception&) {
        markClosing(slot, true);
    }
}

void GameServer::broadcast(const QByteArray& bytes)
{
    for (int number = 1; number <= kSlotCount; ++number)
        if (m_slots[number].loggedIn)
            sendTo(number, bytes);
}

void GameServer::notifyHost(const QString& line)
{
    if (hostNotice)
        hostNotice(line);
}

// ---- Dispatch ----

void GameServer::dispatchNextMessage()
{
    const std::optional<Queued> next = m_receivedQueue.takeNext();
    if (!next) {
        m_dispatchTimer.stop();
        return;
    }
    const Queued& message = *next;
    if (m_receivedQueue.empty())
        m_dispatchTimer.stop();
    Slot& s = m_slots[message.slot];
    if (s.connectionId == message.connectionId && s.queued > 0)
        --s.queued;
    dispatch(message);
}

template <auto decode, auto handle>
void GameServer::decodeAndHandle(GameServer& server, int sender, const QByteArray& args)
{
    if (const auto message = decode(args))
        (server.*handle)(sender, *message);
}

void GameServer::dispatch(const Queued& message)
{
    static const std::array<Route, 10> routes = {{
        {name::kLoginInfo, &decodeAndHandle<read::loginInfo, &GameServer::loginInfo>},
        {name::kKickHim, &decodeAndHandle<read::kickHim, &GameServer::kickHim>},
        {name::kBotSpeed, &decodeAndHandle<read::botSpeed, &GameServer::botSpeed>},
        {name::kChat, &decodeAndHandle<read::chat, &GameServer::chat>},
        {name::kAction, &decodeAndHandle<read::action, &GameServer::action>},
        {name::kStartGame, &decodeAndHandle<read::startGame, &GameServer::startGame>},
        {name::kJustWatch, &decodeAndHandle<read::justWatch, &GameServer::justWatch>},
        {name::kSelectLetter, &decodeAndHandle<read::selectLetter, &GameServer::selectLetter>},
        {name::kChooseCat, &decodeAndHandle<read::chooseCat, &GameServer::chooseCat>},
        {name::kPlayASound, &decodeAndHandle<read::playASound, &GameServer::playASound>},
    }};
    const Slot& s = m_slots[message.slot];
    if (!s.player.connected || s.closing || s.connectionId != message.connectionId)
        return;
    const auto named = splitName(message.text);
    if (!named || (!s.loggedIn && named->name != name::kLoginInfo))
        return;
    for (const Route& route : routes) {
        if (named->name == route.name) {
            route.run(*this, message.slot, named->args);
            return;
        }
    }
}

// ---- Roster handlers ----

void GameServer::loginInfo(int sender, const read::LoginInfo& login)
{
    Slot& s = m_slots[sender];
    if (login.sender != sender || s.loggedIn || s.waitingForHost)
        return;
    s.loginTimer->stop();
    const QByteArray& name = login.name;
    const QString who = arrival(name, s.address);
    if (m_barredNames.contains(name) && !name.isEmpty())
        return turnAwayLogin(sender, who + " was turned away: removed from this game.");
    if (const int seat = seatLeftBehind(sender, name); seat != 0)
        giveUpLeftBehind(seat);
    if (!name.isEmpty() && name == s.returningName)
        return admit(sender, login);
    if (const int seat = seatKeptFor(name); seat != 0 && seat != sender)
        return moveToKeptSeat(sender, seat);
    if (sender == 1 || (!name.isEmpty() && s.keptFor == name))
        return admit(sender, login);
    if (m_locked)
        return turnAwayLogin(sender, who + " was turned away: the game is locked.");
    if (m_askBeforeJoining)
        return askHost(sender, login);
    admit(sender, login);
}

void GameServer::admit(int slot, const read::LoginInfo& login)
{
    Slot& s = m_slots[slot];
    const QByteArray& name = login.name;
    const QByteArray kept = std::exchange(s.keptFor, {});
    s.keepTimer->stop();
    if (!kept.isEmpty() && kept != name)
        notifyHost(QString("The game was full, so %1 took seat %2, which was kept for %3.")
                       .arg(fromWire(name)).arg(slot).arg(fromWire(kept)));
    if (kept == name || s.returningName == name)
        announceReturn(slot, name);
    s.returningName.clear();
    s.loggedIn = true;
    s.player.name = name;
    broadcast(msg::newPlayerInfo(slot, name));
    for (int other = 1; other <= kSlotCount; ++other)
        if (other != slot && inGame(other))
            sendTo(slot, msg::existingPlayers(other, m_slots[other].player.name));
    if (login.version != kVersion) {
        sendTo(1, msg::haveWrongVersion(name));
        sendTo(slot, msg::wrongVersion());
    }
    if (m_gameRunning)
        sendCatchUp(slot);
}

void GameServer::sendCatchUp(int slot)
{
    msg::GameStats stats;
    stats.slot = slot;
    stats.currentSeat = m_currentSeat;
    stats.playTo = m_playTo;
    stats.turnTime = m_turnTime;
    stats.delayCount = m_pauseCount;
    stats.team = m_teamGame;
    stats.mask = m_mask;
    stats.category = m_category;
    stats.misses = m_misses;
    for (int seat = 1; seat <= kSeatCount; ++seat)
        stats.scores[seat - 1] = m_slots[seat].player.score;
    sendTo(slot, msg::gameStats(stats));
    QList<int> used;
    for (int letter = 1; letter <= kLetterCount; ++letter)
        if (m_used[letter])
            used.append(letter);
    if (!used.isEmpty())
        sendTo(slot, msg::markLetters(slot, used));
}

void GameServer::kickHim(int sender, const read::KickHim& kick)
{
    if (sender != 1 || kick.sender != sender)
        return;
    if (!isSlot(kick.target))
        return;
    Slot& target = m_slots[kick.target];
    if (target.player.connected && !target.closing) {
        target.removed = true;
        disconnectSlot(kick.target);
    } else if (!target.keptFor.isEmpty()) {
        target.keepTimer->stop();
        barName(std::exchange(target.keptFor, {}));
    }
}

void GameServer::botSpeed(int sender, const read::BotSpeed& speed)
{
    if (sender != 1 || speed.sender != sender)
        return;
    if (speed.milliseconds >= 1 && speed.milliseconds <= kMaxBotSpeedMs)
        m_botSpeedSetting = speed.milliseconds;
}

void GameServer::chat(int sender, const read::Relayed& chat)
{
    if (chat.sender == sender)
        broadcast(msg::chatRelay(QByteArray::number(sender), m_slots[sender].player.name, chat.rest));
}

void GameServer::action(int sender, const read::Relayed& action)
{
    if (action.sender == sender)
        broadcast(msg::actionRelay(QByteArray::number(sender), m_slots[sender].player.name, action.rest));
}

void GameServer::playASound(int sender, const read::Relayed& sound)
{
    if (sound.sender == sender)
        broadcast(msg::playASoundRelay(sender, sound.rest));
}

void GameServer::justWatch(int sender, const read::JustWatch& request)
{
    const int seat = request.seat;
    if (!isSeat(seat) || (seat != sender && sender != 1))
        return;
    PlayerSlot& player = m_slots[seat].player;
    if (request.state == kPlaying) {
        player.watching = false;
        broadcast(msg::justWatching(seat, kPlaying));
    } else if (m_gameRunning && inGame(seat)) {
        player.watching = true;
        broadcast(msg::justWatching(seat, kWatching));
        passTurnOf(seat);
    }
}
