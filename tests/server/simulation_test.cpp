// Plays a thousand complete games in virtual time with players joining,
// leaving, idling, switching to just watch and sending stray messages at random
// moments, and checks the game's invariants after every event.
#include "serverharness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <random>

using namespace proto;

namespace {

constexpr int kGames = 1000;
constexpr long long kGameTimeLimitMs = 24LL * 3600 * 1000;

class Simulation {
public:
    Simulation() : h(WordLists::builtIn(), 2024), m_random(99), host(h.join("You")) {}

    void playGame(int number)
    {
        startGame();
        const long long started = h.clock.now();
        while (h.server.gameRunning()) {
            ASSERT_LT(h.clock.now() - started, kGameTimeLimitMs) << "game " << number << " never ended";
            randomEvent();
            playHumans();
            step();
            if (::testing::Test::HasFatalFailure())
                return;
        }
        EXPECT_EQ(m_winners, 1) << "game " << number;
    }

    int events = 0;
    // Random events by kind: join, join, leave, watch, kick, stray message, host watch, chat.
    std::array<int, 8> actions{};

private:
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(m_random) < p; }
    int number(int lowest, int highest) { return std::uniform_int_distribution<int>(lowest, highest)(m_random); }

    void startGame()
    {
        const int playTo = chance(0.9) ? 50 : number(0, 120);
        const QByteArray turnTime = chance(0.95) ? QByteArray::number(number(10, 60)) : "x";
        h.deliver(host, msg::startGame("You", QByteArray::number(playTo), turnTime, chance(0.4), chance(0.4)));
        m_winners = 0;
        m_started = false;
        while (!m_started) {
            step();
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }

    // Moves to the next timer event, or a little less so that players act at odd moments.
    void step()
    {
        const long long due = h.clock.nextDue();
        const long long wait = due < 0 ? kDispatchIntervalMs : std::max(1LL, due - h.clock.now());
        h.clock.advance(chance(0.3) ? number(1, int(std::min(wait, 2000LL))) : wait);
        afterEvent();
    }

    void send(FakePeer& peer, const QByteArray& bytes)
    {
        h.deliver(peer, bytes);
        afterEvent();
    }

    FakePeer* guest()
    {
        if (m_guests.empty())
            return nullptr;
        return m_guests[number(0, int(m_guests.size()) - 1)];
    }

    void randomEvent()
    {
        if (!chance(0.02))
            return;
        const int kind = number(0, 7);
        ++actions[kind];
        switch (kind) {
        case 0:
        case 1: join(); break;
        case 2: leave(); break;
        case 3: watch(); break;
        case 4:
            if (FakePeer* g = guest())
                send(host, msg::kickHim(1, g->slot));
            break;
        case 5: stray(); break;
        case 6: send(host, msg::justWatch(1, chance(0.5) ? 1 : 2)); break;
        case 7:
            if (FakePeer* g = guest())
                send(*g, msg::chat(g->slot, "hello", "clBlack"));
            break;
        }
    }

    void join()
    {
        h.peers.push_back(std::make_unique<FakePeer>());
        FakePeer* peer = h.peers.back().get();
        peer->keepNothing = true;
        peer->onClose = [this, peer] { h.server.closed(peer); };
        peer->slot = h.server.accept(peer);
        afterEvent();
        if (peer->slot == 0)
            return;
        m_guests.push_back(peer);
        if (chance(0.9))
            send(*peer, msg::loginInfo(peer->slot, kVersion, "Guest" + QByteArray::number(peer->slot)));
    }

    void leave()
    {
        if (FakePeer* g = guest()) {
            h.server.closed(g);
            h.server.closed(g);
            afterEvent();
        }
    }

    void watch()
    {
        if (FakePeer* g = guest(); g && g->slot <= kSeatCount)
            send(*g, msg::justWatch(g->slot, chance(0.6) ? 1 : 2));
    }

    // Messages a well-behaved client never sends: another slot's picks, bad numbers, floods.
    void stray()
    {
        FakePeer* g = guest();
        if (!g)
            return;
        const int seat = h.server.currentSeat();
        switch (number(0, 3)) {
        case 0: send(*g, msg::selectLetter(seat, number(-1, 28))); break;
        case 1: send(*g, msg::startGame("x", "50", "10", false, false)); break;
        case 2: send(*g, msg::chooseCat(g->slot, number(-3, 9))); break;
        case 3: {
            QByteArray flood;
            for (int i = 0; i < 300; ++i)
                flood += msg::chat(g->slot, "flood", "clRed");
            send(*g, flood);
            break;
        }
        }
    }

    FakePeer* peerAt(int slot)
    {
        if (slot == 1)
            return &host;
        for (FakePeer* g : m_guests)
            if (g->slot == slot && h.server.slot(slot).connected && h.server.slot(slot).connection == g)
                return g;
        return nullptr;
    }

    // A human in turn picks an unused letter now and then, sometimes a used one.
    void playHumans()
    {
        const int seat = h.server.currentSeat();
        FakePeer* peer = peerAt(seat);
        if (!peer || h.server.slot(seat).watching || !chance(0.5))
            return;
        if (h.server.state() == EngineState::AwaitingCategory) {
            send(*peer, msg::chooseCat(seat, number(0, 4)));
        } else if (h.server.state() == EngineState::AwaitingLetter) {
            int letter = number(1, kLetterCount);
            for (int tries = 0; tries < 30 && h.server.letterUsed(letter) && !chance(0.05); ++tries)
                letter = number(1, kLetterCount);
            send(*peer, msg::selectLetter(seat, letter));
        }
    }

    void afterEvent()
    {
        ++events;
        std::erase_if(m_guests, [this](FakePeer* g) {
            return !(h.server.slot(g->slot).connected && h.server.slot(g->slot).connection == g);
        });
        for (const QByteArray& message : host.take())
            follow(message);
        checkState();
    }

    // Follows the broadcasts as a client would and checks each against the rules.
    void follow(const QByteArray& message)
    {
        const QList<QByteArray> f = fieldsOf(message);
        const QByteArray& name = f[0];
        if (name == "CMD_startgame") {
            m_started = true;
            m_scores.fill(0);
            m_winners = 0;
            m_team = f.value(4) == "t";
        } else if (name == "CMD_loadword") {
            m_mask = f.value(1);
        } else if (name == "CMD_nextplayer") {
            m_turnSeat = f.value(1).toInt();
        } else if (name == "CMD_foundletter") {
            const int seat = f[1].toInt();
            ASSERT_GE(seat, 1);
            ASSERT_LE(seat, kSeatCount);
            EXPECT_EQ(f[6].toInt(), m_scores[seat] + f[4].toInt() + f[5].toInt()) << message.constData();
            EXPECT_TRUE(f[5] == "0" || f[5] == "10");
            m_scores[seat] = f[6].toInt();
            if (m_team)
                for (int mate : GameServer::teamMates(seat))
                    m_scores[mate] = m_scores[seat];
            expectKeepsRevealed(m_mask, f[11]);
            m_mask = f[11];
        } else if (name == "CMD_winner") {
            ++m_winners;
            EXPECT_EQ(m_winners, 1) << "winner announced twice";
        }
    }

    static void expectKeepsRevealed(const QByteArray& before, const QByteArray& after)
    {
        ASSERT_EQ(before.size(), after.size());
        for (qsizetype i = 0; i < before.size(); ++i)
            if (before[i] != '*')
                EXPECT_EQ(after[i], before[i]) << before.constData() << " -> " << after.constData();
    }

    void checkState()
    {
        const GameServer& s = h.server;
        for (int seat = 1; seat <= kSeatCount; ++seat)
            ASSERT_EQ(s.score(seat), m_scores[seat]) << "seat " << seat;
        ASSERT_TRUE(s.slot(1).connected);
        if (!s.gameRunning()) {
            EXPECT_EQ(s.state(), EngineState::Busy);
            EXPECT_FALSE(s.turnTimerRunning());
            EXPECT_FALSE(s.computerTimerRunning());
            return;
        }
        ASSERT_EQ(s.mask().size(), s.word().size());
        for (qsizetype i = 0; i < s.word().size(); ++i) {
            const char w = s.word()[i];
            const char m = s.mask()[i];
            if (w == ' ' || w == '\'')
                ASSERT_EQ(m, w);
            else
                ASSERT_TRUE(m == '*' || m == w) << s.mask().constData();
        }
        if (s.state() == EngineState::AwaitingLetter) {
            const int seat = s.currentSeat();
            ASSERT_GE(seat, 1);
            ASSERT_LE(seat, kSeatCount);
            ASSERT_EQ(seat, m_turnSeat);
            ASSERT_TRUE(s.turnTimerRunning());
            ASSERT_TRUE(s.slot(seat).connected || seat == 2 || s.teamGame());
            ASSERT_EQ(s.mask(), m_mask);
            ASSERT_TRUE(s.mask().contains('*')) << "a letter is awaited for a finished word";
            ASSERT_LT(s.misses(), kHangingMisses);
        }
    }

    ServerHarness h;
    std::mt19937 m_random;
    FakePeer& host;
    std::vector<FakePeer*> m_guests;
    std::array<int, kSeatCount + 1> m_scores{};
    QByteArray m_mask;
    int m_turnSeat = 0;
    int m_winners = 0;
    bool m_started = false;
    bool m_team = false;
};

TEST(Simulation, AThousandGamesKeepTheRules)
{
    Simulation simulation;
    for (int game = 0; game < kGames; ++game) {
        simulation.playGame(game);
        if (::testing::Test::HasFailure())
            break;
    }
    std::cout << "[ INFO     ] " << kGames << " games, " << simulation.events << " events; joins "
              << simulation.actions[0] + simulation.actions[1] << ", leaves " << simulation.actions[2]
              << ", watch switches " << simulation.actions[3] + simulation.actions[6] << ", kicks "
              << simulation.actions[4] << ", stray messages " << simulation.actions[5] << "\n";
    EXPECT_GT(simulation.actions[2], kGames / 10);
}

} // namespace
