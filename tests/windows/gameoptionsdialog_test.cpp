#include "board/art.h"
#include "windows/gameoptionsdialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

TEST(GameStartTest, UpDownsStepWithinTheirLimits)
{
    GameOptionsDialog window;
    EXPECT_EQ(window.playTo(), 200);
    EXPECT_EQ(window.timeLimit(), 20);

    // The options are kept (clamped) before the controls exist, and the controls show them.
    window.setPlayTo(1000);
    window.setTimeLimit(35);
    window.setSwitch("image_team", 1);
    EXPECT_EQ(window.findChild<QSpinBox*>("updown_playtoscore"), nullptr) << "made when first shown";
    EXPECT_EQ(window.playTo(), 500);
    EXPECT_TRUE(window.teamGame());
    window.show();
    auto* playTo = window.findChild<QSpinBox*>("updown_playtoscore");
    auto* time = window.findChild<QSpinBox*>("updown_time");
    EXPECT_EQ(playTo->value(), 500);
    EXPECT_EQ(time->value(), 35);
    EXPECT_EQ(window.findChild<QLabel*>("image_team")->pixmap().toImage(), Art::switchPicture(true).toImage());
    EXPECT_EQ(window.findChild<QLabel*>("image_choose")->pixmap().toImage(), Art::switchPicture(false).toImage());
    EXPECT_TRUE(window.findChild<QLineEdit*>("edit_playtoscore")->isReadOnly());
    window.setTimeLimit(20);

    window.setPlayTo(480);
    playTo->stepUp();
    EXPECT_EQ(window.playTo(), 500);
    playTo->stepUp();
    EXPECT_EQ(window.playTo(), 500);
    window.setPlayTo(60);
    playTo->stepDown();
    EXPECT_EQ(window.playTo(), 50);
    playTo->stepDown();
    EXPECT_EQ(window.playTo(), 50);

    time->stepDown();
    EXPECT_EQ(window.timeLimit(), 15);
    for (int step = 0; step < 20; ++step)
        time->stepUp();
    EXPECT_EQ(window.timeLimit(), 60);
    window.setTimeLimit(3);
    EXPECT_EQ(window.timeLimit(), 10);
}

TEST(GameStartTest, PageKeysAndTheWheelMoveOneStepOnly)
{
    GameOptionsDialog window;
    window.show();
    auto* playTo = window.findChild<QSpinBox*>("updown_playtoscore");
    auto* time = window.findChild<QSpinBox*>("updown_time");
    QTest::keyClick(playTo, Qt::Key_PageUp);
    EXPECT_EQ(window.playTo(), 220);
    QTest::keyClick(playTo, Qt::Key_PageDown);
    QTest::keyClick(playTo, Qt::Key_PageDown);
    EXPECT_EQ(window.playTo(), 180);
    QTest::keyClick(time, Qt::Key_PageDown);
    EXPECT_EQ(window.timeLimit(), 15);

    const auto wheel = [](QSpinBox* box, int notches, Qt::KeyboardModifiers modifiers) {
        const QPointF centre = box->rect().center();
        QWheelEvent event(centre, box->mapToGlobal(centre), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(box, &event);
    };
    wheel(playTo, 1, Qt::ControlModifier);
    EXPECT_EQ(window.playTo(), 200);
    wheel(playTo, 3, Qt::NoModifier);
    EXPECT_EQ(window.playTo(), 220);
    wheel(time, -1, Qt::ControlModifier);
    EXPECT_EQ(window.timeLimit(), 10);
}

TEST(GameStartTest, StartEmitsTheOptionsAndHides)
{
    GameOptionsDialog window;
    QSignalSpy started(&window, &GameOptionsDialog::startPressed);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), "HangMan - Game Start");

    auto* team = window.findChild<QLabel*>("image_team");
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, team->geometry().center());
    EXPECT_TRUE(window.teamGame());
    window.setSwitch("image_choose", 1);
    window.setSwitch("no_such_picture", 1);
    window.findChild<QSpinBox*>("updown_time")->stepUp();
    QTest::keyClick(window.findChild<QSpinBox*>("updown_playtoscore"), Qt::Key_Return);
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started.at(0), (QList<QVariant>{200, 25, true, true}));
    EXPECT_FALSE(window.isVisible());

    window.show();
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, team->geometry().center());
    window.setChooseCategory(false);
    window.findChild<QPushButton*>("button_start")->click();
    ASSERT_EQ(started.size(), 2);
    EXPECT_EQ(started.at(1), (QList<QVariant>{200, 25, false, false}));
}

} // namespace

namespace {

// Writes a picture of the window to the folder named by HANGMAN_SCREENSHOTS, for looking at
// by eye. A tool, not a test: disabled, so it runs only when asked for (see README.md).
TEST(GameStartTest, DISABLED_PictureWriterToHangmanScreenshotsFolder)
{
    const QString folder = qEnvironmentVariable("HANGMAN_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "HANGMAN_SCREENSHOTS not set";
    GameOptionsDialog window;
    window.setSwitch("image_choose", 1);
    EXPECT_TRUE(window.grab().save(folder + "/gamestart.png"));
}

} // namespace
