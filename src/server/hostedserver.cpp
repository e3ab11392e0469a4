#include "server/hostedserver.h"

#include <QDateTime>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

bool isThisMachine(const QHostAddress& address)
{
    return address.isLoopback() || QNetworkInterface::allAddresses().contains(address);
}

} // namespace

// An accepted connection as the game server sees it.
class HostedServer::SocketPeer : public ServerPeer {
public:
    SocketPeer(HostedServer& owner, QTcpSocket* socket)
        : owner(owner),
          connection(socket, proto::kMaxPendingBytes),
          from{connection.peerAddress().toString(), isThisMachine(connection.peerAddress())}
    {
    }
    void send(const QByteArray& bytes) override { connection.send(bytes); }
    PeerAddress address() const override { return from; }
    bool stoppedAnswering() const override { return connection.peerStoppedAnswering(); }
    void close() override
    {
        connection.close();
        owner.releaseLater(this);
    }

    HostedServer& owner;
    Connection connection;
    PeerAddress from;
};

HostedServer::HostedServer(QObject* parent)
    : HostedServer(Clock::system(), quint32(QDateTime::currentMSecsSinceEpoch()), WordLists(), parent)
{
}

HostedServer::HostedServer(Clock& clock, quint32 seed, WordLists lists, QObject* parent)
    : QObject(parent), m_server(std::make_unique<GameServer>(clock, seed, std::move(lists)))
{
    setObjectName("Server");
}

HostedServer::~HostedServer()
{
    for (auto& [raw, peer] : m_peers)
        peer->connection.disconnect(this);
    m_server.reset();
}

void HostedServer::startListening(const QHostAddress& address, quint16 port)
{
    startListening(QList<QHostAddress>{address}, port);
}

void HostedServer::startListening(const QList<QHostAddress>& addresses, quint16 port)
{
    if (!m_listeners.isEmpty())
        return;
    for (const QHostAddress& address : addresses) {
        auto* listener = new QTcpServer(this);
        listener->setProxy(QNetworkProxy::NoProxy);
        if (!listener->listen(address, port)) {
            delete listener;
            if (m_listeners.isEmpty())
                throw ListenError("Listen - Error Binding Socket");
            continue;
        }
        port = listener->serverPort();
        m_listeners.append(listener);
        connect(listener, &QTcpServer::newConnection, this, [this, listener] { acceptConnections(listener); });
    }
}

quint16 HostedServer::port() const
{
    return m_listeners.isEmpty() ? 0 : m_listeners.first()->serverPort();
}

const Connection* HostedServer::connection(int slot) const
{
    if (!isSlot(slot) || !m_server->slot(slot).connected)
        return nullptr;
    for (const auto& [peer, owned] : m_peers)
        if (peer == m_server->slot(slot).connection)
            return &peer->connection;
    return nullptr;
}

void HostedServer::acceptConnections(QTcpServer* listener)
{
    while (QTcpSocket* socket = listener->nextPendingConnection()) {
        auto owned = std::make_unique<SocketPeer>(*this, socket);
        SocketPeer* peer = owned.get();
        m_peers.emplace(peer, std::move(owned));
        connect(&peer->connection, &Connection::messageReceived, this,
                [this, peer](const QByteArray& message) { m_server->received(peer, message); });
        connect(&peer->connection, &Connection::closed, this, [this, peer] {
            m_server->closed(peer);
            releaseLater(peer);
        });
        m_server->accept(peer);
    }
}

// Forgets the peer once the event that ended it is over (GameServer lets go of it within that event).
void HostedServer::releaseLater(SocketPeer* peer)
{
    peer->connection.disconnect(this);
    QTimer::singleShot(0, this, [this, peer] { m_peers.erase(peer); });
}
