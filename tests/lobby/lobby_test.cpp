#include "app/lobby/lobbywindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A stand-in for the game: writes its arguments to args.txt and runs until the file "stop" appears.
const char* const fakeGame = "#!/bin/sh\n"
                             "dir=$(dirname \"$0\")\n"
                             "printf '%s\\n' \"$@\" > \"$dir/args.txt\"\n"
                             "while [ ! -e \"$dir/stop\" ]; do sleep 0.05; done\n";

const QByteArray otherSections = "[hangman]\r\nTextsize=10\r\nPhrase1=hi + bye\r\n\r\n[news]\r\nseen=3\r\n";

class Lobby : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile("vorlixlobby.ini", otherSections);
        writeFile("hangman", fakeGame);
        QFile::setPermissions(path("hangman"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
    void writeFile(const QString& name, const QByteArray& contents)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    QByteArray readFile(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void fill(LobbyWindow& window, const QString& name, const QString& server, bool host)
    {
        window.findChild<QLineEdit*>("nameEdit")->setText(name);
        window.findChild<QLineEdit*>("serverEdit")->setText(server);
        window.findChild<QCheckBox*>("hostBox")->setChecked(host);
    }
    void endGame(LobbyWindow& window)
    {
        writeFile("stop", "");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.gameRunning(); }, 5000));
        QFile::remove(path("stop"));
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(Lobby, HostingStartsTheGameRemembersTheFieldsAndListensWhileItRuns)
{
    LobbyWindow window(path("vorlixlobby.ini"), path("hangman"), 0);
    fill(window, " Ann ", "", true);
    window.findChild<QPushButton*>("playButton")->click();
    ASSERT_TRUE(window.gameRunning()) << window.status().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return readFile("args.txt").endsWith('\n'); }, 5000));
    EXPECT_EQ(readFile("args.txt"), "Ann\n127.0.0.1\ntrue\n");
    EXPECT_FALSE(window.findChild<QPushButton*>("playButton")->isEnabled());

    ASSERT_NE(window.listeningPort(), 0);
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, window.listeningPort());
    ASSERT_TRUE(probe.waitForConnected(2000));
    probe.write("anything");
    probe.flush();

    const QByteArray ini = readFile("vorlixlobby.ini");
    EXPECT_TRUE(ini.startsWith(otherSections));
    EXPECT_TRUE(ini.contains("[lobby]"));
    EXPECT_TRUE(ini.contains("Name=Ann"));
    EXPECT_TRUE(ini.contains("Host=true"));

    endGame(window);
    EXPECT_EQ(window.listeningPort(), 0);
    EXPECT_TRUE(window.findChild<QPushButton*>("playButton")->isEnabled());

    LobbyWindow again(path("vorlixlobby.ini"), path("hangman"), 0);
    EXPECT_EQ(again.findChild<QLineEdit*>("nameEdit")->text(), "Ann");
    EXPECT_TRUE(again.findChild<QCheckBox*>("hostBox")->isChecked());
    fill(again, "Bob", "10.0.0.2", false);
    ASSERT_TRUE(again.play());
    ASSERT_TRUE(QTest::qWaitFor([&] { return readFile("args.txt") == "Bob\n10.0.0.2\nfalse\n"; }, 5000));
    endGame(again);
}

TEST_F(Lobby, TakesIPv6AddressesAndHostNamesAsTheServer)
{
    LobbyWindow window(path("vorlixlobby.ini"), path("hangman"), 0);
    for (const char* server : {"::1", "[::1]", "2001:db8::5", "game.example.org", "localhost", "10.0.0.2"}) {
        fill(window, "Bob", server, false);
        ASSERT_TRUE(window.play()) << server << ": " << window.status().toStdString();
        ASSERT_TRUE(QTest::qWaitFor([&] { return readFile("args.txt") == QByteArray("Bob\n") + server + "\nfalse\n"; },
                                    5000)) << server;
        endGame(window);
    }
    for (const char* server : {"10.0.0.999", "[::1", "::g", "two words", "-game.org", "game..org", "host:7772"}) {
        fill(window, "Bob", server, false);
        EXPECT_FALSE(window.play()) << server;
        EXPECT_EQ(window.status(), "Type the host's address as an IPv4 or IPv6 address or a host name.");
    }
}

