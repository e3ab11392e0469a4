// Writes pictures of the main window with a chat and of the spy list to the
// folder named by HANGMAN_SCREENSHOTS, for looking at by eye. A tool, not a test:
// disabled, so it runs only when asked for (see README.md).
#include "board/board.h"
#include "client/mainwindow.h"
#include "support/fakesurroundings.h"
#include "windows/spylistwindow.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QString screenshotFolder()
{
    const QString folder = qEnvironmentVariable("HANGMAN_SCREENSHOTS");
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    return folder;
}

// The pop-up menu open now, pictured and closed.
bool saveOpenMenu(const QString& file)
{
    QApplication::processEvents();
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu)
        return false;
    const bool saved = menu->grab().save(file);
    menu->close();
    return saved;
}

QWidget* widgetNamed(QWidget& window, const QString& accessibleName)
{
    for (QWidget* widget : window.findChildren<QWidget*>())
        if (widget->accessibleName() == accessibleName)
            return widget;
    return nullptr;
}

// A main window with nothing around it, for pictures written to the folder.
class ClientScreenshots : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (folder.isEmpty())
            GTEST_SKIP() << "HANGMAN_SCREENSHOTS not set";
    }

    const QString folder = screenshotFolder();
    VirtualClock clock;
    FakeSurroundings outside;
    MainWindow chat{clock, outside};
};

} // namespace

TEST_F(ClientScreenshots, DISABLED_PictureWriterToHangmanScreenshotsFolder)
{
    SpyListWindow spylist;
    MainWindow::Windows windows;
    windows.spylist = &spylist;
    chat.setWindows(windows);
    // The chat below is written by hand, after the game's own notice of the start: the
    // arrivals' notices stay out of it.
    const QMetaObject::Connection notices = QObject::connect(&chat.game(), &ClientGame::notice, [this](const QString& text) {
        if (text.endsWith(" has started a game."))
            chat.addSystemLine(text);
    });
    QObject::disconnect(&chat.game(), &ClientGame::notice, &chat, nullptr);
    for (const char* message : {"CMD_existingplayers+1+Ann", "CMD_existingplayers+2+Bob", "CMD_startgame+Ann+200+20+f+",
                                "CMD_loadword+b***r'* ***e*+0+", "CMD_nextplayer+2+"})
        chat.game().receive(message);
    QObject::disconnect(notices);
    chat.addSystemLine("You are Connected.");
    chat.addSystemLine("Bob is Connected.");
    chat.chatPanel()->addLine("1+Ann chats: hello Bob :)#10 ready for a game?", Qt::darkGreen);
    chat.chatPanel()->addLine("2+Bob chats: sure! rules at www.example.org", QColor(128, 0, 128));
    chat.chatPanel()->addLine("2+Bob says: Good Game Everyone!", QColor(128, 0, 128));
    chat.addSystemLine("Ann has started a game.");
    chat.resize(712, 524);
    chat.show();
    EXPECT_TRUE(chat.grab().save(folder + "/main_window_chat.png"));

    spylist.addSpy(7, "Carol");
    spylist.addSpy(8, "Eve");
    spylist.show();
    EXPECT_TRUE(spylist.grab().save(folder + "/spy_list.png"));
}

// The window as it first shows, each menu of the menu bar, and the chat's pop-ups.
TEST_F(ClientScreenshots, DISABLED_MenuPictureWriterToHangmanScreenshotsFolder)
{
    chat.setArguments({"Ann", "127.0.0.1"});
    chat.resize(712, 524);
    chat.show();
    QApplication::processEvents();
    EXPECT_TRUE(chat.grab().save(folder + "/main_window_start.png"));

    for (QAction* entry : chat.menuBar()->actions()) {
        entry->menu()->popup(QPoint(0, 0));
        EXPECT_TRUE(saveOpenMenu(folder + "/menu_" + entry->text() + ".png"));
    }
    for (const char* button : {"Smilies", "Chatter Sounds"}) {
        static_cast<QToolButton*>(widgetNamed(chat, button))->click();
        EXPECT_TRUE(saveOpenMenu(folder + "/popup_" + QString(button).replace(' ', '_') + ".png"));
    }
    QWidget* messages = widgetNamed(chat, "Chat messages");
    emit messages->customContextMenuRequested(QPoint(10, 10));
    EXPECT_TRUE(saveOpenMenu(folder + "/popup_chat_messages.png"));
}
