#include "board/board.h"
#include "board/animatedimage.h"
#include "recordedgame.h"
#include "net/protocol.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The argument text of a built message, as the dispatcher hands it over.
QByteArray argsOf(QByteArray message)
{
    message.chop(1);
    return proto::splitName(message)->args;
}

class BoardTest : public ::testing::Test {
protected:
    VirtualClock clock;
    RecordedGame host{clock};
    Board board{host.game, clock};

    QLabel* label(const QString& name) { return board.findChild<QLabel*>(name); }
    QString text(const QString& name) { return label(name)->text(); }
    QWidget* child(const QString& name) { return board.findChild<QWidget*>(name); }
    QWidget* tile(int n) { return child(QStringLiteral("image_letter%1").arg(n)); }

    void startGame(int seconds = 20, bool team = false)
    {
        host.say(proto::name::kStartGame, argsOf(proto::msg::startGameAnnounce("Anna", 200, seconds, team ? "t" : "f")));
        host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord("*****", 0)));
    }
    QByteArray found(int seat, int letter, char letterChar, int count, int bonus, int score)
    {
        proto::msg::Found f{seat, letter, letterChar, count, bonus, score, seat, score, seat, score, "*e*e*"};
        return argsOf(proto::msg::foundLetter(f));
    }
    void showWindow()
    {
        board.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&board));
    }
    QPoint centreOf(QWidget* widget) { return widget->mapTo(&board, widget->rect().center()); }
};

TEST_F(BoardTest, FoundLetterShowsCountsBonusesAndKeepsTheTurn)
{
        startGame();
    host.say(proto::name::kNextPlayer, "3+");
    host.say(proto::name::kFoundLetter, found(3, 5, 'e', 1, 0, 1));
    EXPECT_EQ(text("label_status"), "1 E found.");
    EXPECT_EQ(text("label_bonus3"), "+1");
    EXPECT_EQ(text("label_score3"), "1");
    EXPECT_EQ(host.game.tileState(5), ClientGame::TileState::Used);
    EXPECT_TRUE(tile(5)->isHidden());
    EXPECT_EQ(host.game.turnSeat().value_or(0), 3);
    EXPECT_EQ(host.sounds.last(), "inword");

    host.say(proto::name::kFoundLetter, found(3, 5, 'e', 3, 0, 4));
    EXPECT_EQ(text("label_status"), "3 E's found.");
    EXPECT_EQ(text("label_bonus3"), "+3");

    host.say(proto::name::kFoundLetter, found(1, 19, 's', 2, 0, 2));
    EXPECT_EQ(text("label_status"), "Choose another Letter.");
    EXPECT_EQ(text("label_theword"), "*E*E*");

    host.say(proto::name::kNextPlayer, "2+");
    EXPECT_EQ(text("label_bonus3"), "");
}

TEST_F(BoardTest, CompletedPuzzleCountsOnlyOnTheFindersClient)
{
    startGame();
    host.say(proto::name::kNextPlayer, "1+");
    host.say(proto::name::kFoundLetter, found(1, 5, 'e', 2, 10, 12));
    EXPECT_EQ(text("label_bonus1"), "+12");
    EXPECT_EQ(text("label_status"), "Puzzle is Complete!");
    EXPECT_EQ(host.sounds.last(), "puzzlecomplete");
    EXPECT_FALSE(host.game.clockRunning());
    EXPECT_EQ(host.puzzles, 1);

    RecordedGame otherHost{clock, 2};
    Board other(otherHost.game, clock);
    otherHost.say(proto::name::kFoundLetter, found(1, 5, 'e', 2, 10, 12));
    EXPECT_EQ(otherHost.puzzles, 0);
}

