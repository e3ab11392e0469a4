// A joiner that loses its connection to the host: the schedule of its retries
// in virtual time, which ends of a connection are tried again, and the whole
// way back through the main window against a scripted host on loopback.
#include "board/board.h"
#include "client/mainwindow.h"
#include "client/model/clientgame.h"
#include "client/reconnectbanner.h"
#include "client/reconnector.h"
#include "support/fakesurroundings.h"
#include "support/pump.h"

#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <memory>

namespace {

using Reason = Connection::CloseReason;

struct ReconnectRecorder {
    explicit ReconnectRecorder(Reconnector& reconnector, VirtualClock& clock)
    {
        QObject::connect(&reconnector, &Reconnector::attemptDue, [this, &clock] { attempts << clock.now(); });
        QObject::connect(&reconnector, &Reconnector::gaveUp, [this, &clock] { gaveUpAt << clock.now(); });
        QObject::connect(&reconnector, &Reconnector::reconnectingChanged, [this](bool on) { banner << on; });
    }
    QList<long long> attempts;
    QList<long long> gaveUpAt;
    QList<bool> banner;
};

TEST(Reconnector, AttemptsComeOnTheirScheduleWhateverBecameOfTheLastAndStopAfterFiveMinutes)
{
    VirtualClock clock;
    clock.advance(500);
    Reconnector reconnector(clock);
    ReconnectRecorder seen(reconnector, clock);
    ASSERT_TRUE(reconnector.takesOver(Reason::Lost, true, true));
    EXPECT_TRUE(reconnector.isReconnecting());
    EXPECT_EQ(seen.banner, QList<bool>{true});

    // Every other attempt fails at once (refused, or connected and reset again);
    // the others hang and are never heard of. Neither moves the next one.
    QObject::connect(&reconnector, &Reconnector::attemptDue, [&] {
        if (seen.attempts.size() % 2 == 0)
            EXPECT_TRUE(reconnector.takesOver(seen.attempts.size() % 4 ? Reason::Refused : Reason::Lost,
                                              seen.attempts.size() % 4 == 0, true));
    });
    clock.advance(Reconnector::kGiveUpAfterMs + 60'000);

    QList<long long> expected;
    long long due = 0;
    for (long long pause : {1000, 2000, 4000, 8000})
        expected << (due += pause);
    while ((due += 15'000) < Reconnector::kGiveUpAfterMs)
        expected << due;
    for (long long& at : expected)
        at += 500;
    EXPECT_EQ(seen.attempts, expected);
    EXPECT_EQ(seen.gaveUpAt, QList<long long>{500 + Reconnector::kGiveUpAfterMs});
    EXPECT_FALSE(reconnector.isReconnecting());
    EXPECT_EQ(clock.nextDue(), -1);

    // A later loss starts afresh: the first pause again, and five new minutes.
    seen.attempts.clear();
    const long long lostAt = clock.now();
    ASSERT_TRUE(reconnector.takesOver(Reason::Lost, true, true));
    clock.advance(4000);
    EXPECT_EQ(seen.attempts, (QList<long long>{lostAt + 1000, lostAt + 3000}));
    reconnector.backInGame();
    EXPECT_EQ(seen.banner, (QList<bool>{true, true, false}));
    clock.advance(Reconnector::kGiveUpAfterMs);
    EXPECT_EQ(seen.attempts.size(), 2);
    EXPECT_EQ(seen.gaveUpAt.size(), 1);
}

TEST(Reconnector, OnlyALostConnectionOfAJoinerInTheGameIsTriedAgainAndACleanCloseStillEndsIt)
{
    VirtualClock clock;
    Reconnector reconnector(clock);
    ReconnectRecorder seen(reconnector, clock);
    // The host closed cleanly (it quit, or removed this player), the peer broke a
    // bound, the first connection never came about, or this copy hosts or never logged in.
    EXPECT_FALSE(reconnector.takesOver(Reason::ClosedByPeer, true, true));
    EXPECT_FALSE(reconnector.takesOver(Reason::OtherError, true, true));
    EXPECT_FALSE(reconnector.takesOver(Reason::Refused, false, true));
    EXPECT_FALSE(reconnector.takesOver(Reason::Lost, false, true));
    EXPECT_FALSE(reconnector.takesOver(Reason::Lost, true, false));
    clock.advance(Reconnector::kGiveUpAfterMs * 2);
    EXPECT_TRUE(seen.attempts.isEmpty());
    EXPECT_TRUE(seen.banner.isEmpty());

    // While retrying, attempts that never connect or are lost again are part of it...
    ASSERT_TRUE(reconnector.takesOver(Reason::Lost, true, true));
    clock.advance(1000);
    EXPECT_TRUE(reconnector.takesOver(Reason::HostNotFound, false, true));
    clock.advance(2000);
    EXPECT_TRUE(reconnector.takesOver(Reason::Lost, true, true));
    EXPECT_EQ(seen.attempts.size(), 2);
    // ...but a host that answers and then closes cleanly ends the game, and the retries with it.
    EXPECT_FALSE(reconnector.takesOver(Reason::ClosedByPeer, true, true));
    EXPECT_FALSE(reconnector.isReconnecting());
    clock.advance(Reconnector::kGiveUpAfterMs * 2);
    EXPECT_EQ(seen.attempts.size(), 2);
    EXPECT_TRUE(seen.gaveUpAt.isEmpty());
}

// A joining main window against a scripted host on loopback that can break the connection.
class LostHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
        window.setArguments(arguments);
        window.setSettingsPath(folder.path() + "/vorlixlobby.ini");
        window.setWindows({});
        window.setGamePort(listener.serverPort());
        window.show();
        ASSERT_TRUE(acceptNext());
    }
    bool acceptNext()
    {
        if (!pump(clock, [&] { return listener.hasPendingConnections(); }, 5000, 20))
            return false;
        peer.reset(listener.nextPendingConnection());
        heard.clear();
        return true;
    }
    void say(const QList<QByteArray>& messages)
    {
        for (const QByteArray& message : messages)
            peer->write(message);
        peer->flush();
    }
    bool hear(const QByteArray& expected)
    {
        return pump(clock, [&] {
            heard += peer->readAll();
            return heard.contains(expected);
        }, 5000, 10);
    }
    // Breaks the connection with a reset, as a broken link or a rebooted router does.
    void resetConnection()
    {
        const linger abortive{1, 0};
        setsockopt(int(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        peer->close();
    }
    // Logs in at slot, then loses the connection; the window starts reconnecting.
    void seatAndLose(int slot)
    {
        say({proto::msg::sendLoginInfo(slot), proto::msg::newPlayerInfo(slot, "Bob")});
        ASSERT_TRUE(hear(proto::msg::loginInfo(slot, kVersion, "Bob")));
        ASSERT_TRUE(pumpUntil([&] { return window.game().seatCaption(slot) == "Bob"; }));
        resetConnection();
        ASSERT_TRUE(pumpUntil([&] { return bannerShown(); }));
    }
    bool pumpUntil(const std::function<bool()>& done) { return pump(clock, done, 5000, 10); }
    QString score(int seat) const
    {
        return window.board()->findChild<QLabel*>(QStringLiteral("label_score%1").arg(seat))->text();
    }
    ReconnectBanner* banner() const { return window.findChild<ReconnectBanner*>(); }
    bool bannerShown() const { return banner() && banner()->isVisible(); }

    QStringList arguments{"Bob", "127.0.0.1", "false"};
    VirtualClock clock;
    QTemporaryDir folder;
    FakeSurroundings outside;
    MainWindow window{clock, outside};
    QTcpServer listener;
    std::unique_ptr<QTcpSocket> peer;
    QByteArray heard;
};

// The same scripted server, reached by a copy that hosts (its game port points at the script).
class LostOwnServer : public LostHost {
protected:
    LostOwnServer() { arguments = {"Ann", "127.0.0.1", "true"}; }
};

proto::msg::GameStats catchUp(int slot, int ownScore)
{
    proto::msg::GameStats stats;
    stats.slot = slot;
    stats.currentSeat = 1;
    stats.playTo = 100;
    stats.turnTime = 20;
    stats.mask = "_E__";
    stats.category = 1;
    stats.scores[0] = 4;
    stats.scores[1] = ownScore;
    return stats;
}

TEST_F(LostHost, ALostJoinerShowsItIsReconnectingLogsInAgainAndHasItsBoardRebuiltFromTheCatchUp)
{
    namespace msg = proto::msg;
    say({msg::sendLoginInfo(2)});
    ASSERT_TRUE(hear(msg::loginInfo(2, kVersion, "Bob")));
    msg::Found found;
    found.seat = 2;
    found.letter = 5;
    found.letterChar = 'E';
    found.count = 1;
    found.score = 7;
    found.mask = "_E__";
    say({msg::newPlayerInfo(2, "Bob"), msg::existingPlayers(1, "Ann"), msg::existingPlayers(4, "Cleo"),
         msg::startGameAnnounce("Ann", 100, 20, "f"),
         msg::loadWord("____", 1), msg::nextPlayer(2), msg::foundLetter(found), msg::nextPlayer(2)});
    ASSERT_TRUE(pumpUntil([&] { return score(2) == "7"; }));
    ASSERT_FALSE(bannerShown());

    // The link breaks: the window stays, the banner covers the board, which takes no picks.
    resetConnection();
    ASSERT_TRUE(pumpUntil([&] { return bannerShown(); }));
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.board()->isEnabled());
    EXPECT_EQ(banner()->findChild<QLabel*>("ReconnectText")->text(), "Connection to the host lost. Reconnecting\u2026");
    auto* giveUp = banner()->findChild<QPushButton*>("GiveUp");
    EXPECT_TRUE(giveUp->hasFocus() || !window.isActiveWindow());
    EXPECT_EQ(giveUp->accessibleName(), "Give Up");
    EXPECT_EQ(score(2), "7");
    if (const QString folder = qEnvironmentVariable("HANGMAN_SCREENSHOTS"); !folder.isEmpty())
        window.grab().save(folder + "/reconnecting-board.png");

    // The first attempt is reset again once it has logged in (so the client surely took
    // it as connected); the second reaches a host that knows nothing of reconnecting:
    // a provisional slot, then the kept seat, then the catch-up.
    ASSERT_TRUE(acceptNext());
    say({msg::sendLoginInfo(4)});
    ASSERT_TRUE(hear(msg::loginInfo(4, kVersion, "Bob")));
    resetConnection();
    ASSERT_TRUE(acceptNext());
    EXPECT_TRUE(bannerShown());
    say({msg::sendLoginInfo(5)});
    ASSERT_TRUE(hear(msg::loginInfo(5, kVersion, "Bob")));
    say({msg::sendLoginInfo(2)});
    ASSERT_TRUE(hear(msg::loginInfo(2, kVersion, "Bob")));
    EXPECT_TRUE(bannerShown());
    say({msg::newPlayerInfo(2, "Bob"), msg::existingPlayers(1, "Ann"), msg::gameStats(catchUp(2, 12)),
         msg::markLetters(2, {5, 20})});
    ASSERT_TRUE(pumpUntil([&] { return score(2) == "12"; }));
    EXPECT_FALSE(bannerShown());
    EXPECT_TRUE(window.board()->isEnabled());
    EXPECT_EQ(window.game().seatCaption(2), "Bob");
    EXPECT_EQ(window.game().seatCaption(1), "Ann");
    EXPECT_EQ(window.game().seatCaption(4), ClientGame::kNobodyCaption); // Cleo left while Bob was away
    EXPECT_EQ(score(1), "4");
    EXPECT_EQ(window.game().tileState(20), ClientGame::TileState::Used);
    EXPECT_EQ(window.game().word(), "_E__");
    EXPECT_TRUE(window.isVisible());

    // Back in the game, a clean close by the host ends it as before, with no retry.
    peer->disconnectFromHost();
    ASSERT_TRUE(pumpUntil([&] { return !window.isVisible(); }));
    clock.advance(Reconnector::kGiveUpAfterMs);
    QCoreApplication::processEvents();
    EXPECT_FALSE(listener.hasPendingConnections());
}

TEST_F(LostHost, GameIsFullOnAnAttemptEndsTheGameAsBefore)
{
    ASSERT_NO_FATAL_FAILURE(seatAndLose(3));
    // A host that has given the seat away meanwhile answers the attempt with "Game is full".
    ASSERT_TRUE(acceptNext());
    say({proto::msg::full()});
    ASSERT_TRUE(pumpUntil([&] { return !window.isVisible(); }));
    EXPECT_EQ(outside.prompts.messages, QStringList{"Game is full"});
}

TEST_F(LostHost, TheGiveUpButtonEndsTheGameFromTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(seatAndLose(3));
    window.activateWindow();
    auto* giveUp = banner()->findChild<QPushButton*>("GiveUp");
    ASSERT_TRUE(pumpUntil([&] { return giveUp->hasFocus(); }));
    QTest::keyClick(giveUp, Qt::Key_Space);
    ASSERT_TRUE(pumpUntil([&] { return !window.isVisible(); }));
    EXPECT_TRUE(outside.prompts.messages.isEmpty());
}

TEST_F(LostHost, FiveMinutesWithoutTheHostEndTheGameWithANotice)
{
    ASSERT_NO_FATAL_FAILURE(seatAndLose(3));
    listener.close();
    const long long lostAt = clock.now();
    ASSERT_TRUE(pump(clock, [&] { return !window.isVisible(); }, 20000, 250));
    EXPECT_GE(clock.now() - lostAt, Reconnector::kGiveUpAfterMs - 500);
    EXPECT_EQ(outside.prompts.messages, QStringList{Reconnection::kCouldNotReachText});
}

TEST_F(LostOwnServer, AHostWhoseOwnConnectionBreaksEndsTheGameAsBefore)
{
    say({proto::msg::sendLoginInfo(1), proto::msg::newPlayerInfo(1, "Ann")});
    ASSERT_TRUE(hear(proto::msg::loginInfo(1, kVersion, "Ann")));
    ASSERT_TRUE(pumpUntil([&] { return window.game().seatCaption(1) == "Ann"; }));
    resetConnection();
    ASSERT_TRUE(pumpUntil([&] { return !window.isVisible(); }));
    EXPECT_FALSE(bannerShown());
    clock.advance(Reconnector::kLongestPauseMs);
    QCoreApplication::processEvents();
    EXPECT_FALSE(listener.hasPendingConnections());
}

} // namespace
