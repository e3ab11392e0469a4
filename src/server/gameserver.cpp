#include "server/gameserver.h"

#include <algorithm>
#include <exception>
#include <utility>

using namespace proto;

namespace {

constexpr std::array<const char*, kSeatCount + 1> kComputerNames = {
    "", "", "Klot", "Klock", "Kling", "Klick", "Krazy"};

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
    for (int number = 1; number <= kMaxSlots; ++number) {
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
    s.cutter = MessageCutter();
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
    if (m_slotsInUse < kMaxSlots)
        return ++m_slotsInUse;
    return 0;
}

int GameServer::slotOf(const ServerPeer* peer) const
{
    for (int number = 1; number <= kMaxSlots; ++number)
        if (m_slots[number].player.connected && m_slots[number].player.connection == peer)
            return number;
    return 0;
}

void GameServer::received(ServerPeer* peer, const QByteArray& bytes)
{
    EventScope scope(*this);
    const int number = slotOf(peer);
    if (number == 0 || m_slots[number].closing)
        return;
    Slot& s = m_slots[number];
    for (QByteArray& text : s.cutter.feed(bytes)) {
        if (isRelayedMessage(text)) {
            const ChatLimiter::Verdict verdict = s.chatLimiter.take(m_clock.now());
            if (verdict == ChatLimiter::Verdict::Close && floodMayClose(number)) {
                markClosing(number, true);
                return;
            }
            if (verdict != ChatLimiter::Verdict::Relay)
                continue;
        }
        if (s.queued >= kMaxQueuedMessages) {
            markClosing(number, true);
            return;
        }
        m_receivedQueue.push(number, s.connectionId, std::move(text));
        ++s.queued;
    }
    if (s.cutter.overflowed()) {
        markClosing(number, true);
        return;
    }
    if (!m_receivedQueue.empty())
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
    for (int number = 1; number <= kMaxSlots; ++number) {
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
        if (!s.closing && s.player.connection->pendingOutput() > kMaxOutgoingBytes)
            markClosing(slot, true);
    } catch (const std::exception&) {
        markClosing(slot, true);
    }
}

void GameServer::broadcast(const QByteArray& bytes)
{
    for (int number = 1; number <= kMaxSlots; ++number)
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

void GameServer::dispatch(const Queued& message)
{
    static const std::array<std::pair<const char*, Handler>, 10> handlers = {{
        {"CMD_logininfo", &GameServer::loginInfo},
        {"CMD_kickhim", &GameServer::kickHim},
        {"CMD_botspeed", &GameServer::botSpeed},
        {"CMD_chat", &GameServer::chat},
        {"CMD_action", &GameServer::action},
        {"CMD_startgame", &GameServer::startGame},
        {"CMD_justwatch", &GameServer::justWatch},
        {"CMD_selectletter", &GameServer::selectLetter},
        {"CMD_choosecat", &GameServer::chooseCat},
        {"CMD_playasound", &GameServer::playASound},
    }};
    const Slot& s = m_slots[message.slot];
    if (!s.player.connected || s.closing || s.connectionId != message.connectionId)
        return;
    const auto named = splitName(message.text);
    if (!named)
        return;
    for (const auto& [name, handler] : handlers) {
        if (named->name == name) {
            (this->*handler)(message.slot, named->args);
            return;
        }
    }
}

bool GameServer::isFromSlot(int sender, const QByteArray& field) const
{
    return field == QByteArray::number(sender);
}

// ---- Roster handlers ----

void GameServer::loginInfo(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    if (!isFromSlot(sender, fields.next()))
        return;
    Slot& s = m_slots[sender];
    if (s.loggedIn)
        return;
    const QByteArray version = fields.next();
    const QByteArray name = fields.rest();
    s.loggedIn = true;
    s.loginTimer->stop();
    s.player.name = name;
    broadcast(msg::newPlayerInfo(sender, name));
    for (int other = 1; other <= kMaxSlots; ++other)
        if (other != sender && m_slots[other].player.connected)
            sendTo(sender, msg::existingPlayers(other, m_slots[other].player.name));
    if (version != kVersion) {
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

void GameServer::kickHim(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    if (sender != 1 || !isFromSlot(sender, fields.next()))
        return;
    const auto target = fields.nextNumber();
    if (target && *target >= 1 && *target <= kMaxSlots)
        disconnectSlot(*target);
}

void GameServer::botSpeed(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    if (sender != 1 || !isFromSlot(sender, fields.next()))
        return;
    const auto milliseconds = fields.nextNumber();
    if (milliseconds && *milliseconds >= 1 && *milliseconds <= kMaxBotSpeedMs)
        m_botSpeedSetting = *milliseconds;
}

void GameServer::chat(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    const QByteArray senderField = fields.next();
    if (isFromSlot(sender, senderField))
        broadcast(msg::chatRelay(senderField, m_slots[sender].player.name, fields.rest()));
}

void GameServer::action(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    const QByteArray senderField = fields.next();
    if (isFromSlot(sender, senderField))
        broadcast(msg::actionRelay(senderField, m_slots[sender].player.name, fields.rest()));
}

void GameServer::playASound(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    if (isFromSlot(sender, fields.next()))
        broadcast(msg::playASoundRelay(sender, fields.rest()));
}

void GameServer::justWatch(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    const auto seat = fields.nextNumber();
    const QByteArray state = fields.rest();
    if (!seat || *seat < 1 || *seat > kSeatCount)
        return;
    if (*seat != sender && sender != 1)
        return;
    PlayerSlot& player = m_slots[*seat].player;
    if (state == "2") {
        player.watching = false;
        broadcast(msg::justWatching(*seat, state));
    } else if (state == "1" && m_gameRunning && player.connected) {
        player.watching = true;
        broadcast(msg::justWatching(*seat, state));
        passTurnOf(*seat);
    }
}
