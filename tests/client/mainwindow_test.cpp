// The main window as a client: against the real game server on loopback and
// against a scripted fake server, checking what the user sees.
#include "board/board.h"
#include "client/mainwindow.h"
#include "client/chatview.h"
#include "net/gamesocket.h"
#include "server/hostedserver.h"
#include "windows/spylistwindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QByteArray wire(QByteArray text)
{
    return text.replace('#', proto::kTerminator);
}

// Runs the event loop and the virtual clock together until done() holds (or 5 s pass).
bool pump(VirtualClock& clock, const std::function<bool()>& done)
{
    QElapsedTimer real;
    real.start();
    while (!done()) {
        if (real.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        clock.advance(10);
    }
    return true;
}

struct LineRecorder {
    struct Line {
        int style;
        QString text;
    };
    QList<Line> lines;
    void attach(MainWindow& chat)
    {
        QObject::connect(&chat, &MainWindow::chatLineAdded, [this](int style, const QString& text) {
            lines.append({style, text});
        });
    }
    bool has(const QString& text) const
    {
        return std::any_of(lines.begin(), lines.end(), [&](const Line& line) { return line.text == text; });
    }
    int styleOf(const QString& text) const
    {
        for (const Line& line : lines)
            if (line.text == text)
                return line.style;
        return -1;
    }
};

// A client window with its own settings file and the side windows it needs here.
struct Client {
    explicit Client(VirtualClock& clock, const QString& folder, QStringList arguments, HostedServer* server = nullptr)
        : chat(clock)
    {
        chat.setArguments(arguments);
        chat.setSettingsPath(folder + "/vorlixlobby.ini");
        chat.messageBox = [this](const QString& text) { boxes << text; };
        MainWindow::Windows windows;
        windows.server = server;
        windows.spylist = &spylist;
        chat.setWindows(windows);
        lines.attach(chat);
    }
    MainWindow chat;
    SpyListWindow spylist;
    LineRecorder lines;
    QStringList boxes;
};

class RealServer : public ::testing::Test {
protected:
    RealServer() : server(std::make_unique<HostedServer>(clock, 7, WordLists())) {}
    VirtualClock clock;
    std::unique_ptr<HostedServer> server;
    QTemporaryDir folder;
};

TEST_F(RealServer, HostAndJoinerSeeEachOtherAndChatBothWays)
{
    Client host(clock, folder.path(), {"Ann", "127.0.0.1", "true"}, server.get());
    host.chat.setGamePort(0);
    host.chat.show();
    ASSERT_TRUE(pump(clock, [&] { return host.lines.has("You are Connected."); }));
    EXPECT_TRUE(host.lines.has("Loading Multi-player Game.. Please Wait."));
    EXPECT_EQ(host.chat.ownSlot(), 1);
    EXPECT_TRUE(host.chat.isHost());
    EXPECT_TRUE(host.chat.action("StartGame1")->isEnabled());
    EXPECT_TRUE(host.chat.launcherSocketOpened());

    Client joiner(clock, folder.path(), {"Bob", "127.0.0.1", "false"});
    joiner.chat.setGamePort(server->port());
    joiner.chat.show();
    ASSERT_TRUE(pump(clock, [&] { return host.lines.has("Bob is Connected."); }));
    ASSERT_TRUE(pump(clock, [&] { return joiner.lines.has("Ann is Connected."); }));
    EXPECT_EQ(joiner.chat.ownSlot(), 2);
    EXPECT_FALSE(joiner.chat.isHost());
    EXPECT_FALSE(joiner.chat.action("StartGame1")->isEnabled());
    EXPECT_EQ(joiner.chat.board()->seatCaption(1), "Ann");
    EXPECT_EQ(host.chat.board()->seatCaption(2), "Bob");

    // The seat pop-up: the host may act on any seat but remove nobody from a free one; a joiner on none.
    const auto popupEntries = [](Client& client, int seat) {
        emit client.chat.board()->seatContextMenuRequested(seat, QPoint(10, 10));
        QStringList enabled;
        for (const char* name : {"RemoveFromGame1", "SettoJustWatch1", "UnsetJustWatch1"})
            if (client.chat.action(name)->isEnabled())
                enabled << name;
        return enabled;
    };
    EXPECT_EQ(popupEntries(host, 2), (QStringList{"RemoveFromGame1", "SettoJustWatch1", "UnsetJustWatch1"}));
    EXPECT_EQ(popupEntries(host, 3), (QStringList{"SettoJustWatch1", "UnsetJustWatch1"}));
    EXPECT_EQ(popupEntries(joiner, 1), QStringList{});

    host.chat.chatInput()->setText("hello <b>Bob</b> | see www.example.org");
    host.chat.sendChatInput();
    const QString relayed = "Ann chats: hello <b>Bob</b> | see www.example.org";
    ASSERT_TRUE(pump(clock, [&] { return joiner.lines.has(relayed); }));
    EXPECT_EQ(joiner.lines.styleOf(relayed), 1);
    EXPECT_TRUE(joiner.chat.chatView()->toPlainText().contains("hello <b>Bob</b> | see"));

    joiner.chat.chatInput()->setText("/me waves");
    joiner.chat.sendChatInput();
    ASSERT_TRUE(pump(clock, [&] { return host.lines.has("Bob waves"); }));
    EXPECT_EQ(host.lines.styleOf("Bob waves"), 2);
    joiner.chat.chatInput()->setText("/meow");
    joiner.chat.sendChatInput();
    ASSERT_TRUE(pump(clock, [&] { return host.lines.has("Bob chats: /meow"); }));
    joiner.chat.chatInput()->setText("/nick Robert");
    joiner.chat.sendChatInput();
    EXPECT_TRUE(joiner.chat.chatInput()->text().isEmpty());

    // The host leaving ends the game for the joiner.
    host.chat.close();
    server.reset();
    EXPECT_TRUE(pump(clock, [&] { return !joiner.chat.isVisible(); }));
}

// A fake game server that speaks a script and records what the client sends.
class FakeServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
        client = std::make_unique<Client>(clock, folder.path(), QStringList{"Bob", "127.0.0.1", "false"});
        client->chat.setGamePort(listener.serverPort());
        client->chat.show();
        QCoreApplication::processEvents(); // the window starts connecting once it is shown
        ASSERT_TRUE(listener.waitForNewConnection(5000));
        peer = listener.nextPendingConnection();
    }
    void say(const char* script)
    {
        peer->write(wire(script));
        peer->flush();
    }
    bool hear(const QByteArray& expected)
    {
        return pump(clock, [&] {
            received += peer->readAll();
            return received.contains(expected);
        });
    }
    VirtualClock clock;
    QTemporaryDir folder;
    QTcpServer listener;
    QTcpSocket* peer = nullptr;
    std::unique_ptr<Client> client;
    QByteArray received;
};

