// Connection over loopback, against raw sockets on the other end: what it hands
// out, what it sends, how each kind of end is told, and its bounds.
#include "net/connection.h"

#include "net/socketoptions.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Reason = Connection::CloseReason;

QByteArray wire(QByteArray text)
{
    return text.replace('#', proto::kTerminator);
}

bool waitFor(const std::function<bool()>& done, int ms = 5000)
{
    return QTest::qWaitFor(done, ms);
}

// A resolver that knows a few names and nothing else.
class NamesResolver : public HostResolver {
public:
    void lookUp(const QString& name, QObject* context, Found found) override
    {
        const QList<QHostAddress> addresses = names.count(name) ? names.at(name) : QList<QHostAddress>{};
        QMetaObject::invokeMethod(context, [found, addresses] { found(addresses); }, Qt::QueuedConnection);
    }
    std::map<QString, QList<QHostAddress>> names;
};

// What a connection reported, in order.
struct Recorder {
    explicit Recorder(Connection& connection)
    {
        QObject::connect(&connection, &Connection::messageReceived, [this](const QByteArray& m) { messages << m; });
        QObject::connect(&connection, &Connection::connected, [this] { ++connects; });
        QObject::connect(&connection, &Connection::closed, [this](Reason reason) { reasons << reason; });
    }
    QList<QByteArray> messages;
    QList<Reason> reasons;
    int connects = 0;
};

// A loopback listener and, once connectClient() ran, a Connection to it and the raw socket it reached.
class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0)); }

    void connectClient()
    {
        client.connectToHost("127.0.0.1", listener.serverPort());
        ASSERT_TRUE(waitFor([this] { return client.state() == Connection::State::Connected && listener.hasPendingConnections(); }));
        peer.reset(listener.nextPendingConnection());
    }
    // A free port: one that nobody listens on.
    quint16 closedPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

    QTcpServer listener;
    Connection client{proto::kMaxServerMessageBytes};
    Recorder seen{client};
    std::unique_ptr<QTcpSocket> peer;
};

TEST_F(ConnectionTest, MessagesArriveWholeAndBytesLeaveUnchanged)
{
    connectClient();
    EXPECT_EQ(seen.connects, 1);
    EXPECT_EQ(client.peerAddress(), QHostAddress(QHostAddress::LocalHost));

    // Two messages in one write, an empty one, one split over two writes with a NUL inside.
    peer->write(wire("CMD_nextplayer+2+#CMD_outoftime+2+##") + QByteArray("CMD_chat+3+a\0b", 14));
    peer->flush();
    ASSERT_TRUE(waitFor([&] { return seen.messages.size() == 3; }));
    QTest::qWait(50);
    EXPECT_EQ(seen.messages.size(), 3) << "half a message is no message";
    peer->write(wire("|clRed#"));
    ASSERT_TRUE(waitFor([&] { return seen.messages.size() == 4; }));
    EXPECT_EQ(seen.messages,
              (QList<QByteArray>{"CMD_nextplayer+2+", "CMD_outoftime+2+", "", QByteArray("CMD_chat+3+a\0b|clRed", 20)}));

    const QByteArray binary("CMD_chat+1+a\0b\xFF\xFE\r\n\xFF", 18);
    client.send(binary);
    client.send("CMD_next");
    QByteArray got;
    ASSERT_TRUE(waitFor([&] {
        got += peer->readAll();
        return got.size() >= binary.size() + 8;
    }));
    EXPECT_EQ(got, binary + "CMD_next");
    EXPECT_TRUE(seen.reasons.isEmpty());
}

