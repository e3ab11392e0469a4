// The program's windows made together, as a start-up makes them.
#include "app/gamewindows.h"
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
