#include "net/gamesocket.h"

#include <QCoreApplication>
#include <QHash>
#include <QHostInfo>
#include <QNetworkProxy>
#include <QPointer>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <netdb.h>
#include <arpa/inet.h>

namespace {

constexpr qint64 kReadChunk = 32768;
constexpr int kLingerMs = 10000;

[[noreturn]] void fail(const QString& text)
{
    throw SocketError(text.toStdString());
}

bool startsWithDigit(const QString& text)
{
    return !text.isEmpty() && text[0] >= u'0' && text[0] <= u'9';
}

int winsockCode(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return 10061;
    case QAbstractSocket::RemoteHostClosedError: return 10054;
    case QAbstractSocket::HostNotFoundError: return 11001;
    case QAbstractSocket::SocketAccessError: return 10013;
    case QAbstractSocket::SocketResourceError: return 10055;
    case QAbstractSocket::SocketTimeoutError: return 10060;
    case QAbstractSocket::DatagramTooLargeError: return 10040;
    case QAbstractSocket::NetworkError: return 10051;
    case QAbstractSocket::AddressInUseError: return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045;
    case QAbstractSocket::UnfinishedSocketOperationError: return 10036;
    case QAbstractSocket::TemporaryError: return 10035;
    default: return 10022;
    }
}

QHash<QString, QHostAddress>& hostCache()
{
    static QHash<QString, QHostAddress> cache;
    return cache;
}

QString dottedAddress(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

} // namespace

GameSocket::GameSocket(QObject* parent) : QObject(parent) {}

GameSocket::~GameSocket()
{
    onRead = nullptr;
    onInfo = nullptr;
    onDisconnect = nullptr;
    onAccept = nullptr;
    onConnect = nullptr;
    onWrite = nullptr;
    detachSocket();
}

void GameSocket::setHostName(const QString& host)
{
    if (m_connected)
        info(SocketInfo::Lookup, "Setting HostName While Connected Has No Effect");
    m_hostName = host;
}

void GameSocket::setPortName(const QString& port)
{
    if (m_connected)
        info(SocketInfo::Lookup, "Setting PortName While Connected Has No Effect");
    m_portName = port;
}

void GameSocket::setListen(bool on)
{
    if (!on) {
        m_listening = false;
        close();
        info(SocketInfo::Listen, "Listening Stopped");
        return;
    }
    if (m_listening) {
        info(SocketInfo::Listen, "Listening Already Running");
        return;
    }
    if (m_socket)
        fail("Listen - Socket Already In Use");
    const quint16 port = lookupPort(m_portName);
    auto* server = new QTcpServer(this);
    server->setProxy(QNetworkProxy::NoProxy);
    if (!server->listen(m_listenAddress, port)) {
        delete server;
        fail("Listen - Error Binding Socket");
    }
    m_server = server;
    connect(m_server, &QTcpServer::newConnection, this, &GameSocket::handleNewConnection);
    m_listening = true;
    info(SocketInfo::Listen, "Listening Started");
}

quint16 GameSocket::localPort() const
{
    if (m_server)
        return m_server->serverPort();
    return m_socket ? m_socket->localPort() : 0;
}

qint64 GameSocket::outgoingSize() const
{
    return m_outgoing.size() + (m_socket ? m_socket->bytesToWrite() : 0);
}

bool GameSocket::open()
{
    if (m_socket || m_server)
        return m_connected;
    attach(new QTcpSocket(this));
    const quint16 port = lookupPort(m_portName);
    const QHostAddress address = lookupHost(m_hostName);
    m_socket->connectToHost(address, port);
    return m_connected;
}

bool GameSocket::close()
{
    detachSocket();
    m_connected = false;
    const bool report = !m_listening && !m_reportingClose;
    m_listening = false;
    if (report) {
        m_reportingClose = true;
        QPointer<GameSocket> self(this);
        auto done = qScopeGuard([&] {
            if (self)
                m_reportingClose = false;
        });
        info(SocketInfo::Close, "Socket Closed");
    }
    return true;
}

bool GameSocket::send(const QByteArray& bytes)
{
    if (m_listening)
        fail("Send - Cannot Send On A Listener Socket");
    if (!m_socket)
        fail("Send - Socket Not Connected");
    m_outgoing += bytes;
    if (m_outgoing.isEmpty())
        return true;
    info(SocketInfo::Send, "Non-Blocking Outgoing Data");
    flush();
    return true;
}

