// The "--words FOLDER" option, read out of the command line before the game's own arguments.
#include "app/commandline.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(GameCommandLine, TheWordsOptionIsNeverAGameArgument)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path();

    GameCommandLine plain = parseGameCommandLine({"Ann", "10.0.0.5", "false"});
    EXPECT_EQ(plain.gameArguments, (QStringList{"Ann", "10.0.0.5", "false"}));
    EXPECT_FALSE(plain.wordFolder);
    EXPECT_TRUE(plain.error.isEmpty());

    GameCommandLine hosting = parseGameCommandLine({"--words", folder, "Ann", "127.0.0.1", "true"});
    EXPECT_EQ(hosting.gameArguments, (QStringList{"Ann", "127.0.0.1", "true"}));
    EXPECT_EQ(hosting.wordFolder, QDir(folder).absolutePath());
    EXPECT_TRUE(hosting.error.isEmpty());

    GameCommandLine solo = parseGameCommandLine({"--words", folder});
    EXPECT_TRUE(solo.gameArguments.isEmpty());
    EXPECT_EQ(solo.wordFolder, QDir(folder).absolutePath());

    // A relative folder is kept as the absolute one it meant at start-up.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QDir(folder).absolutePath()));
    ASSERT_TRUE(QDir().mkdir("mine"));
    const GameCommandLine relative = parseGameCommandLine({"--words", "mine"});
    QDir::setCurrent(before);
    EXPECT_EQ(relative.wordFolder, QDir(folder).absoluteFilePath("mine"));

    const GameCommandLine alone = parseGameCommandLine({"--words"});
    EXPECT_TRUE(alone.error.startsWith("hangman: --words needs a folder"));
    EXPECT_TRUE(alone.gameArguments.isEmpty());

    const GameCommandLine missing = parseGameCommandLine({"--words", folder + "/nothing", "Ann", "x", "true"});
    EXPECT_EQ(missing.error, "hangman: word folder \"" + folder + "/nothing\" not found");

    // Where a folder is missing the name after the option is not taken for one either.
    const GameCommandLine asName = parseGameCommandLine({"--words", "Ann", "127.0.0.1", "true"});
    EXPECT_FALSE(asName.error.isEmpty());
}
