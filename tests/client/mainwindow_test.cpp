// The main window as a client: against the real game server on loopback and
// against a scripted fake server, checking what the user sees.
#include "board/board.h"
#include "client/gamemenus.h"
#include "client/mainwindow.h"
#include "client/chatview.h"
#include "server/hostedserver.h"
#include "support/fakesurroundings.h"
#include "support/mainwindowaccess.h"
#include "support/pump.h"
#include "tally/tally.h"
#include "windows/joinrequestwindow.h"
#include "windows/spylistwindow.h"
#include "windows/tallywindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QByteArray wire(QByteArray text)
{
    return text.replace('#', proto::kTerminator);
}

// Runs the event loop and the virtual clock in 10 ms steps until done() holds (or 5 s pass).
bool pumpInSteps(VirtualClock& clock, const std::function<bool()>& done)
{
    return pump(clock, done, 5000, 10);
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
        : chat(clock, outside)
    {
        chat.setArguments(arguments);
        chat.setSettingsPath(folder + "/vorlixlobby.ini");
        MainWindow::Windows windows;
        windows.server = server;
        windows.spylist = &spylist;
        chat.setWindows(windows);
        lines.attach(chat);
    }
    FakeSurroundings outside;
    MainWindow chat;
    SpyListWindow spylist;
    LineRecorder lines;
    const QStringList& boxes = outside.prompts.messages;
};

class RealServer : public ::testing::Test {
protected:
    RealServer() : server(std::make_unique<HostedServer>(clock, 7, WordLists())) {}
    VirtualClock clock;
    std::unique_ptr<HostedServer> server;
    QTemporaryDir folder;
};

// The host's Options decide who joins: asked, a newcomer waits for "Let In"; locked, he is turned away.
TEST_F(RealServer, TheHostLetsANewcomerInWhenAskedAndTurnsAwayEveryoneOnceLocked)
{
    Client host(clock, folder.path(), {"Ann", "127.0.0.1", "true"}, server.get());
    host.chat.setGamePort(0);
    host.chat.show();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("You are Connected."); }));
    host.chat.menus().askBeforeJoining->trigger();
    auto* requests = host.chat.findChild<JoinRequestWindow*>();
    ASSERT_NE(requests, nullptr);

    Client bob(clock, folder.path(), {"Bob", "127.0.0.1", "false"});
    bob.chat.setGamePort(server->port());
    bob.chat.show();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return requests->requestCount() == 1; }));
    EXPECT_FALSE(host.lines.has("Bob is Connected."));
    requests->findChild<QPushButton*>("LetIn")->click();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("Bob is Connected."); }));
    EXPECT_EQ(requests->requestCount(), 0);

    host.chat.menus().lockGame->trigger();
    Client cat(clock, folder.path(), {"Cat", "127.0.0.1", "false"});
    cat.chat.setGamePort(server->port());
    cat.chat.show();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("Cat (127.0.0.1) was turned away: the game is locked."); }));
    ASSERT_TRUE(pumpInSteps(clock, [&] { return cat.boxes.contains("Game is full"); }));
    EXPECT_EQ(requests->requestCount(), 0) << "a locked game asks nobody";
}