QByteArray GameSocket::receive()
{
    return receiveCount(-1);
}

QByteArray GameSocket::receiveCount(int n)
{
    if (m_listening)
        fail("Receive - Cannot Receive On A Listener Socket");
    if (!m_socket && m_incoming.isEmpty())
        fail("Receive - Socket Not Connected");
    QByteArray taken;
    if (n < 0 || n >= m_incoming.size()) {
        taken.swap(m_incoming);
    } else {
        taken = m_incoming.left(n);
        m_incoming.remove(0, n);
    }
    scheduleRead();
    return taken;
}

bool GameSocket::accept(GameSocket*& newSock)
{
    if (!m_listening)
        fail("Accept - Socket Not In Listening Mode");
    QTcpSocket* socket = m_server->nextPendingConnection();
    if (!socket) {
        info(SocketInfo::Accept, "Could Not Accept Connection");
        return false;
    }
    auto* sock = new GameSocket(this);
    sock->onRead = onRead;
    sock->onWrite = onWrite;
    sock->onDisconnect = onDisconnect;
    sock->onInfo = onInfo;
    sock->attach(socket);
    sock->m_connected = true;
    sock->setPortName(m_portName);
    sock->setHostName(dottedAddress(socket->peerAddress()));
    newSock = sock;
    sock->scheduleRead();
    if (socket->state() != QAbstractSocket::ConnectedState)
        QMetaObject::invokeMethod(sock, &GameSocket::handlePeerClosed, Qt::QueuedConnection);
    info(SocketInfo::Accept, "Created New TSock Structure");
    return true;
}

QString GameSocket::errorName(int code)
{
    static const QHash<int, QString> names = {
        {10004, "WSAEINTR"}, {10009, "WSAEBADF"}, {10013, "WSAEACCES"}, {10014, "WSAEFAULT"},
        {10022, "WSAEINVAL"}, {10024, "WSAEMFILE"}, {10035, "WSAEWOULDBLOCK"},
        {10036, "WSAEINPROGRESS"}, {10037, "WSAEALREADY"}, {10038, "WSAENOTSOCK"},
        {10039, "WSAEDESTADDRREQ"}, {10040, "WSAEMSGSIZE"}, {10041, "WSAEPROTOTYPE"},
        {10042, "WSAENOPROTOOPT"}, {10043, "WSAEPROTONOSUPPORT"}, {10044, "WSAESOCKTNOSUPPORT"},
        {10045, "WSAEOPNOTSUPP"}, {10046, "WSAEPFNOSUPPORT"}, {10047, "WSAEAFNOSUPPORT"},
        {10048, "WSAEADDRINUSE"}, {10049, "WSAEADDRNOTAVAIL"}, {10050, "WSAENETDOWN"},
        {10051, "WSAENETUNREACH"}, {10052, "WSAENETRESET"}, {10053, "WSAECONNABORTED"},
        {10054, "WSAECONNRESET"}, {10055, "WSAENOBUFS"}, {10056, "WSAEISCONN"},
        {10057, "WSAENOTCONN"}, {10058, "WSAESHUTDOWN"}, {10059, "WSAETOOMANYREFS"},
        {10060, "WSAETIMEDOUT"}, {10061, "WSAECONNREFUSED"}, {10062, "WSAELOOP"},
        {10063, "WSAENAMETOOLONG"}, {10064, "WSAEHOSTDOWN"}, {10065, "WSAEHOSTUNREACH"},
        {10066, "WSAENOTEMPTY"}, {10067, "WSAEPROCLIM"}, {10068, "WSAEUSERS"},
        {10069, "WSAEDQUOT"}, {10070, "WSAESTALE"}, {10071, "WSAEREMOTE"},
        {10091, "WSASYSNOTREADY"}, {10092, "WSAVERNOTSUPPORTED"}, {10093, "WSANOTINITIALISED"},
        {10101, "WSAEDISCON"}, {11001, "WSAHOST_NOT_FOUND"}, {11002, "WSATRY_AGAIN"},
        {11003, "WSANO_RECOVERY"}, {11004, "WSANO_DATA"},
    };
    return names.value(code, "UNKNOWN ERROR");
}

void GameSocket::info(SocketInfo kind, const QString& text)
{
    if (!onInfo)
        return;
    const auto handler = onInfo;
    try {
        handler(this, kind, text);
    } catch (...) {
        fail("Error here");
    }
}

