#include "net/gamesocket.h"

#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Info = GameSocket::SocketInfo;

// Everything a socket reported, in order, as "kind:text" lines plus event names.
struct EventLog {
    QStringList lines;

    void watch(GameSocket& sock)
    {
        sock.onInfo = [this](GameSocket*, Info kind, const QString& text) {
            lines << QString::number(int(kind)) + ":" + text;
        };
        sock.onDisconnect = [this](GameSocket*) { lines << "disconnect"; };
        sock.onConnect = [this](GameSocket*) { lines << "connect"; };
    }
    bool has(const QString& line) const { return lines.contains(line); }
};

QString line(Info kind, const QString& text)
{
    return QString::number(int(kind)) + ":" + text;
}

// Joined for readable failure messages.
std::string str(const QStringList& lines)
{
    return lines.join(" | ").toStdString();
}

bool waitFor(const std::function<bool()>& done)
{
    return QTest::qWaitFor(done, 5000);
}

// A listener on a free loopback port and one client connected to it.
class GameSocketTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        listener.setPortName("0");
        listener.setListenAddress(QHostAddress::LocalHost);
        listener.onAccept = [this](GameSocket* sender) {
            GameSocket* accepted = nullptr;
            if (sender->accept(accepted))
                server = accepted;
        };
    }

    void connectClient()
    {
        listener.setListen(true);
        client.setHostName("127.0.0.1");
        client.setPortName(QString::number(listener.localPort()));
        client.open();
        ASSERT_TRUE(waitFor([this] { return server && client.connected(); }));
    }

    // Takes bytes arriving on the accepted socket until n have come.
    QByteArray readOnServer(int n)
    {
        QByteArray got;
        waitFor([&] {
            got += server->receive();
            return got.size() >= n;
        });
        return got;
    }

    GameSocket listener;
    GameSocket client;
    QPointer<GameSocket> server;
};

TEST_F(GameSocketTest, ListenerAndOperationErrors)
{
    EventLog log;
    log.watch(listener);
    listener.setListen(true);
    listener.setListen(true);
    EXPECT_EQ(str(log.lines), str(QStringList({line(Info::Lookup, "Lookup Of Port 0"),
                                      line(Info::Listen, "Listening Started"),
                                      line(Info::Listen, "Listening Already Running")})));
    ASSERT_NE(listener.localPort(), 0);

    GameSocket rival;
    rival.setListenAddress(QHostAddress::LocalHost);
    rival.setPortName(QString::number(listener.localPort()));
    try {
        rival.setListen(true);
        FAIL() << "binding a port in use must fail";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), "Listen - Error Binding Socket");
    }
    EXPECT_FALSE(rival.listen());

    GameSocket idle;
    EXPECT_THROW(idle.send("x"), SocketError);
    try {
        idle.receive();
        FAIL();
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), "Receive - Socket Not Connected");
    }
    try {
        idle.send("x");
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), "Send - Socket Not Connected");
    }
    GameSocket* none = nullptr;
    EXPECT_THROW(idle.accept(none), SocketError);
    idle.setPortName("12x");
    EXPECT_THROW(idle.setListen(true), SocketError);

    log.lines.clear();
    listener.setListen(false);
    EXPECT_EQ(str(log.lines), str(QStringList({line(Info::Close, "Socket Closed"),
                                      line(Info::Listen, "Listening Stopped")})));
    EXPECT_EQ(GameSocket::errorName(10004), "WSAEINTR");
    EXPECT_EQ(GameSocket::errorName(11004), "WSANO_DATA");
    EXPECT_EQ(GameSocket::errorName(10072), "UNKNOWN ERROR");
}

TEST_F(GameSocketTest, RefusedConnectionReportsOnlyTheError)
{
    listener.setListen(true);
    const QString freePort = QString::number(listener.localPort());
    listener.close();

    EventLog log;
    log.watch(client);
    client.setHostName("127.0.0.1");
    client.setPortName(freePort);
    EXPECT_FALSE(client.open());
    ASSERT_TRUE(waitFor([&] { return log.lines.size() >= 3; }));
    QTest::qWait(100);
    EXPECT_EQ(str(log.lines), str(QStringList({line(Info::Lookup, "Lookup Of Port " + freePort),
                                      line(Info::Lookup, "Lookup Of Host 127.0.0.1"),
                                      line(Info::Error, "Error #10061 (WSAECONNREFUSED)")})));
    EXPECT_FALSE(client.connected());
    EXPECT_FALSE(client.open()) << "a failed connect keeps its socket until close()";
}

TEST_F(GameSocketTest, AcceptCopiesHandlersAndReportsSettings)
{
    EventLog listenerLog;
    EventLog acceptedLog;
    EventLog clientLog;
    listenerLog.watch(listener);
    acceptedLog.watch(listener); // copied onto the accepted socket, replaced below
    listener.onInfo = [&](GameSocket* sender, Info kind, const QString& text) {
        (sender == &listener ? listenerLog : acceptedLog).lines << line(kind, text);
    };
    clientLog.watch(client);
    connectClient();

    EXPECT_EQ(str(acceptedLog.lines), str(QStringList({line(Info::Lookup, "Setting PortName While Connected Has No Effect"),
                                              line(Info::Lookup, "Setting HostName While Connected Has No Effect")})));
    EXPECT_EQ(listenerLog.lines.last(), line(Info::Accept, "Created New TSock Structure"));
    EXPECT_EQ(server->parent(), &listener);
    EXPECT_EQ(server->hostName(), "127.0.0.1");
    EXPECT_TRUE(server->connected());
    EXPECT_TRUE(clientLog.has(line(Info::Connect, "Non-Blocking Socket Connected")));
    EXPECT_TRUE(clientLog.has("connect"));
    EXPECT_THROW(listener.send("x"), SocketError);
}

