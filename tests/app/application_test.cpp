#include "app/application.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <stdexcept>
#include <gtest/gtest.h>

namespace {

TEST(HangmanApplication, ExceptionLeavingAHandlerIsReportedAndTheProgramGoesOn)
{
    QPushButton button;
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        if (++clicks == 1)
            throw std::runtime_error("Send - Socket Not Connected");
    });
    QStringList shown;
    auto report = [&](const QString& text) { shown << text; };

    EXPECT_FALSE(HangmanApplication::deliverGuarded([&] { button.click(); return true; }, report));
    EXPECT_EQ(shown, QStringList{"Send - Socket Not Connected"});

    EXPECT_TRUE(HangmanApplication::deliverGuarded([&] { button.click(); return true; }, report));
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(shown.size(), 1);

    HangmanApplication::deliverGuarded([]() -> bool { throw 42; }, report);
    EXPECT_EQ(shown.last(), "Unknown error");
}

TEST(TerminationWatcher, TurnsSigtermIntoASignal)
{
    TerminationWatcher watcher;
    QSignalSpy requested(&watcher, &TerminationWatcher::terminationRequested);
    ::raise(SIGTERM);
    ::raise(SIGINT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return requested.size() == 2; }, 5000));
    EXPECT_EQ(requested[0][0].toInt(), SIGTERM);
    EXPECT_EQ(requested[1][0].toInt(), SIGINT);
}

} // namespace
