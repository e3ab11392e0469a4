#include "server/computerplayer.h"

#include <algorithm>

namespace {

constexpr int kCommonDraws = 21;
constexpr int kReadingTries = 20;
constexpr char kCommonLetters[] = "tadeghinorst";

// Last draw (0..127) of each letter's range in the weighted alphabet.
constexpr std::array<int, kLetterCount> kWeightedRangeEnds = {
    10, 12, 14, 18, 29, 31, 36, 40, 51, 52, 55, 59, 62,
    68, 79, 82, 83, 87, 97, 108, 119, 120, 122, 123, 126, 127};

int weightedLetter(int drawn)
{
    const auto* end = std::lower_bound(kWeightedRangeEnds.begin(), kWeightedRangeEnds.end(), drawn);
    return int(end - kWeightedRangeEnds.begin()) + 1;
}

bool everyletterused(const LettersUsed& used)
{
    return std::all_of(used.begin() + 1, used.end(), [](bool u) { return u; });
}

} // namespace

int letterNumber(char c)
{
    return (c >= 'a' && c <= 'z') ? c - 'a' + 1 : 1;
}

char letterOf(int letter)
{
    return (letter >= 1 && letter <= kLetterCount) ? char('a' + letter - 1) : 'a';
}

int ComputerPlayer::readingThreshold(int maskLength)
{
    if (maskLength <= 4)
        return 1;
    if (maskLength <= 7)
        return 2;
    if (maskLength <= 10)
        return 3;
    if (maskLength <= 13)
        return 4;
    if (maskLength <= 18)
        return 5;
    return 6;
}

int ComputerPlayer::draw(int lowest, int highest)
{
    return std::uniform_int_distribution<int>(lowest, highest)(m_rng);
}

std::optional<int> ComputerPlayer::readWord(const QByteArray& word, const QByteArray& mask, const LettersUsed& used)
{
    const int length = int(std::min(mask.size(), word.size()));
    const int hidden = int(std::count(mask.begin(), mask.begin() + length, '*'));
    if (hidden == 1) {
        const int letter = letterNumber(word[mask.indexOf('*')]);
        if (!used[letter])
            return letter;
    }
    if (length == 0 || hidden >= readingThreshold(length))
        return std::nullopt;
    for (int tries = 0; tries < kReadingTries; ++tries) {
        const int position = draw(0, length - 1);
        if (mask[position] != '*')
            continue;
        const int letter = letterNumber(word[position]);
        if (used[letter])
            return std::nullopt;
        return letter;
    }
    return std::nullopt;
}

std::optional<int> ComputerPlayer::guessLetter(const LettersUsed& used)
{
    for (int tries = 0; tries < kCommonDraws; ++tries) {
        const int letter = letterNumber(kCommonLetters[draw(0, 11)]);
        if (!used[letter])
            return letter;
    }
    if (everyletterused(used))
        return std::nullopt;
    for (;;) {
        const int letter = weightedLetter(draw(0, 127));
        if (!used[letter])
            return letter;
    }
}
