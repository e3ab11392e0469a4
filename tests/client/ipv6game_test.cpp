// One hosted game reached over both IPv6 and IPv4: a host and joiners given
// "::1", "[::1]" and "127.0.0.1" play a whole game together, in virtual time.
#include "board/board.h"
#include "client/mainwindow.h"
#include "server/hostedserver.h"
#include "support/fakesurroundings.h"
#include "windows/gameoptionsdialog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include "support/pump.h"

#include <gtest/gtest.h>

namespace {

struct Player {
    QString name;
    std::unique_ptr<MainWindow> chat;
    QStringList lines;
};

} // namespace

TEST(IPv6Game, JoinersOverIPv6AndIPv4PlayOneGame)
{
    VirtualClock clock;
    QTemporaryDir folder;
    WordListSet words;
    for (WordList& list : words)
        list = {"computer", "let it snow", "trick or treat"};
    HostedServer server(clock, 5, WordLists(words));
    GameOptionsDialog gamestart;
    FakeSurroundings outside;
    std::vector<Player> players;
    auto join = [&](const QString& name, const QString& address, bool hosting) {
        Player& player = players.emplace_back(Player{name, std::make_unique<MainWindow>(clock, outside), {}});
        MainWindow& chat = *player.chat;
        chat.setArguments({name, address, hosting ? "true" : "false"});
        chat.setGamePort(hosting ? 0 : server.port());
        chat.setSettingsPath(folder.path() + "/" + name + ".ini");
        QObject::connect(&chat, &MainWindow::chatLineAdded, [&player](int, const QString& text) { player.lines << text; });
        MainWindow::Windows windows;
        if (hosting) {
            windows.server = &server;
            windows.gamestart = &gamestart;
        }
        chat.setWindows(windows);
        chat.show();
    };
    auto pumpUntil = [&](const std::function<bool()>& done, int realLimitMs = 20000) {
        return pump(clock, done, realLimitMs);
    };
    auto connected = [&](const Player& player) { return player.lines.contains("You are Connected."); };

    players.reserve(4);
    join("Ann", "127.0.0.1", true);
    ASSERT_TRUE(pumpUntil([&] { return connected(players[0]); }));
    join("Bob", "::1", false);
    join("Cy", "127.0.0.1", false);
    join("Dee", "[::1]", false);
    ASSERT_TRUE(pumpUntil([&] { return std::all_of(players.begin(), players.end(), connected); }));
    const ClientGame& hostGame = players[0].chat->game();
    for (int seat = 1; seat <= 4; ++seat)
        EXPECT_EQ(hostGame.seatCaption(seat), players[size_t(seat - 1)].name);

    players[0].chat->game().askToStartGame();
    gamestart.setPlayTo(30);
    gamestart.findChild<QPushButton*>("button_start")->click();
    ASSERT_TRUE(pumpUntil([&] { return players[1].lines.contains("Ann has started a game."); }));

    const QString order = "etaoinsrhldcumfpgwybvkxjqz";
    QList<int> picksBySeat(5, 0);
    auto sawTheEnd = [](const Player& player) { return !player.lines.filter("Won the Game!").isEmpty(); };
    const bool over = pumpUntil([&] {
        if (std::all_of(players.begin(), players.end(), sawTheEnd))
            return true;
        for (Player& player : players) {
            ClientGame& game = player.chat->game();
            if (!game.isOwnTurn())
                continue;
            for (QChar letter : order) {
                if (game.tileState(letter.unicode() - 'a' + 1) != ClientGame::TileState::Used) {
                    game.pickLetter(letter.unicode() - 'a' + 1);
                    ++picksBySeat[*game.ownSlot()];
                    break;
                }
            }
        }
        return false;
    }, 60000);
    ASSERT_TRUE(over) << "picks " << picksBySeat[1] << " " << picksBySeat[2] << " " << picksBySeat[3] << " "
                      << picksBySeat[4] << ": " << players[0].lines.mid(players[0].lines.size() - 8).join(" | ").toStdString();
    for (int seat = 1; seat <= 4; ++seat)
        EXPECT_GT(picksBySeat[seat], 0) << "seat " << seat;
}
