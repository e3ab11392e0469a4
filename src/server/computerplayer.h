#pragma once
// The computer player's choice of a letter. It prefers common letters, falls back
// to a weighted alphabet, and once few characters are hidden it reads the hidden
// word and names a letter that is certainly in it.

#include "net/gamerules.h"

#include <QByteArray>
#include <array>
#include <optional>
#include <random>

// Letters used in the round, indexed by letter number 1..26 (index 0 unused).
using LettersUsed = std::array<bool, kLetterCount + 1>;

// Letter number 1..26 of "a".."z"; any other character gives 1.
int letterNumber(char c);
// Letter "a".."z" of a letter number; any other number gives "a".
char letterOf(int letter);
// The letter number of a weighted-alphabet draw from 0 to 127.
int weightedLetter(int drawn);

class ComputerPlayer {
public:
    explicit ComputerPlayer(std::mt19937& rng) : m_rng(rng) {}

    // The reading step: a hidden letter of the word when few characters are
    // hidden (and the random look finds one not yet used), else nothing.
    std::optional<int> readWord(const QByteArray& word, const QByteArray& mask, const LettersUsed& used);
    // A common letter not yet used (21 draws), else a weighted draw; nothing when every letter is used.
    std::optional<int> guessLetter(const LettersUsed& used);

    // How many hidden characters a mask of this length may have for the reading step to look.
    static int readingThreshold(int maskLength);

private:
    int draw(int lowest, int highest);

    std::mt19937& m_rng;
};