TEST_F(BoardTest, WordFontShrinksAbove36CharactersAndWrapsInsideTheBoard)
{
    host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord(QByteArray(36, '*'), 0)));
    EXPECT_EQ(label("label_theword")->font().pointSize(), 22);
    const QByteArray phrase = "a stitch in time saves nine and more**";
    ASSERT_EQ(phrase.size(), 38);
    host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord(phrase.left(37), 4)));
    EXPECT_EQ(label("label_theword")->font().pointSize(), 18);
    EXPECT_EQ(text("label_theword"), "A STITCH IN TIME SAVES NINE AND MORE*");
    const QRect word = label("label_theword")->geometry();
    EXPECT_GE(label("label_theword")->height(), label("label_theword")->heightForWidth(word.width()));
    EXPECT_LE(word.bottom(), label("label_status")->y());
    EXPECT_GE(word.top(), label("label_tag")->geometry().bottom());
    host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord("short", 0)));
    EXPECT_EQ(label("label_theword")->font().pointSize(), 22);
    EXPECT_EQ(label("label_theword")->geometry(), QRect(8, 183, 683, 41));
}

TEST_F(BoardTest, CountdownOfTwentySeconds)
{
    startGame(20);
    host.say(proto::name::kNextPlayer, "1+");
    EXPECT_EQ(host.sounds.last(), "turn");
    EXPECT_EQ(text("label_status"), "Your Turn.");
    host.sounds.clear();
    clock.advance(1000);
    EXPECT_EQ(text("label_timer"), "Time: 0:19");
    EXPECT_EQ(label("label_timer")->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(child("image_timer")->width(), 171);
    EXPECT_TRUE(host.sounds.isEmpty());
    clock.advance(18000);
    EXPECT_EQ(host.sounds.count("tick"), 11); // at 15 and from 10 down to 1
    EXPECT_EQ(text("label_timer"), "Time: 0:01");
    clock.advance(1000);
    EXPECT_EQ(text("label_timer"), "Time: 0:00");
    EXPECT_EQ(child("image_timer")->width(), 0);
    EXPECT_EQ(host.game.turnSeat().value_or(0), 0);
    host.game.pickLetter(1);
    EXPECT_TRUE(host.sent().isEmpty());
    EXPECT_FALSE(tile(1)->isHidden());
}

TEST_F(BoardTest, CountdownTicksAt20And15ThenEverySecondFrom10)
{
    startGame(30);
    host.say(proto::name::kNextPlayer, "2+");
    QList<int> ticks;
    for (int second = 0; second < 30; ++second) {
        host.sounds.clear();
        clock.advance(1000);
        if (host.sounds.contains("tick"))
            ticks << host.game.secondsLeft();
        if (host.game.secondsLeft() == 20)
            EXPECT_EQ(label("label_timer")->palette().color(QPalette::WindowText), QColor(Qt::black));
    }
    EXPECT_EQ(ticks, (QList<int>{20, 15, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST_F(BoardTest, TurnAnnouncementsAndTimeOutsStopTheCountdown)
{
        host.game.setTurnSound(1);
    host.seatTaken(3, "Cleo");
    startGame(20);
    host.say(proto::name::kNextPlayer, "1+");
    EXPECT_EQ(text("label_status"), "Your Turn.");
    EXPECT_EQ(host.sounds, QStringList{"turnnew"});
    host.sounds.clear();
    host.say(proto::name::kNextPlayer, "3+");
    EXPECT_EQ(text("label_status"), "Cleo's turn.");
    EXPECT_TRUE(host.sounds.isEmpty());

    clock.advance(2000);
    host.say(proto::name::kOutOfTime, "3+");
    EXPECT_EQ(text("label_status"), "Out of Time.");
    clock.advance(5000);
    EXPECT_EQ(host.game.secondsLeft(), 18);
    EXPECT_EQ(text("label_timer"), "Time: 0:18");

    host.say(proto::name::kNextPlayer, "1+");
    clock.advance(1000);
    host.say(proto::name::kOutOfTime, "1+");
    EXPECT_EQ(text("label_status"), "You are out of time.");
    clock.advance(3000);
    EXPECT_EQ(host.game.secondsLeft(), 19);
    EXPECT_FALSE(host.sounds.contains("tick"));

    host.say(proto::name::kJustWatching, "3+1");
    EXPECT_EQ(host.lines.last(), "Cleo is just watching");
    EXPECT_FALSE(child("image_eyes3")->isHidden());
}

TEST_F(BoardTest, PickingThroughClicksAndKeys)
{
    showWindow();
    startGame();
    host.say(proto::name::kNextPlayer, "1+");
    host.setWatching(true);
    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, centreOf(tile(5)));
    EXPECT_EQ(host.messages, QStringList{"You must first turn off just watch before you can play."});
    EXPECT_TRUE(host.sent().isEmpty());

    host.setWatching(false);
    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, centreOf(tile(5)));
    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, centreOf(tile(6)));
    EXPECT_EQ(host.sent(), QList<QByteArray>{proto::msg::selectLetter(1, 5)});
    EXPECT_TRUE(tile(5)->isHidden());
    EXPECT_FALSE(tile(6)->isHidden());

    host.say(proto::name::kNextPlayer, "1+");
    board.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&board));
    board.clearFocus();
    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, QPoint(150, 200));
    EXPECT_TRUE(board.hasFocus());
    QTest::keyClick(&board, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&board, Qt::Key_E);
    QTest::keyClick(&board, Qt::Key_Z);
    EXPECT_EQ(host.sent().last(), proto::msg::selectLetter(1, 26));
    EXPECT_EQ(host.sent().size(), 2);
}

