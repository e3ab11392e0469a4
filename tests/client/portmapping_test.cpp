// The main window's part in opening the game port on the router: when it asks
// and stops asking, the option and its saved value, and the host's chat lines.
// The port mapping itself is replaced by a recorder: nothing leaves loopback.
#include "client/gamemenus.h"
#include "client/mainwindow.h"
#include "client/chatview.h"
#include "net/portmapping.h"
#include "server/hostedserver.h"
#include "support/fakesurroundings.h"
#include "support/pump.h"

#include <QAction>
#include <QCoreApplication>
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
    QStringList calls;
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

    emit mapping.opened("203.0.113.7", "2001:db8::5", true);
    EXPECT_EQ(lastLine(), "Port 7772 is open on your router:friends outside your network join at 203.0.113.7 "
                          "or 2001:db8::5.");
    // Shown as "Port 7772 is open on your router: friends ...": the address keeps its colons.
    EXPECT_TRUE(chat.chatView()->document()->toPlainText().contains(
        "Port 7772 is open on your router: friends outside your network join at 203.0.113.7 or 2001:db8::5."))
        << chat.chatView()->document()->toPlainText().toStdString();
    emit mapping.opened("", "", true);
    EXPECT_EQ(lastLine(), "Port 7772 is open on your router.");

    const QString failed = "Friends outside your network cannot join until port 7772 is forwarded to this computer (";
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
    emit mapping.opened("203.0.113.7", "", true);
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