TEST_F(ConnectionTest, WhatIsSentWhileConnectingLeavesFirstAndInOrder)
{
    client.connectToHost("127.0.0.1", listener.serverPort());
    EXPECT_EQ(client.state(), Connection::State::Connecting);
    client.send("first+");
    client.send("second+");
    EXPECT_EQ(client.bytesToWrite(), 13) << "nothing can leave before the connection exists";
    // A load the system cannot take at once while the peer reads nothing yet.
    QByteArray bulk(900 * 1024, 'x');
    for (int i = 0; i < bulk.size(); i += 4096)
        bulk[i] = char(i / 4096);
    client.send(bulk);
    ASSERT_TRUE(waitFor([&] { return listener.hasPendingConnections(); }));
    peer.reset(listener.nextPendingConnection());
    QTest::qWait(100);
    client.send("third");
    const QByteArray expected = "first+second+" + bulk + "third";
    QByteArray got;
    ASSERT_TRUE(waitFor([&] {
        got += peer->readAll();
        return got.size() >= expected.size();
    }));
    EXPECT_TRUE(got == expected) << "got " << got.size() << " bytes";
    EXPECT_TRUE(waitFor([&] { return client.bytesToWrite() == 0; }));
    EXPECT_TRUE(seen.reasons.isEmpty());
}

TEST_F(ConnectionTest, PeerEndsComeAfterTheLastMessagesAResetIsALossAndAClosedConnectionConnectsAgain)
{
    connectClient();
    peer->write(wire("last+words#unfinished"));
    peer->flush();
    peer->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return !seen.reasons.isEmpty(); }));
    EXPECT_EQ(seen.messages, QList<QByteArray>{"last+words"});
    EXPECT_EQ(seen.reasons, QList<Reason>{Reason::ClosedByPeer});
    EXPECT_EQ(client.state(), Connection::State::Closed);
    client.send("ignored"); // nothing to send to, and no error

    // The same connection connects again, with nothing left of the last one.
    client.connectToHost("127.0.0.1", listener.serverPort());
    ASSERT_TRUE(waitFor([&] { return client.state() == Connection::State::Connected && listener.hasPendingConnections(); }));
    peer.reset(listener.nextPendingConnection());
    peer->write(wire("again#"));
    ASSERT_TRUE(waitFor([&] { return seen.messages.size() == 2; }));
    EXPECT_EQ(seen.messages.last(), "again");
    EXPECT_EQ(seen.connects, 2);
    client.send("back");
    EXPECT_TRUE(waitFor([&] { return peer->bytesAvailable() == 4; }));

    // A peer that resets the connection (here: closes with linger 0).
    Connection second(proto::kMaxServerMessageBytes);
    Recorder secondSeen(second);
    second.connectToHost("127.0.0.1", listener.serverPort());
    ASSERT_TRUE(waitFor([&] { return second.state() == Connection::State::Connected && listener.hasPendingConnections(); }));
    std::unique_ptr<QTcpSocket> resetter(listener.nextPendingConnection());
    const linger abortive{1, 0};
    ASSERT_EQ(setsockopt(int(resetter->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive), 0);
    resetter->write(wire("before+reset#"));
    resetter->flush();
    QTest::qWait(50);
    resetter->close();
    ASSERT_TRUE(waitFor([&] { return !secondSeen.reasons.isEmpty(); }));
    EXPECT_EQ(secondSeen.messages, QList<QByteArray>{"before+reset"});
    EXPECT_EQ(secondSeen.reasons, QList<Reason>{Reason::Lost});
}

TEST_F(ConnectionTest, ALocalCloseIsSilentLetsTheLastBytesGoAndEndsTheConnection)
{
    connectClient();
    client.send(wire("CMD_full+#"));
    client.close();
    EXPECT_EQ(client.state(), Connection::State::Closing);
    QByteArray got;
    ASSERT_TRUE(waitFor([&] {
        got += peer->readAll();
        return peer->state() == QAbstractSocket::UnconnectedState;
    }));
    EXPECT_EQ(got + peer->readAll(), wire("CMD_full+#"));
    EXPECT_TRUE(waitFor([&] { return client.state() == Connection::State::Closed; }));
    EXPECT_TRUE(seen.reasons.isEmpty());
    EXPECT_EQ(seen.connects, 1);
}

