// Writes pictures of the board in its main states to the folder named by
// HANGMAN_SCREENSHOTS, for looking at by eye. A tool, not a test: disabled, so it
// runs only when asked for (see README.md).

#include "board/board.h"
#include "recordedgame.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

TEST(BoardScreenshots, DISABLED_PictureWriterToHangmanScreenshotsFolder)
{
    const QString folder = qEnvironmentVariable("HANGMAN_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "HANGMAN_SCREENSHOTS not set";
    QDir().mkpath(folder);
    VirtualClock clock;
    RecordedGame host{clock};
    host.game.setHost(true);
    Board board(host.game, clock);
    const auto save = [&](const char* name) { EXPECT_TRUE(board.grab().save(folder + "/" + name + ".png")); };

    host.seatTaken(1, "Anna");
    host.seatTaken(3, "Bartholomew the Great");
    save("board_created");
    host.say(proto::name::kStartGame, "Anna+200+20+f+");
    host.say(proto::name::kLoadWord, "*******+0+");
    host.say(proto::name::kNextPlayer, "1+");
    clock.advance(1000);
    save("board_game_start");

    host.say(proto::name::kLoadWord, "h*ll* w*rld+2+");
    host.say(proto::name::kMarkLetters, "1+8+12+15+4+");
    host.say(proto::name::kFoundLetter, "3+12+l+3+0+3+3+3+3+3+h*ll* w*rld+");
    host.say(proto::name::kAddMan, "3+1+a+1+*+");
    host.say(proto::name::kAddMan, "1+5+e+2+*+");
    host.say(proto::name::kAddMan, "2+9+i+3+*+");
    host.say(proto::name::kNextPlayer, "2+");
    clock.advance(7000);
    board.hoverTile(19);
    save("board_mid_round");
    host.say(proto::name::kNextPlayer, "1+");
    board.hoverTile(19);
    save("board_tile_lit");

    host.say(proto::name::kChooseCat, "1+");
    save("board_choose_category");
    host.game.pickCategory(0);

    host.say(proto::name::kLoadWord, "a bird in the hand is worth two in the bush, don't you think so+4+");
    save("board_long_phrase");

    host.say(proto::name::kLoadWord, "**t+3+");
    host.say(proto::name::kAddMan, "2+3+c+7+cat+");
    save("board_hanged_0");
    clock.advance(1500);
    save("board_hanged_3");

    host.say(proto::name::kWinner, "Anna+");
    save("board_winner_own");
    host.say(proto::name::kWinner, "Bartholomew the Great+");
    save("board_winner_other");

    host.say(proto::name::kStartGame, "Anna+300+30+t+");
    host.say(proto::name::kLoadWord, "p***s+1+");
    host.say(proto::name::kNextPlayer, "4+");
    host.say(proto::name::kJustWatching, "3+1");
    host.say(proto::name::kFoundLetter, "4+16+p+1+0+6+2+6+4+6+p***s+");
    save("board_team_game");
}

} // namespace
