#pragma once
// HostedServer: the hidden "Server" window of every copy of the program. It has no
// visible part; it holds the listening socket m_listener, the template socket
// m_connectionTemplate whose handlers every accepted connection copies, and the game
// server's logic (GameServer), which it feeds with the connections' events.
// Only a hosting copy switches listening on.

#include "net/gametimer.h"
#include "net/gamesocket.h"
#include "server/gameserver.h"

#include <QHostAddress>
#include <QObject>
#include <map>
#include <memory>

class HostedServer : public QObject {
    Q_OBJECT
public:
    explicit HostedServer(QObject* parent = nullptr);
    // For tests: a given clock, seed and word lists.
    HostedServer(Clock& clock, quint32 seed, WordLists lists, QObject* parent = nullptr);
    ~HostedServer() override;

    // Starts listening on the address and port (7772 in the program, 0 for any
    // free port); throws SocketError when the port cannot be bound.
    void startListening(const QHostAddress& address = QHostAddress::AnyIPv4, quint16 port = proto::kGamePort);
    // The port the listener is bound to (0 before listening).
    quint16 port() const;
    // The game server's logic (bot speed hook, state for the host's client).
    GameServer& server() { return *m_server; }
    const GameServer& server() const { return *m_server; }

private:
    class SocketPeer;

    void acceptConnection(GameSocket* sender);
    void readConnection(GameSocket* sender, int count);
    void connectionClosed(GameSocket* sender);
    void connectionInfo(GameSocket* sender, GameSocket::SocketInfo info, const QString& text);
    void releaseClosed();
    SocketPeer* peerOf(GameSocket* sock) const;

    GameSocket m_listener;
    GameSocket m_connectionTemplate;
    std::map<GameSocket*, std::unique_ptr<SocketPeer>> m_peers;
    std::unique_ptr<GameServer> m_server;
};
