// The main window's part in announcing a hosted game on the local network: when
// it starts, what it says as players come and a game starts, the host's line
// without a daemon, and the withdrawal at the end. The announcer is replaced by
// a recorder: nothing reaches an Avahi daemon.
#include "client/mainwindow.h"
#include "client/chatview.h"
#include "net/lanannouncer.h"
#include "server/hostedserver.h"
#include "support/fakesurroundings.h"
#include "support/pump.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RecordingAnnouncer : public LanAnnouncer {
public:
    void start(const QString& hostName, quint16 port, const lan::Roster& roster) override
    {
        calls << QString("start %1 %2").arg(hostName).arg(port);
        rosters << roster;
        if (noDaemon) // as Avahi's client says it at once
            emit unavailable("Daemon not running");
    }
    void update(const lan::Roster& roster) override { rosters << roster; }
    void stop() override { calls << "stop"; }
    QStringList calls;
    QList<lan::Roster> rosters;
    bool noDaemon = false;
};

class Announcing : public ::testing::Test {
protected:
    void open(MainWindow& chat, const QStringList& arguments, const QString& settings)
    {
        chat.setArguments(arguments);
        chat.setGamePort(arguments.value(2) == "false" ? server.port() : 0);
        chat.setSettingsPath(folder.path() + "/" + settings);
        MainWindow::Windows windows;
        if (arguments.value(2) != "false") {
            windows.server = &server;
            windows.announcer = &announcer;
        }
        chat.setWindows(windows);
        chat.show();
        ASSERT_TRUE(pump(clock, [&] { return chat.game().isLoggedIn(); }, 5000, 10));
    }
    bool settled(int rosters)
    {
        return pump(clock, [&] { return announcer.rosters.size() >= rosters; }, 5000, 10);
    }

    VirtualClock clock;
    QTemporaryDir folder;
    HostedServer server{clock, 3, WordLists()};
    RecordingAnnouncer announcer;
    FakeSurroundings outside;
    MainWindow host{clock, outside};
    QStringList lines;
};

} // namespace

TEST_F(Announcing, AHostedGameIsAnnouncedFollowedAndWithdrawn)
{
    QObject::connect(&host, &MainWindow::chatLineAdded, [this](int, const QString& text) { lines << text; });
    open(host, {"Ann", "127.0.0.1", "true"}, "host.ini");
    ASSERT_TRUE(settled(2));
    EXPECT_EQ(announcer.calls, QStringList{QString("start Ann %1").arg(server.port())});
    EXPECT_EQ(announcer.rosters.at(0), (lan::Roster{0, 0, false})) << "announced before its own login";
    EXPECT_EQ(announcer.rosters.at(1), (lan::Roster{1, 0, false}));

    auto joiner = std::make_unique<MainWindow>(clock, outside);
    open(*joiner, {"Bob", "127.0.0.1", "false"}, "joiner.ini");
    ASSERT_TRUE(settled(3));
    EXPECT_EQ(announcer.rosters.at(2), (lan::Roster{2, 0, false}));

    host.send(proto::msg::startGame("Ann", "200", "30", false, false));
    ASSERT_TRUE(settled(4));
    EXPECT_EQ(announcer.rosters.at(3), (lan::Roster{2, 0, true}));
    joiner.reset();
    ASSERT_TRUE(settled(5));
    EXPECT_EQ(announcer.rosters.at(4), (lan::Roster{1, 0, true}));

    emit announcer.announced("Ann's game #2");
    EXPECT_EQ(lines.last(), "Players on your network find this game in their lobby as \"Ann's game #2\".");
    emit announcer.unavailable("Daemon not running");
    EXPECT_EQ(lines.last(), "Games on your network cannot see this one (Avahi says \"Daemon not running\"); send "
                            "friends an invitation link instead (Options > Copy Invitation Link).");

    host.close();
    EXPECT_EQ(announcer.calls.last(), "stop");
    EXPECT_EQ(announcer.rosters.size(), 5);
}

TEST_F(Announcing, ASoloGameIsNeverAnnounced)
{
    QObject::connect(&host, &MainWindow::chatLineAdded, [this](int, const QString& text) { lines << text; });
    open(host, {}, "solo.ini");
    pump(clock, [] { return false; }, 200, 10);
    const int shown = lines.size();
    EXPECT_TRUE(announcer.calls.isEmpty());
    EXPECT_TRUE(announcer.rosters.isEmpty());
    emit announcer.unavailable("Daemon not running");
    EXPECT_EQ(lines.size(), shown) << "a solo game says nothing about the network";
    host.close();
    EXPECT_TRUE(announcer.calls.isEmpty());
}

TEST_F(Announcing, WithoutADaemonTheHostIsToldOnceAndPlaysOn)
{
    announcer.noDaemon = true;
    open(host, {"Ann", "127.0.0.1", "true"}, "host.ini");
    const auto chat = [&] { return host.chatView()->document()->toPlainText(); };
    ASSERT_TRUE(pump(clock, [&] { return chat().contains("You are Connected."); }, 5000, 10));
    EXPECT_EQ(chat().count("Games on your network cannot see this one"), 1) << chat().toStdString();
    ASSERT_TRUE(settled(2));
    EXPECT_EQ(announcer.rosters.last(), (lan::Roster{1, 0, false})) << "the game goes on";
}
