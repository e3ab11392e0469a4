// Complete 200-point solo games per second: the host in seat 1 is set to just
// watch, so the computer plays both seats; the game timers run on a virtual clock.
#include "net/gametimer.h"
#include "net/protocol.h"
#include "server/gameserver.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

// The host's connection; it only counts what it is sent.
class CountingPeer : public ServerPeer {
public:
    void send(const QByteArray& bytes) override { received += bytes.size(); }
    void close() override {}
    qint64 received = 0;
};

// A built message as its connection hands it to the server: without the terminator.
QByteArray arrived(const QByteArray& built)
{
    return built.left(built.indexOf(proto::kTerminator));
}

constexpr int kGames = 5000;
constexpr long long kStepMs = 600'000;

} // namespace

int main()
{
    VirtualClock clock;
    GameServer server(clock, 1);
    CountingPeer host;
    server.accept(&host);
    server.received(&host, arrived(proto::msg::loginInfo(1, kVersion, "You")));
    clock.advance(100);

    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (int game = 0; game < kGames; ++game) {
        server.received(&host, arrived(proto::msg::startGame("You", "200", "30", false, false)));
        server.received(&host, arrived(proto::msg::justWatch(1, 1)));
        while (server.gameRunning() || server.queuedMessages() > 0)
            clock.advance(kStepMs);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("%d complete 200-point solo games in %.2f s: %.0f games per second\n", kGames, seconds,
                kGames / seconds);
    std::printf("processor time %.2f s: %.0f games per processor second\n", cpuSeconds, kGames / cpuSeconds);
    std::printf("(%.0f bytes sent to the host per game)\n", double(host.received) / kGames);
    return 0;
}