TEST_F(FakeServer, LoginRosterAndNotices)
{
    say("CMD_sendlogininfo+2#");
    ASSERT_TRUE(hear(wire("CMD_logininfo+2+1.0.6+Bob##")));
    say("CMD_newplayerinfo+2+Bob#CMD_existingplayers+1+Ann#CMD_existingplayers+8+Eve+Spy#"
        "CMD_havewrongversion+Zed#CMD_wrongversion+#");
    Client& c = *client;
    ASSERT_TRUE(pump(clock, [&] { return c.lines.has("You have a differnt version of the game then the host."); }));
    EXPECT_TRUE(c.lines.has("You are Connected."));
    EXPECT_TRUE(c.lines.has("Ann is Connected."));
    EXPECT_TRUE(c.lines.has("Eve+Spy is spying."));
    EXPECT_TRUE(c.lines.has("Zed has a different version of the game then you."));
    EXPECT_EQ(c.spylist.entries(), QStringList{"8: Eve+Spy"});
    EXPECT_EQ(c.chat.board()->seatCaption(1), "Ann");
    EXPECT_EQ(c.chat.soundsRequested.count("entered"), 3);

    // Departures: a spy leaves the list, a seat goes back to waiting, seat 2 to the computer.
    say("CMD_playerdisconnected+8+Eve+Spy#CMD_playerdisconnected+1+Ann#");
    ASSERT_TRUE(pump(clock, [&] { return c.lines.has("Ann disconnected."); }));
    EXPECT_TRUE(c.lines.has("Eve+Spy has left."));
    EXPECT_TRUE(c.spylist.entries().isEmpty());
    EXPECT_EQ(c.chat.board()->seatCaption(1), "<Waiting>");

    // Hostile or out-of-range input changes nothing and breaks nothing.
    say("CMD_newplayerinfo+42+X#CMD_newplayerinfo+x+Y#CMD_playasound+2+../../etc/passwd+#CMD_chat+99+Z chats: hi|clRed#"
        "CMD_error+2+1+#");
    ASSERT_TRUE(pump(clock, [&] { return c.chat.soundsRequested.contains("invalid"); }));
    EXPECT_FALSE(c.lines.has("X is Connected."));
    EXPECT_FALSE(c.lines.has("Z chats: hi"));
}