TEST_F(ConnectionTest, ReceiversMayCloseOrDeleteTheConnectionFromItsSignals)
{
    // Closing from a message stops the rest of that read.
    connectClient();
    QObject::connect(&client, &Connection::messageReceived, [&](const QByteArray& m) {
        if (m == "stop")
            client.close();
    });
    peer->write(wire("one#stop#two#"));
    ASSERT_TRUE(waitFor([&] { return seen.messages.size() >= 2; }));
    QTest::qWait(50);
    EXPECT_EQ(seen.messages, (QList<QByteArray>{"one", "stop"}));
    EXPECT_TRUE(seen.reasons.isEmpty());

    // Deleting from closed() is safe, and destruction emits nothing.
    QPointer<Connection> doomed = new Connection(proto::kMaxServerMessageBytes);
    QObject::connect(doomed, &Connection::closed, doomed, &QObject::deleteLater);
    doomed->connectToHost("127.0.0.1", closedPort());
    ASSERT_TRUE(waitFor([&] { return doomed.isNull(); }));

    auto quiet = std::make_unique<Connection>(proto::kMaxServerMessageBytes);
    Recorder quietSeen(*quiet);
    quiet->connectToHost("127.0.0.1", listener.serverPort());
    ASSERT_TRUE(waitFor([&] { return quiet->state() == Connection::State::Connected; }));
    quiet.reset();
    QTest::qWait(50);
    EXPECT_TRUE(quietSeen.reasons.isEmpty());
}

TEST_F(ConnectionTest, ConnectingFailuresAreToldOnceByTheirReason)
{
    client.connectToHost("127.0.0.1", closedPort());
    ASSERT_TRUE(waitFor([&] { return !seen.reasons.isEmpty(); }));
    QTest::qWait(100);
    EXPECT_EQ(seen.reasons, QList<Reason>{Reason::Refused});
    EXPECT_EQ(seen.connects, 0);
    EXPECT_EQ(client.state(), Connection::State::Closed);

    NamesResolver resolver;
    for (const QString& bad : {"[::1", "1.2.3.999", "::g", "no-such-host"}) {
        Connection sock(proto::kMaxServerMessageBytes);
        Recorder sockSeen(sock);
        sock.connectToHost(bad, listener.serverPort(), resolver);
        EXPECT_TRUE(sockSeen.reasons.isEmpty()) << "never inside connectToHost()";
        ASSERT_TRUE(waitFor([&] { return !sockSeen.reasons.isEmpty(); })) << bad.toStdString();
        EXPECT_EQ(sockSeen.reasons, QList<Reason>{Reason::HostNotFound}) << bad.toStdString();
    }
}

TEST_F(ConnectionTest, ANameTriesItsAddressesInTurnAndAnIPv6AddressMayHaveBrackets)
{
    NamesResolver resolver;
    resolver.names["both"] = {QHostAddress::LocalHostIPv6, QHostAddress::LocalHost};
    resolver.names["v6-only"] = {QHostAddress::LocalHostIPv6};

    // Nobody listens on ::1 at the listener's port: it refuses, then 127.0.0.1 answers.
    client.connectToHost("both", listener.serverPort(), resolver);
    ASSERT_TRUE(waitFor([&] { return client.state() == Connection::State::Connected; }));
    EXPECT_TRUE(seen.reasons.isEmpty()) << "an address that fails before another answers is not reported";
    EXPECT_EQ(client.peerAddress(), QHostAddress(QHostAddress::LocalHost));

    Connection nowhere(proto::kMaxServerMessageBytes);
    Recorder nowhereSeen(nowhere);
    nowhere.connectToHost("v6-only", listener.serverPort(), resolver);
    ASSERT_TRUE(waitFor([&] { return !nowhereSeen.reasons.isEmpty(); }));
    EXPECT_EQ(nowhereSeen.reasons, QList<Reason>{Reason::Refused});

    QTcpServer v6;
    ASSERT_TRUE(v6.listen(QHostAddress::LocalHostIPv6, 0));
    for (const QString& host : {"::1", "[::1]"}) {
        Connection sock(proto::kMaxServerMessageBytes);
        sock.connectToHost(host, v6.serverPort());
        EXPECT_TRUE(waitFor([&] { return sock.state() == Connection::State::Connected; })) << host.toStdString();
        EXPECT_EQ(sock.hostName(), host);
    }
}

