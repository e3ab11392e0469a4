#include "client/model/receivedqueue.h"

ReceivedQueue::ReceivedQueue(Clock& clock, std::function<void(const QByteArray&)> dispatch)
    : m_dispatch(std::move(dispatch)), m_timer(clock, 1)
{
    m_timer.onTimer = [this] { dispatchNext(); };
}

bool ReceivedQueue::push(const QByteArray& message)
{
    m_queue.append(message);
    if (m_queue.size() > kMaxQueued) {
        m_queue.clear();
        return false;
    }
    m_timer.start();
    return true;
}

void ReceivedQueue::dispatchNext()
{
    if (!m_queue.isEmpty())
        m_dispatch(m_queue.takeFirst());
    if (m_queue.isEmpty())
        m_timer.stop();
}