TEST_F(BoardTest, TilesLightOnlyDuringTheOwnTurn)
{
    startGame();
    host.say(proto::name::kNextPlayer, "2+");
    board.hoverTile(3);
    EXPECT_NE(board.litTile(), 3);
    host.say(proto::name::kNextPlayer, "1+");
    showWindow();
    QTest::mouseMove(board.windowHandle(), centreOf(tile(3)));
    EXPECT_EQ(board.litTile(), 3);
    board.hoverTile(4);
    EXPECT_NE(board.litTile(), 3);
    EXPECT_EQ(board.litTile(), 4);
    board.leaveTiles();
    EXPECT_NE(board.litTile(), 4);
}

TEST_F(BoardTest, LateJoinerRebuildsTheBoard)
{
    host.login(3);
    host.seatTaken(1, "Anna");
    host.seatTaken(3, "Carl");
    proto::msg::GameStats stats;
    stats.slot = 3;
    stats.currentSeat = 3;
    stats.playTo = 250;
    stats.turnTime = 25;
    stats.mask = "h*ll* w*rld";
    stats.category = 2;
    stats.misses = 3;
    stats.scores[0] = 5;
    stats.scores[1] = 7;
    host.say(proto::name::kGameStats, argsOf(proto::msg::gameStats(stats)));
    host.say(proto::name::kMarkLetters, argsOf(proto::msg::markLetters(3, {8, 12, 15})));
    host.say(proto::name::kMarkLetters, argsOf(proto::msg::markLetters(4, {1})));

    EXPECT_EQ(text("label_theword"), "H*LL* W*RLD");
    EXPECT_EQ(host.game.category().value_or(0), 2);
    EXPECT_EQ(host.game.misses(), 3);
    EXPECT_EQ(text("label_score1"), "5");
    EXPECT_EQ(text("label_score2"), "7");
    EXPECT_EQ(text("label_playtoscore"), "Play To Score: 250");
    EXPECT_EQ(text("label_teamgame"), "Team Game: NO");
    EXPECT_EQ(host.game.seatCaption(2), "Klot");
    EXPECT_EQ(child("image_Turn")->pos(), QPoint(265, 78));
    EXPECT_EQ(text("label_status"), "Your Turn.");
    EXPECT_EQ(host.sounds.last(), "turn");
    EXPECT_EQ(host.game.secondsLeft(), 25);
    EXPECT_TRUE(host.game.clockRunning());
    for (int n = 1; n <= kLetterCount; ++n)
        EXPECT_EQ(host.game.tileState(n), (n == 8 || n == 12 || n == 15) ? ClientGame::TileState::Used : ClientGame::TileState::Open) << n;

    stats.slot = 4;
    stats.mask = "other";
    host.say(proto::name::kGameStats, argsOf(proto::msg::gameStats(stats)));
    EXPECT_EQ(text("label_theword"), "H*LL* W*RLD");
}