TEST_F(ConnectionTest, ANameIsTriedAtMostAtItsFirstSixAddresses)
{
    // Only 127.0.0.9 listens; 127.0.0.2.. refuse at its port.
    QTcpServer good;
    ASSERT_TRUE(good.listen(QHostAddress("127.0.0.9"), 0));
    NamesResolver resolver;
    for (int refusing : {Connection::kMaxAddressesTried - 1, Connection::kMaxAddressesTried}) {
        QList<QHostAddress> addresses;
        for (int i = 0; i < refusing; ++i)
            addresses << QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + i));
        addresses << QHostAddress("127.0.0.9");
        resolver.names["many"] = addresses;

        Connection sock(proto::kMaxServerMessageBytes);
        Recorder sockSeen(sock);
        sock.connectToHost("many", good.serverPort(), resolver);
        ASSERT_TRUE(waitFor([&] { return sock.state() == Connection::State::Connected || !sockSeen.reasons.isEmpty(); }));
        SCOPED_TRACE(refusing);
        if (refusing < Connection::kMaxAddressesTried) {
            EXPECT_EQ(sock.peerAddress(), QHostAddress("127.0.0.9")) << "the sixth address is still tried";
            EXPECT_TRUE(sockSeen.reasons.isEmpty());
        } else {
            EXPECT_EQ(sockSeen.reasons, QList<Reason>{Reason::Refused}) << "the seventh address is never tried";
            EXPECT_EQ(sockSeen.connects, 0);
        }
    }
}

TEST_F(ConnectionTest, OneReadHandsOutABoundedNumberOfMessagesAndTheRestFollows)
{
    connectClient();
    // Far more tiny messages than one read may cut, all waiting before the client reads.
    const int total = 3 * Connection::kReadChunkBytes / 2;
    QByteArray burst;
    for (int i = 0; i < total; ++i)
        burst += QByteArray(1, 'm') + proto::kTerminator;
    peer->write(burst);
    ASSERT_TRUE(peer->waitForBytesWritten(2000));
    QTest::qSleep(100); // the bytes reach the client's side without its event loop running

    qsizetype beforeTheEventLoopRanAgain = -1;
    QObject::connect(&client, &Connection::messageReceived, [&] {
        if (seen.messages.size() == 1)
            QMetaObject::invokeMethod(&client, [&] { beforeTheEventLoopRanAgain = seen.messages.size(); },
                                      Qt::QueuedConnection);
    });
    ASSERT_TRUE(waitFor([&] { return seen.messages.size() == total && beforeTheEventLoopRanAgain >= 0; }));
    EXPECT_LE(beforeTheEventLoopRanAgain, Connection::kReadChunkBytes / 2);
    EXPECT_TRUE(seen.reasons.isEmpty());
}

TEST_F(ConnectionTest, AnAddressThatNeverAnswersIsGivenUpAfterEightSeconds)
{
    // A listener whose one-place queue is full drops every further SYN unanswered.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(::listen(silent, 0), 0);
    ASSERT_EQ(::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &size), 0);
    const quint16 silentPort = ntohs(address.sin_port);
    QTcpSocket filler;
    filler.connectToHost(QHostAddress::LocalHost, silentPort);
    ASSERT_TRUE(filler.waitForConnected(2000));

    // Alone, the silent address ends in a loss; as a name's first address, the
    // second one is tried once the first one's time is up.
    QTcpServer second;
    ASSERT_TRUE(second.listen(QHostAddress("127.0.0.2"), silentPort));
    NamesResolver resolver;
    resolver.names["slow-then-good"] = {QHostAddress::LocalHost, QHostAddress("127.0.0.2")};
    Connection patient(proto::kMaxServerMessageBytes);
    Recorder patientSeen(patient);
    QElapsedTimer elapsed;
    elapsed.start();
    client.connectToHost("127.0.0.1", silentPort);
    patient.connectToHost("slow-then-good", silentPort, resolver);
    ASSERT_TRUE(waitFor([&] { return !seen.reasons.isEmpty() && patient.state() == Connection::State::Connected; },
                        Connection::kConnectAttemptMs + 4000));
    EXPECT_GE(elapsed.elapsed(), Connection::kConnectAttemptMs - 100);
    EXPECT_EQ(seen.reasons, QList<Reason>{Reason::Lost});
    EXPECT_TRUE(patientSeen.reasons.isEmpty());
    EXPECT_EQ(patient.peerAddress(), QHostAddress("127.0.0.2"));
    ::close(silent);
}

