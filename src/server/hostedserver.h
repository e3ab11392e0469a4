#pragma once
// HostedServer: the game server's socket side (named "Server", as the hidden
// server window it stands for). It listens with one QTcpServer per address,
// wraps each accepted socket in a Connection and hands the connections'
// messages and ends to the game server's logic (GameServer). Only a hosting
// copy switches listening on.

#include "net/connection.h"
#include "net/gametimer.h"
#include "server/gameserver.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <map>
#include <memory>
#include <stdexcept>

class QTcpServer;

// Listening could not start; what() is the text shown to the player.
class ListenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HostedServer : public QObject {
    Q_OBJECT
public:
    explicit HostedServer(QObject* parent = nullptr);
    // For tests: a given clock, seed and word lists.
    HostedServer(Clock& clock, quint32 seed, WordLists lists, QObject* parent = nullptr);
    ~HostedServer() override;

    // Starts listening on the address and port (7772 in the program, 0 for any
    // free port); throws ListenError when the port cannot be bound.
    void startListening(const QHostAddress& address = QHostAddress::Any, quint16 port = proto::kGamePort);
    // The same on several addresses sharing one port: the first must bind, the
    // others are left out where this machine lacks them (a solo game uses
    // 127.0.0.1 and ::1). A second call changes nothing.
    void startListening(const QList<QHostAddress>& addresses, quint16 port);
    // The port the listeners are bound to (0 before listening).
    quint16 port() const;
    // The game server's logic (bot speed hook, state for the host's client).
    GameServer& server() { return *m_server; }
    const GameServer& server() const { return *m_server; }
    // The connection of a slot, while the slot is connected (its peer's address, for one).
    const Connection* connection(int slot) const;

private:
    class SocketPeer;

    void acceptConnections(QTcpServer* listener);
    void releaseLater(SocketPeer* peer);

    QList<QTcpServer*> m_listeners;
    std::map<SocketPeer*, std::unique_ptr<SocketPeer>> m_peers;
    std::unique_ptr<GameServer> m_server;
};