TEST_F(BoardTest, WinnerOnTheWinnersOtherPlayersAndSpiesClients)
{
    host.game.setHost(true);
    host.seatTaken(1, "Anna");
    startGame();
    host.say(proto::name::kWinner, "Anna+");
    EXPECT_EQ(text("winner_text"), "You have Won the Game!");
    EXPECT_EQ(text("winner_shadow"), "You have Won the Game!");
    EXPECT_EQ(text("label_status"), "Game Over!");
    EXPECT_EQ(host.lines.last(), "You have Won the Game!");
    EXPECT_EQ(host.sounds.last(), "gameover");
    EXPECT_FALSE(child("panel_winner")->isHidden());
    EXPECT_FALSE(child("button_start")->isHidden());
    EXPECT_EQ(host.games, (QList<QPair<QString, bool>>{{"Anna", true}}));

    for (int slot : {3, 8}) {
        RecordedGame otherHost{clock, slot};
        Board other(otherHost.game, clock);
        otherHost.seatTaken(1, "Anna");
        otherHost.say(proto::name::kWinner, "Anna+");
        EXPECT_EQ(other.findChild<QLabel*>("winner_text")->text(), "Anna has Won the Game!");
        EXPECT_EQ(otherHost.lines.last(), "Anna has Won the Game!");
        EXPECT_TRUE(other.findChild<QWidget*>("button_start")->isHidden());
        EXPECT_EQ(otherHost.games.size(), slot == 3 ? 1 : 0);
    }
    startGame();
    EXPECT_TRUE(child("panel_winner")->isHidden());
    EXPECT_TRUE(child("button_start")->isHidden());
}

TEST_F(BoardTest, LayoutOfPointerAndTiles)
{
    host.say(proto::name::kNextPlayer, "2+");
    EXPECT_EQ(child("image_Turn")->pos(), QPoint(478, 54));
    host.say(proto::name::kNextPlayer, "5+");
    EXPECT_EQ(child("image_Turn")->pos(), QPoint(265, 101));

    const QRect usedBoard = child("image_usedletters")->geometry();
    for (int n = 1; n <= kLetterCount; ++n) {
        const QRect place = tile(n)->geometry();
        EXPECT_EQ(place.topLeft() - usedBoard.topLeft(), QPoint(40 * ((n - 1) % 6), 40 * ((n - 1) / 6))) << n;
        EXPECT_TRUE(usedBoard.contains(place)) << n;
    }
    EXPECT_EQ(tile(13)->geometry(), QRect(8, 84, 38, 38));
    EXPECT_EQ(child("panel_letters")->geometry(), QRect(5, 267, 253, 204));
    EXPECT_EQ(board.chatArea()->geometry(), QRect(262, 272, 435, 199));
}

