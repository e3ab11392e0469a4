#include "server/floodcontrol.h"

#include "net/protocol.h"

#include <algorithm>

bool isRelayedMessage(const QByteArray& message)
{
    const auto named = proto::splitName(message);
    return named
           && (named->name == proto::name::kChat || named->name == proto::name::kAction
               || named->name == proto::name::kPlayASound);
}

void ChatLimiter::reset(long long nowMs)
{
    m_tokens = kChatBurst * kTokenCost;
    m_refilledAt = nowMs;
    m_floodSince = -1;
}

ChatLimiter::Verdict ChatLimiter::take(long long nowMs)
{
    const long long elapsed = std::max(0LL, nowMs - m_refilledAt);
    m_tokens = std::min(kChatBurst * kTokenCost, m_tokens + elapsed * kChatRefillPerSecond);
    m_refilledAt = nowMs;
    if (m_tokens >= kTokenCost) {
        m_tokens -= kTokenCost;
        return Verdict::Relay;
    }
    if (m_floodSince < 0 || nowMs - m_lastDrop >= kFloodGapMs)
        m_floodSince = nowMs;
    m_lastDrop = nowMs;
    return nowMs - m_floodSince >= kSustainedFloodMs ? Verdict::Close : Verdict::Drop;
}
