// The "--words FOLDER" option, read from the front of the command line, before the launcher's arguments.
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
}

TEST(GameCommandLine, TheLaunchersArgumentsAreTakenAsTheyAre)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path();
    const auto expectGameArguments = [](const QStringList& arguments, const QStringList& game) {
        const GameCommandLine parsed = parseGameCommandLine(arguments);
        EXPECT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
        EXPECT_EQ(parsed.gameArguments.join(" | ").toStdString(), game.join(" | ").toStdString())
            << arguments.join(' ').toStdString();
        return parsed.wordFolder;
    };

    // A player called "--words", hosting or joining, with or without a folder of his own.
    EXPECT_FALSE(expectGameArguments({"--words", "10.0.0.5", "true"}, {"--words", "10.0.0.5", "true"}));
    EXPECT_FALSE(expectGameArguments({"--words", folder, "false"}, {"--words", folder, "false"}));
    EXPECT_EQ(expectGameArguments({"--words", folder, "--words", "10.0.0.5", "true"}, {"--words", "10.0.0.5", "true"}),
              QDir(folder).absolutePath());
    // A fourth game argument is ignored by the game, so the three in front of it are the launcher's.
    EXPECT_FALSE(expectGameArguments({"--words", "Ann", "x", "true"}, {"--words", "Ann", "x", "true"}));

    // Behind the player's name nothing is an option.
    EXPECT_FALSE(expectGameArguments({"Ann", "--words", folder}, {"Ann", "--words", folder}));
    EXPECT_FALSE(expectGameArguments({"Ann", "127.0.0.1", "true", "--words", folder},
                                     {"Ann", "127.0.0.1", "true", "--words", folder}));
}
