// A whole solo game, started from the start button and played through the
// board's letter keys against the computer, in virtual time over loopback.
#include "board/board.h"
#include "client/mainwindow.h"
#include "server/hostedserver.h"
#include "support/fakesurroundings.h"
#include "support/mainwindowaccess.h"
#include "tally/tally.h"
#include "windows/lobbydownloadwindow.h"
#include "windows/gameoptionsdialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include "support/pump.h"

#include <gtest/gtest.h>

namespace {

WordListSet smallLists()
{
    WordListSet lists;
    for (WordList& list : lists)
        list = {"baker's dozen", "computer", "trick or treat", "Angel Hair Pasta", "let it snow"};
    return lists;
}

} // namespace

TEST(SoloGame, PlaysToTheEndThroughTheBoard)
{
    VirtualClock clock;
    QTemporaryDir folder;
    HostedServer server(clock, 11, WordLists(smallLists()));
    GameOptionsDialog gamestart;
    Tally tally(folder.path() + "/hangmantally.tld");
    FakeSurroundings outside;
    LobbyDownloadWindow download(outside.desktop, outside.prompts);
    MainWindow chat(clock, outside);
    chat.setArguments({});
    chat.setGamePort(0);
    chat.setSettingsPath(folder.path() + "/vorlixlobby.ini");
    QStringList lines;
    QObject::connect(&chat, &MainWindow::chatLineAdded, [&](int, const QString& text) { lines << text; });
    MainWindow::Windows windows;
    windows.server = &server;
    windows.gamestart = &gamestart;
    windows.tally = &tally;
    windows.download = &download;
    chat.setWindows(windows);
    chat.show();
    ASSERT_TRUE(pump(clock, [&] { return lines.contains("You are Connected."); }));
    EXPECT_EQ(lines.first(), "Loading Solo Game..Please wait.");
    EXPECT_TRUE(download.isVisible());
    EXPECT_FALSE(MainWindowTestAccess::launcherSocketOpened(chat)); // a solo game never opens the launcher connection
    download.hide();
    EXPECT_EQ(chat.game().seatCaption(1), "You");

    // The start button opens the game start window; its start picture sends the game.
    auto* start = chat.board()->findChild<QWidget*>("button_start");
    ASSERT_TRUE(start && start->isVisible());
    QTest::mouseClick(start, Qt::LeftButton);
    ASSERT_TRUE(gamestart.isVisible());
    gamestart.setPlayTo(50);
    gamestart.findChild<QPushButton*>("button_start")->click();
    ASSERT_TRUE(pump(clock, [&] { return lines.contains("You has started a game."); }));
    EXPECT_EQ(chat.game().seatCaption(2), "Klot");

    // Pick letters by key whenever it is our turn, most common letters first.
    const QString order = "etaoinsrhldcumfpgwybvkxjqz";
    Board* board = chat.board();
    QApplication::setActiveWindow(&chat);
    board->setFocus();
    ASSERT_TRUE(board->hasFocus());
    int picks = 0;
    const bool over = pump(clock, [&] {
        if (lines.contains("You have Won the Game!") || lines.contains("Klot has Won the Game!"))
            return true;
        if (chat.game().isOwnTurn()) {
            for (QChar letter : order) {
                const int tile = letter.unicode() - 'a' + 1;
                if (chat.game().tileState(tile) != ClientGame::TileState::Used) {
                    QTest::keyClick(board, letter.toLatin1());
                    ++picks;
                    break;
                }
            }
        }
        return false;
    }, 60000);
    ASSERT_TRUE(over) << "picks: " << picks;
    EXPECT_GT(picks, 5);
    // Only seat 1 can win a solo game: the computer's empty seat never wins.
    EXPECT_TRUE(lines.contains("You have Won the Game!"));
    EXPECT_EQ(board->findChild<QLabel*>("label_status")->text(), "Game Over!");
    EXPECT_EQ(tally.table().own(TallyTable::Own::TotalGames), "1");
    EXPECT_EQ(tally.table().own(TallyTable::Own::Wins), "1");
}