TEST_F(GameSocketTest, BytesPassUnchangedAndArriveInPieces)
{
    connectClient();
    QList<int> readCounts;
    server->onRead = [&](GameSocket*, int count) { readCounts << count; };

    const QByteArray binary("CMD_chat+1+a\0b\xFF\xFE\r\n\xFF", 18);
    client.send(binary);
    EXPECT_EQ(readOnServer(binary.size()), binary);

    client.send("CMD_next");
    ASSERT_TRUE(waitFor([&] { return !readCounts.isEmpty() && readCounts.last() == 8; }));
    EXPECT_EQ(server->receiveCount(4), "CMD_");
    EXPECT_EQ(server->receiveCount(-1), "next");
    client.send("player+2+\xFF");
    EXPECT_EQ(readOnServer(10), "player+2+\xFF");

    server->send(binary);
    QByteArray back;
    ASSERT_TRUE(waitFor([&] {
        back += client.receive();
        return back.size() >= binary.size();
    }));
    EXPECT_EQ(back, binary);
}

TEST_F(GameSocketTest, SendWhileBytesWaitGoesBehindThem)
{
    listener.setListen(true);
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(listener.localPort()));
    client.open();
    client.send("first+");
    EXPECT_EQ(client.outgoingSize(), 6) << "nothing can leave before the connection exists";
    client.send("second+");
    ASSERT_TRUE(waitFor([this] { return server != nullptr; }));

    // A load far beyond what the system buffers while the server takes nothing.
    QByteArray bulk(3 * 1024 * 1024, 'x');
    for (int i = 0; i < bulk.size(); i += 4096)
        bulk[i] = char(i / 4096);
    client.send(bulk);
    client.send("third");
    int largestWaiting = 0;
    server->onRead = [&](GameSocket*, int count) { largestWaiting = std::max(largestWaiting, count); };
    QTest::qWait(200);
    EXPECT_LE(largestWaiting, GameSocket::kMaxIncoming);

    const QByteArray expected = "first+second+" + bulk + "third";
    const QByteArray got = readOnServer(int(expected.size()));
    EXPECT_TRUE(got == expected) << "got " << got.size() << " bytes";
    EXPECT_TRUE(waitFor([this] { return client.outgoingSize() == 0; }));
}

TEST_F(GameSocketTest, PeerCloseKeepsDataAndReportsSocketClosed)
{
    connectClient();
    EventLog serverLog;
    serverLog.watch(*server);
    server->onDisconnect = [&](GameSocket* sender) {
        serverLog.lines << "disconnect";
        sender->close();
    };
    EventLog clientLog;
    clientLog.watch(client);

    client.send("last words\xFF");
    ASSERT_TRUE(waitFor([&] { return serverLog.has(line(Info::Receive, "Non-Blocking Incoming Data")); }));
    client.close();
    EXPECT_EQ(clientLog.lines.last(), line(Info::Close, "Socket Closed"));
    ASSERT_TRUE(waitFor([&] { return serverLog.lines.count(line(Info::Close, "Socket Closed")) == 2; }));

    const int disconnectAt = int(serverLog.lines.indexOf("disconnect"));
    EXPECT_EQ(str(serverLog.lines.mid(disconnectAt)), str(QStringList({"disconnect", line(Info::Close, "Socket Closed"), line(Info::Close, "Socket Closed")})));
    EXPECT_FALSE(server->connected());
    EXPECT_EQ(server->receive(), "last words\xFF");
    EXPECT_THROW(server->receive(), SocketError);
}

TEST_F(GameSocketTest, HandlersMayCloseAndDeleteTheSocket)
{
    connectClient();
    bool deletedQuietly = true;
    server->onInfo = [&](GameSocket* sender, Info, const QString& text) {
        if (text == "Socket Closed") {
            sender->close();
            sender->onInfo = [&](GameSocket*, Info, const QString&) { deletedQuietly = false; };
            sender->deleteLater();
        }
    };
    client.close();
    ASSERT_TRUE(waitFor([this] { return server.isNull(); }));
    EXPECT_TRUE(deletedQuietly);

    GameSocket second;
    second.setHostName("127.0.0.1");
    second.setPortName(QString::number(listener.localPort()));
    second.open();
    ASSERT_TRUE(waitFor([&] { return server && second.connected(); }));
    bool called = false;
    server->onInfo = [&](GameSocket*, Info, const QString&) { called = true; };
    server->onDisconnect = [&](GameSocket*) { called = true; };
    delete server.data();
    EXPECT_FALSE(called) << "destruction runs no handler";
}

} // namespace
