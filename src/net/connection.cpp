#include "net/connection.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace {

QString withoutBrackets(const QString& host)
{
    if (host.size() > 2 && host.startsWith(u'[') && host.endsWith(u']'))
        return host.mid(1, host.size() - 2);
    return host;
}

// A host that is meant as an address (and is none when it does not read as one).
bool isMeantAsAddress(const QString& host)
{
    return (!host.isEmpty() && host[0] >= u'0' && host[0] <= u'9') || host.startsWith(u'[') || host.contains(u':');
}

QHostAddress plainAddress(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

QList<QHostAddress> usableAddresses(const QList<QHostAddress>& found)
{
    QList<QHostAddress> usable;
    for (const QHostAddress& address : found) {
        const auto protocol = address.protocol();
        if (usable.size() < Connection::kMaxAddressesTried
            && (protocol == QAbstractSocket::IPv4Protocol || protocol == QAbstractSocket::IPv6Protocol))
            usable.append(address);
    }
    return usable;
}

// Lets a socket hand over its last bytes on its own, then deletes it.
void closeAlone(QTcpSocket* socket)
{
    socket->setParent(QCoreApplication::instance());
    if (socket->state() != QAbstractSocket::ConnectedState) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(Connection::kLingerMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
}

} // namespace

Connection::Connection(int longestMessage, QObject* parent)
    : QObject(parent), m_cutter(longestMessage), m_longestMessage(longestMessage)
{
}

Connection::Connection(QTcpSocket* accepted, int longestMessage, QObject* parent)
    : Connection(longestMessage, parent)
{
    attach(accepted);
    m_hostName = plainAddress(accepted->peerAddress()).toString();
    becomeConnected();
    if (accepted->state() != QAbstractSocket::ConnectedState)
        endLater(CloseReason::ClosedByPeer);
}

Connection::~Connection()
{
    close();
}

void Connection::connectToHost(const QString& host, quint16 port, HostResolver& resolver)
{
    if (m_state != State::Closed)
        return;
    const int attempt = ++m_attempt;
    m_hostName = host;
    m_port = port;
    m_peerAddress.clear();
    m_cutter = proto::MessageCutter(m_longestMessage);
    setState(State::Connecting);
    QHostAddress literal;
    if (literal.setAddress(withoutBrackets(host))) {
        m_candidates = {literal};
        tryNextAddress();
    } else if (isMeantAsAddress(host)) {
        endLater(CloseReason::HostNotFound);
    } else {
        resolver.lookUp(host, this, [this, attempt](const QList<QHostAddress>& found) { addressesFound(found, attempt); });
    }
}

void Connection::send(const QByteArray& message)
{
    if (m_state == State::Connecting)
        m_waiting += message;
    else if (m_state == State::Connected)
        m_socket->write(message);
    else
        return;
    if (bytesToWrite() > proto::kMaxOutgoingBytes)
        endLater(CloseReason::Lost);
}

void Connection::close()
{
    forgetAttempt();
    QTcpSocket* socket = std::exchange(m_socket, nullptr);
    if (!socket) {
        if (m_state != State::Closing)
            setState(State::Closed);
        return;
    }
    socket->disconnect(this);
    if (m_state == State::Connected && socket->state() == QAbstractSocket::ConnectedState) {
        setState(State::Closing);
        connect(socket, &QObject::destroyed, this, [this] { setState(State::Closed); });
    } else {
        setState(State::Closed);
    }
    closeAlone(socket);
}

qint64 Connection::bytesToWrite() const
{
    return m_waiting.size() + (m_socket ? m_socket->bytesToWrite() : 0);
}

qintptr Connection::socketDescriptor() const
{
    return m_socket ? m_socket->socketDescriptor() : -1;
}

void Connection::attach(QTcpSocket* socket)
{
    m_socket = socket;
    socket->setParent(this);
    socket->setProxy(QNetworkProxy::NoProxy);
    socket->setReadBufferSize(kReadChunkBytes);
    connect(socket, &QTcpSocket::connected, this, [this] {
        becomeConnected();
        emit connected();
    });
    connect(socket, &QTcpSocket::readyRead, this, &Connection::readAndScheduleMore);
    connect(socket, &QTcpSocket::errorOccurred, this, &Connection::socketFailed);
    connect(socket, &QTcpSocket::disconnected, this, &Connection::socketGone);
}

void Connection::becomeConnected()
{
    m_candidates.clear();
    if (m_connectTimer)
        m_connectTimer->stop();
    setLiveSocketOptions(m_socket->socketDescriptor());
    m_endWitness.watch(m_socket->socketDescriptor());
    m_peerAddress = plainAddress(m_socket->peerAddress());
    setState(State::Connected);
    if (!m_waiting.isEmpty())
        m_socket->write(std::exchange(m_waiting, {}));
}

void Connection::addressesFound(const QList<QHostAddress>& addresses, int attempt)
{
    if (attempt != m_attempt || m_state != State::Connecting)
        return;
    m_candidates = usableAddresses(addresses);
    if (m_candidates.isEmpty())
        end(CloseReason::HostNotFound);
    else
        tryNextAddress();
}

void Connection::tryNextAddress()
{
    if (m_state != State::Connecting || m_candidates.isEmpty())
        return;
    if (!m_socket)
        attach(new QTcpSocket(this));
    if (!m_connectTimer) {
        m_connectTimer = new QTimer(this);
        m_connectTimer->setSingleShot(true);
        m_connectTimer->setTimerType(Qt::PreciseTimer);
        connect(m_connectTimer, &QTimer::timeout, this, &Connection::connectTimedOut);
    }
    m_socket->abort();
    m_socket->connectToHost(m_candidates.takeFirst(), m_port);
    m_connectTimer->start(kConnectAttemptMs);
}

void Connection::connectTimedOut()
{
    if (m_state != State::Connecting)
        return;
    if (m_candidates.isEmpty())
        end(CloseReason::Lost);
    else
        tryNextAddress();
}

void Connection::readAndScheduleMore()
{
    m_readScheduled = false;
    if (m_state != State::Connected)
        return;
    readMessages(kReadChunkBytes);
    if (m_state == State::Connected && m_socket->bytesAvailable() > 0 && !m_readScheduled) {
        m_readScheduled = true;
        QMetaObject::invokeMethod(this, &Connection::readAndScheduleMore, Qt::QueuedConnection);
    }
}

void Connection::readMessages(qint64 limit)
{
    const QByteArray bytes = limit < 0 ? m_socket->readAll() : m_socket->read(limit);
    const QList<QByteArray> messages = m_cutter.feed(bytes);
    const QPointer<Connection> self(this);
    for (const QByteArray& message : messages) {
        if (!self || m_state != State::Connected)
            return;
        emit messageReceived(message);
    }
    if (self && m_state == State::Connected && m_cutter.overflowed())
        end(CloseReason::OtherError);
}

void Connection::socketFailed(QAbstractSocket::SocketError error)
{
    if (m_state == State::Connecting) {
        if (m_candidates.isEmpty())
            end(reasonFor(error));
        else
            QMetaObject::invokeMethod(this, &Connection::tryNextAddress, Qt::QueuedConnection);
        return;
    }
    if (m_state != State::Connected)
        return;
    const CloseReason reason = reasonFor(error);
    const QPointer<Connection> self(this);
    readMessages(-1);
    if (self && m_state == State::Connected)
        end(reason);
}

void Connection::socketGone()
{
    if (m_state == State::Connected)
        socketFailed(QAbstractSocket::RemoteHostClosedError);
}

Connection::CloseReason Connection::reasonFor(QAbstractSocket::SocketError error) const
{
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        return m_endWitness.peerClosedCleanly() ? CloseReason::ClosedByPeer : CloseReason::Lost;
    case QAbstractSocket::ConnectionRefusedError: return CloseReason::Refused;
    case QAbstractSocket::HostNotFoundError: return CloseReason::HostNotFound;
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::SocketTimeoutError: return CloseReason::Lost;
    default: return CloseReason::OtherError;
    }
}

void Connection::end(CloseReason reason)
{
    dropSocket();
    emit closed(reason);
}

void Connection::endLater(CloseReason reason)
{
    dropSocket();
    QMetaObject::invokeMethod(this, [this, reason] { emit closed(reason); }, Qt::QueuedConnection);
}

void Connection::forgetAttempt()
{
    ++m_attempt;
    m_candidates.clear();
    m_waiting.clear();
    m_endWitness.release();
    if (m_connectTimer)
        m_connectTimer->stop();
}

void Connection::dropSocket()
{
    forgetAttempt();
    if (QTcpSocket* socket = std::exchange(m_socket, nullptr)) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    setState(State::Closed);
}

void Connection::setState(State state)
{
    m_state = state;
}
