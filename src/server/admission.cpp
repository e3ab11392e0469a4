// Who gets in: kept seats, returning players, removed players, the lock, the
// host's answer to a newcomer and the per-address limits; part of GameServer.
#include "server/gameserver.h"

using namespace proto;

bool GameServer::inGame(int slot) const
{
    const Slot& s = m_slots[slot];
    return s.player.connected && s.loggedIn;
}

bool GameServer::addressMayConnect(const PeerAddress& address) const
{
    if (address.ownMachine)
        return true;
    const auto barred = m_barredAddresses.find(address.text);
    if (barred != m_barredAddresses.end() && barred->second > m_clock.now())
        return false;
    int connections = 0;
    int pending = 0;
    for (int number = 1; number <= kSlotCount; ++number) {
        const Slot& s = m_slots[number];
        if (!s.player.connected || s.address.text != address.text)
            continue;
        ++connections;
        if (!s.loggedIn)
            ++pending;
    }
    return connections < kMaxConnectionsPerAddress && pending < kMaxPendingPerAddress;
}

void GameServer::keepSeat(int seat)
{
    Slot& s = m_slots[seat];
    s.keptFor = s.player.name;
    s.keptSince = m_clock.now();
    s.keepTimer->stop();
    s.keepTimer->start();
    notifyHost(QString("%1 lost the connection; seat %2 is kept for 5 minutes.").arg(fromWire(s.keptFor)).arg(seat));
}

void GameServer::keepTimedOut(int seat)
{
    Slot& s = m_slots[seat];
    s.keepTimer->stop();
    const QByteArray name = std::exchange(s.keptFor, {});
    if (!name.isEmpty())
        notifyHost(QString("%1 did not come back within 5 minutes; seat %2 is free again.").arg(fromWire(name)).arg(seat));
}

int GameServer::seatKeptFor(const QByteArray& name) const
{
    if (name.isEmpty())
        return 0;
    for (int seat = 1; seat <= kSeatCount; ++seat)
        if (m_slots[seat].keptFor == name)
            return seat;
    return 0;
}

// A player back before the host noticed his old connection was lost: the same
// name from the same remote address, while the old connection goes unanswered.
int GameServer::seatLeftBehind(int sender, const QByteArray& name) const
{
    const PeerAddress& from = m_slots[sender].address;
    if (name.isEmpty() || from.ownMachine)
        return 0;
    for (int seat = 2; seat <= kSeatCount; ++seat) {
        const Slot& s = m_slots[seat];
        if (seat != sender && inGame(seat) && !s.closing && s.player.name == name && s.address.text == from.text
            && s.player.connection->stoppedAnswering())
            return seat;
    }
    return 0;
}

// Ends the old connection at once, as if it had been lost, so that its seat is kept for the login.
void GameServer::giveUpLeftBehind(int seat)
{
    markClosing(seat, true);
    cleanUpSlot(seat);
}

void GameServer::moveToKeptSeat(int from, int seat)
{
    if (m_slots[seat].player.connected)
        dropNewcomer(seat);
    ServerPeer* peer = m_slots[from].player.connection;
    const PeerAddress address = m_slots[from].address;
    releaseConnection(from);
    takeConnection(seat, peer, address);
    Slot& target = m_slots[seat];
    target.returningName = std::exchange(target.keptFor, {});
    target.keepTimer->stop();
    sendTo(seat, msg::sendLoginInfo(seat));
}

// Makes room in a kept seat that a newcomer took provisionally while the game was full.
void GameServer::dropNewcomer(int slot)
{
    ServerPeer* newcomer = m_slots[slot].player.connection;
    if (m_slots[slot].waitingForHost)
        endRequest(slot);
    releaseConnection(slot);
    refuse(newcomer);
}

void GameServer::announceReturn(int slot, const QByteArray& name)
{
    notifyHost(QString("%1 is back in seat %2.").arg(fromWire(name)).arg(slot));
}

void GameServer::turnAwayLogin(int slot, const QString& line)
{
    sendTo(slot, msg::full());
    disconnectSlot(slot);
    if (!line.isEmpty())
        notifyHost(line);
}

void GameServer::askHost(int slot, const read::LoginInfo& login)
{
    int waiting = 0;
    for (int number = 1; number <= kSlotCount; ++number)
        if (m_slots[number].waitingForHost)
            ++waiting;
    Slot& s = m_slots[slot];
    if (waiting >= kMaxWaitingJoins) {
        const QString who = fromWire(login.name);
        return turnAwayLogin(slot, who + " was turned away: two others are already waiting to join.");
    }
    s.waitingForHost = true;
    s.heldLogin = login;
    s.askTimer->stop();
    s.askTimer->start();
    if (joinRequested)
        joinRequested(JoinRequest{s.connectionId, login.name, s.address.text});
}

int GameServer::waitingSlot(quint64 id) const
{
    for (int number = 1; number <= kSlotCount; ++number) {
        const Slot& s = m_slots[number];
        if (s.waitingForHost && !s.closing && s.connectionId == id)
            return number;
    }
    return 0;
}

void GameServer::endRequest(int slot)
{
    Slot& s = m_slots[slot];
    s.waitingForHost = false;
    s.askTimer->stop();
    if (joinRequestEnded)
        joinRequestEnded(s.connectionId);
}

void GameServer::letIn(quint64 id)
{
    EventScope scope(*this);
    if (const int slot = waitingSlot(id)) {
        endRequest(slot);
        admit(slot, m_slots[slot].heldLogin);
    }
}

void GameServer::turnAway(quint64 id)
{
    EventScope scope(*this);
    if (const int slot = waitingSlot(id)) {
        endRequest(slot);
        turnAwayLogin(slot, fromWire(m_slots[slot].heldLogin.name) + " was not let in.");
    }
}

void GameServer::askTimedOut(int slot)
{
    Slot& s = m_slots[slot];
    s.askTimer->stop();
    if (!s.waitingForHost || s.closing)
        return;
    endRequest(slot);
    turnAwayLogin(slot, fromWire(s.heldLogin.name) + " was not let in: nobody answered within 60 seconds.");
}

// Bars the slot's player by name for the session and its address for a while.
void GameServer::bar(int slot)
{
    const Slot& s = m_slots[slot];
    if (s.loggedIn)
        barName(s.player.name);
    if (!s.address.ownMachine)
        m_barredAddresses[s.address.text] = m_clock.now() + kAddressBarMs;
}

void GameServer::barName(const QByteArray& name)
{
    if (!name.isEmpty() && !m_barredNames.contains(name))
        m_barredNames.append(name);
}
