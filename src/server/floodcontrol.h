#pragma once
// Flood control of the relayed messages ("CMD_chat", "CMD_action",
// "CMD_playasound"): every connection has a token bucket. A quiet connection may
// send a burst of kChatBurst such messages at once; after that one more every
// 1000 / kChatRefillPerSecond ms (about one every 333 ms, faster than anybody
// types or clicks the phrase buttons, whose own cool-down is 2 s). Messages over
// the limit are dropped, not relayed. A connection that keeps going over the
// limit for kSustainedFloodMs (drops less than kFloodGapMs apart) is closed,
// unless it is the host's own.

#include <QByteArray>

constexpr int kChatBurst = 10;
constexpr int kChatRefillPerSecond = 3;
constexpr int kSustainedFloodMs = 10'000;
constexpr int kFloodGapMs = 2'000;

// Whether the message is one that flood control limits.
bool isRelayedMessage(const QByteArray& message);

class ChatLimiter {
public:
    enum class Verdict { Relay, Drop, Close };

    // A full bucket at time nowMs.
    void reset(long long nowMs);
    // Takes one token for a message arriving at nowMs.
    Verdict take(long long nowMs);

private:
    static constexpr long long kTokenCost = 1000; // the bucket counts thousandths of a message

    long long m_tokens = kChatBurst * kTokenCost;
    long long m_refilledAt = 0;
    long long m_floodSince = -1;
    long long m_lastDrop = 0;
};
