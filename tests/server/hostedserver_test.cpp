// HostedServer over real loopback connections: what goes on the wire, refusals,
// closes, floods and the listening socket. Game timers run on a virtual clock
// that the test moves while it lets the sockets work.
#include "server/hostedserver.h"

#include "serverharness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>
#include <gtest/gtest.h>

using namespace proto;

namespace {

class WireClient {
public:
    explicit WireClient(quint16 port) { socket.connectToHost(QHostAddress::LocalHost, port); }
    QList<QByteArray> take()
    {
        bytes += socket.readAll();
        QList<QByteArray> messages;
        qsizetype end;
        while ((end = bytes.indexOf(kTerminator)) >= 0) {
            messages.append(bytes.left(end));
            bytes.remove(0, end + 1);
        }
        return messages;
    }
    void write(const QByteArray& data)
    {
        socket.write(data);
        socket.flush();
    }

    QTcpSocket socket;
    QByteArray bytes;
};

class Wire : public ::testing::Test {
protected:
    Wire() : server(clock, 11, WordLists(sameWordEverywhere("baker's dozen")))
    {
        server.startListening(QHostAddress::LocalHost, 0);
    }

    // Lets the sockets work, and the dispatch timer tick while messages wait,
    // until done() holds (at most five seconds). Other game timers stand still.
    bool pump(const std::function<bool()>& done)
    {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!done()) {
            if (elapsed.elapsed() > 5000)
                return false;
            work();
        }
        return true;
    }
    // A few rounds of socket work, for checking that nothing happens.
    void settle()
    {
        for (int i = 0; i < 20; ++i)
            work();
    }
    void work()
    {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (server.server().dispatchTimerRunning())
            clock.advance(kDispatchIntervalMs);
    }
    // Collects a client's messages until it holds at least count of them.
    QList<QByteArray> receive(WireClient& client, int count)
    {
        QList<QByteArray> got;
        pump([&] {
            got += client.take();
            return got.size() >= count;
        });
        return got;
    }
    std::unique_ptr<WireClient> login(const QByteArray& name)
    {
        auto client = std::make_unique<WireClient>(server.port());
        const QList<QByteArray> hello = receive(*client, 1);
        const int slot = hello.value(0).mid(hello.value(0).indexOf('+') + 1).toInt();
        client->write(msg::loginInfo(slot, kVersion, name));
        m_loggedIn.push_back(client.get());
        // Everybody has heard of the newcomer and has nothing else waiting.
        const QByteArray announced = "CMD_newplayerinfo+" + QByteArray::number(slot) + "+" + name;
        for (WireClient* other : m_loggedIn)
            if (other->socket.state() == QAbstractSocket::ConnectedState)
                EXPECT_TRUE(pump([&] { return other->take().contains(announced); }));
        return client;
    }
    std::vector<WireClient*> m_loggedIn;

    VirtualClock clock;
    HostedServer server;
};

TEST_F(Wire, TheFirstClientGetsSlotOneAndItsLoginIsAnsweredOnTheWire)
{
    EXPECT_NE(server.port(), 0);
    WireClient host(server.port());
    ASSERT_TRUE(pump([&] { return host.socket.bytesAvailable() >= 20; }));
    EXPECT_EQ(host.socket.readAll(), QByteArray("CMD_sendlogininfo+1\xFF"));
    host.write(msg::loginInfo(1, kVersion, "You").left(10));
    settle(); // half a message changes nothing
    EXPECT_TRUE(server.server().slot(1).name.isEmpty());
    host.write(msg::loginInfo(1, kVersion, "You").mid(10));
    ASSERT_TRUE(pump([&] { return host.socket.bytesAvailable() >= 23; }));
    EXPECT_EQ(host.socket.readAll(), QByteArray("CMD_newplayerinfo+1+You\xFF"));
}