TEST_F(BoardTest, FigureStagesAndTheHangedAnimation)
{
    startGame();
    host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord("c*t", 0)));
    for (int misses = 1; misses <= 6; ++misses) {
        host.say(proto::name::kAddMan, argsOf(proto::msg::addMan(2, misses, char('a' + misses - 1), misses, "*")));
        EXPECT_EQ(host.game.misses(), misses);
        EXPECT_EQ(host.sounds.last(), "notinword");
        EXPECT_EQ(host.game.tileState(misses), ClientGame::TileState::Used);
    }
    host.say(proto::name::kAddMan, argsOf(proto::msg::addMan(2, 7, 'g', 7, "cat")));
    EXPECT_EQ(host.game.misses(), 7);
    EXPECT_TRUE(child("image_hang")->isHidden());
    EXPECT_FALSE(child("animated_hanged")->isHidden());
    EXPECT_TRUE(board.hangedAnimation()->play());
    EXPECT_EQ(text("label_theword"), "CAT");
    EXPECT_EQ(host.sounds.last(), "lose");
    clock.advance(1500);
    EXPECT_EQ(board.hangedAnimation()->frame(), 3);

    host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord("***", 1)));
    EXPECT_EQ(host.game.misses(), 0);
    EXPECT_TRUE(child("animated_hanged")->isHidden());
    EXPECT_FALSE(board.hangedAnimation()->play());
    host.say(proto::name::kAddMan, argsOf(proto::msg::addMan(2, 1, 'a', 7, "*")));
    EXPECT_EQ(text("label_theword"), "***");
}

TEST_F(BoardTest, CategoryChoice)
{
    showWindow();
    host.seatTaken(2, "Bert");
    host.say(proto::name::kChooseCat, "2+");
    EXPECT_EQ(text("label_status"), "Bert is choosing a category.");
    EXPECT_TRUE(child("panel_choose")->isHidden());
    host.game.pickCategory(1);
    EXPECT_TRUE(host.sent().isEmpty());

    host.say(proto::name::kChooseCat, "1+");
    EXPECT_EQ(text("label_status"), "Choose a category");
    EXPECT_FALSE(child("panel_choose")->isHidden());
    QTest::mouseClick(board.findChild<QPushButton*>("button_cat3"), Qt::LeftButton);
    EXPECT_EQ(host.sent(), QList<QByteArray>{proto::msg::chooseCat(1, 3)});
    EXPECT_TRUE(child("panel_choose")->isHidden());
    EXPECT_EQ(host.game.chooserSeat().value_or(0), 0);

    host.setWatching(true);
    host.say(proto::name::kChooseCat, "1+");
    EXPECT_TRUE(child("panel_choose")->isHidden());
}

TEST_F(BoardTest, TeamSettingAndSeatsKeepPeopleInPlace)
{
    host.seatTaken(1, "Anna");
    host.seatTaken(3, "Klick");
    startGame(20, true);
    EXPECT_EQ(text("label_teamgame"), "Team Game: YES");
    EXPECT_FALSE(child("image_team")->isHidden());
    EXPECT_TRUE(child("image_theplayers")->isHidden());
    EXPECT_EQ(host.game.seatCaption(4), "Kling");
    EXPECT_EQ(host.game.seatCaption(6), "Krazy");

    startGame(20, false);
    EXPECT_EQ(host.game.seatCaption(2), "Klot");
    EXPECT_EQ(host.game.seatCaption(3), "Klick");
    EXPECT_EQ(host.game.seatCaption(4), "<Waiting>");
    host.say(proto::name::kPlayerDisconnected, "3+Klick");
    EXPECT_EQ(host.game.seatCaption(3), "<Waiting>");
    EXPECT_FALSE(host.game.seat(3).occupied);

    host.seatTaken(5, "A very long player name that cannot fit");
    EXPECT_EQ(host.game.seatCaption(5), "A very long player name that cannot fit");
    EXPECT_TRUE(text("label_playername5").endsWith(QChar(0x2026)));
    EXPECT_EQ(label("label_playername5")->textFormat(), Qt::PlainText);

    QSignalSpy spy(&board, &Board::seatContextMenuRequested);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3), QPoint(300, 400));
    QCoreApplication::sendEvent(label("label_playername4"), &event);
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 4);
    EXPECT_EQ(spy.at(0).at(1).toPoint(), QPoint(300, 400));
}

