#include "app/lobby/lobbywindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
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
