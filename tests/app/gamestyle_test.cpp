#include "app/gamestyle.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyleFactory>
#include <QStyleOption>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

bool imagePluginLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

TEST(GameStyle, ExtensionArrowsLookAsThePlatformStyleDrawsThem)
{
    GameStyle style;
    const std::unique_ptr<QStyle> platform(QStyleFactory::create(QStringLiteral("Fusion")));
    QStyleOption rightToLeft;
    rightToLeft.direction = Qt::RightToLeft;
    for (const QStyle::StandardPixmap which :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        for (const QStyleOption* option : std::initializer_list<const QStyleOption*>{nullptr, &rightToLeft}) {
            const QIcon ours = style.standardIcon(which, option);
            const QIcon theirs = platform->standardIcon(which, option);
            ASSERT_FALSE(theirs.availableSizes().isEmpty());
            EXPECT_EQ(ours.availableSizes(), theirs.availableSizes()) << which;
            for (const QSize& size : theirs.availableSizes())
                EXPECT_EQ(ours.pixmap(size).toImage(), theirs.pixmap(size).toImage()) << which << " " << size.width();
        }
    }
}

// In a fresh copy of this program (a death test runs the statement in one): a
// menu bar made under the game's style loads no image format plugin.
TEST(GameStyleDeathTest, MenuBarLoadsNoImagePlugin)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QApplication::setStyle(new GameStyle);
            QMainWindow window;
            window.menuBar()->addMenu(QStringLiteral("&Game"));
            std::exit(imagePluginLoaded() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace
