#pragma once
// The client's queue of received messages: they are handed on one per
// millisecond tick, never inside the socket event that brought them, and the
// first one into a quiet queue at once. A flood beyond the bound ends it.

#include "net/dispatchtimer.h"

#include <QByteArray>
#include <QList>
#include <functional>

class ReceivedQueue {
public:
    static constexpr int kMaxQueued = 4096;

    // Hands each message to dispatch on the clock's ticks.
    ReceivedQueue(Clock& clock, std::function<void(const QByteArray&)> dispatch);

    // Queues one message (name and fields, no terminator); false, and the queue
    // emptied, when it would hold more than kMaxQueued.
    bool push(const QByteArray& message);
    // Forgets every message not yet handed on.
    void clear() { m_queue.clear(); }
    int size() const { return int(m_queue.size()); }

private:
    void dispatchNext();

    std::function<void(const QByteArray&)> m_dispatch;
    DispatchTimer m_timer;
    QList<QByteArray> m_queue;
};
