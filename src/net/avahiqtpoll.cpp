#include "net/avahiqtpoll.h"

#include <QSocketNotifier>
#include <QTimer>
#include <avahi-common/timeval.h>

struct AvahiWatch {
    int fd = -1;
    AvahiWatchCallback callback = nullptr;
    void* userdata = nullptr;
    int happened = 0; // the events of the callback running now
    QSocketNotifier* readable = nullptr;
    QSocketNotifier* writable = nullptr;
};

struct AvahiTimeout {
    AvahiTimeoutCallback callback = nullptr;
    void* userdata = nullptr;
    QTimer* timer = nullptr;
};

namespace {

void notify(AvahiWatch* watch, AvahiWatchEvent event)
{
    watch->happened = event;
    watch->callback(watch, watch->fd, event, watch->userdata);
}

// The watch may be freed inside the callback, so nothing touches it after notify().
QSocketNotifier* makeNotifier(AvahiWatch* watch, QSocketNotifier::Type type, AvahiWatchEvent event)
{
    auto* notifier = new QSocketNotifier(type); // disabled until asked for: one fd may have two watches
    notifier->setSocket(watch->fd);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [watch, event] { notify(watch, event); });
    return notifier;
}

void dropLater(QObject* object)
{
    QObject::disconnect(object, nullptr, nullptr, nullptr);
    object->deleteLater();
}

void watchUpdate(AvahiWatch* watch, AvahiWatchEvent events)
{
    watch->readable->setEnabled(events & AVAHI_WATCH_IN);
    watch->writable->setEnabled(events & AVAHI_WATCH_OUT);
}

AvahiWatch* watchNew(const AvahiPoll*, int fd, AvahiWatchEvent events, AvahiWatchCallback callback, void* userdata)
{
    auto* watch = new AvahiWatch{fd, callback, userdata};
    watch->readable = makeNotifier(watch, QSocketNotifier::Read, AVAHI_WATCH_IN);
    watch->writable = makeNotifier(watch, QSocketNotifier::Write, AVAHI_WATCH_OUT);
    watchUpdate(watch, events);
    return watch;
}

AvahiWatchEvent watchGetEvents(AvahiWatch* watch)
{
    return AvahiWatchEvent(watch->happened);
}

void watchFree(AvahiWatch* watch)
{
    watch->readable->setEnabled(false);
    watch->writable->setEnabled(false);
    dropLater(watch->readable);
    dropLater(watch->writable);
    delete watch;
}

void timeoutUpdate(AvahiTimeout* timeout, const timeval* when)
{
    if (!when) {
        timeout->timer->stop();
        return;
    }
    const AvahiUsec late = avahi_age(when);
    timeout->timer->start(late >= 0 ? 0 : int((-late + 999) / 1000));
}

AvahiTimeout* timeoutNew(const AvahiPoll*, const timeval* when, AvahiTimeoutCallback callback, void* userdata)
{
    auto* timeout = new AvahiTimeout{callback, userdata, new QTimer};
    timeout->timer->setSingleShot(true);
    QObject::connect(timeout->timer, &QTimer::timeout, timeout->timer,
                     [timeout] { timeout->callback(timeout, timeout->userdata); });
    timeoutUpdate(timeout, when);
    return timeout;
}

void timeoutFree(AvahiTimeout* timeout)
{
    timeout->timer->stop();
    dropLater(timeout->timer);
    delete timeout;
}

} // namespace

AvahiQtPoll::AvahiQtPoll()
{
    m_poll.watch_new = watchNew;
    m_poll.watch_update = watchUpdate;
    m_poll.watch_get_events = watchGetEvents;
    m_poll.watch_free = watchFree;
    m_poll.timeout_new = timeoutNew;
    m_poll.timeout_update = timeoutUpdate;
    m_poll.timeout_free = timeoutFree;
}
