#pragma once
// The server's received queue: one first-in first-out lane per player slot,
// served in turn (round robin) over the lanes that hold messages, so that a
// backlog on one connection delays only that connection's own messages.

#include <QByteArray>
#include <deque>
#include <optional>
#include <vector>

class FairQueue {
public:
    struct Entry {
        quint64 connectionId;
        int slot;
        QByteArray text;
    };

    // Lanes for slots 0..highestSlot.
    explicit FairQueue(int highestSlot);

    void push(int slot, quint64 connectionId, QByteArray text);
    // The head of the next lane after the one served last that holds a message.
    std::optional<Entry> takeNext();
    // Drops every message of the connection.
    void purge(quint64 connectionId);
    bool empty() const { return m_size == 0; }
    int size() const { return m_size; }

private:
    std::vector<std::deque<Entry>> m_lanes;
    int m_lastServed = 0;
    int m_size = 0;
};
