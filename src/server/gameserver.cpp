#include "server/gameserver.h"

#include <algorithm>
#include <exception>
#include <utility>

using namespace proto;

namespace {

constexpr std::array<const char*, kSeatCount + 1> kComputerNames = {
    "", "", "Klot", "Klock", "Kling", "Klick", "Krazy"};

constexpr int kMaxBotSpeedMs = 60'000;

} // namespace

ServerPeer::~ServerPeer() = default;

GameServer::EventScope::~EventScope()
{
    if (--m_server.m_depth == 0)
        m_server.finishclosing();
}

GameServer::GameServer(Clock& clock, quint32 seed) : GameServer(clock, seed, WordLists()) {}

GameServer::GameServer(Clock& clock, quint32 seed, WordLists lists)
    : m_clock(clock),
      m_rng(seed),
      m_words(std::move(lists)),
      m_computer(m_rng),
      m_socktimer(clock, kSocktimerMs),
      m_timer1(clock, kTimer1Ms),
      m_turntimer(clock, kTurntimerMs),
      m_computertimer(clock, kDefaultBotSpeedMs)
{
    botSpeed = [this] { return m_botSpeedSetting; };
    for (int seat = 1; seat <= kSeatCount; ++seat)
        m_slots[seat].player.computerName = kComputerNames[seat];
    for (int number = 1; number <= kMaxSlots; ++number) {
        m_slots[number].logintimer = std::make_unique<GameTimer>(clock, kLoginTimeoutMs);
        m_slots[number].logintimer->onTimer = [this, number] {
            EventScope scope(*this);
            loginTimerTimer(number);
        };
    }
    m_socktimer.onTimer = [this] {
        EventScope scope(*this);
        socktimerTimer();
    };
    m_timer1.onTimer = [this] {
        EventScope scope(*this);
        timer1Timer();
    };
    m_turntimer.onTimer = [this] {
        EventScope scope(*this);
        turntimerTimer();
    };
    m_computertimer.onTimer = [this] {
        EventScope scope(*this);
        computertimerTimer();
    };
}

GameServer::~GameServer() = default;

// ---- Connections ----

int GameServer::accept(ServerPeer* peer)
{
    EventScope scope(*this);
    const int number = freeslot();
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
    s.logintimer->stop();
    s.logintimer->start();
    sendto(number, msg::sendlogininfo(number));
    return number;
}

int GameServer::freeslot()
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
            if (verdict == ChatLimiter::Verdict::Close) {
                markclosing(number, true);
                return;
            }
            if (verdict == ChatLimiter::Verdict::Drop)
                continue;
        }
        if (s.queued >= kMaxQueuedMessages) {
            markclosing(number, true);
            return;
        }
        m_receivedlist.push(number, s.connectionId, std::move(text));
        ++s.queued;
    }
    if (s.cutter.overflowed()) {
        markclosing(number, true);
        return;
    }
    if (!m_receivedlist.empty())
        m_socktimer.start();
}

void GameServer::closed(ServerPeer* peer)
{
    EventScope scope(*this);
    const int number = slotOf(peer);
    if (number != 0 && !m_slots[number].closing)
        markclosing(number, false);
}

void GameServer::disconnectsock(int slot)
{
    if (m_slots[slot].player.connected && !m_slots[slot].closing)
        markclosing(slot, true);
}

void GameServer::markclosing(int slot, bool closeNeeded)
{
    m_slots[slot].closing = true;
    m_slots[slot].closeNeeded = closeNeeded;
}

void GameServer::finishclosing()
{
    if (m_finishing)
        return;
    m_finishing = true;
    ++m_depth;
    for (int number = 1; number <= kMaxSlots; ++number) {
        if (m_slots[number].closing) {
            cleanupslot(number);
            number = 0;
        }
    }
    --m_depth;
    m_finishing = false;
}

void GameServer::cleanupslot(int slot)
{
    Slot& s = m_slots[slot];
    if (s.closeNeeded) {
        s.closeNeeded = false;
        try {
            s.player.connection->close();
        } catch (const std::exception&) {
        }
    }
    broadcast(msg::playerdisconnected(slot, s.player.name));
    purgequeue(s.connectionId);
    s.logintimer->stop();
    s.player.connected = false;
    s.player.connection = nullptr;
    s.player.name.clear();
    s.player.watching = false;
    s.closing = false;
    s.queued = 0;
    if (slot != 1)
        passturnof(slot);
}

void GameServer::purgequeue(quint64 connectionId)
{
    m_receivedlist.purge(connectionId);
    if (m_receivedlist.empty())
        m_socktimer.stop();
}

