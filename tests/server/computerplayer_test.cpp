// The computer player's letter choice: reading the word, common letters and the weighted fall-back.
#include "server/computerplayer.h"

#include <gtest/gtest.h>

namespace {

LettersUsed usedLetters(const char* letters)
{
    LettersUsed used{};
    for (const char* c = letters; *c; ++c)
        used[letterNumber(*c)] = true;
    return used;
}

TEST(ComputerPlayer, LetterNumbersAndLetters)
{
    EXPECT_EQ(letterNumber('a'), 1);
    EXPECT_EQ(letterNumber('z'), 26);
    EXPECT_EQ(letterNumber('.'), 1);
    EXPECT_EQ(letterNumber('A'), 1);
    EXPECT_EQ(letterOf(26), 'z');
    EXPECT_EQ(letterOf(0), 'a');
    EXPECT_EQ(letterOf(27), 'a');
}

TEST(ComputerPlayer, ReadsTheLastHiddenLetter)
{
    std::mt19937 rng(1);
    ComputerPlayer computer(rng);
    EXPECT_EQ(computer.readWord("actor", "act*r", usedLetters("actr")), letterNumber('o'));
    // A hidden character that is no letter reads as "a"; once "a" is used there is nothing to read.
    EXPECT_EQ(computer.readWord("dr. who", "dr* who", usedLetters("drwho")), letterNumber('a'));
    EXPECT_EQ(computer.readWord("dr. who", "dr* who", usedLetters("drwhoa")), std::nullopt);
}

TEST(ComputerPlayer, ReadsOnlyBelowTheThresholdOfTheMaskLength)
{
    EXPECT_EQ(ComputerPlayer::readingThreshold(4), 1);
    EXPECT_EQ(ComputerPlayer::readingThreshold(5), 2);
    EXPECT_EQ(ComputerPlayer::readingThreshold(10), 3);
    EXPECT_EQ(ComputerPlayer::readingThreshold(13), 4);
    EXPECT_EQ(ComputerPlayer::readingThreshold(18), 5);
    EXPECT_EQ(ComputerPlayer::readingThreshold(19), 6);

    std::mt19937 rng(5);
    ComputerPlayer computer(rng);
    int read = 0;
    for (int i = 0; i < 200; ++i) {
        // Length 10 with two hidden: nearly always read within 20 random looks.
        const auto letter = computer.readWord("basketball", "b*sketb*ll", usedLetters("bsketl"));
        if (letter) {
            EXPECT_EQ(*letter, letterNumber('a'));
            ++read;
        }
        // Length 10 with three hidden: never read.
        EXPECT_EQ(computer.readWord("basketball", "b*sk*tb*ll", usedLetters("bsktl")), std::nullopt);
    }
    EXPECT_GT(read, 190);
}

TEST(ComputerPlayer, GuessesCommonLettersThenTheWeightedAlphabetAndGivesUpWhenAllAreUsed)
{
    std::mt19937 rng(9);
    ComputerPlayer computer(rng);
    const QByteArray common = "tadeghinors";
    for (int i = 0; i < 100; ++i) {
        const auto letter = computer.guessLetter(usedLetters(""));
        ASSERT_TRUE(letter);
        EXPECT_TRUE(common.contains(letterOf(*letter)));
    }
    const LettersUsed allCommon = usedLetters("tadeghinors");
    bool sawRare = false;
    for (int i = 0; i < 200; ++i) {
        const auto letter = computer.guessLetter(allCommon);
        ASSERT_TRUE(letter);
        EXPECT_FALSE(allCommon[*letter]);
        sawRare = sawRare || *letter == letterNumber('q') || *letter == letterNumber('z');
    }
    EXPECT_TRUE(sawRare);
    EXPECT_EQ(computer.guessLetter(usedLetters("abcdefghijklmnopqrstuvwxy")), letterNumber('z'));
    EXPECT_EQ(computer.guessLetter(usedLetters("abcdefghijklmnopqrstuvwxyz")), std::nullopt);
}

} // namespace
