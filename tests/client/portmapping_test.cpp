// The main window's part in opening the game port on the router: when it asks
// and stops asking, the option and its saved value, the host's chat lines, and
// the invitation link it copies.
// The port mapping itself is replaced by a recorder: nothing leaves loopback.
#include "client/gamemenus.h"
#include "client/mainwindow.h"
#include "client/chatview.h"
#include "net/portmapping.h"
#include "server/hostedserver.h"
#include "support/fakesurroundings.h"
#include "support/pump.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RecordingPortMapping : public PortMapping {
public:
    void start() override { calls << "start"; }
    void stop() override { calls << "stop"; }
    bool waitUntilIdle(int) override
    {
        calls << "wait";
        return true;
    }
    QString ownGlobalIPv6() const override { return ipv6; }
    QString ownLanIPv4() const override { return lan; }
    QStringList calls;
    QString ipv6 = "2001:db8::5";
    QString lan = "192.168.1.20";
};

class HostPortMapping : public ::testing::Test {
protected:
    void host(const QStringList& arguments)
    {
        chat.setArguments(arguments);
        chat.setGamePort(0);
        chat.setSettingsPath(folder.path() + "/vorlixlobby.ini");
        QObject::connect(&chat, &MainWindow::chatLineAdded, [this](int, const QString& text) { lines << text; });
        MainWindow::Windows windows;
        windows.server = &server;
        windows.portMapping = &mapping;
        chat.setWindows(windows);
        chat.show();
        ASSERT_TRUE(pump([&] { return lines.contains("You are Connected."); }));
    }
    bool pump(const std::function<bool()>& done) { return ::pump(clock, done, 5000, 10); }
    QByteArray file() const
    {
        QFile in(folder.path() + "/vorlixlobby.ini");
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    QString lastLine() const { return lines.value(lines.size() - 1); }

    VirtualClock clock;
    QTemporaryDir folder;
    HostedServer server{clock, 3, WordLists()};
    RecordingPortMapping mapping;
    FakeSurroundings outside;
    MainWindow chat{clock, outside};
    QStringList lines;
};

} // namespace

TEST_F(HostPortMapping, AHostAsksOnceAndIsToldWhereFriendsJoin)
{
    host({"Ann", "127.0.0.1", "true"});
    EXPECT_TRUE(chat.menus().openPortOnRouter->isChecked());
    EXPECT_EQ(mapping.calls, QStringList{"start"});
    EXPECT_EQ(lastLine(), "Asking your router to open port 7772 for friends outside your network...");

    emit mapping.opened("93.184.216.34", "2001:db8::5", true);
    EXPECT_EQ(lastLine(), "Port 7772 is open on your router:friends outside your network join at 93.184.216.34 "
                          "or 2001:db8::5; send them hangman://93.184.216.34.");
    // Shown as "Port 7772 is open on your router: friends ...": the address keeps its colons.
    EXPECT_TRUE(chat.chatView()->document()->toPlainText().contains(
        "Port 7772 is open on your router: friends outside your network join at 93.184.216.34 or 2001:db8::5;"))
        << chat.chatView()->document()->toPlainText().toStdString();

    const QString failed = "Friends outside your network cannot join until port 7772 is forwarded to this computer (";
    emit mapping.failed(PortMapping::Failure::NoGateway, {});
    EXPECT_EQ(lastLine(), "Over IPv6:friends can still join at 2001:db8::5.");
    mapping.ipv6.clear();
    emit mapping.failed(PortMapping::Failure::NoGateway, {});
    EXPECT_TRUE(lastLine().startsWith(failed + "no router answered).")) << lastLine().toStdString();
    emit mapping.failed(PortMapping::Failure::Refused, {});
    EXPECT_TRUE(lastLine().startsWith(failed + "the router refused).")) << lastLine().toStdString();
    emit mapping.failed(PortMapping::Failure::PortTaken, "192.168.1.9");
    EXPECT_TRUE(lastLine().startsWith(failed + "the port is already forwarded to 192.168.1.9)."));
    emit mapping.failed(PortMapping::Failure::PortTaken, {});
    EXPECT_TRUE(lastLine().startsWith(failed + "the port is already forwarded to another computer)."));

    // Closing the window removes the mapping and waits for the router.
    chat.close();
    EXPECT_EQ(mapping.calls, QStringList({"start", "stop", "wait"}));
}

TEST_F(HostPortMapping, TheOptionStopsAndStartsAndIsSaved)
{
    host({"Ann", "127.0.0.1", "true"});
    QAction* option = chat.menus().openPortOnRouter;
    option->trigger();
    EXPECT_FALSE(option->isChecked());
    EXPECT_EQ(mapping.calls, QStringList({"start", "stop"}));
    EXPECT_TRUE(file().contains("[hangman]")) << file().toStdString();
    EXPECT_TRUE(file().contains("OpenPortOnRouter=false"));

    // A late answer to a request no longer wanted is not shown.
    const int before = lines.size();
    emit mapping.opened("93.184.216.34", "", true);
    EXPECT_EQ(lines.size(), before);

    option->trigger();
    EXPECT_EQ(mapping.calls, QStringList({"start", "stop", "start"}));
    EXPECT_TRUE(file().contains("OpenPortOnRouter=true"));
}

