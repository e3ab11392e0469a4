// Drives the game server with a little script read from the input: connections
// open and close, send raw bytes (cut into messages with the bounds of the
// program's connections) or well-formed client messages, stop reading,
// and virtual time moves on, so logins, games, letter picks, category choices
// and disconnects in the middle of a turn all happen in any order.
//
// Script: a sequence of operations, each an opcode byte followed by its operands
// (missing operand bytes read as 0):
//   0 c        connect a new client (at most 16 in one run)
//   1 p        client p closes its connection
//   2 p n ...  client p sends the next n raw bytes
//   3 p v n .. client p logs in with its slot (v odd: a wrong version) and an n-byte name
//   4 p f      client p starts a game; f picks play-to, turn time, team and choose
//   5 p s l    client p picks letter l (1..26 when l < 26*9, else out of range); s odd: another sender
//   6 p k a b  client p sends chooseCat/justWatch/chat/action/kickHim/botSpeed/playASound or a
//              chat near the longest message a connection may send (k) with a, b
//   7 t        virtual time moves on by t*t*10 ms
//   8 p        client p stops reading (or reads again)
// Every message the server sends must be a whole protocol message no longer than a
// client accepts, and once every client is gone no slot may remain connected.
//
// With HANGMAN_FUZZ_RECORD=<file> set, the bytes the first client receives are
// written to the file (used to make the client fuzzer's seeds from real games).

#include "net/gametimer.h"
#include "net/protocol.h"
#include "server/gameserver.h"

#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxPeers = 16;