TEST_F(BoardTest, JustWatchingAndTheStartButton)
{
    host.seatTaken(2, "Bert");
    host.say(proto::name::kJustWatching, "1+1");
    EXPECT_TRUE(host.game.isJustWatching());
    EXPECT_FALSE(child("image_eyes1")->isHidden());
    host.say(proto::name::kJustWatching, "2+2");
    EXPECT_EQ(host.lines.last(), "Bert is now playing again");
    host.say(proto::name::kJustWatching, "1+2");
    EXPECT_FALSE(host.game.isJustWatching());
    EXPECT_TRUE(child("image_eyes1")->isHidden());

    showWindow();
    host.game.startOver();
    host.game.setHost(true);
    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, centreOf(child("button_start")));
    EXPECT_EQ(host.messages, QStringList{"You are not connected"});
    host.login(1);
    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, centreOf(child("button_start")));
    EXPECT_EQ(host.gameStartShown, 1);
}

TEST_F(BoardTest, HostileInputLeavesTheBoardAsItWas)
{
    startGame();
    host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord("a*c", 1)));
    host.say(proto::name::kNextPlayer, "1+");
    const auto snapshot = [&] {
        QStringList state{text("label_theword"), text("label_status"), QString::number(host.game.turnSeat().value_or(0)),
                          QString::number(host.game.misses()), QString::number(host.game.category().value_or(0)),
                          QString::number(host.game.chooserSeat().value_or(0)), text("label_score1")};
        for (int n = 1; n <= kLetterCount; ++n)
            state << QString::number(int(host.game.tileState(n)));
        return state;
    };
    const QStringList before = snapshot();
    for (const QByteArray& args : {QByteArray("xyz+x+"), QByteArray("abc+5+"), QByteArray("abc+-1+")})
        host.say(proto::name::kLoadWord, args);
    for (const QByteArray& args : {QByteArray("7+"), QByteArray("0+"), QByteArray("x+"), QByteArray("")}) {
        host.say(proto::name::kNextPlayer, args);
        host.say(proto::name::kChooseCat, args);
    }
    host.say(proto::name::kFoundLetter, "9+5+e+1+0+1+9+1+9+1+*e*+");
    host.say(proto::name::kFoundLetter, "1+27+e+1+0+1+1+1+1+1+*e*+");
    host.say(proto::name::kFoundLetter, "1+5+e+1+0+1+1+1+1+");
    host.say(proto::name::kFoundLetter, "1+5+e+one+0+1+1+1+1+1+*e*+");
    host.say(proto::name::kAddMan, "2+0+a+3+*+");
    host.say(proto::name::kAddMan, "2+5+a+-1+*+");
    host.say(proto::name::kAddMan, "2+5+a+x+*+");
    host.say(proto::name::kMarkLetters, "1+0+27+-3+x+");
    host.say(proto::name::kGameStats, "1+8+200+20+0+f+zzz+0+0+0+0+0+0+0+0+");
    host.say(proto::name::kGameStats, "1+1+200+20+0+f+zzz+9+0+0+0+0+0+0+0+");
    host.say(proto::name::kGameStats, "1+1+200+20+0+f+zzz+0+0+0+0+0+0+0+");
    host.say(proto::name::kJustWatching, "7+1");
    host.say(proto::name::kJustWatching, "0+1");
    host.game.pickLetter(0);
    host.game.pickLetter(27);
    host.game.pickCategory(5);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(host.sent().isEmpty());
    EXPECT_FALSE(host.game.isJustWatching());

    host.say(proto::name::kStartGame, "Anna+200+0+f+");
    EXPECT_EQ(host.game.timePerTurn(), 30);
    EXPECT_EQ(board.pixelsPerSecond(), 6);
    host.say(proto::name::kStartGame, "Anna+200+-5+f+");
    EXPECT_EQ(host.game.timePerTurn(), 30);
    EXPECT_EQ(text("label_timeperturn"), "Time Per Turn: 30");
    host.say(proto::name::kAddMan, "2+5+e+12+*+");
    EXPECT_EQ(host.game.misses(), 7);
    host.say(proto::name::kGameStats, "1+1+200+20+0+f+zzz+0+7+0+0+0+0+0+0+");
    EXPECT_TRUE(board.hangedAnimation()->play());
}

} // namespace
