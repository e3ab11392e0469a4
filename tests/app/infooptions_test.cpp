#include "app/infooptions.h"

#include <gtest/gtest.h>

TEST(InfoOptions, PrintsHelpOrVersionOnlyWhenTheyAreTheOnlyArgument)
{
    QString text;
    QTextStream out(&text);
    EXPECT_TRUE(handleInfoOptions({"hangman", "--version"}, out));
    EXPECT_EQ(text, "1.0.6.6\n");

    text.clear();
    EXPECT_TRUE(handleInfoOptions({"hangman", "--help"}, out));
    EXPECT_TRUE(text.startsWith("Usage: hangman"));
    EXPECT_TRUE(text.contains("hangman NAME ADDRESS true"));

    text.clear();
    for (const QStringList& playing : {QStringList{"hangman"}, QStringList{"hangman", "Ann"},
             QStringList{"hangman", "Ann", "10.0.0.2", "true"}, QStringList{"hangman", "--version", "x", "true"}})
        EXPECT_FALSE(handleInfoOptions(playing, out)) << playing.join(' ').toStdString();
    EXPECT_TRUE(text.isEmpty());
}
