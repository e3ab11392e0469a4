// The main window's settings: read on the own arrival, written by options and
// by closing a moved window, never before they were read.
#include "client/mainwindow.h"
#include "client/chatview.h"
#include "windows/gameoptionsdialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class WindowSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
        chat.setArguments({"Ann", "127.0.0.1", "false"});
        chat.setGamePort(listener.serverPort());
        chat.setSettingsPath(path());
        chat.messageBox = [this](const QString& text) { boxes << text; };
        MainWindow::Windows windows;
        windows.gamestart = &gamestart;
        chat.setWindows(windows);
        chat.show();
        QCoreApplication::processEvents(); // the window starts connecting once it is shown
        ASSERT_TRUE(listener.waitForNewConnection(5000));
        peer = listener.nextPendingConnection();
    }
    QString path() const { return folder.path() + "/vorlixlobby.ini"; }
    QByteArray file() const
    {
        QFile in(path());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<none>");
    }
    void writeFile(const QByteArray& contents)
    {
        QFile out(path());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(contents);
    }
    bool pump(const std::function<bool()>& done)
    {
        QElapsedTimer real;
        real.start();
        while (!done() && real.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            clock.advance(10);
            heard += peer->readAll();
        }
        return done();
    }
    void logIn()
    {
        QByteArray script("CMD_sendlogininfo+2\xFF" "CMD_newplayerinfo+2+Ann\xFF");
        peer->write(script);
        ASSERT_TRUE(pump([&] { return chat.ownSlot() == 2 && chat.queuedMessages() == 0; }));
    }
    VirtualClock clock;
    QTemporaryDir folder;
    QTcpServer listener;
    QTcpSocket* peer = nullptr;
    GameOptionsDialog gamestart;
    MainWindow chat{clock};
    QStringList boxes;
    QByteArray heard;
};

TEST_F(WindowSettings, NothingIsWrittenBeforeTheSettingsWereRead)
{
    writeFile("[lobby]\r\nname=Ann\r\n");
    chat.move(200, 200);
    chat.close();
    EXPECT_EQ(file(), "[lobby]\r\nname=Ann\r\n");
}

TEST_F(WindowSettings, ReadOnArrivalAndWrittenWhenMovedAndClosed)
{
    writeFile("; the lobby's\r\n[lobby]\r\nname=Ann\r\n[hangman]\r\nTextsize=12\r\nBotspeed=1000\r\n"
              "Playtoscore=260\r\nTextcolor=clwindowtext\r\nPlaysounds=false\r\nTurnsound=1\r\nPhrase3=Ouch!\r\n");
    logIn();
    EXPECT_EQ(chat.chatView()->textSize(), 12);
    EXPECT_TRUE(chat.action("N12")->isChecked());
    EXPECT_TRUE(chat.action("Fast1")->isChecked());
    EXPECT_EQ(chat.botSpeed(), 1000);
    EXPECT_EQ(gamestart.playTo(), 260);
    EXPECT_FALSE(chat.playSoundsChecked());
    EXPECT_TRUE(chat.chatterSoundsChecked());
    EXPECT_TRUE(chat.action("New1")->isChecked());
    EXPECT_EQ(chat.phrases().value(2), "Ouch!");
    EXPECT_EQ(chat.pos(), QPoint(3, 3));

    // Closing unmoved writes nothing.
    const QByteArray before = file();
    chat.close();
    EXPECT_EQ(file(), before);

    // Moved and closed: the whole section, the launcher's lines untouched.
    chat.show();
    chat.move(40, 50);
    chat.close();
    const QByteArray after = file();
    EXPECT_TRUE(after.startsWith("; the lobby's\r\n[lobby]\r\nname=Ann\r\n[hangman]\r\n"));
    for (const char* line : {"Top=50", "Left=40", "Width=712", "Textcolor=clWindowText", "Timeperturn=20", "Choosecat=0",
                             "Botspeed=1000", "Playsounds=false", "Turnsound=1", "ChatterSounds=true"})
        EXPECT_TRUE(after.contains(line)) << line;
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(WindowSettings, BotSpeedIsSentWhenLoggedInAndSaved)
{
    logIn();
    chat.action("Slow1")->trigger();
    ASSERT_TRUE(pump([&] { return heard.contains("CMD_botspeed+2+2000+\xFF"); }));
    EXPECT_TRUE(chat.action("Slow1")->isChecked());
    EXPECT_FALSE(chat.action("Normal1")->isChecked());
    EXPECT_TRUE(file().contains("Botspeed=2000"));

    // A file that cannot be written is reported with its path.
    QFile::remove(path());
    QDir().mkpath(path()); // a folder in the way
    chat.action("Fast1")->trigger();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes.first(), "Unable to write to " + path());
}

} // namespace
