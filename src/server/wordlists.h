#pragma once
// The five word lists, one per category (0 General, 1 holiday, 2 food,
// 3 Entertainment, 4 Phrases), and the drawing, cleaning and masking of a word.
//
// The lists start from the compiled-in files ":/words/<name>.txt" (one entry per
// line, LF line ends, entries kept exactly, trailing spaces included), read when
// first needed, or from lists a test hands in. Every drawn entry is removed, so an
// entry comes up once per run (duplicates apart); so does an entry of the host's own
// lists, which are handed in again at every game start.

#include "net/gamerules.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <array>
#include <random>

constexpr int kHolidayCategory = 1;

using WordList = QList<QByteArray>;
using WordListSet = std::array<WordList, kCategoryCount>;

class WordLists {
public:
    // The lists of the compiled-in resources.
    static WordListSet builtIn();
    // Cuts a list file into its entries: one per line, a final line end optional, a CR before LF dropped.
    static WordList parse(const QByteArray& fileContents);
    // The caption of a category ("General", "holiday", ...); empty outside 0..4.
    static QString caption(int category);

    // The compiled-in lists, read when a word is first drawn or a list first looked at.
    WordLists() = default;
    explicit WordLists(WordListSet lists);

    const WordList& list(int category) const;

    struct Drawn {
        QByteArray word;
        QByteArray mask;
        int category = 0;
    };
    // Draws a word of the category, falling back to "holiday" when its list is
    // used up; when "holiday" is used up too, all five lists start over from
    // their initial entries.
    Drawn draw(int category, std::mt19937& rng);
    // Puts each non-empty list of own in place of its category's list, less the words
    // already drawn from own lists of that category, so an entry still there stays used
    // up; a category whose own list is empty gets back the list it had before any own
    // list replaced it.
    void useOwnLists(const WordListSet& own);

private:
    bool takeFrom(int category, std::mt19937& rng, QByteArray& word);
    void readBuiltInOnce() const;

    mutable bool m_builtInPending = true;
    mutable WordListSet m_lists;
    mutable WordListSet m_initial;
    std::array<bool, kCategoryCount> m_replaced{};
    WordListSet m_replacedLists;
    WordListSet m_replacedInitial;
    std::array<QSet<QByteArray>, kCategoryCount> m_drawnFromOwn; // cleaned words, until the lists start over
};

// Lower-cases A to Z (nothing else) and trims spaces at both ends; inner spaces stay.
QByteArray cleanWord(const QByteArray& entry);
// "*" for every character but the space and the apostrophe, which show as themselves.
QByteArray maskWord(const QByteArray& word);