TEST_F(RealServer, HostAndJoinerSeeEachOtherAndChatBothWays)
{
    Client host(clock, folder.path(), {"Ann", "127.0.0.1", "true"}, server.get());
    host.chat.setGamePort(0);
    host.chat.show();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("You are Connected."); }));
    EXPECT_TRUE(host.lines.has("Loading Multi-player Game.. Please Wait."));
    EXPECT_EQ(host.chat.game().ownSlot(), 1);
    EXPECT_TRUE(host.chat.game().isHost());
    EXPECT_TRUE(host.chat.menus().startGame->isEnabled());
    EXPECT_TRUE(MainWindowTestAccess::launcherSocketOpened(host.chat));

    Client joiner(clock, folder.path(), {"Bob", "127.0.0.1", "false"});
    joiner.chat.setGamePort(server->port());
    joiner.chat.show();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("Bob is Connected."); }));
    ASSERT_TRUE(pumpInSteps(clock, [&] { return joiner.lines.has("Ann is Connected."); }));
    EXPECT_EQ(joiner.chat.game().ownSlot(), 2);
    EXPECT_FALSE(joiner.chat.game().isHost());
    EXPECT_FALSE(joiner.chat.menus().startGame->isEnabled());
    EXPECT_EQ(joiner.chat.game().seatCaption(1), "Ann");
    EXPECT_EQ(host.chat.game().seatCaption(2), "Bob");

    // The seat pop-up: the host may act on any seat but remove nobody from a free one; a joiner on none.
    const auto popupEntries = [](Client& client, int seat) {
        emit client.chat.board()->seatContextMenuRequested(seat, QPoint(10, 10));
        QStringList enabled;
        for (QAction* entry : client.chat.menus().seatMenu->actions())
            if (entry->isEnabled())
                enabled << entry->text();
        return enabled;
    };
    EXPECT_EQ(popupEntries(host, 2), (QStringList{"Remove From Game", "Set to Just Watch", "Unset Just Watch"}));
    EXPECT_EQ(popupEntries(host, 3), (QStringList{"Set to Just Watch", "Unset Just Watch"}));
    EXPECT_EQ(popupEntries(joiner, 1), QStringList{});

    host.chat.chatInput()->setText("hello <b>Bob</b> | see www.example.org");
    host.chat.chatPanel()->sendInput();
    const QString relayed = "Ann chats: hello <b>Bob</b> | see www.example.org";
    ASSERT_TRUE(pumpInSteps(clock, [&] { return joiner.lines.has(relayed); }));
    EXPECT_EQ(joiner.lines.styleOf(relayed), 1);
    EXPECT_TRUE(joiner.chat.chatView()->toPlainText().contains("hello <b>Bob</b> | see"));

    joiner.chat.chatInput()->setText("/me waves");
    joiner.chat.chatPanel()->sendInput();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("Bob waves"); }));
    EXPECT_EQ(host.lines.styleOf("Bob waves"), 2);
    joiner.chat.chatInput()->setText("/meow");
    joiner.chat.chatPanel()->sendInput();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("Bob chats: /meow"); }));
    joiner.chat.chatInput()->setText("/nick Robert");
    joiner.chat.chatPanel()->sendInput();
    EXPECT_TRUE(joiner.chat.chatInput()->text().isEmpty());

    // The host leaving ends the game for the joiner.
    host.chat.close();
    server.reset();
    EXPECT_TRUE(pumpInSteps(clock, [&] { return !joiner.chat.isVisible(); }));
}

TEST_F(RealServer, TheLongestLineTheInputTakesIsRelayedWhole)
{
    Client host(clock, folder.path(), {"Ann", "127.0.0.1", "true"}, server.get());
    host.chat.setGamePort(0);
    host.chat.show();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("You are Connected."); }));
    Client joiner(clock, folder.path(), {"Bob", "127.0.0.1", "false"});
    joiner.chat.setGamePort(server->port());
    joiner.chat.show();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return joiner.lines.has("Ann is Connected."); }));

    const int longest = host.chat.chatInput()->maxLength();
    EXPECT_GT(longest, 60000);
    host.chat.chatInput()->setText(QString(longest + 10, 'w'));
    ASSERT_EQ(host.chat.chatInput()->text().size(), longest);
    host.chat.chatInput()->setText("/me " + QString(longest - 4, 'v'));
    host.chat.chatPanel()->sendInput();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return joiner.lines.has("Ann " + QString(longest - 4, 'v')); }));
    host.chat.chatInput()->setText(QString(longest, 'w'));
    host.chat.chatPanel()->sendInput();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return joiner.lines.has("Ann chats: " + QString(longest, 'w')); }));
    EXPECT_EQ(server->server().slotsInUse(), 2);
    host.chat.close();
}