TEST_F(Lobby, RefusesUnusableFieldsAndReportsAGameThatCannotStart)
{
    LobbyWindow window(path("vorlixlobby.ini"), path("hangman"), 0);
    for (const auto& [name, server, host] : {std::tuple{"", "10.0.0.2", false}, std::tuple{"A+B", "10.0.0.2", false},
             std::tuple{"Ann", "", false}}) {
        fill(window, name, server, host);
        EXPECT_FALSE(window.play()) << name;
        EXPECT_FALSE(window.status().isEmpty());
        EXPECT_FALSE(window.gameRunning());
    }
    EXPECT_EQ(readFile("vorlixlobby.ini"), otherSections);

    LobbyWindow missing(path("vorlixlobby.ini"), path("no-such-game"), 0);
    fill(missing, "Ann", "10.0.0.2", false);
    EXPECT_FALSE(missing.play());
    EXPECT_TRUE(missing.status().startsWith("HangMan could not be started"));
    EXPECT_EQ(missing.listeningPort(), 0);
}

namespace {

LanGame game(const QString& name, int players, int spies, bool running, QStringList addresses,
             const QString& version = "1.0.6")
{
    LanGame found;
    found.name = name;
    found.version = version;
    found.roster = {players, spies, running};
    found.addresses = std::move(addresses);
    return found;
}

} // namespace

TEST_F(Lobby, AnInvitationLinkFillsTheAddressAndEnterJoinsUnderTheRememberedName)
{
    writeFile("vorlixlobby.ini", otherSections + "[lobby]\r\nName=Ann\r\nServer=10.0.0.2\r\nHost=true\r\n");
    LobbyWindow window(path("vorlixlobby.ini"), path("hangman"), 0);
    ASSERT_TRUE(window.openInvitation("hangman://[2001:db8::5]:7772"));
    EXPECT_EQ(window.findChild<QLineEdit*>("serverEdit")->text(), "2001:db8::5");
    EXPECT_FALSE(window.findChild<QCheckBox*>("hostBox")->isChecked());
    EXPECT_TRUE(window.status().contains("Type your name")) << window.status().toStdString();
    EXPECT_FALSE(window.gameRunning());

    QTest::keyClick(window.findChild<QLineEdit*>("nameEdit"), Qt::Key_Return);
    ASSERT_TRUE(window.gameRunning()) << window.status().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return readFile("args.txt") == "Ann\n2001:db8::5\nfalse\n"; }, 5000));
    EXPECT_EQ(window.recentHosts(), QStringList{"2001:db8::5"});
    EXPECT_TRUE(readFile("vorlixlobby.ini").contains("Recent=2001:db8::5")) << readFile("vorlixlobby.ini").data();
    endGame(window);
}

TEST_F(Lobby, ALinkItCannotReadSaysWhyAndStartsNothing)
{
    LobbyWindow window(path("vorlixlobby.ini"), path("hangman"), 0);
    fill(window, "Ann", "10.0.0.2", false);
    for (const QString& link : {QString("hangman://"), QString("hangman://two words"), QString("hangman://10.0.0.2:80"),
                                "hangman://" + QString(300, 'a'), QString("mailto:ann@example.org")}) {
        EXPECT_FALSE(window.openInvitation(link)) << link.toStdString();
        EXPECT_TRUE(window.status().startsWith("This ")) << window.status().toStdString();
        EXPECT_EQ(window.findChild<QLineEdit*>("serverEdit")->text(), "10.0.0.2");
        EXPECT_FALSE(window.gameRunning());
    }
    EXPECT_FALSE(QFile::exists(path("args.txt")));
}

