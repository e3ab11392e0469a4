// Avahi's client on the Qt event loop: the poll adapter with pipes and clocks of
// its own, and the announcer and the browser where no Avahi daemon answers (no
// system bus at all, then a private bus without the daemon on it). Nothing here
// sends anything on a network.
#include "net/avahiqtpoll.h"
#include "net/lanbrowser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <avahi-common/timeval.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct Seen {
    const AvahiPoll* poll = nullptr;
    int calls = 0;
    int events = 0;        // what the callback was told
    int eventsAsked = 0;   // what watch_get_events said inside it
    bool freeInside = false;
};

void watchCalled(AvahiWatch* watch, int fd, AvahiWatchEvent events, void* data)
{
    auto* seen = static_cast<Seen*>(data);
    ++seen->calls;
    seen->events = events;
    seen->eventsAsked = seen->poll->watch_get_events(watch);
    if (events & AVAHI_WATCH_IN) {
        char byte = 0;
        EXPECT_EQ(read(fd, &byte, 1), 1);
    }
    if (seen->freeInside)
        seen->poll->watch_free(watch);
}

void timeoutCalled(AvahiTimeout* timeout, void* data)
{
    auto* seen = static_cast<Seen*>(data);
    ++seen->calls;
    if (seen->freeInside)
        seen->poll->timeout_free(timeout);
}

void runEvents(int ms)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

timeval inMs(int ms)
{
    timeval when{};
    avahi_elapse_time(&when, unsigned(ms), 0);
    return when;
}

} // namespace

TEST(AvahiQtPoll, WatchesAndTimeoutsRunInTheEventLoopAndMayBeFreedInTheirCallbacks)
{
    AvahiQtPoll adapter;
    const AvahiPoll* poll = adapter.poll();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);

    // A readable pipe: told once per byte, with the event it was asked for.
    Seen reading{poll};
    AvahiWatch* watch = poll->watch_new(poll, fds[0], AVAHI_WATCH_IN, watchCalled, &reading);
    runEvents(30);
    EXPECT_EQ(reading.calls, 0) << "nothing to read yet";
    ASSERT_EQ(write(fds[1], "ab", 2), 2);
    runEvents(50);
    EXPECT_EQ(reading.calls, 2);
    EXPECT_EQ(reading.events, AVAHI_WATCH_IN);
    EXPECT_EQ(reading.eventsAsked, AVAHI_WATCH_IN);
    // Switched off, it is not told; freed inside its callback, it is told once more and never again.
    poll->watch_update(watch, AvahiWatchEvent(0));
    ASSERT_EQ(write(fds[1], "c", 1), 1);
    runEvents(30);
    EXPECT_EQ(reading.calls, 2);
    reading.freeInside = true;
    poll->watch_update(watch, AVAHI_WATCH_IN);
    runEvents(30);
    ASSERT_EQ(write(fds[1], "d", 1), 1);
    runEvents(30);
    EXPECT_EQ(reading.calls, 3);

    // The other end of the pipe can be written to at once.
    Seen writing{poll};
    writing.freeInside = true;
    poll->watch_new(poll, fds[1], AVAHI_WATCH_OUT, watchCalled, &writing);
    runEvents(30);
    EXPECT_EQ(writing.calls, 1);
    EXPECT_EQ(writing.events, AVAHI_WATCH_OUT);

    // A timeout fires once, when due, not before; one without a time waits until given one.
    Seen due{poll};
    const timeval soon = inMs(150);
    AvahiTimeout* timeout = poll->timeout_new(poll, &soon, timeoutCalled, &due);
    runEvents(60);
    EXPECT_EQ(due.calls, 0) << "fired early";
    runEvents(250);
    EXPECT_EQ(due.calls, 1);
    const timeval past = inMs(0);
    poll->timeout_update(timeout, &past);
    poll->timeout_update(timeout, nullptr);
    runEvents(30);
    EXPECT_EQ(due.calls, 1) << "a timeout taken back still fired";
    poll->timeout_free(timeout);

    Seen waiting{poll};
    waiting.freeInside = true;
    AvahiTimeout* later = poll->timeout_new(poll, nullptr, timeoutCalled, &waiting);
    runEvents(30);
    EXPECT_EQ(waiting.calls, 0);
    poll->timeout_update(later, &past);
    runEvents(30);
    EXPECT_EQ(waiting.calls, 1);
    close(fds[0]);
    close(fds[1]);
}

TEST(LanWithoutADaemon, TheAnnouncerAndTheBrowserSayWhyOnceAndLeaveTheGameAlone)
{
    QTemporaryDir folder;
    const QString bus = folder.filePath("bus");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + bus).toLocal8Bit());
    LanAnnouncer announcer;
    QSignalSpy told(&announcer, &LanAnnouncer::unavailable);
    LanBrowser browser;
    QSignalSpy browserTold(&browser, &LanBrowser::unavailable);

    // No system bus at all.
    announcer.start("Ann", 7772, {1, 0, false});
    announcer.update({2, 0, false});
    browser.start();
    runEvents(50);
    EXPECT_EQ(told.count(), 1);
    EXPECT_EQ(browserTold.count(), 1);
    EXPECT_TRUE(announcer.announcedName().isEmpty());
    EXPECT_TRUE(browser.games().isEmpty());
    announcer.stop();

    // A system bus without the Avahi daemon on it; then the bus goes away too.
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--address=unix:path=" + bus});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(bus); }, 10000));
    announcer.start("Ann", 7772, {1, 0, false});
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.count() == 2; }, 5000));
    EXPECT_EQ(told.last().at(0).toString(), "no Avahi daemon is running");
    announcer.update({2, 1, true});
    daemon.kill();
    daemon.waitForFinished(5000);
    runEvents(300);
    EXPECT_EQ(told.count(), 2) << "said once each time hosting starts";
    announcer.update({1, 1, true});
    announcer.stop();
    EXPECT_TRUE(announcer.announcedName().isEmpty());
    qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}