TEST_F(FakeServer, ChatColoursLinksAndPhraseCooldown)
{
    Client& c = *client;
    say("CMD_sendlogininfo+3#CMD_newplayerinfo+3+Bob#"
        "CMD_chat+4+Cat chats: a|b|clRed#CMD_chat+4+Cat chats: plain|clNoSuchColour#");
    ASSERT_TRUE(pump(clock, [&] { return c.lines.has("Cat chats: plain"); }));
    EXPECT_TRUE(c.lines.has("Cat chats: a|b"));
    EXPECT_EQ(c.chat.chatView()->styleLook(4).colour, QColor(255, 0, 0));

    // Links are numbered from 0 to 100, then the counter wraps to 1.
    for (int i = 0; i < 101; ++i)
        c.chat.addChatLine("5+see www.site" + QString::number(i) + ".org", Qt::black);
    EXPECT_EQ(c.chat.linkCounter(), 100);
    c.chat.addChatLine("5+and www.last.org", Qt::black);
    EXPECT_EQ(c.chat.linkCounter(), 1);

    // Two phrase clicks within two seconds send one line.
    auto* phrase = c.chat.findChild<QToolButton*>("b_phrase1");
    ASSERT_TRUE(phrase);
    phrase->click();
    phrase->click();
    ASSERT_TRUE(hear(wire("CMD_action+3+says: Way To Go!|clBlack#")));
    EXPECT_EQ(received.count("CMD_action"), 1);
    clock.advance(2000);
    phrase->click();
    EXPECT_TRUE(pump(clock, [&] {
        received += peer->readAll();
        return received.count("CMD_action") == 2;
    }));
}

TEST_F(FakeServer, TheLongestRelayedChatLineKeepsTheConnection)
{
    // A player with a very long name sends the longest chat line the server
    // takes; its relay is longer than any message a client may send, and it
    // arrives in pieces. The client must show it, not hang up (for the host's
    // own client, hanging up would end the whole game).
    Client& c = *client;
    say("CMD_sendlogininfo+3#CMD_newplayerinfo+3+Bob#");
    ASSERT_TRUE(pump(clock, [&] { return c.lines.has("You are Connected."); }));
    const QByteArray name(proto::kMaxPendingBytes - 40, 'n');
    const QByteArray text(proto::kMaxPendingBytes - 40, 't');
    const QByteArray relay = proto::msg::chatRelay("4", name, text + "|clBlack");
    const qsizetype half = relay.size() / 2 + proto::kMaxPendingBytes / 2;
    peer->write(relay.left(half));
    peer->flush();
    ASSERT_TRUE(pump(clock, [&] {
        QCoreApplication::processEvents();
        return peer->bytesToWrite() == 0;
    }));
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        clock.advance(10);
    }
    peer->write(relay.mid(half));
    peer->flush();
    ASSERT_TRUE(pump(clock, [&] { return c.lines.has(QString::fromLatin1(name + " chats: " + text)); }));
    EXPECT_TRUE(c.chat.isVisible());
    EXPECT_EQ(peer->state(), QAbstractSocket::ConnectedState);
}

TEST_F(FakeServer, GameIsFullClosesTheWindow)
{
    say("CMD_full+#");
    ASSERT_TRUE(pump(clock, [&] { return !client->chat.isVisible(); }));
    EXPECT_EQ(client->boxes, QStringList{"Game is full"});
}

TEST(ClientStartUp, RefusedConnectionSaysSoAndOnlyTwoArgumentsWait)
{
    VirtualClock clock;
    QTemporaryDir folder;
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 closedPort = probe.serverPort();
    probe.close();

    Client joiner(clock, folder.path(), {"Bob", "127.0.0.1", "True"});
    joiner.chat.setGamePort(closedPort);
    joiner.chat.show();
    EXPECT_TRUE(pump(clock, [&] { return joiner.lines.has("Could not connect to 127.0.0.1"); }));
    EXPECT_FALSE(joiner.chat.isHost()); // only the exact "true" hosts
    EXPECT_TRUE(joiner.chat.isVisible());

    Client waiting(clock, folder.path(), {"Bob", "127.0.0.1"});
    waiting.chat.show();
    EXPECT_TRUE(pump(clock, [&] { return waiting.lines.has("Loading Multi-player Game.. Please Wait."); }));
    EXPECT_FALSE(waiting.chat.launcherSocketOpened());
    EXPECT_FALSE(waiting.chat.isHost());
}

} // namespace