void GameSocket::attach(QTcpSocket* socket)
{
    m_socket = socket;
    socket->setParent(this);
    socket->setProxy(QNetworkProxy::NoProxy);
    socket->setReadBufferSize(kReadChunk);
    connect(socket, &QTcpSocket::readyRead, this, &GameSocket::handleReadyRead);
    connect(socket, &QTcpSocket::connected, this, &GameSocket::handleConnected);
    connect(socket, &QTcpSocket::disconnected, this, &GameSocket::handlePeerClosed);
    connect(socket, &QTcpSocket::errorOccurred, this, &GameSocket::handleError);
}

// Lets the system finish sending what was already handed over, then drops the socket.
void GameSocket::detachSocket()
{
    if (m_server) {
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
    if (!m_socket)
        return;
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    m_outgoing.clear();
    socket->disconnect(this);
    socket->setParent(QCoreApplication::instance());
    if (socket->state() != QAbstractSocket::ConnectedState) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kLingerMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
}

quint16 GameSocket::lookupPort(const QString& name)
{
    info(SocketInfo::Lookup, "Lookup Of Port " + name);
    if (startsWithDigit(name)) {
        bool ok = false;
        const uint port = name.toUInt(&ok);
        if (!ok || port > 65535)
            fail("'" + name + "' is not a valid integer value");
        return quint16(port);
    }
    const servent* entry = getservbyname(name.toLatin1().constData(), "tcp");
    if (!entry)
        fail("Port Lookup - Could Not Find Service Entry");
    return ntohs(quint16(entry->s_port));
}

QHostAddress GameSocket::lookupHost(const QString& name)
{
    info(SocketInfo::Lookup, "Lookup Of Host " + name);
    if (startsWithDigit(name)) {
        QHostAddress address;
        if (!address.setAddress(name) || address.protocol() != QAbstractSocket::IPv4Protocol)
            fail("Host Lookup - Could Not Find Host Entry");
        return address;
    }
    auto cached = hostCache().constFind(name);
    if (cached != hostCache().constEnd())
        return *cached;
    const QHostInfo found = QHostInfo::fromName(name);
    for (const QHostAddress& address : found.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            hostCache().insert(name, address);
            return address;
        }
    }
    fail("Host Lookup - Could Not Find Host Entry");
}

void GameSocket::handleReadyRead()
{
    m_readScheduled = false;
    if (!m_socket)
        return;
    while (m_socket->bytesAvailable() > 0 && m_incoming.size() < kMaxIncoming)
        m_incoming += m_socket->read(std::min<qint64>(kReadChunk, kMaxIncoming - m_incoming.size()));
    QPointer<GameSocket> self(this);
    info(SocketInfo::Receive, "Non-Blocking Incoming Data");
    if (auto handler = onRead; self && handler)
        handler(this, int(m_incoming.size()));
}

void GameSocket::handleConnected()
{
    m_connected = true;
    QPointer<GameSocket> self(this);
    info(SocketInfo::Connect, "Non-Blocking Socket Connected");
    if (auto handler = onConnect; self && handler)
        handler(this);
    if (!self || !m_socket)
        return;
    flush();
    info(SocketInfo::Send, "Non-Blocking Outgoing Data");
    if (auto handler = onWrite; self && handler)
        handler(this);
}

void GameSocket::handlePeerClosed()
{
    if (!m_socket)
        return;
    while (m_socket->bytesAvailable() > 0)
        m_incoming += m_socket->readAll();
    QPointer<GameSocket> self(this);
    if (auto handler = onDisconnect)
        handler(this);
    if (self)
        close();
}

void GameSocket::handleError()
{
    if (!m_socket || m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    const int code = winsockCode(m_socket->error());
    info(SocketInfo::Error, QString("Error #%1 (%2)").arg(code).arg(errorName(code)));
}

void GameSocket::handleNewConnection()
{
    if (auto handler = onAccept)
        handler(this);
}

void GameSocket::scheduleRead()
{
    if (!m_socket || m_readScheduled || m_socket->bytesAvailable() == 0)
        return;
    m_readScheduled = true;
    QMetaObject::invokeMethod(this, &GameSocket::handleReadyRead, Qt::QueuedConnection);
}

void GameSocket::flush()
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState || m_outgoing.isEmpty())
        return;
    const qint64 taken = m_socket->write(m_outgoing);
    if (taken > 0)
        m_outgoing.remove(0, taken);
}