TEST_F(RealServer, LinesTheHostWouldDropAreKeptWithANoticeInsteadOfSent)
{
    Client host(clock, folder.path(), {"Ann", "127.0.0.1", "true"}, server.get());
    host.chat.setGamePort(0);
    host.chat.show();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("You are Connected."); }));
    const QString slowDown = "Slow down: that line was not sent.";
    const auto notices = [&] {
        return std::count_if(host.lines.lines.begin(), host.lines.lines.end(),
                             [&](const LineRecorder::Line& line) { return line.text == slowDown; });
    };

    // A burst of ten lines goes out; the eleventh stays in the input, as do the phrase and the sound.
    QLineEdit* input = host.chat.chatInput();
    for (int i = 0; i <= 10; ++i) {
        input->setText("line " + QString::number(i));
        host.chat.chatPanel()->sendInput();
    }
    EXPECT_EQ(input->text(), "line 10");
    EXPECT_EQ(notices(), 1);
    host.chat.findChild<QToolButton*>("phrase_button_1")->click();
    host.chat.findChild<QMenu*>("chatter_sound_menu")->actions().at(3)->trigger();
    EXPECT_EQ(notices(), 3);
    // The host takes the burst in at this same moment: its first relay comes before the clock moves.
    QElapsedTimer real;
    real.start();
    while (!host.lines.has("Ann chats: line 0") && real.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        clock.advance(0);
    }
    ASSERT_TRUE(host.lines.has("Ann chats: line 0"));

    // A third of a second later there is room for one more: the kept line.
    clock.advance(334);
    host.chat.chatPanel()->sendInput();
    EXPECT_TRUE(input->text().isEmpty());
    host.chat.findChild<QToolButton*>("phrase_button_1")->click();
    EXPECT_EQ(notices(), 4) << "nothing left for the phrase";
    clock.advance(1000);
    host.chat.findChild<QToolButton*>("phrase_button_1")->click();

    // The host relayed every line that was sent: none was dropped on the way.
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("Ann says: Way To Go!"); }));
    for (int i = 0; i <= 10; ++i)
        EXPECT_TRUE(host.lines.has("Ann chats: line " + QString::number(i))) << i;
    EXPECT_EQ(notices(), 4);
    host.chat.close();
}

TEST_F(RealServer, ManyLongRelayedLinesAreRelayedWholeButKeptBoundedInTheChat)
{
    Client host(clock, folder.path(), {"Ann", "127.0.0.1", "true"}, server.get());
    host.chat.setGamePort(0);
    host.chat.show();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("You are Connected."); }));

    // A raw client at seat 2 sends long lines as fast as the flood rule lets them through.
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, server->port());
    QByteArray heard;
    ASSERT_TRUE(pumpInSteps(clock, [&] {
        heard += raw.readAll();
        return heard.contains("CMD_sendlogininfo+2");
    }));
    raw.write(wire("CMD_logininfo+2+1.0.6+Raw##"));
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("Raw is Connected."); }));
    const int sent = 1030;
    const int longest = proto::kMaxPendingBytes - 64;
    const auto text = [&](int i) {
        const QByteArray number = QByteArray::number(i) + ' ';
        return number + QByteArray((i % 100 == 99 ? longest : 3000) - number.size(), 'w');
    };
    for (int i = 0; i < sent; ++i) {
        raw.write(proto::msg::chat(2, text(i), "clBlack"));
        for (int step = 0; step < 34; ++step) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            clock.advance(10);
        }
        raw.readAll();
    }
    ASSERT_TRUE(pumpInSteps(clock, [&] { return host.lines.has("Raw chats: " + QString::fromLatin1(text(sent - 1))); }));
    EXPECT_TRUE(host.lines.has("Raw chats: " + QString::fromLatin1(text(999)))) << "the relay stays whole";

    // The chat keeps the newest 1,000 lines, each cut to its first 2,000 characters and marked.
    ChatView* view = host.chat.chatView();
    EXPECT_EQ(view->paragraphCount(), 1000);
    const int firstKept = sent - 1000;
    int longestShown = 0;
    int i = firstKept;
    for (QTextBlock block = view->document()->firstBlock(); block.isValid(); block = block.next(), ++i) {
        const QString shown = block.text();
        longestShown = std::max(longestShown, int(shown.size()));
        ASSERT_TRUE(shown.startsWith("Raw chats:  " + QString::number(i) + " ")) << i;
        EXPECT_TRUE(shown.endsWith(QString::fromUtf8("\u2026"))) << i;
    }
    EXPECT_LE(longestShown, 2003);
    host.chat.close();
}

