// Where typing goes in a solo game played in virtual time: into the chat input at
// start-up and during the own turn, into the board only once the player chose it
// (a click or Tab), back to the chat after Escape, a click in the chat, START GAME,
// the smiley menu, a phrase button and the chatter sounds menu.
#include "board/board.h"
#include "client/chatview.h"
#include "client/mainwindow.h"
#include "server/hostedserver.h"
#include "support/fakesurroundings.h"
#include "support/pump.h"
#include "windows/gameoptionsdialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class ChatFocus : public ::testing::Test {
protected:
    VirtualClock clock;
    QTemporaryDir folder;
    HostedServer server{clock, 11, WordLists(lists())};
    GameOptionsDialog gamestart;
    FakeSurroundings outside;
    MainWindow chat{clock, outside};
    QStringList lines;

    static WordListSet lists()
    {
        WordListSet lists;
        for (WordList& list : lists)
            list = {"trick or treat"};
        return lists;
    }

    void SetUp() override
    {
        chat.setArguments({});
        chat.setGamePort(0);
        chat.setSettingsPath(folder.path() + "/vorlixlobby.ini");
        QObject::connect(&chat, &MainWindow::chatLineAdded, [this](int, const QString& text) { lines << text; });
        MainWindow::Windows windows;
        windows.server = &server;
        windows.gamestart = &gamestart;
        chat.setWindows(windows);
        chat.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chat));
        QApplication::setActiveWindow(&chat);
        ASSERT_TRUE(pump(clock, [&] { return lines.contains("You are Connected."); }));
    }

    QWidget* focus() const { return chat.focusWidget(); }
    QWidget* named(const char* name) const { return chat.findChild<QWidget*>(name); }

    // A real click at the middle of the widget, delivered through the window as the system does.
    void click(QWidget* widget, QPoint at = {})
    {
        const QPoint local = at.isNull() ? widget->rect().center() : at;
        QTest::mouseClick(chat.windowHandle(), Qt::LeftButton, {}, widget->mapTo(&chat, local));
    }

    void type(const QString& text)
    {
        QTest::keyClicks(focus(), text);
        QTest::keyClick(focus(), Qt::Key_Return);
    }

    bool relayed(const QString& text)
    {
        return pump(clock, [&] { return lines.contains("You chats: " + text); });
    }

    void chooseBoard()
    {
        click(chat.board(), QPoint(350, 160));
        ASSERT_EQ(focus(), chat.board());
    }

    // Clicks a button that opens a menu, waits for it, and closes it as Escape does.
    void openAndCloseMenu(const char* button, const char* menu)
    {
        auto* popup = chat.findChild<QMenu*>(menu);
        click(named(button));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup)) << menu;
        popup->close();
    }
};

TEST_F(ChatFocus, TypingGoesToTheChatUnlessTheBoardWasChosen)
{
    EXPECT_EQ(focus(), chat.chatInput()) << "at start-up";
    type("hello");
    EXPECT_TRUE(relayed("hello"));

    // The host's own turn: typing still chats and picks nothing; START GAME leaves the focus in the chat.
    chat.board()->setFocus();
    click(named("button_start"));
    EXPECT_EQ(focus(), chat.chatInput()) << "after START GAME";
    ASSERT_TRUE(gamestart.isVisible());
    gamestart.findChild<QPushButton*>("button_start")->click();
    QApplication::setActiveWindow(&chat); // the game start window has closed
    Board* board = chat.board();
    ASSERT_TRUE(pump(clock, [&] { return chat.game().isOwnTurn(); }));
    type("zq");
    EXPECT_TRUE(relayed("zq"));
    EXPECT_EQ(chat.game().tileState('z' - 'a' + 1), ClientGame::TileState::Open);
    EXPECT_EQ(chat.game().tileState('q' - 'a' + 1), ClientGame::TileState::Open);
    EXPECT_TRUE(chat.game().isOwnTurn());

    // Chosen with a click, the board takes the letter keys; Escape goes back to the chat.
    chooseBoard();
    QTest::keyClick(board, Qt::Key_K);
    EXPECT_FALSE(chat.game().turnSeat()) << "picked";
    QTest::keyClick(board, Qt::Key_Escape);
    EXPECT_EQ(focus(), chat.chatInput());
    type("picked");
    EXPECT_TRUE(relayed("picked"));

    // Chosen with Tab from the chat input, and left again by a click between the chat's controls.
    QTest::keyClick(chat.chatInput(), Qt::Key_Tab);
    EXPECT_EQ(focus(), board);
    click(board->chatArea(), QPoint(board->chatArea()->width() - 2, board->chatArea()->height() - 23));
    EXPECT_EQ(focus(), chat.chatInput()) << "a click in the chat area";

    // What is typed into the chat messages goes on in the input.
    click(chat.chatView());
    QTest::keyClicks(focus(), "hi there");
    EXPECT_EQ(chat.chatInput()->text(), "hi there");
    EXPECT_EQ(focus(), chat.chatInput());
    chat.chatInput()->clear();
}

TEST_F(ChatFocus, TheChatButtonsGiveTheFocusBackToTheChatInput)
{
    chooseBoard();
    openAndCloseMenu("button_smilies", "smiley_menu");
    EXPECT_EQ(focus(), chat.chatInput()) << "after the smiley menu";

    chooseBoard();
    click(named("phrase_button_3"));
    EXPECT_EQ(focus(), chat.chatInput()) << "after a phrase button";
    EXPECT_TRUE(pump(clock, [&] { return lines.contains("You says: Nice Try!"); }));

    chooseBoard();
    openAndCloseMenu("chatter_sounds_button", "chatter_sound_menu");
    EXPECT_EQ(focus(), chat.chatInput()) << "after the chatter sounds menu";

    // The buttons pressed from the keyboard, too.
    auto* phrase = static_cast<QToolButton*>(named("phrase_button_4"));
    clock.advance(2000);
    phrase->setFocus();
    QTest::keyClick(phrase, Qt::Key_Space);
    EXPECT_EQ(focus(), chat.chatInput()) << "after a phrase button pressed with Space";
    EXPECT_TRUE(pump(clock, [&] { return lines.contains("You says: Excellent!"); }));
}

} // namespace