TEST_F(Lobby, GamesOnTheNetworkAreListedChosenAndJoined)
{
    LobbyWindow window(path("vorlixlobby.ini"), path("hangman"), 0);
    auto* list = window.findChild<QListWidget*>("gamesList");
    ASSERT_EQ(window.networkGames(), QStringList{"Looking for games on your network..."});
    list->setCurrentRow(0);
    EXPECT_TRUE(window.findChild<QLineEdit*>("serverEdit")->text().isEmpty()) << "the note is no game";

    fill(window, "Bob", "", true);
    window.showNetworkGames({game("Ann's game", 2, 0, false, {"10.0.0.5", "fe80::5%eth0"}),
                             game("Cleo's game", 1, 1, true, {"fe80::7%eth0"}, "1.0.5")});
    EXPECT_EQ(window.networkGames(),
              (QStringList{"Ann's game\n2 players, waiting - 10.0.0.5",
                           "Cleo's game\n1 player, 1 spy, playing, another version (1.0.5) - fe80::7%eth0"}));
    list->setCurrentRow(1);
    EXPECT_EQ(window.findChild<QLineEdit*>("serverEdit")->text(), "fe80::7%eth0");
    EXPECT_FALSE(window.findChild<QCheckBox*>("hostBox")->isChecked());

    // An update keeps the chosen game chosen; Enter on it joins.
    window.showNetworkGames({game("Ann's game", 3, 0, true, {"10.0.0.5"}),
                             game("Cleo's game", 2, 1, true, {"fe80::7%eth0"}, "1.0.5")});
    EXPECT_TRUE(window.networkGames().at(0).startsWith("Ann's game\n3 players, playing"));
    ASSERT_EQ(list->currentRow(), 1);
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(window.gameRunning()) << window.status().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return readFile("args.txt") == "Bob\n10.0.0.5\nfalse\n"; }, 5000));
    endGame(window);

    window.showNetworkGames({});
    EXPECT_EQ(window.networkGames(), QStringList{"Looking for games on your network..."});
}

TEST_F(Lobby, RecentKeepsTheLastTenHostsJoinedNewestFirst)
{
    QStringList ten;
    for (int i = 1; i <= 10; ++i)
        ten << QString("10.0.0.%1").arg(i);
    writeFile("vorlixlobby.ini", otherSections + "[lobby]\r\nRecent=" + ten.join(' ').toLatin1() + "\r\n");
    LobbyWindow window(path("vorlixlobby.ini"), path("hangman"), 0);
    auto* recent = window.findChild<QListWidget*>("recentList");
    ASSERT_EQ(recent->count(), 10);

    recent->setCurrentRow(4);
    EXPECT_EQ(window.findChild<QLineEdit*>("serverEdit")->text(), "10.0.0.5");
    fill(window, "Bob", "game.example.org", false);
    ASSERT_TRUE(window.play());
    endGame(window);
    EXPECT_EQ(window.recentHosts(), QStringList{"game.example.org"} + ten.mid(0, 9));

    // Joining a host already listed moves it to the front; hosting adds nothing.
    fill(window, "Bob", "10.0.0.3", false);
    ASSERT_TRUE(window.play());
    endGame(window);
    fill(window, "Bob", "", true);
    ASSERT_TRUE(window.play());
    endGame(window);
    const QStringList expected = QStringList{"10.0.0.3", "game.example.org", "10.0.0.1", "10.0.0.2"} + ten.mid(3, 6);
    EXPECT_EQ(window.recentHosts(), expected);
    EXPECT_EQ(recent->count(), 10);
    EXPECT_EQ(recent->item(0)->text(), "10.0.0.3");

    LobbyWindow again(path("vorlixlobby.ini"), path("hangman"), 0);
    EXPECT_EQ(again.recentHosts(), expected);
    EXPECT_TRUE(readFile("vorlixlobby.ini").startsWith(otherSections));
}
