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

} // namespace

ServerPeer::~ServerPeer() = default;

GameServer::EventScope::~EventScope()
{
    if (--m_server.m_depth == 0)
        m_server.finishClosing();
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
        m_slots[number].loginTimer = std::make_unique<GameTimer>(clock, kLoginTimeoutMs);
        m_slots[number].loginTimer->onTimer = [this, number] {
            EventScope scope(*this);
            loginTimedOut(number);
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
    const int number = freeSlot();
    if (number == 0) {
        try {
            peer->send(msg::full());
            peer->close();
        } catch (const std::exception&) {
        }
        return 0;
    }
    Slot& s = m_slots[number];
    s.player.connected = true;
    s.player.connection = peer;
    s.player.name.clear();
    s.player.watching = false;
    s.connectionId = m_nextConnectionId++;
    s.loggedIn = false;
    s.closing = false;
    s.closeNeeded = false;
    s.queued = 0;
    s.chatLimiter.reset(m_clock.now());
    s.loginTimer->stop();
    s.loginTimer->start();
    sendTo(number, msg::sendLoginInfo(number));
    return number;
}

int GameServer::freeSlot()
{
    for (int number = 1; number <= m_slotsInUse; ++number)
        if (!m_slots[number].player.connected)
            return number;
    if (m_slotsInUse < kSlotCount)
        return ++m_slotsInUse;
    return 0;
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
    broadcast(msg::playerDisconnected(slot, s.player.name));
    purgeQueue(s.connectionId);
    s.loginTimer->stop();
    s.player.connected = false;
    s.player.connection = nullptr;
    s.player.name.clear();
    s.player.watching = false;
    s.closing = false;
    s.queued = 0;
    if (slot != 1)
        passTurnOf(slot);
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
        sendTo(number, bytes);
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
    if (!named)
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
    if (login.sender != sender || s.loggedIn)
        return;
    const QByteArray& name = login.name;
    s.loggedIn = true;
    s.loginTimer->stop();
    s.player.name = name;
    broadcast(msg::newPlayerInfo(sender, name));
    for (int other = 1; other <= kSlotCount; ++other)
        if (other != sender && m_slots[other].player.connected)
            sendTo(sender, msg::existingPlayers(other, m_slots[other].player.name));
    if (login.version != kVersion) {
        sendTo(1, msg::haveWrongVersion(name));
        sendTo(sender, msg::wrongVersion());
    }
    if (m_gameRunning)
        sendCatchUp(sender);
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
    if (isSlot(kick.target))
        disconnectSlot(kick.target);
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
    } else if (m_gameRunning && player.connected) {
        player.watching = true;
        broadcast(msg::justWatching(seat, kWatching));
        passTurnOf(seat);
    }
}