class Script {
public:
    Script(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool atEnd() const { return m_pos >= m_size; }
    int byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    QByteArray bytes(int count)
    {
        const std::size_t n = std::min<std::size_t>(std::size_t(count), m_size - std::min(m_pos, m_size));
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return out;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

void fail(const char* what, const QByteArray& detail = {})
{
    std::fprintf(stderr, "fuzz_server: %s %s\n", what, detail.left(200).toHex().constData());
    std::abort();
}

// One client connection, standing in for a Connection: it cuts the bytes sent to
// the server with the same bound, and a peer that stops reading is dropped
// (after the event, as a Connection reports it) once too much waits for it.
class Peer : public ServerPeer {
public:
    explicit Peer(GameServer& server) : m_server(server) {}

    // Hands the server the messages the bytes complete.
    void deliver(const QByteArray& bytes)
    {
        for (const QByteArray& message : m_input.feed(bytes))
            if (!isClosed)
                m_server.received(this, message);
        if (m_input.overflowed())
            end();
    }
    // Ends the connection and tells the server, as the program's socket side does.
    void end()
    {
        if (isClosed)
            return;
        isClosed = true;
        m_server.closed(this);
    }

    void send(const QByteArray& bytes) override
    {
        if (isClosed)
            return;
        received += bytes.size();
        if (record)
            recorded += bytes;
        if (stuck)
            pending += bytes.size();
        if (pending > proto::kMaxOutgoingBytes)
            dropped = true;
        for (const QByteArray& message : m_cutter.feed(bytes))
            if (!message.startsWith("CMD_") || !message.contains('+'))
                fail("malformed message from the server", message);
            else if (message.size() > proto::kMaxServerMessageBytes)
                fail("message longer than a client takes", message.left(40));
    }
    void close() override { end(); }
    int slot = 0;
    bool isClosed = false;
    bool stuck = false;
    bool dropped = false; // left too much unread: to be reported closed after the event
    bool record = false;
    qint64 pending = 0;
    qint64 received = 0;
    QByteArray recorded;

private:
    GameServer& m_server;
    proto::MessageCutter m_cutter{1 << 30};
    proto::MessageCutter m_input{proto::kMaxPendingBytes};
};

const WordListSet& wordLists()
{
    static const WordListSet lists = WordLists::builtIn();
    return lists;
}

QByteArray number(int n)
{
    return QByteArray::number(n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Script script(data, size);
    VirtualClock clock;
    auto server = std::make_unique<GameServer>(clock, 1234, WordLists(wordLists()));
    std::vector<std::unique_ptr<Peer>> peers;
    const char* recordPath = std::getenv("HANGMAN_FUZZ_RECORD");

    auto peerAt = [&](int index) -> Peer* {
        if (peers.empty())
            return nullptr;
        return peers[size_t(index) % peers.size()].get();
    };
    auto deliver = [&](Peer* peer, const QByteArray& bytes) {
        if (peer && !peer->isClosed) {
            peer->deliver(bytes);
            clock.advance(kDispatchIntervalMs);
        }
    };

    while (!script.atEnd()) {
        const int op = script.byte() % 9;
        switch (op) {
        case 0: {
            script.byte();
            if (int(peers.size()) >= kMaxPeers)
                break;
            peers.push_back(std::make_unique<Peer>(*server));
            Peer* peer = peers.back().get();
            peer->record = recordPath && peers.size() == 1;
            peer->slot = server->accept(peer);
            if (peer->slot < 0 || peer->slot > kSlotCount)
                fail("slot out of range");
            if (peer->slot == 0 && !peer->isClosed)
                fail("refused connection left open");
            break;
        }
        case 1:
            if (Peer* peer = peerAt(script.byte()))
                peer->end();
            break;
        case 2: {
            Peer* peer = peerAt(script.byte());
            deliver(peer, script.bytes(script.byte()));
            break;
        }
        case 3: {
            Peer* peer = peerAt(script.byte());
            const bool wrongVersion = script.byte() & 1;
            const QByteArray name = script.bytes(script.byte() % 24);
            if (peer)
                deliver(peer, proto::msg::loginInfo(peer->slot, wrongVersion ? "0.9" : kVersion, name));
            break;
        }
        case 4: {
            Peer* peer = peerAt(script.byte());
            const int f = script.byte();
            static const char* const playTo[] = {"50", "200", "9999", "x"};
            static const char* const turnTime[] = {"30", "5", "600", "0"};
            if (peer)
                deliver(peer, proto::msg::startGame("Starter", playTo[f & 3], turnTime[(f >> 2) & 3], f & 16, f & 32));
            break;
        }
        case 5: {
            Peer* peer = peerAt(script.byte());
            const int s = script.byte();
            const int l = script.byte();
            const int letter = l < 26 * 9 ? l % 26 + 1 : l - 26 * 9 - 5;
            if (peer)
                deliver(peer, proto::msg::selectLetter((s & 1) ? s / 2 % 11 : peer->slot, letter));
            break;
        }
        case 6: {
            Peer* peer = peerAt(script.byte());
            const int kind = script.byte() % 8;
            const int a = script.byte();
            const int b = script.byte();
            if (!peer)
                break;
            const int sender = (a & 128) ? a % 11 : peer->slot;
            QByteArray message;
            switch (kind) {
            case 0: message = proto::msg::chooseCat(sender, b % 7 - 1); break;
            case 1: message = proto::msg::justWatch(sender, b % 3); break;
            case 2: message = proto::msg::chat(sender, "hi " + number(b), "|0|"); break;
            case 3: message = proto::msg::action(sender, "waves " + number(b), "|255|"); break;
            case 4: message = proto::msg::kickHim(sender, b % 11); break;
            case 5: message = proto::msg::botSpeed(sender, b * 100); break;
            case 6: message = proto::msg::playASound(sender, b % 25); break;
            default: message = proto::msg::chat(sender, QByteArray(proto::kMaxPendingBytes - 1024 + b * 8, 'x'), "|0|"); break;
            }
            deliver(peer, message);
            break;
        }
        case 7: {
            const int t = script.byte();
            clock.advance(10LL * t * t);
            break;
        }
        default:
            if (Peer* peer = peerAt(script.byte())) {
                peer->stuck = !peer->stuck;
                if (!peer->stuck)
                    peer->pending = 0;
            }
            break;
        }
        for (auto& peer : peers)
            if (peer->dropped)
                peer->end();
        if (server->slotsInUse() < 0 || server->slotsInUse() > kSlotCount)
            fail("slots in use out of range");
        if (server->gameRunning() && (server->currentSeat() < 1 || server->currentSeat() > kSeatCount))
            fail("current seat out of range");
        if (server->mask().size() != server->word().size())
            fail("mask and word differ in length", server->mask());
    }

    // Everybody leaves; the server must forget every connection.
    clock.advance(1000);
    for (auto& peer : peers)
        peer->end();
    clock.advance(100);
    for (int number = 1; number <= kSlotCount; ++number)
        if (server->slot(number).connected)
            fail("slot still connected after every client left");

    if (recordPath && !peers.empty()) {
        QFile out(QString::fromLocal8Bit(recordPath));
        if (out.open(QIODevice::WriteOnly))
            out.write(peers.front()->recorded);
    }
    server.reset();
    return 0;
}
