#pragma once
// Connection: one game connection over TCP, on either side. It cuts the bytes
// it reads into whole messages (without their terminators) and hands each one
// out with messageReceived, empty ones too: a login ends with one, and the
// receiver's dispatch drops it in its turn like any message without a name, so
// the server's timing is that of the protocol. send() takes whole messages.
//
// States: Closed -> Connecting (connectToHost) -> Connected -> Closing (close()
// while bytes still leave) -> Closed. A connection a server accepted starts
// Connected. Every connected socket runs without Nagle's delay and with short
// keep-alive timings (net/socketoptions.h), so a vanished peer ends the
// connection like a close.
//
// closed(reason) tells that the connection ended without being asked to: the
// peer closed it or broke a bound, the link broke, or connecting failed. A
// local close() emits nothing, since its caller knows. closed() never runs
// inside a call of connectToHost(), send() or close(); receivers may delete
// the connection (deleteLater) from it.
//
// Bounds: a message, or the bytes waiting for its terminator, longer than the
// longest message given at construction ends the connection (OtherError); at
// most kReadChunkBytes are read and cut per read, so one read hands out a
// bounded number of messages; a peer that leaves more than
// proto::kMaxOutgoingBytes unread is dropped (Lost).

#include "net/clientlink.h"
#include "net/hostresolver.h"
#include "net/protocol.h"
#include "net/socketoptions.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

class Connection : public QObject, public ClientLink {
    Q_OBJECT
public:
    enum class State { Connecting, Connected, Closing, Closed };
    enum class CloseReason {
        ClosedByPeer, // the peer closed the connection cleanly
        Lost,         // reset, keep-alive gave up, unreachable, timed out, or the peer stopped reading
        Refused,      // nobody listens there
        HostNotFound, // the name has no address, or the address is no address
        OtherError,   // anything else, a peer that broke the input bounds included
    };
    Q_ENUM(CloseReason)

    // Longest wait for one address to accept a connection.
    static constexpr int kConnectAttemptMs = 8000;
    // Most addresses of one host name tried in turn.
    static constexpr int kMaxAddressesTried = 6;
    // Most bytes read (and cut into messages) at once.
    static constexpr qint64 kReadChunkBytes = 32768;
    // Longest time a closing connection has to hand over its last bytes.
    static constexpr int kLingerMs = 10000;

    // A connection not yet open (Closed) whose peer may send messages up to longestMessage bytes.
    explicit Connection(int longestMessage, QObject* parent = nullptr);
    // Takes over a socket that a server accepted; it starts Connected.
    Connection(QTcpSocket* accepted, int longestMessage, QObject* parent = nullptr);
    // A connection still connected or closing leaves its socket to hand over its last bytes alone.
    ~Connection() override;

    // From Closed: connects to port on host, a name, an IPv4 address or an IPv6
    // address with or without brackets. A name's addresses (at most
    // kMaxAddressesTried) are tried in the resolver's order, each for at most
    // kConnectAttemptMs; only the last failure is reported.
    void connectToHost(const QString& host, quint16 port, HostResolver& resolver = HostResolver::system());
    // Sends the bytes behind those still waiting; while connecting they wait for the
    // connection. Ignored once closing or closed.
    void send(const QByteArray& message) override;
    // Closes the connection; bytes already sent still leave (for at most kLingerMs).
    void close();

    State state() const { return m_state; }
    // The host as given to connectToHost(); an accepted connection's peer address.
    QString hostName() const { return m_hostName; }
    // The peer's address (IPv4 addresses as such, also on an IPv6 listener); null until connected.
    QHostAddress peerAddress() const { return m_peerAddress; }
    // Bytes handed to send() that the system has not taken yet.
    qint64 bytesToWrite() const;
    // The system's socket, while there is one (tests look at its options).
    qintptr socketDescriptor() const;
    // Whether the peer has stopped acknowledging what is sent to it, while the
    // connection is not yet given up (a link cut on its side looks like this).
    bool peerStoppedAnswering() const { return m_endWitness.peerStoppedAnswering(); }

signals:
    // The connection to the host is made.
    void connected();
    // One whole message arrived (possibly empty).
    void messageReceived(const QByteArray& message);
    // The connection ended without close() (see above).
    void closed(Connection::CloseReason reason);

private:
    void attach(QTcpSocket* socket);
    void becomeConnected();
    void addressesFound(const QList<QHostAddress>& addresses, int attempt);
    void tryNextAddress();
    void connectTimedOut();
    // Hands out the messages that the bytes read (at most limit, -1 for all) complete.
    void readMessages(qint64 limit);
    void readAndScheduleMore();
    void socketFailed(QAbstractSocket::SocketError error);
    void socketGone();
    CloseReason reasonFor(QAbstractSocket::SocketError error) const;
    void end(CloseReason reason);
    void endLater(CloseReason reason);
    void setState(State state);
    // Stops connecting and lets go of the end witness.
    void forgetAttempt();
    // Forgets the socket at once, with whatever it still held.
    void dropSocket();

    State m_state = State::Closed;
    QTcpSocket* m_socket = nullptr;
    proto::MessageCutter m_cutter;
    int m_longestMessage;
    TcpEndWitness m_endWitness;
    QString m_hostName;
    QHostAddress m_peerAddress;
    QList<QHostAddress> m_candidates; // addresses still to try while connecting
    quint16 m_port = 0;
    int m_attempt = 0; // counts connectToHost() and close(), so a late lookup answer is ignored
    QByteArray m_waiting; // sent while connecting
    QTimer* m_connectTimer = nullptr;
    bool m_readScheduled = false;
};
