// Writes pictures of the main window in mid-game, driven only by the server's
// messages, to the folder named by HANGMAN_SCREENSHOTS: a solo host,
// a joiner among other players and spies, a team game, a late joiner's catch-up,
// the category choice and the winner. A tool, not a test: disabled, so it runs
// only when asked for; pictures from two builds are compared pixel by pixel.
#include "client/mainwindow.h"
#include "support/fakesurroundings.h"
#include "support/mainwindowaccess.h"
#include "windows/spylistwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class MidGameScreenshots : public ::testing::Test {
protected:
    void open(const QStringList& arguments)
    {
        ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
        chat = std::make_unique<MainWindow>(clock, outside);
        chat->setArguments(arguments);
        chat->setSettingsPath(folder.path() + "/vorlixlobby.ini");
        MainWindow::Windows windows;
        windows.spylist = &spylist;
        chat->setWindows(windows);
        chat->setGamePort(listener.serverPort());
        chat->resize(712, 524);
        chat->show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(listener.waitForNewConnection(5000));
        peer = listener.nextPendingConnection();
    }
    // Hands the window the script ('#' ends a message) as if it had arrived on the
    // connection, lets it dispatch all of it one per millisecond, then waits thenMs.
    void say(QByteArray script, int thenMs = 0)
    {
        MainWindowTestAccess::receive(*chat, script.replace('#', proto::kTerminator));
        for (int tick = 0; tick < 100 && chat->queuedMessages() > 0; ++tick)
            clock.advance(1);
        clock.advance(thenMs);
        QCoreApplication::processEvents();
    }
    void save(const QString& name)
    {
        const QString target = qEnvironmentVariable("HANGMAN_SCREENSHOTS");
        QDir().mkpath(target);
        EXPECT_TRUE(chat->grab().save(target + "/" + name + ".png"));
    }
    void SetUp() override
    {
        if (qEnvironmentVariable("HANGMAN_SCREENSHOTS").isEmpty())
            GTEST_SKIP() << "HANGMAN_SCREENSHOTS not set";
    }

    VirtualClock clock;
    FakeSurroundings outside;
    SpyListWindow spylist;
    QTemporaryDir folder;
    QTcpServer listener;
    QTcpSocket* peer = nullptr;
    std::unique_ptr<MainWindow> chat;
};

TEST_F(MidGameScreenshots, DISABLED_SoloHost)
{
    open({"Ann", "127.0.0.2", "true"});
    say("CMD_sendlogininfo+1#CMD_newplayerinfo+1+Ann#");
    save("solo_waiting");
    say("CMD_startgame+Ann+200+20+f+#CMD_loadword+*******+0+#CMD_nextplayer+1+#", 3000);
    save("solo_own_turn");
    say("CMD_foundletter+1+5+e+2+0+2+0+0+0+0+*e**e**+#CMD_addman+1+1+a+1+*+#CMD_nextplayer+2+#", 12000);
    save("solo_computer_turn");
    say("CMD_choosecat+1+#");
    save("solo_choose_category");
    say("CMD_loadword+**t+3+#CMD_addman+2+3+c+7+cat+#", 1500);
    save("solo_hanged");
    say("CMD_winner+Ann+#");
    save("solo_winner");
}

TEST_F(MidGameScreenshots, DISABLED_JoinerWithPlayersAndSpies)
{
    open({"Bob", "127.0.0.1", "false"});
    say("CMD_sendlogininfo+3#CMD_newplayerinfo+3+Bob#CMD_existingplayers+1+Ann#CMD_existingplayers+4+Carla#"
        "CMD_existingplayers+8+Eve#CMD_existingplayers+9+Mallory the Spy#");
    say("CMD_startgame+Ann+300+30+f+#CMD_loadword+h*ll* w*rld+2+#CMD_nextplayer+4+#"
        "CMD_foundletter+4+12+l+3+0+3+0+0+0+0+h*ll* w*rld+#CMD_justwatching+1+1#"
        "CMD_chat+1+Ann chats: nice one|clBlue#CMD_playasound+4+3+#",
        4000);
    save("joiner_mid_round");
    say("CMD_addman+4+1+a+2+*+#CMD_nextplayer+3+#CMD_error+3+1+#", 1000);
    save("joiner_own_turn_error");
    say("CMD_playerdisconnected+4+Carla#CMD_playerdisconnected+8+Eve#CMD_winner+Ann+#");
    save("joiner_winner_other");
}

TEST_F(MidGameScreenshots, DISABLED_TeamGameAndLateJoiner)
{
    open({"Dan", "127.0.0.1", "false"});
    say("CMD_sendlogininfo+5#CMD_newplayerinfo+5+Dan#CMD_existingplayers+1+Ann#CMD_existingplayers+7+Spy One#"
        "CMD_gamestats+5+3+250+15+0+t+p***s+1+2+4+1+0+6+0+0+#CMD_markletters+5+16+1+9+#",
        2000);
    save("late_joiner_team_game");
    say("CMD_nextplayer+5+#CMD_outoftime+5+#");
    save("late_joiner_out_of_time");
    say("CMD_startgame+Ann+100+10+t+#CMD_loadword+*** ****+4+#CMD_choosecat+1+#CMD_justwatching+5+1#");
    save("team_new_game_other_chooses");
}

} // namespace
