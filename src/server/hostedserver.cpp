#include "server/hostedserver.h"

#include <QDateTime>

// An accepted GameSocket as the game server sees it.
class HostedServer::SocketPeer : public ServerPeer {
public:
    explicit SocketPeer(GameSocket* socket) : sock(socket) {}
    void send(const QByteArray& bytes) override { sock->send(bytes); }
    void close() override { sock->close(); }
    qint64 pendingOutput() const override { return sock->outgoingSize(); }

    GameSocket* sock;
    bool done = false; // "Socket Closed" has been reported
};

HostedServer::HostedServer(QObject* parent)
    : HostedServer(Clock::system(), quint32(QDateTime::currentMSecsSinceEpoch()), WordLists(), parent)
{
}

HostedServer::HostedServer(Clock& clock, quint32 seed, WordLists lists, QObject* parent)
    : QObject(parent), m_server(std::make_unique<GameServer>(clock, seed, std::move(lists)))
{
    setObjectName("Server");
    m_listener.onAccept = [this](GameSocket* sender) { acceptConnection(sender); };
    m_connectionTemplate.onDisconnect = [this](GameSocket* sender) { connectionClosed(sender); };
    m_connectionTemplate.onInfo = [this](GameSocket* sender, GameSocket::SocketInfo info, const QString& text) {
        connectionInfo(sender, info, text);
    };
}

HostedServer::~HostedServer()
{
    m_listener.onAccept = nullptr;
    for (auto& [sock, peer] : m_peers) {
        sock->onRead = nullptr;
        sock->onDisconnect = nullptr;
        sock->onInfo = nullptr;
    }
    m_server.reset();
}

void HostedServer::startListening(const QHostAddress& address, quint16 port)
{
    m_listener.setListenAddress(address);
    m_listener.setPortName(QString::number(port));
    m_listener.setListen(true);
}

quint16 HostedServer::port() const
{
    return m_listener.localPort();
}

HostedServer::SocketPeer* HostedServer::peerOf(GameSocket* sock) const
{
    const auto found = m_peers.find(sock);
    return found == m_peers.end() ? nullptr : found->second.get();
}

void HostedServer::acceptConnection(GameSocket*)
{
    releaseClosed();
    GameSocket* sock = nullptr;
    if (!m_listener.accept(sock) || !sock)
        return;
    sock->onRead = [this](GameSocket* sender, int count) { readConnection(sender, count); };
    sock->onDisconnect = m_connectionTemplate.onDisconnect;
    sock->onInfo = m_connectionTemplate.onInfo;
    auto peer = std::make_unique<SocketPeer>(sock);
    SocketPeer* raw = peer.get();
    m_peers.emplace(sock, std::move(peer));
    m_server->accept(raw);
}

void HostedServer::readConnection(GameSocket* sender, int)
{
    SocketPeer* peer = peerOf(sender);
    if (!peer || peer->done)
        return;
    QByteArray bytes;
    try {
        bytes = sender->receive();
    } catch (const SocketError&) {
        return;
    }
    m_server->received(peer, bytes);
}

void HostedServer::connectionClosed(GameSocket* sender)
{
    SocketPeer* peer = peerOf(sender);
    if (peer && !peer->done)
        sender->close();
}

void HostedServer::connectionInfo(GameSocket* sender, GameSocket::SocketInfo, const QString& text)
{
    if (text != QLatin1String("Socket Closed"))
        return;
    SocketPeer* peer = peerOf(sender);
    if (!peer || peer->done)
        return;
    peer->done = true;
    m_server->closed(peer);
}

void HostedServer::releaseClosed()
{
    for (auto it = m_peers.begin(); it != m_peers.end();) {
        if (!it->second->done) {
            ++it;
            continue;
        }
        GameSocket* sock = it->first;
        sock->onRead = nullptr;
        sock->onDisconnect = nullptr;
        sock->onInfo = nullptr;
        sock->deleteLater();
        it = m_peers.erase(it);
    }
}
