// The tally window read by a screen reader: every control Tab reaches has a name.
#include "support/unnamedcontrols.h"
#include "tally/tallywindow.h"

#include <QListWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(TallyAccessibility, EveryControlTabReachesIsNamed)
{
    QTemporaryDir folder;
    TallyWindow tally(folder.path() + "/hangmantally.tld");
    tally.show(); // the window makes its controls when it is first shown
    EXPECT_EQ(unnamedControls(&tally).join(", ").toStdString(), "");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(tally.findChild<QListWidget*>("listbox_tally"))->text(QAccessible::Name),
              "Players Being Tallied");
}
