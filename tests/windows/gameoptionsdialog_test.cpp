#include "windows/gameoptionsdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(GameStartTest, UpDownsStepWithinTheirLimits)
{
    GameOptionsDialog window;
    auto* playTo = window.findChild<QSpinBox*>("UpDown1");
    auto* time = window.findChild<QSpinBox*>("UpDown2");
    EXPECT_EQ(window.playTo(), 200);
    EXPECT_EQ(window.timeLimit(), 20);
    EXPECT_TRUE(window.findChild<QLineEdit*>("edit_playtoscore")->isReadOnly());

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
    window.findChild<QSpinBox*>("UpDown2")->stepUp();
    QTest::keyClick(window.findChild<QSpinBox*>("UpDown1"), Qt::Key_Return);
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

// Writes a picture of the window to the folder named by HANGMAN_SCREENSHOTS, for looking at by eye.
TEST(GameStartTest, Screenshot)
{
    const QString folder = qEnvironmentVariable("HANGMAN_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "HANGMAN_SCREENSHOTS not set";
    GameOptionsDialog window;
    window.setSwitch("image_choose", 1);
    EXPECT_TRUE(window.grab().save(folder + "/gamestart.png"));
}

} // namespace
