#pragma once
// TServer: the hidden "Server" window of every copy of the program. It has no
// visible part; it holds the listening socket Sock1, the template socket
// tempsock whose handlers every accepted connection copies, and the game
// server's logic (GameServer), which it feeds with the connections' events.
// Only a hosting copy switches listening on.

#include "net/gametimer.h"
#include "net/tsock.h"
#include "server/gameserver.h"

#include <QHostAddress>
#include <QObject>
#include <map>
#include <memory>

class TServer : public QObject {
    Q_OBJECT
public:
    explicit TServer(QObject* parent = nullptr);
    // For tests: a given clock, seed and word lists.
    TServer(Clock& clock, quint32 seed, WordLists lists, QObject* parent = nullptr);
    ~TServer() override;

    // Starts listening on the address and port (7772 in the program, 0 for any
    // free port); throws ESockException when the port cannot be bound.
    void startListening(const QHostAddress& address = QHostAddress::Any, quint16 port = proto::kGamePort);
    // The same on several addresses sharing one port (see TSock::setListenAddresses).
    void startListening(const QList<QHostAddress>& addresses, quint16 port);
    // The port the listener is bound to (0 before listening).
    quint16 port() const;
    // The game server's logic (bot speed hook, state for the host's client).
    GameServer& server() { return *m_server; }
    const GameServer& server() const { return *m_server; }

private:
    class SockPeer;

    void Sock1Accept(TSock* sender);
    void Sock1Read(TSock* sender, int count);
    void tempsockDisconnect(TSock* sender);
    void tempsockInfo(TSock* sender, TSock::SocketInfo info, const QString& text);
    void releaseclosed();
    SockPeer* peerOf(TSock* sock) const;

    TSock Sock1;
    TSock tempsock;
    std::map<TSock*, std::unique_ptr<SockPeer>> m_peers;
    std::unique_ptr<GameServer> m_server;
};
