// The program's windows made together, as a start-up makes them.
#include "app/gamewindows.h"
#include "client/gamemenus.h"
#include "client/mainwindow.h"
#include "support/fakesurroundings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class GameWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { tallyPath = folder.filePath("hangmantally.tld"); }

    QTemporaryDir folder;
    QString tallyPath;
    VirtualClock clock;
    FakeSurroundings outside;
};

} // namespace

TEST_F(GameWindowsTest, ADamagedTallyFileIsReportedAsTheWindowsAreMade)
{
    {
        QFile file(tallyPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a tally");
    }
    GameWindows windows(clock, tallyPath, outside);
    EXPECT_EQ(outside.prompts.errors, QStringList{tallyPath + " : Lzrw1 decompression : this file has no valid header !"});
    EXPECT_EQ(windows.tally->table().rowCount(), 1);
}

// Every side window opens centred on the main window, the first time too, when
// its contents are made just before it is shown.
TEST_F(GameWindowsTest, SideWindowsOpenCentredOnTheMainWindowTheFirstTime)
{
    GameWindows windows(clock, tallyPath, outside);
    MainWindow& chat = *windows.chat;
    chat.setArguments({"Ann", "127.0.0.1", "false"});
    chat.move(37, 21);
    chat.show();
    const GameMenus& menus = chat.menus();
    const std::pair<QWidget*, QAction*> sideWindows[] = {
        {windows.tallyWindow.get(), menus.viewTally}, {windows.about.get(), menus.about},
        {windows.help.get(), menus.helpContents}, {windows.phrases.get(), menus.phraseList},
        {windows.spylist.get(), menus.spyList}};
    for (const auto& [window, menuEntry] : sideWindows) {
        menuEntry->trigger();
        const std::string caption = menuEntry->text().toStdString();
        ASSERT_TRUE(window->isVisible()) << caption;
        const QPoint offset = window->frameGeometry().center() - chat.frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 1) << caption << ": off by " << offset.x() << ", " << offset.y();
        window->hide();
    }
    chat.showGameStart();
    const QPoint offset = windows.gamestart->frameGeometry().center() - chat.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 1) << "game start: off by " << offset.x() << ", " << offset.y();
}