TEST_F(ConnectionTest, APeerThatBreaksABoundIsDropped)
{
    // Over the longest message without a terminator: the messages before it still count.
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, listener.serverPort());
    ASSERT_TRUE(waitFor([&] { return listener.hasPendingConnections(); }));
    Connection accepted(listener.nextPendingConnection(), 64);
    Recorder acceptedSeen(accepted);
    EXPECT_EQ(accepted.state(), Connection::State::Connected);
    EXPECT_EQ(accepted.hostName(), "127.0.0.1");
    raw.write(wire("fine#") + QByteArray(65, 'x'));
    ASSERT_TRUE(waitFor([&] { return !acceptedSeen.reasons.isEmpty(); }));
    EXPECT_EQ(acceptedSeen.messages, QList<QByteArray>{"fine"});
    EXPECT_EQ(acceptedSeen.reasons, QList<Reason>{Reason::OtherError});
    EXPECT_TRUE(waitFor([&] { return raw.state() == QAbstractSocket::UnconnectedState; }));

    // A peer that reads nothing while more than the outgoing bound waits for it.
    connectClient();
    peer->setReadBufferSize(1); // the peer's side takes one byte and then no more
    const QByteArray chunk(64 * 1024, 'c');
    for (int i = 0; i < 1024 && seen.reasons.isEmpty(); ++i) {
        client.send(chunk);
        QTest::qWait(1);
    }
    EXPECT_TRUE(waitFor([&] { return !seen.reasons.isEmpty(); }));
    EXPECT_EQ(seen.reasons, QList<Reason>{Reason::Lost});
    EXPECT_EQ(client.state(), Connection::State::Closed);
}

int tcpOption(qintptr descriptor, int level, int name)
{
    int value = -1;
    socklen_t size = sizeof value;
    if (getsockopt(int(descriptor), level, name, &value, &size) != 0)
        return -1;
    return value;
}

TEST_F(ConnectionTest, BothEndsRunWithoutNagleAndWithShortKeepAliveTimings)
{
    connectClient();
    Connection accepted(peer.release(), proto::kMaxPendingBytes);
    for (const Connection* end : {&client, &accepted}) {
        const qintptr fd = end->socketDescriptor();
        SCOPED_TRACE(end == &client ? "connecting end" : "accepted end");
        ASSERT_GE(fd, 0);
        EXPECT_EQ(tcpOption(fd, IPPROTO_TCP, TCP_NODELAY), 1);
        EXPECT_EQ(tcpOption(fd, SOL_SOCKET, SO_KEEPALIVE), 1);
        EXPECT_EQ(tcpOption(fd, IPPROTO_TCP, TCP_KEEPIDLE), kKeepAliveIdleSeconds);
        EXPECT_EQ(tcpOption(fd, IPPROTO_TCP, TCP_KEEPINTVL), kKeepAliveIntervalSeconds);
        EXPECT_EQ(tcpOption(fd, IPPROTO_TCP, TCP_KEEPCNT), kKeepAliveProbes);
        EXPECT_EQ(tcpOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT), kUnacknowledgedTimeoutMs);
    }
    EXPECT_LE(std::max(kKeepAliveIdleSeconds + kKeepAliveIntervalSeconds * kKeepAliveProbes,
                       kUnacknowledgedTimeoutMs / 1000),
              45); // a vanished peer is noticed well within a minute
    EXPECT_FALSE(setLiveSocketOptions(-1));
}

} // namespace