TEST_F(HostPortMapping, NothingIsAskedWhenSwitchedOffInTheFile)
{
    QFile out(folder.path() + "/vorlixlobby.ini");
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("[lobby]\r\nname=Ann\r\n[hangman]\r\nOpenPortOnRouter=false\r\n");
    out.close();
    host({"Ann", "127.0.0.1", "true"});
    EXPECT_FALSE(chat.menus().openPortOnRouter->isChecked());
    EXPECT_TRUE(mapping.calls.isEmpty());
    chat.close();
    EXPECT_TRUE(mapping.calls.isEmpty());
}

TEST_F(HostPortMapping, ASoloGameNeverAsks)
{
    host({});
    EXPECT_TRUE(mapping.calls.isEmpty());
    chat.menus().openPortOnRouter->trigger();
    chat.menus().openPortOnRouter->trigger();
    EXPECT_TRUE(mapping.calls.isEmpty());
}

TEST_F(HostPortMapping, TheHostIsToldHonestlyWhoCanJoinAndCopiesTheBestLink)
{
    host({"Ann", "127.0.0.1", "true"});
    QAction* copy = chat.menus().copyInvitationLink;
    ASSERT_TRUE(copy->isEnabled());
    const auto copied = [&] {
        copy->trigger();
        return QGuiApplication::clipboard()->text();
    };
    const QString claim = "friends outside your network join at";

    // Before the router answers: this computer's global IPv6 address, else its LAN address.
    EXPECT_EQ(copied(), "hangman://[2001:db8::5]");
    EXPECT_EQ(lastLine(), "Invitation link copied:hangman://[2001:db8::5]");
    mapping.ipv6.clear();
    EXPECT_EQ(copied(), "hangman://192.168.1.20");
    EXPECT_EQ(lastLine(), "Invitation link copied:hangman://192.168.1.20 (it works for players on this network only).");

    // The router opened the port, and its address is public.
    mapping.ipv6 = "2001:db8::5";
    emit mapping.opened("93.184.216.34", "2001:db8::5", true);
    EXPECT_TRUE(lastLine().contains(claim));
    EXPECT_EQ(copied(), "hangman://93.184.216.34");

    // A router behind a provider's shared address: IPv6 is the way in from outside.
    emit mapping.opened("100.64.3.7", "2001:db8::5", true);
    EXPECT_EQ(lastLine(), "Your router opened port 7772, but it sits behind another network (its address is "
                          "100.64.3.7):friends outside can join over IPv6 at 2001:db8::5, or once port 7772 is "
                          "forwarded on the outer router too; send them hangman://[2001:db8::5].");
    EXPECT_EQ(copied(), "hangman://[2001:db8::5]");

    // Behind a second router, without IPv6: only the local network can join.
    mapping.ipv6.clear();
    emit mapping.opened("10.1.2.3", "", true);
    EXPECT_EQ(lastLine(), "Your router opened port 7772, but it sits behind another network (its address is "
                          "10.1.2.3):friends outside cannot join until port 7772 is forwarded on the outer router "
                          "too; players on this network join with hangman://192.168.1.20.");
    EXPECT_EQ(copied(), "hangman://192.168.1.20");
    EXPECT_TRUE(lastLine().endsWith("(it works for players on this network only)."));

    // A public address from a router that is not connected is no way in either.
    emit mapping.opened("93.184.216.34", "", false);
    EXPECT_EQ(lastLine(), "Your router opened port 7772, but it says it is not connected to the internet:friends "
                          "outside cannot join until the router is connected; players on this network join with "
                          "hangman://192.168.1.20.");
    EXPECT_EQ(copied(), "hangman://192.168.1.20");

    // A public address forgotten when the mapping fails or is switched off.
    emit mapping.opened("93.184.216.34", "", true);
    emit mapping.failed(PortMapping::Failure::Refused, {});
    EXPECT_EQ(copied(), "hangman://192.168.1.20");
    emit mapping.opened("93.184.216.34", "", true);
    chat.menus().openPortOnRouter->trigger();
    EXPECT_EQ(copied(), "hangman://192.168.1.20");
    for (const QString& line : lines)
        if (line.contains("10.1.2.3") || line.contains("100.64.3.7") || line.contains("not connected"))
            EXPECT_FALSE(line.contains(claim)) << line.toStdString();
}

TEST_F(HostPortMapping, OnlyAHostedGameOffersAnInvitationLink)
{
    host({});
    EXPECT_FALSE(chat.menus().copyInvitationLink->isEnabled());
    MainWindow joiner{clock, outside};
    joiner.setArguments({"Bob", "127.0.0.1", "false"});
    joiner.setGamePort(server.port());
    joiner.setSettingsPath(folder.path() + "/joiner.ini");
    joiner.show();
    ASSERT_TRUE(pump([&] { return joiner.game().isLoggedIn(); }));
    EXPECT_FALSE(joiner.menus().copyInvitationLink->isEnabled());
}
