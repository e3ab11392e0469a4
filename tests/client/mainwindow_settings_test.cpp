// The main window's settings: read on the own arrival, written by options and
// by closing a moved window, never before they were read.
#include "client/gamemenus.h"
#include "client/mainwindow.h"
#include "client/chatview.h"
#include "support/fakesurroundings.h"
#include "support/mainwindowaccess.h"
#include "windows/gameoptionsdialog.h"
#include "windows/phraseeditor.h"

#include <QAction>
#include <QMenu>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
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
        MainWindow::Windows windows;
        windows.gamestart = &gamestart;
        windows.phrases = &phraseEditor;
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
        ASSERT_TRUE(pump([&] { return chat.game().ownSlot() == 2 && chat.queuedMessages() == 0; }));
    }
    VirtualClock clock;
    QTemporaryDir folder;
    QTcpServer listener;
    QTcpSocket* peer = nullptr;
    GameOptionsDialog gamestart;
    PhraseEditor phraseEditor;
    FakeSurroundings outside;
    MainWindow chat{clock, outside};
    const QStringList& boxes = outside.prompts.messages;
    QByteArray heard;
};

// Keyboard players and the end-to-end tests reach "Just Watch" as the Options menu's last entry.
TEST_F(WindowSettings, JustWatchIsTheLastOptionsEntry)
{
    QAction* justWatch = chat.menus().justWatch;
    ASSERT_NE(justWatch, nullptr);
    const QList<QObject*> menus = justWatch->associatedObjects();
    ASSERT_FALSE(menus.isEmpty());
    auto* options = qobject_cast<QMenu*>(menus.first());
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->actions().last(), justWatch);
}

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
    EXPECT_TRUE(chat.menus().textSizes[2]->isChecked());
    EXPECT_TRUE(chat.menus().fastBots->isChecked());
    EXPECT_EQ(MainWindowTestAccess::settings(chat).botSpeed, 1000);
    EXPECT_EQ(gamestart.playTo(), 260);
    EXPECT_FALSE(chat.menus().playSounds->isChecked());
    EXPECT_TRUE(chat.menus().playChatterSounds->isChecked());
    EXPECT_TRUE(chat.menus().newTurnSound->isChecked());
    EXPECT_EQ(chat.chatPanel()->phrases().at(2), "Ouch!");
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

TEST_F(WindowSettings, TheChosenTextColourIsSavedAndACancelledChoiceChangesNothing)
{
    logIn();
    const QByteArray before = file();
    chat.menus().textColour->trigger();
    EXPECT_EQ(file(), before) << "cancelled";
    outside.prompts.chosenColour = Qt::blue;
    chat.menus().textColour->trigger();
    EXPECT_TRUE(file().contains("Textcolor=clBlue"));
    EXPECT_EQ(chat.chatInput()->palette().color(QPalette::Text).name(), "#0000ff");
}

TEST_F(WindowSettings, BotSpeedIsSentWhenLoggedInAndSaved)
{
    logIn();
    chat.menus().slowBots->trigger();
    ASSERT_TRUE(pump([&] { return heard.contains("CMD_botspeed+2+2000+\xFF"); }));
    EXPECT_TRUE(chat.menus().slowBots->isChecked());
    EXPECT_FALSE(chat.menus().normalBots->isChecked());
    EXPECT_TRUE(file().contains("Botspeed=2000"));

    // A file that cannot be written is reported with its path.
    QFile::remove(path());
    QDir().mkpath(path()); // a folder in the way
    chat.menus().fastBots->trigger();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes.first(), "Unable to write to " + path());
}

TEST_F(WindowSettings, TheFilesTextSizeReachesTheLinesAlreadyShown)
{
    writeFile("[hangman]\r\nTextsize=14\r\n");
    logIn();
    ASSERT_EQ(chat.chatView()->textSize(), 14);
    QStringList seen;
    for (QTextBlock block = chat.chatView()->document()->firstBlock(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            seen << it.fragment().text();
            EXPECT_EQ(it.fragment().charFormat().fontPointSize(), 14) << it.fragment().text().toStdString();
        }
    EXPECT_TRUE(seen.join("").contains("You are Connected.")) << seen.join('|').toStdString();
}

TEST_F(WindowSettings, PhraseEditorDoneCopiesEveryBoxAnEmptiedOneTooAndWritesAllNine)
{
    logIn();
    chat.menus().phraseList->trigger();
    auto* first = phraseEditor.findChild<QLineEdit*>("phrase1");
    auto* third = phraseEditor.findChild<QLineEdit*>("phrase3");
    ASSERT_TRUE(first && third);
    EXPECT_EQ(third->text(), "Nice Try!");
    first->setText("/me waves");
    third->clear();
    phraseEditor.findChild<QPushButton*>("button_done")->click();

    EXPECT_EQ(chat.chatPanel()->phrases().at(0), "/me waves");
    EXPECT_EQ(chat.chatPanel()->phrases().at(2), "");
    EXPECT_EQ(chat.chatPanel()->phrases().at(8), "Good Game Everyone!");
    const QByteArray written = file().replace("\r\n", "\n");
    for (const char* line : {"Phrase1=/me waves\n", "Phrase2=Good One!\n", "Phrase3=\n", "Phrase4=Excellent!\n",
                             "Phrase5=Brilliant!\n", "Phrase6=Wow, WTG!\n", "Phrase7=Thanks!\n",
                             "Phrase8=Way To Go Teamie!\n", "Phrase9=Good Game Everyone!\n"})
        EXPECT_TRUE(written.contains(line)) << line;
    EXPECT_FALSE(phraseEditor.isVisible());

    // Closing the editor with its frame's box changes nothing.
    chat.menus().phraseList->trigger();
    first->setText("Changed");
    phraseEditor.close();
    EXPECT_EQ(chat.chatPanel()->phrases().at(0), "/me waves");
}

} // namespace
