// Writes pictures of the main window with a chat and of the spy list to the
// folder named by HANGMAN_SCREENSHOTS, for looking at by eye. A tool, not a test:
// disabled, so it runs only when asked for (see README.md).
#include "board/board.h"
#include "client/mainwindow.h"
#include "support/fakesurroundings.h"
#include "windows/spylistwindow.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(ClientScreenshots, DISABLED_PictureWriterToHangmanScreenshotsFolder)
{
    const QString folder = qEnvironmentVariable("HANGMAN_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "HANGMAN_SCREENSHOTS not set";
    QDir().mkpath(folder);
    VirtualClock clock;
    FakeSurroundings outside;
    MainWindow chat(clock, outside);
    SpyListWindow spylist;
    MainWindow::Windows windows;
    windows.spylist = &spylist;
    chat.setWindows(windows);
    chat.board()->seatTaken(1, "Ann");
    chat.board()->seatTaken(2, "Bob");
    chat.board()->startGame("Ann+200+20+f+");
    chat.board()->loadWord("b***r'* ***e*+0+");
    chat.board()->nextPlayer("2+");
    chat.addSystemLine("You are Connected.");
    chat.addSystemLine("Bob is Connected.");
    chat.addChatLine("1+Ann chats: hello Bob :)#10 ready for a game?", Qt::darkGreen);
    chat.addChatLine("2+Bob chats: sure! rules at www.example.org", QColor(128, 0, 128));
    chat.addChatLine("2+Bob says: Good Game Everyone!", QColor(128, 0, 128));
    chat.addSystemLine("Ann has started a game.");
    chat.resize(712, 524);
    chat.show();
    EXPECT_TRUE(chat.grab().save(folder + "/main_window_chat.png"));

    spylist.addSpy(7, "Carol");
    spylist.addSpy(8, "Eve");
    spylist.show();
    EXPECT_TRUE(spylist.grab().save(folder + "/spy_list.png"));
}
