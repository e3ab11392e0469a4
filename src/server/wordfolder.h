#pragma once
// A word folder: the host's own word lists, one plain-text file per category
// ("general.txt", "holiday.txt", "food.txt", "entertainment.txt", "phrases.txt").
//
// A file is UTF-8 (a byte-order mark is skipped) or, when it is not valid
// UTF-8, Latin-1; LF or CR LF line ends; one entry per line. Blank lines and
// lines starting with "#" are passed over. Blanks around an entry are trimmed
// and runs of blanks inside become one. An entry is usable when it holds only
// the letters a to z in either case, blanks and apostrophes, at least two
// letters and at most 40 characters; a repeat of an earlier entry (in any
// case) is dropped. Every other line is skipped with its line number and the
// reason. A file too large or with too many entries is refused whole.

#include "server/wordlists.h"

#include <QList>
#include <QString>
#include <array>

constexpr qint64 kMaxWordFileBytes = 4 * 1024 * 1024;
constexpr int kMaxWordFileEntries = 100'000;
constexpr int kMaxEntryCharacters = 40;
constexpr int kMinEntryLetters = 2;
constexpr int kMaxSkippedLinesKept = 100; // the skipped lines after these are only counted

// One line of a word file that was not taken, with the reason in the game's words.
struct SkippedLine {
    int line = 0;
    QString reason;
};

// What one word file gave.
struct WordFile {
    QString fileName;            // "general.txt", ...
    bool present = false;        // the file exists
    QString refusal;             // why the whole file was not used; empty when it was read
    WordList entries;            // the usable entries, in file order
    QList<SkippedLine> skipped;  // the first lines not taken, in file order
    int skippedCount = 0;        // all lines not taken
};

// What a whole folder gave, one file per category.
struct WordFolder {
    QString path;
    bool found = false;          // the folder exists
    std::array<WordFile, kCategoryCount> files;

    // The usable entries per category; a category without usable entries has an empty list.
    WordListSet lists() const;
    // The host's chat lines about this folder: where, how many words each category took,
    // the first few skipped lines with file and line, and how many more were skipped.
    QStringList reportLines() const;
};

// The file name of a category's list ("general.txt" for 0, ...).
QString wordFileName(int category);
// Cuts the bytes of a word file into usable entries and skipped lines.
WordFile parseWordFile(const QByteArray& bytes);
// Reads one word file; a missing file is not present, an unreadable or too large one is refused.
WordFile readWordFile(const QString& path);
// Reads the five files of a folder.
WordFolder readWordFolder(const QString& path);
