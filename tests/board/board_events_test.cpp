// Events other than mouse presses reaching the board's start button (show, hide,
// enter, leave, paint) are passed over without being read as mouse events; a
// click still opens the game start. The sanitizer build catches a wrong cast.
#include "board/board.h"
#include "recordedgame.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>

TEST(BoardEvents, StartButtonTakesOtherEventsAndStillClicks)
{
    VirtualClock clock;
    RecordedGame host{clock};
    Board board(host.game, clock);
    board.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&board));
    host.game.setHost(false);
    host.game.setHost(true);
    auto* start = board.findChild<QWidget*>("button_start");
    ASSERT_TRUE(start && start->isVisible());

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(start, &leave);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(start, &enter);
    QEvent hoverLike(QEvent::ToolTip);
    QApplication::sendEvent(start, &hoverLike);
    start->repaint();
    EXPECT_EQ(host.gameStartShown, 0);

    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, start->mapTo(&board, start->rect().center()));
    EXPECT_EQ(host.gameStartShown, 1);
    QTest::mouseClick(board.windowHandle(), Qt::RightButton, {}, start->mapTo(&board, start->rect().center()));
    EXPECT_EQ(host.gameStartShown, 1);
}
