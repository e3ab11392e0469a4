// Writes pictures of the board in its main states to the folder named by
// HANGMAN_SCREENSHOTS, for looking at by eye; skipped when it is not set.

#include "board/board.h"
#include "fakeboardhost.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

TEST(BoardScreenshots, WritesTheMainStates)
{
    const QString folder = qEnvironmentVariable("HANGMAN_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "HANGMAN_SCREENSHOTS not set";
    QDir().mkpath(folder);
    VirtualClock clock;
    FakeBoardHost host;
    host.host = true;
    Board board(host, clock);
    const auto save = [&](const char* name) { EXPECT_TRUE(board.grab().save(folder + "/" + name + ".png")); };

    board.seatTaken(1, "Anna");
    board.seatTaken(3, "Bartholomew the Great");
    save("board_created");
    board.startGame("Anna+200+20+f+");
    board.loadWord("*******+0+");
    board.nextPlayer("1+");
    clock.advance(1000);
    save("board_game_start");

    board.loadWord("h*ll* w*rld+2+");
    board.markLetters("1+8+12+15+4+");
    board.foundLetter("3+12+l+3+0+3+3+3+3+3+h*ll* w*rld+");
    board.addMan("3+1+a+1+*+");
    board.addMan("1+5+e+2+*+");
    board.addMan("2+9+i+3+*+");
    board.nextPlayer("2+");
    clock.advance(7000);
    board.hoverTile(19);
    save("board_mid_round");
    board.nextPlayer("1+");
    board.hoverTile(19);
    save("board_tile_lit");

    board.chooseCat("1+");
    save("board_choose_category");
    board.pickCategory(0);

    board.loadWord("a bird in the hand is worth two in the bush, don't you think so+4+");
    save("board_long_phrase");

    board.loadWord("**t+3+");
    board.addMan("2+3+c+7+cat+");
    save("board_hanged_0");
    clock.advance(1500);
    save("board_hanged_3");

    board.winner("Anna+");
    save("board_winner_own");
    board.winner("Bartholomew the Great+");
    save("board_winner_other");

    board.startGame("Anna+300+30+t+");
    board.loadWord("p***s+1+");
    board.nextPlayer("4+");
    board.justWatching("3+1");
    board.foundLetter("4+16+p+1+0+6+2+6+4+6+p***s+");
    save("board_team_game");
}

} // namespace
