#pragma once
// In-memory connections to a GameServer that runs in virtual time.

#include "net/gametimer.h"
#include "net/protocol.h"
#include "server/gameserver.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <utility>
#include <vector>

// Readable failure messages for byte texts.
inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"' << bytes.toStdString() << '"';
}

// One client connection that records what the server sends it. Given a login
// name, it answers every "CMD_sendlogininfo" with a login, as every copy of
// the game does: it records the slot and queues the answer for the harness.
class FakePeer : public ServerPeer {
public:
    void send(const QByteArray& bytes) override
    {
        if (failSend)
            throw std::runtime_error("send failed");
        if (!loginName.isNull())
            answerLoginRequests(bytes);
        if (keepNothing)
            return;
        m_bytes += bytes;
    }
    PeerAddress address() const override { return from; }
    bool stoppedAnswering() const override { return unanswering; }
    void close() override
    {
        ++closeCalls;
        if (onClose)
            onClose();
    }

    // Messages received since the last call, without their terminators.
    QList<QByteArray> take()
    {
        QList<QByteArray> out = cutter.feed(m_bytes);
        m_bytes.clear();
        return out;
    }
    // Names of the messages received since the last call.
    QList<QByteArray> takeNames()
    {
        QList<QByteArray> names;
        for (const QByteArray& m : take())
            names.append(m.left(m.indexOf('+')));
        return names;
    }

    // The login answers waiting to be delivered.
    QList<QByteArray> takeAnswers() { return std::exchange(m_answers, {}); }

    int slot = 0;
    int closeCalls = 0;
    QByteArray loginName; // null: the test logs in by hand
    QByteArray loginVersion = kVersion;
    PeerAddress from;
    bool failSend = false;
    bool unanswering = false; // the link to this peer looks cut
    bool keepNothing = false;
    std::function<void()> onClose;
    // Cuts what the client sends, with the bound of a server's Connection.
    proto::MessageCutter input{proto::kMaxPendingBytes};

private:
    void answerLoginRequests(const QByteArray& bytes)
    {
        for (const QByteArray& message : m_loginWatch.feed(bytes)) {
            if (!message.startsWith("CMD_sendlogininfo+"))
                continue;
            slot = message.mid(message.indexOf('+') + 1).toInt();
            m_answers.append(proto::msg::loginInfo(slot, loginVersion, loginName));
        }
    }

    QByteArray m_bytes;
    QList<QByteArray> m_answers;
    proto::MessageCutter cutter{1 << 30};
    proto::MessageCutter m_loginWatch{1 << 30};
};

inline WordListSet sameWordEverywhere(const QByteArray& word, int copies = 50)
{
    WordListSet lists;
    for (WordList& list : lists)
        for (int i = 0; i < copies; ++i)
            list.append(word);
    return lists;
}

class ServerHarness {
public:
    explicit ServerHarness(WordListSet lists = sameWordEverywhere("baker's dozen   "), quint32 seed = 7)
        : server(clock, seed, WordLists(std::move(lists)))
    {
    }

    // A new connection from the address (this machine by default); closing it
    // reports the close back, as the program's socket side does. With a login
    // name it answers every "CMD_sendlogininfo" at the next drain().
    FakePeer& connect(const PeerAddress& from = {}, const QByteArray& loginName = {},
                      const QByteArray& version = kVersion)
    {
        peers.push_back(std::make_unique<FakePeer>());
        FakePeer* peer = peers.back().get();
        peer->onClose = [this, peer] { server.closed(peer); };
        peer->from = from;
        peer->loginName = loginName;
        peer->loginVersion = version;
        peer->slot = server.accept(peer);
        return *peer;
    }
    // A connection that logs in as the client does and whose queue has been dispatched.
    FakePeer& join(const QByteArray& name, const QByteArray& version = kVersion, const PeerAddress& from = {})
    {
        FakePeer& peer = connect(from, name.isNull() ? QByteArray("") : name, version);
        drain();
        return peer;
    }
    // Hands the server the messages the bytes complete, as a Connection does,
    // and ends the connection when a message is too long.
    void deliver(FakePeer& peer, const QByteArray& bytes)
    {
        for (const QByteArray& message : peer.input.feed(bytes))
            server.received(&peer, message);
        if (peer.input.overflowed())
            server.closed(&peer);
    }
    // Delivers the bytes and lets the dispatch timer dispatch everything queued.
    void send(FakePeer& peer, const QByteArray& bytes)
    {
        deliver(peer, bytes);
        drain();
    }
    // Delivers the peers' login answers and dispatches until nothing is left.
    void drain()
    {
        while (deliverAnswers() || server.queuedMessages() > 0)
            clock.advance(kDispatchIntervalMs);
    }
    bool deliverAnswers()
    {
        bool any = false;
        for (std::size_t i = 0; i < peers.size(); ++i)
            for (const QByteArray& answer : peers[i]->takeAnswers()) {
                deliver(*peers[i], answer);
                any = true;
            }
        return any;
    }
    void startGame(FakePeer& host, const QByteArray& playTo = "200", const QByteArray& turnTime = "30",
                   bool team = false, bool choose = false)
    {
        send(host, proto::msg::startGame("You", playTo, turnTime, team, choose));
    }
    void pick(FakePeer& peer, char letter) { send(peer, proto::msg::selectLetter(peer.slot, letter - 'a' + 1)); }
    // Advances until the predicate holds (at most limitMs), 10 ms at a time.
    bool until(const std::function<bool()>& done, long long limitMs = 600'000)
    {
        return clock.advanceUntil(done, limitMs, kDispatchIntervalMs);
    }

    VirtualClock clock;
    GameServer server;
    std::vector<std::unique_ptr<FakePeer>> peers;
};

inline QList<QByteArray> fieldsOf(const QByteArray& message)
{
    return message.split('+');
}
