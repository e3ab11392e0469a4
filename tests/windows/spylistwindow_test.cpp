#include "windows/spylistwindow.h"

#include <QListWidget>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QStringList shownEntries(const SpyListWindow& window)
{
    QStringList out;
    const QListWidget* list = window.findChild<QListWidget*>("listbox_spys");
    for (int row = 0; list && row < list->count(); ++row)
        out << list->item(row)->text();
    return out;
}

// The list is made when the window is first shown; what came before waits for it.
TEST(SpyListWindowTest, KeepsTheSpiesUntilFirstShownAndThenShowsThem)
{
    SpyListWindow window;
    window.addSpy(7, "Eve");
    window.addSpy(8, "Mallory");
    window.addSpy(9, "Trent");
    EXPECT_TRUE(window.removeSpy(8, "Mallory"));
    EXPECT_FALSE(window.removeSpy(8, "Mallory"));
    window.setRemoveEnabled(true);
    EXPECT_EQ(window.spies(), (QList<SpyListWindow::Spy>{{7, "Eve"}, {9, "Trent"}}));
    EXPECT_EQ(window.findChild<QListWidget*>("listbox_spys"), nullptr) << "not made before it is shown";

    window.show();
    EXPECT_EQ(shownEntries(window), QStringList({"7: Eve", "9: Trent"}));
    EXPECT_TRUE(window.kickAction()->isEnabled());

    window.addSpy(8, "Peggy");
    EXPECT_TRUE(window.removeSpy(7, "Eve"));
    EXPECT_EQ(shownEntries(window), QStringList({"9: Trent", "8: Peggy"}));
    EXPECT_EQ(window.spies(), (QList<SpyListWindow::Spy>{{9, "Trent"}, {8, "Peggy"}}));
}

} // namespace