// A fake game server that speaks a script and records what the client sends.
class FakeServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
        client = std::make_unique<Client>(clock, folder.path(), arguments);
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
        return pumpInSteps(clock, [&] {
            received += peer->readAll();
            return received.contains(expected);
        });
    }
    // Everything the client sent from the first occurrence of start on.
    QByteArray sentFrom(const QByteArray& start) const { return received.mid(received.indexOf(start)); }
    QStringList arguments{"Bob", "127.0.0.1", "false"};
    VirtualClock clock;
    QTemporaryDir folder;
    QTcpServer listener;
    QTcpSocket* peer = nullptr;
    std::unique_ptr<Client> client;
    QByteArray received;
};

// The same fake server, reached by a client that hosts (the game port points at the fake).
class FakeServerForHost : public FakeServer {
protected:
    FakeServerForHost() { arguments = {"Ann", "127.0.0.2", "true"}; }
};

TEST_F(FakeServer, ChatLinksOpenThroughTheDesktopAndAnEmptyOneIsExplained)
{
    Client& c = *client;
    emit c.chat.chatView()->linkClicked("www.vorlix.example/news ");
    emit c.chat.chatView()->linkClicked(" ");
    EXPECT_EQ(c.outside.desktop.opened, QList<QUrl>{QUrl("www.vorlix.example/news")});
    EXPECT_EQ(c.boxes, QStringList{"Cannot open Webpage"});
}

TEST_F(FakeServer, LoginRosterAndNotices)
{
    say("CMD_sendlogininfo+2#");
    ASSERT_TRUE(hear(wire("CMD_logininfo+2+1.0.6+Bob##")));
    say("CMD_newplayerinfo+2+Bob#CMD_existingplayers+1+Ann#CMD_existingplayers+8+Eve+Spy#"
        "CMD_havewrongversion+Zed#CMD_wrongversion+#");
    Client& c = *client;
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("You have a differnt version of the game then the host."); }));
    EXPECT_TRUE(c.lines.has("You are Connected."));
    EXPECT_TRUE(c.lines.has("Ann is Connected."));
    EXPECT_TRUE(c.lines.has("Eve+Spy is spying."));
    EXPECT_TRUE(c.lines.has("Zed has a different version of the game then you."));
    EXPECT_EQ(c.spylist.spies(), (QList<SpyListWindow::Spy>{{8, "Eve+Spy"}}));
    EXPECT_EQ(c.chat.game().seatCaption(1), "Ann");
    EXPECT_EQ(c.outside.sound.played.count("entered"), 3);

    // Departures: a spy leaves the list, a seat goes back to waiting, seat 2 to the computer.
    say("CMD_playerdisconnected+8+Eve+Spy#CMD_playerdisconnected+1+Ann#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("Ann disconnected."); }));
    EXPECT_TRUE(c.lines.has("Eve+Spy has left."));
    EXPECT_TRUE(c.spylist.spies().isEmpty());
    EXPECT_EQ(c.chat.game().seatCaption(1), "<Waiting>");

    // Hostile or out-of-range input changes nothing and breaks nothing.
    say("CMD_newplayerinfo+42+X#CMD_newplayerinfo+x+Y#CMD_playasound+2+../../etc/passwd+#CMD_chat+99+Z chats: hi|clRed#"
        "CMD_error+2+1+#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.outside.sound.played.contains("invalid"); }));
    EXPECT_FALSE(c.lines.has("X is Connected."));
    EXPECT_FALSE(c.lines.has("Z chats: hi"));

    // A host that kept a seat for this player moves him into it with a second login request.
    say("CMD_sendlogininfo+3#");
    ASSERT_TRUE(hear(wire("CMD_logininfo+3+1.0.6+Bob##")));
}

TEST_F(FakeServer, AMessageIntoAQuietQueueIsDispatchedAtOnceAndABurstOnePerTick)
{
    Client& c = *client;
    say("CMD_sendlogininfo+3#CMD_newplayerinfo+3+Bob#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("You are Connected."); }));
    clock.advance(100);
    MainWindowTestAccess::receive(c.chat, wire("CMD_chat+4+Cat chats: one|clRed#"));
    EXPECT_FALSE(c.lines.has("Cat chats: one")); // never inside the read event
    clock.advance(0);
    EXPECT_TRUE(c.lines.has("Cat chats: one"));
    clock.advance(5);
    MainWindowTestAccess::receive(c.chat, wire("CMD_chat+4+Cat chats: two|clRed#CMD_chat+4+Cat chats: three|clRed#"));
    clock.advance(0);
    EXPECT_TRUE(c.lines.has("Cat chats: two"));
    EXPECT_FALSE(c.lines.has("Cat chats: three"));
    clock.advance(1);
    EXPECT_TRUE(c.lines.has("Cat chats: three"));
}

TEST_F(FakeServer, ChatColoursLinksAndPhraseCooldown)
{
    Client& c = *client;
    say("CMD_sendlogininfo+3#CMD_newplayerinfo+3+Bob#"
        "CMD_chat+4+Cat chats: a|b|clRed#CMD_chat+4+Cat chats: plain|clNoSuchColour#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("Cat chats: plain"); }));
    EXPECT_TRUE(c.lines.has("Cat chats: a|b"));
    EXPECT_EQ(c.chat.chatView()->styleLook(4).colour, QColor(255, 0, 0));

    // Two phrase clicks within two seconds send one line.
    auto* phrase = c.chat.findChild<QToolButton*>("phrase_button_1");
    ASSERT_TRUE(phrase);
    phrase->click();
    phrase->click();
    ASSERT_TRUE(hear(wire("CMD_action+3+says: Way To Go!|clBlack#")));
    EXPECT_EQ(received.count("CMD_action"), 1);
    clock.advance(2000);
    phrase->click();
    EXPECT_TRUE(pumpInSteps(clock, [&] {
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
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("You are Connected."); }));
    const QByteArray name(proto::kMaxPendingBytes - 40, 'n');
    const QByteArray text(proto::kMaxPendingBytes - 40, 't');
    const QByteArray relay = proto::msg::chatRelay("4", name, text + "|clBlack");
    const qsizetype half = relay.size() / 2 + proto::kMaxPendingBytes / 2;
    peer->write(relay.left(half));
    peer->flush();
    ASSERT_TRUE(pumpInSteps(clock, [&] {
        QCoreApplication::processEvents();
        return peer->bytesToWrite() == 0;
    }));
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        clock.advance(10);
    }
    peer->write(relay.mid(half));
    peer->flush();
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has(QString::fromLatin1(name + " chats: " + text)); }));
    EXPECT_TRUE(c.chat.isVisible());
    EXPECT_EQ(peer->state(), QAbstractSocket::ConnectedState);
}

