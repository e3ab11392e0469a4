#include "server/fairqueue.h"

#include <algorithm>
#include <utility>

FairQueue::FairQueue(int highestSlot) : m_lanes(size_t(highestSlot) + 1) {}

void FairQueue::push(int slot, quint64 connectionId, QByteArray text)
{
    m_lanes.at(size_t(slot)).push_back({connectionId, slot, std::move(text)});
    ++m_size;
}

std::optional<FairQueue::Entry> FairQueue::takeNext()
{
    const int lanes = int(m_lanes.size());
    for (int step = 1; step <= lanes; ++step) {
        const int lane = (m_lastServed + step) % lanes;
        if (m_lanes[lane].empty())
            continue;
        Entry entry = std::move(m_lanes[lane].front());
        m_lanes[lane].pop_front();
        --m_size;
        m_lastServed = lane;
        return entry;
    }
    return std::nullopt;
}

void FairQueue::purge(quint64 connectionId)
{
    for (auto& lane : m_lanes)
        m_size -= int(std::erase_if(lane, [connectionId](const Entry& e) { return e.connectionId == connectionId; }));
}
