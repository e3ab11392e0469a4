#include "server/serverform.h"

#include <QDateTime>

// An accepted TSock as the game server sees it.
class TServer::SockPeer : public ServerPeer {
public:
    explicit SockPeer(TSock* socket) : sock(socket) {}
    void send(const QByteArray& bytes) override { sock->send(bytes); }
    void close() override { sock->close(); }
    qint64 pendingOutput() const override { return sock->outgoingSize(); }

    TSock* sock;
    bool done = false; // "Socket Closed" has been reported
};

TServer::TServer(QObject* parent)
    : TServer(Clock::system(), quint32(QDateTime::currentMSecsSinceEpoch()), WordLists(), parent)
{
}

TServer::TServer(Clock& clock, quint32 seed, WordLists lists, QObject* parent)
    : QObject(parent), m_server(std::make_unique<GameServer>(clock, seed, std::move(lists)))
{
    setObjectName("Server");
    Sock1.onAccept = [this](TSock* sender) { Sock1Accept(sender); };
    tempsock.onDisconnect = [this](TSock* sender) { tempsockDisconnect(sender); };
    tempsock.onInfo = [this](TSock* sender, TSock::SocketInfo info, const QString& text) {
        tempsockInfo(sender, info, text);
    };
}

TServer::~TServer()
{
    Sock1.onAccept = nullptr;
    for (auto& [sock, peer] : m_peers) {
        sock->onRead = nullptr;
        sock->onDisconnect = nullptr;
        sock->onInfo = nullptr;
    }
    m_server.reset();
}

void TServer::startListening(const QHostAddress& address, quint16 port)
{
    startListening(QList<QHostAddress>{address}, port);
}

void TServer::startListening(const QList<QHostAddress>& addresses, quint16 port)
{
    Sock1.setListenAddresses(addresses);
    Sock1.setPortName(QString::number(port));
    Sock1.setListen(true);
}

quint16 TServer::port() const
{
    return Sock1.localPort();
}

TServer::SockPeer* TServer::peerOf(TSock* sock) const
{
    const auto found = m_peers.find(sock);
    return found == m_peers.end() ? nullptr : found->second.get();
}

void TServer::Sock1Accept(TSock*)
{
    releaseclosed();
    TSock* sock = nullptr;
    if (!Sock1.accept(sock) || !sock)
        return;
    sock->onRead = [this](TSock* sender, int count) { Sock1Read(sender, count); };
    sock->onDisconnect = tempsock.onDisconnect;
    sock->onInfo = tempsock.onInfo;
    auto peer = std::make_unique<SockPeer>(sock);
    SockPeer* raw = peer.get();
    m_peers.emplace(sock, std::move(peer));
    m_server->accept(raw);
}

void TServer::Sock1Read(TSock* sender, int)
{
    SockPeer* peer = peerOf(sender);
    if (!peer || peer->done)
        return;
    QByteArray bytes;
    try {
        bytes = sender->receive();
    } catch (const ESockException&) {
        return;
    }
    m_server->received(peer, bytes);
}

void TServer::tempsockDisconnect(TSock* sender)
{
    SockPeer* peer = peerOf(sender);
    if (peer && !peer->done)
        sender->close();
}

void TServer::tempsockInfo(TSock* sender, TSock::SocketInfo, const QString& text)
{
    if (text != QLatin1String("Socket Closed"))
        return;
    SockPeer* peer = peerOf(sender);
    if (!peer || peer->done)
        return;
    peer->done = true;
    m_server->closed(peer);
}

void TServer::releaseclosed()
{
    for (auto it = m_peers.begin(); it != m_peers.end();) {
        if (!it->second->done) {
            ++it;
            continue;
        }
        TSock* sock = it->first;
        sock->onRead = nullptr;
        sock->onDisconnect = nullptr;
        sock->onInfo = nullptr;
        sock->deleteLater();
        it = m_peers.erase(it);
    }
}