void GameServer::loginTimerTimer(int slot)
{
    Slot& s = m_slots[slot];
    s.logintimer->stop();
    if (!s.loggedIn)
        disconnectsock(slot);
}

void GameServer::sendto(int slot, const QByteArray& bytes)
{
    Slot& s = m_slots[slot];
    if (!s.player.connected || s.closing)
        return;
    try {
        s.player.connection->send(bytes);
        if (!s.closing && s.player.connection->pendingOutput() > kMaxOutgoingBytes)
            markclosing(slot, true);
    } catch (const std::exception&) {
        markclosing(slot, true);
    }
}

void GameServer::broadcast(const QByteArray& bytes)
{
    for (int number = 1; number <= kMaxSlots; ++number)
        sendto(number, bytes);
}

// ---- Dispatch ----

void GameServer::socktimerTimer()
{
    const std::optional<Queued> next = m_receivedlist.takeNext();
    if (!next) {
        m_socktimer.stop();
        return;
    }
    const Queued& message = *next;
    if (m_receivedlist.empty())
        m_socktimer.stop();
    Slot& s = m_slots[message.slot];
    if (s.connectionId == message.connectionId && s.queued > 0)
        --s.queued;
    dispatch(message);
}

void GameServer::dispatch(const Queued& message)
{
    static const std::array<std::pair<const char*, Handler>, 10> handlers = {{
        {"CMD_logininfo", &GameServer::receivedlogininfo},
        {"CMD_kickhim", &GameServer::kickhim},
        {"CMD_botspeed", &GameServer::botspeed},
        {"CMD_chat", &GameServer::chat},
        {"CMD_action", &GameServer::action},
        {"CMD_startgame", &GameServer::startgame},
        {"CMD_justwatch", &GameServer::justwatch},
        {"CMD_selectletter", &GameServer::selectletter},
        {"CMD_choosecat", &GameServer::choosecat},
        {"CMD_playasound", &GameServer::playasound},
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

bool GameServer::fromslot(int sender, const QByteArray& field) const
{
    return field == QByteArray::number(sender);
}

// ---- Roster handlers ----

void GameServer::receivedlogininfo(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    if (!fromslot(sender, fields.next()))
        return;
    Slot& s = m_slots[sender];
    if (s.loggedIn)
        return;
    const QByteArray version = fields.next();
    const QByteArray name = fields.rest();
    s.loggedIn = true;
    s.logintimer->stop();
    s.player.name = name;
    broadcast(msg::newplayerinfo(sender, name));
    for (int other = 1; other <= kMaxSlots; ++other)
        if (other != sender && m_slots[other].player.connected)
            sendto(sender, msg::existingplayers(other, m_slots[other].player.name));
    if (version != kVersion) {
        sendto(1, msg::havewrongversion(name));
        sendto(sender, msg::wrongversion());
    }
    if (m_gameRunning)
        sendcatchup(sender);
}

void GameServer::sendcatchup(int slot)
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
    sendto(slot, msg::gamestats(stats));
    QList<int> used;
    for (int letter = 1; letter <= kLetterCount; ++letter)
        if (m_used[letter])
            used.append(letter);
    if (!used.isEmpty())
        sendto(slot, msg::markletters(slot, used));
}

void GameServer::kickhim(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    if (sender != 1 || !fromslot(sender, fields.next()))
        return;
    const auto target = fields.nextNumber();
    if (target && *target >= 1 && *target <= kMaxSlots)
        disconnectsock(*target);
}

void GameServer::botspeed(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    if (sender != 1 || !fromslot(sender, fields.next()))
        return;
    const auto milliseconds = fields.nextNumber();
    if (milliseconds && *milliseconds >= 1 && *milliseconds <= kMaxBotSpeedMs)
        m_botSpeedSetting = *milliseconds;
}

void GameServer::chat(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    const QByteArray senderField = fields.next();
    if (fromslot(sender, senderField))
        broadcast(msg::chatRelay(senderField, m_slots[sender].player.name, fields.rest()));
}

void GameServer::action(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    const QByteArray senderField = fields.next();
    if (fromslot(sender, senderField))
        broadcast(msg::actionRelay(senderField, m_slots[sender].player.name, fields.rest()));
}

void GameServer::playasound(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    if (fromslot(sender, fields.next()))
        broadcast(msg::playasoundRelay(sender, fields.rest()));
}

void GameServer::justwatch(int sender, const QByteArray& args)
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
        broadcast(msg::justwatching(*seat, state));
    } else if (state == "1" && m_gameRunning && player.connected) {
        player.watching = true;
        broadcast(msg::justwatching(*seat, state));
        passturnof(*seat);
    }
}
