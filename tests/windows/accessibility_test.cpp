// The side windows read by a screen reader: every control Tab reaches has a name,
// and the game start window's switches are check boxes that the accessibility
// action and the space bar toggle.
#include "support/accessibilityrecorder.h"
#include "support/fakesurroundings.h"
#include "support/unnamedcontrols.h"
#include "tally/tally.h"
#include "windows/gameoptionsdialog.h"
#include "windows/phraseeditor.h"
#include "windows/spylistwindow.h"
#include "windows/tallywindow.h"

#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(SideWindowsAccessibility, EveryControlTabReachesIsNamed)
{
    GameOptionsDialog gamestart;
    PhraseEditor phrases;
    SpyListWindow spylist;
    QTemporaryDir folder;
    Tally records(folder.filePath("hangmantally.tld"));
    FakePrompts prompts;
    TallyWindow tally(records, prompts);
    for (QWidget* window : std::initializer_list<QWidget*>{&gamestart, &phrases, &spylist, &tally}) {
        window->show(); // a side window makes its controls when it is first shown
        EXPECT_EQ(unnamedControls(window).join(", ").toStdString(), "") << window->metaObject()->className();
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(phrases.findChild<QWidget*>("phrase3"))->text(QAccessible::Name),
              "Phrase Button 3:");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(tally.findChild<QListWidget*>("listbox_tally"))->text(QAccessible::Name),
              "Players Being Tallied");
}

TEST(SideWindowsAccessibility, GameStartSwitchesAreCheckBoxes)
{
    GameOptionsDialog window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* team = window.findChild<QLabel*>("image_team");
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(team);
    EXPECT_EQ(box->role(), QAccessible::CheckBox);
    EXPECT_EQ(box->text(QAccessible::Name), "Team Game");
    EXPECT_TRUE(box->state().checkable);
    EXPECT_FALSE(box->state().checked);

    AccessibilityRecorder recorder;
    box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(window.teamGame());
    EXPECT_TRUE(box->state().checked);
    EXPECT_EQ(recorder.count(team, QAccessible::StateChanged), 1);

    QApplication::setActiveWindow(&window);
    team->setFocus();
    ASSERT_TRUE(team->hasFocus());
    QTest::keyClick(team, Qt::Key_Space);
    EXPECT_FALSE(window.teamGame());
    EXPECT_FALSE(window.chooseCategory());
}

} // namespace
