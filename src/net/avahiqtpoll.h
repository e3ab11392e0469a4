#pragma once
// AvahiQtPoll: the event loop Avahi's client library asks for, made of Qt socket
// notifiers and single-shot timers of the thread that creates it. So Avahi's
// callbacks run in the ordinary Qt event loop of that thread (for the game and
// the launcher: the GUI thread), with no thread and no locking of its own.
// Avahi may free a watch or a timeout from inside its own callback; the Qt
// objects behind it are then only disabled and deleted later.

#include <avahi-common/watch.h>

class AvahiQtPoll {
public:
    AvahiQtPoll();
    AvahiQtPoll(const AvahiQtPoll&) = delete;
    AvahiQtPoll& operator=(const AvahiQtPoll&) = delete;

    // The poll to hand to avahi_client_new(); valid while this object lives.
    const AvahiPoll* poll() const { return &m_poll; }

private:
    AvahiPoll m_poll{};
};