TEST_F(FakeServer, GameIsFullClosesTheWindow)
{
    say("CMD_full+#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return !client->chat.isVisible(); }));
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
    EXPECT_TRUE(pumpInSteps(clock, [&] { return joiner.lines.has("Could not connect to 127.0.0.1"); }));
    EXPECT_FALSE(joiner.chat.game().isHost()); // only the exact "true" hosts
    EXPECT_TRUE(joiner.chat.isVisible());

    Client waiting(clock, folder.path(), {"Bob", "127.0.0.1"});
    waiting.chat.show();
    EXPECT_TRUE(pumpInSteps(clock, [&] { return waiting.lines.has("Loading Multi-player Game.. Please Wait."); }));
    EXPECT_FALSE(MainWindowTestAccess::launcherSocketOpened(waiting.chat));
    EXPECT_FALSE(waiting.chat.game().isHost());
}

TEST(ClientStartUp, AServerAddressThatIsNoHostIsSaidInABoxAndTheWindowStays)
{
    VirtualClock clock;
    QTemporaryDir folder;
    Client joiner(clock, folder.path(), {"Bob", "1.2.3.999", "false"});
    joiner.chat.show();
    EXPECT_TRUE(pumpInSteps(clock, [&] { return !joiner.boxes.isEmpty(); }));
    EXPECT_EQ(joiner.boxes, QStringList{"Host Lookup - Could Not Find Host Entry"});
    EXPECT_FALSE(joiner.lines.has("Could not connect to 1.2.3.999"));
    EXPECT_TRUE(joiner.chat.isVisible());
    EXPECT_TRUE(MainWindowTestAccess::launcherSocketOpened(joiner.chat));
}

TEST_F(FakeServer, ChatterSoundsPlayOrAreAnnouncedAndGameSoundsObeyPlaySounds)
{
    Client& c = *client;
    say("CMD_sendlogininfo+2#CMD_newplayerinfo+2+Bob#CMD_existingplayers+1+Ann#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("Ann is Connected."); }));
    ASSERT_TRUE(c.chat.menus().playSounds->isChecked());
    ASSERT_TRUE(c.chat.menus().playChatterSounds->isChecked());
    EXPECT_EQ(c.outside.sound.played, (QStringList{"entered", "entered"}));

    // "Play Sounds" off silences game sounds only.
    c.outside.sound.played.clear();
    c.chat.menus().playSounds->trigger();
    say("CMD_error+2+1+#CMD_playasound+1+wave7+#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.chat.queuedMessages() == 0 && c.outside.sound.played.contains("wave7"); }));
    EXPECT_EQ(c.outside.sound.played, QStringList{"wave7"});

    // Only "wave1" to "wave20" are chatter sounds.
    say("CMD_playasound+1+wave21+#CMD_playasound+1+wave07+#CMD_playasound+1+Cancel1+#CMD_playasound+1+WAVE7+#"
        "CMD_playasound+1+wave0+#CMD_playasound+1+wave7 +#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.chat.queuedMessages() == 0; }));
    EXPECT_EQ(c.outside.sound.played, QStringList{"wave7"});

    // "Play Chatter Sounds" off: the sender seat's caption and the entry's caption, nothing played.
    c.chat.menus().playSounds->trigger();
    c.chat.menus().playChatterSounds->trigger();
    say("CMD_playasound+2+wave7+#CMD_playasound+1+wave13+#CMD_playasound+8+wave1+#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("Ann: <Chatter Sound> Applause"); }));
    EXPECT_TRUE(c.lines.has("Bob: <Chatter Sound> Sneezing"));
    EXPECT_EQ(c.lines.styleOf("Bob: <Chatter Sound> Sneezing"), 0);
    EXPECT_EQ(c.outside.sound.played, QStringList{"wave7"});

    // Sending: "<Cancel>" sends nothing; the sender does not play his own sound at once.
    c.chat.findChild<QAction*>("chatter_sound_cancel")->trigger();
    c.chat.findChild<QAction*>("wave7")->trigger();
    c.chat.findChild<QAction*>("wave20")->trigger();
    ASSERT_TRUE(hear("CMD_playasound+2+wave20+"));
    EXPECT_EQ(sentFrom("CMD_playasound"), wire("CMD_playasound+2+wave7+#CMD_playasound+2+wave20+#"));
    EXPECT_EQ(c.outside.sound.played, QStringList{"wave7"});
}

TEST_F(FakeServer, ASpySendsNeitherChatterSoundsNorJustWatch)
{
    Client& c = *client;
    say("CMD_sendlogininfo+8#CMD_newplayerinfo+8+Bob#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("You are spying."); }));
    c.chat.findChild<QAction*>("wave3")->trigger();
    c.chat.menus().justWatch->trigger();
    EXPECT_FALSE(c.chat.menus().justWatch->isChecked());
    c.chat.chatInput()->setText("still here");
    c.chat.chatPanel()->sendInput();
    ASSERT_TRUE(hear("still here"));
    EXPECT_EQ(sentFrom("CMD_logininfo"), wire("CMD_logininfo+8+1.0.6+Bob##CMD_chat+8+still here|clBlack#"));
}

TEST_F(FakeServerForHost, RosterMenusSendExactlyTheirMessages)
{
    Client& c = *client;
    // The host connects its own client to 127.0.0.1 whatever address it was given.
    EXPECT_EQ(peer->peerAddress(), QHostAddress(QHostAddress::LocalHost));
    say("CMD_sendlogininfo+1#CMD_newplayerinfo+1+Ann#CMD_existingplayers+3+Cat#CMD_existingplayers+8+Eve#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("Eve is spying."); }));
    ASSERT_TRUE(c.chat.game().isHost());

    // Just Watch asks by the check mark; only the server's answer moves the mark.
    QAction* justWatch = c.chat.menus().justWatch;
    justWatch->trigger();
    ASSERT_TRUE(hear("CMD_justwatch+1+1"));
    EXPECT_FALSE(justWatch->isChecked());
    say("CMD_justwatching+1+1#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return justWatch->isChecked(); }));
    justWatch->trigger();
    EXPECT_TRUE(justWatch->isChecked());

    // The seat pop-up acts on the seat last right-clicked.
    emit c.chat.board()->seatContextMenuRequested(3, QPoint(10, 10));
    c.chat.findChild<QMenu*>("seat_menu")->close();
    c.chat.menus().setToJustWatch->trigger();
    c.chat.menus().unsetJustWatch->trigger();
    c.chat.menus().removeFromGame->trigger();

    // The spy list's kick takes the slot of the entry under the mouse.
    c.spylist.show();
    QListWidget* spies = c.spylist.findChild<QListWidget*>("listbox_spys");
    const QPoint onEve = spies->visualItemRect(spies->item(0)).center();
    QMouseEvent move(QEvent::MouseMove, onEve, spies->viewport()->mapToGlobal(onEve), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(spies->viewport(), &move);
    c.spylist.kickAction()->trigger();
    ASSERT_TRUE(hear("CMD_kickhim+1+8+"));
    EXPECT_EQ(sentFrom("CMD_justwatch"), wire("CMD_justwatch+1+1#CMD_justwatch+1+2#CMD_justwatch+3+1#"
                                              "CMD_justwatch+3+2#CMD_kickhim+1+3+#CMD_kickhim+1+8+#"));
}

TEST_F(FakeServer, DeparturesFallBackToTheComputerWhereItPlays)
{
    Client& c = *client;
    say("CMD_sendlogininfo+4#CMD_newplayerinfo+4+Bob#CMD_existingplayers+1+Ann#CMD_existingplayers+2+Cat#"
        "CMD_existingplayers+3+Dan#CMD_existingplayers+5+Fay#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("Fay is Connected."); }));

    say("CMD_playerdisconnected+2+Cat#CMD_playerdisconnected+3+Dan#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("Dan disconnected."); }));
    EXPECT_TRUE(c.lines.has("Cat disconnected."));
    EXPECT_EQ(c.chat.game().seatCaption(2), "Klot");
    EXPECT_EQ(c.chat.game().seatCaption(3), "<Waiting>");

    // A team game: a free seat goes to its computer player; the computer leaving says nothing.
    say("CMD_startgame+Ann+200+20+t+#CMD_playerdisconnected+5+Fay#CMD_playerdisconnected+2+Klot#"
        "CMD_playerdisconnected+3+Klick#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("Fay disconnected.") && c.chat.queuedMessages() == 0; }));
    EXPECT_EQ(c.chat.game().seatCaption(5), "Klick");
    EXPECT_EQ(c.chat.game().seatCaption(2), "Klot");
    EXPECT_EQ(c.chat.game().seatCaption(3), "Klick");
    EXPECT_FALSE(c.lines.has("Klot disconnected."));
    EXPECT_FALSE(c.lines.has("Klick disconnected."));
}

TEST_F(FakeServer, TheTallyGetsTheOpponentsAtTheTableAndThePuzzlesTheOwnSeatCompletes)
{
    Client& c = *client;
    QTemporaryDir tallyFolder;
    Tally tally(tallyFolder.filePath("hangmantally.tld"));
    TallyWindow tallyWindow(tally, c.outside.prompts);
    MainWindow::Windows windows;
    windows.spylist = &c.spylist;
    windows.tally = &tally;
    windows.tallyWindow = &tallyWindow;
    c.chat.setWindows(windows);
    say("CMD_sendlogininfo+3#CMD_newplayerinfo+3+Bob#CMD_existingplayers+1+Ann#CMD_existingplayers+5+Eve#"
        "CMD_startgame+Ann+200+20+f+#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.lines.has("Ann has started a game."); }));
    c.chat.menus().viewTally->trigger();
    EXPECT_TRUE(tallyWindow.isVisible());
    EXPECT_EQ(tally.playersInGame(), (QStringList{"Ann", "Klot", "Eve"}));
    tallyWindow.hide();

    // A puzzle completed from the own seat counts; one completed by another seat does not.
    say("CMD_foundletter+5+2+B+1+10+11+5+11+5+11+AB+#CMD_foundletter+3+1+A+1+10+11+3+11+3+11+AB+#");
    ASSERT_TRUE(pumpInSteps(clock, [&] { return c.outside.sound.played.count("puzzlecomplete") == 2; }));
    EXPECT_EQ(tally.table().own(TallyTable::Own::CompletedPuzzles), "1");
}

} // namespace