TEST_F(Wire, ATenthConnectionGetsFullAndIsClosedWhileTheNineStay)
{
    std::vector<std::unique_ptr<WireClient>> nine;
    for (int i = 1; i <= 9; ++i)
        nine.push_back(login("P" + QByteArray::number(i)));
    WireClient tenth(server.port());
    ASSERT_TRUE(pump([&] { return tenth.socket.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(tenth.bytes + tenth.socket.readAll(), QByteArray("CMD_full+\xFF"));
    for (int slot = 1; slot <= 9; ++slot)
        EXPECT_TRUE(server.server().slot(slot).connected);
    nine[0]->write(msg::chat(1, "hi", "clBlack"));
    EXPECT_EQ(receive(*nine[8], 1).value(0), "CMD_chat+1+P1 chats: hi|clBlack");
}

TEST_F(Wire, APeersCloseIsCleanedUpOnce)
{
    auto host = login("You");
    auto ann = login("Ann");
    ann->socket.disconnectFromHost();
    ASSERT_TRUE(pump([&] { return !server.server().slot(2).connected; }));
    settle();
    EXPECT_EQ(host->take(), QList<QByteArray>{"CMD_playerdisconnected+2+Ann"});
    EXPECT_EQ(server.server().keptFor(2), "Ann");
    auto newcomer = login("Bob");
    EXPECT_EQ(server.server().slot(3).name, "Bob");
}

TEST_F(Wire, AFloodingClientIsClosedAndTheOthersPlayOn)
{
    auto host = login("You");
    auto ann = login("Ann");
    ann->write(QByteArray(kMaxPendingBytes + 100, 'x'));
    ASSERT_TRUE(pump([&] { return ann->socket.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_FALSE(server.server().slot(2).connected);
    host->write(msg::chat(1, "still here", "clBlack"));
    EXPECT_EQ(receive(*host, 2),
              (QList<QByteArray>{"CMD_playerdisconnected+2+Ann", "CMD_chat+1+You chats: still here|clBlack"}));
}

TEST_F(Wire, AKickedClientIsDisconnected)
{
    auto host = login("You");
    auto ann = login("Ann");
    host->write(msg::kickHim(1, 2));
    ASSERT_TRUE(pump([&] { return ann->socket.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_FALSE(server.server().slot(2).connected);
}

TEST_F(Wire, ATakenPortIsReportedAndDestroyingTheServerClosesItsConnections)
{
    HostedServer second(clock, 1, WordLists(WordListSet{}));
    try {
        second.startListening(QHostAddress::LocalHost, server.port());
        FAIL() << "binding a port in use must fail";
    } catch (const ListenError& error) {
        EXPECT_STREQ(error.what(), "Listen - Error Binding Socket");
    }
    EXPECT_EQ(second.port(), 0);

    auto other = std::make_unique<HostedServer>(clock, 2, WordLists(WordListSet{}));
    other->startListening(QHostAddress::LocalHost, 0);
    WireClient client(other->port());
    ASSERT_TRUE(pump([&] { return client.socket.bytesAvailable() > 0; }));
    other.reset();
    EXPECT_TRUE(pump([&] { return client.socket.state() == QAbstractSocket::UnconnectedState; }));
}

// Listening on both loopback addresses is one server: IPv4, IPv6 and bracketed
// IPv6 clients all reach it, and each slot's peer address is known.
TEST(WireOnBothLoopbacks, ClientsOfEitherFamilyReachOneServer)
{
    VirtualClock clock;
    HostedServer server(clock, 3, WordLists(sameWordEverywhere("baker's dozen")));
    server.startListening({QHostAddress::LocalHost, QHostAddress::LocalHostIPv6}, 0);
    server.startListening(QHostAddress::LocalHost, 0); // a second call changes nothing
    std::vector<std::unique_ptr<Connection>> clients;
    for (const QString host : {"127.0.0.1", "::1", "[::1]"}) {
        clients.push_back(std::make_unique<Connection>(kMaxServerMessageBytes));
        clients.back()->connectToHost(host, server.port());
    }
    QElapsedTimer elapsed;
    elapsed.start();
    while (server.server().slotsInUse() < 3 && elapsed.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_EQ(server.server().slotsInUse(), 3);
    QStringList peers;
    for (int slot = 1; slot <= 3; ++slot)
        peers << server.connection(slot)->peerAddress().toString();
    peers.sort();
    EXPECT_EQ(peers, (QStringList{"127.0.0.1", "::1", "::1"}));
    EXPECT_EQ(server.connection(4), nullptr);
}

TEST_F(Wire, AClientThatStopsReadingIsDroppedAndTheOthersPlayOn)
{
    auto host = login("You");
    auto stuck = login("Ann");
    auto bob = login("Bob");
    stuck->socket.setReadBufferSize(1); // takes one byte, then no more
    const QByteArray big(60'000, 'a');
    for (int i = 0; i < 600 && server.server().slot(2).connected; ++i) {
        clock.advance(1000); // within the chat flood limit
        host->write(msg::chat(1, big, "clRed"));
        ASSERT_TRUE(pump([&] { return !bob->take().isEmpty(); })) << "line " << i;
        host->take();
    }
    EXPECT_FALSE(server.server().slot(2).connected);
    host->write(msg::chat(1, "still here", "clBlack"));
    const QByteArray expected = "CMD_chat+1+You chats: still here|clBlack";
    EXPECT_TRUE(pump([&] { return bob->take().contains(expected); }));
    EXPECT_TRUE(server.server().slot(3).connected);
}

} // namespace
