// The word folder reader: encodings, line rules, reasons for skipping, bounds.
#include "server/wordfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList reasons(const WordFile& file)
{
    QStringList out;
    for (const SkippedLine& skipped : file.skipped)
        out << QStringLiteral("%1: %2").arg(skipped.line).arg(skipped.reason);
    return out;
}

TEST(WordFolder, EncodingsAndLineEndsGiveTheSameEntries)
{
    const WordList expected{"apple pie", "Baker's Dozen"};
    EXPECT_EQ(parseWordFile("apple pie\nBaker's Dozen\n").entries, expected);
    EXPECT_EQ(parseWordFile("\xEF\xBB\xBF" "apple pie\r\nBaker's Dozen").entries, expected);
    EXPECT_EQ(parseWordFile("apple pie\r\nBaker's Dozen\r\n").entries, expected);

    // Valid UTF-8: the accented letter is one character and is refused as such.
    const WordFile utf8 = parseWordFile("caf\xC3\xA9\nsoup\n");
    EXPECT_EQ(utf8.entries, WordList{"soup"});
    EXPECT_EQ(reasons(utf8), QStringList{
        QString::fromUtf8("1: \"\xC3\xA9\" is not allowed (only the letters a to z, blanks and apostrophes)")});

    // Not UTF-8 (a lone 0xE9): read as Latin-1, so the same line is refused for the same letter.
    const WordFile latin1 = parseWordFile("caf\xE9\nsoup\n");
    EXPECT_EQ(latin1.entries, WordList{"soup"});
    EXPECT_EQ(reasons(latin1), reasons(utf8));

    // A byte-order mark before text that is not UTF-8 is still passed over.
    EXPECT_EQ(parseWordFile("\xEF\xBB\xBF" "soup\ncaf\xE9\n").entries, WordList{"soup"});
}

TEST(WordFolder, CommentsBlanksRepeatsAndEveryReasonWithItsLine)
{
    const WordFile file = parseWordFile("# my list\n"
                                        "\n"
                                        "   \t \n"
                                        "  ice   cream \t sundae  \n"
                                        "  # an indented comment\n"
                                        "Ice Cream Sundae\n"
                                        "r2d2\n"
                                        "fish & chips\n"
                                        "a\n"
                                        "a '\n"
                                        "ox\n"
                                        "abcdefghij abcdefghij abcdefghij abcdefg\n"
                                        "abcdefghij abcdefghij abcdefghij abcdefgh\n"
                                        "it's\n"
                                        "IT'S\n");
    EXPECT_EQ(file.entries,
              (WordList{"ice cream sundae", "ox", "abcdefghij abcdefghij abcdefghij abcdefg", "it's"}));
    EXPECT_EQ(reasons(file), (QStringList{
                                 "6: repeats line 4",
                                 "7: \"2\" is not allowed (only the letters a to z, blanks and apostrophes)",
                                 "8: \"&\" is not allowed (only the letters a to z, blanks and apostrophes)",
                                 "9: fewer than two letters",
                                 "10: fewer than two letters",
                                 "13: longer than 40 characters",
                                 "15: repeats line 14",
                             }));
    EXPECT_EQ(file.skippedCount, 7);
    EXPECT_TRUE(file.refusal.isEmpty());

    // A file of nothing but bad lines keeps the first reasons and counts the rest.
    const WordFile bad = parseWordFile(QByteArray("1\n").repeated(1000));
    EXPECT_EQ(bad.skipped.size(), kMaxSkippedLinesKept);
    EXPECT_EQ(bad.skipped.last().line, kMaxSkippedLinesKept);
    EXPECT_EQ(bad.skippedCount, 1000);
}

TEST(WordFolder, TheCountBoundRefusesTheWholeFile)
{
    auto numbered = [](int count) {
        QByteArray bytes;
        for (int i = 0; i < count; ++i) {
            QByteArray word;
            for (int n = i; word.size() < 4; n /= 26)
                word += char('a' + n % 26);
            bytes += word + '\n';
        }
        return bytes;
    };
    EXPECT_EQ(parseWordFile(numbered(kMaxWordFileEntries)).entries.size(), kMaxWordFileEntries);
    // Repeats do not count towards the bound.
    EXPECT_EQ(parseWordFile(numbered(kMaxWordFileEntries) + "aaaa\n").entries.size(), kMaxWordFileEntries);
    const WordFile over = parseWordFile(numbered(kMaxWordFileEntries + 1));
    EXPECT_TRUE(over.entries.isEmpty());
    EXPECT_TRUE(over.skipped.isEmpty());
    EXPECT_EQ(over.skippedCount, 0);
    EXPECT_EQ(over.refusal, "more than 100000 words");
}

TEST(WordFolder, FilesOfAFolderWithTheSizeBoundAndUnreadableOrMissingFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir folder(dir.path());
    writeFile(folder.filePath("general.txt"), "alpha\nbeta\n7up\n");
    writeFile(folder.filePath("food.txt"), "# nothing but comments\n\n");
    QByteArray big(kMaxWordFileBytes + 1, ' ');
    big.replace(0, 6, "apple\n");
    writeFile(folder.filePath("phrases.txt"), big);
    ASSERT_TRUE(folder.mkdir("entertainment.txt")); // present, but no file to read
    writeFile(folder.filePath("Holiday.TXT"), "easter\n"); // names are exact

    const WordFolder read = readWordFolder(dir.path());
    EXPECT_TRUE(read.found);
    EXPECT_EQ(read.files[0].entries, (WordList{"alpha", "beta"}));
    EXPECT_FALSE(read.files[1].present);
    EXPECT_TRUE(read.files[2].present);
    EXPECT_TRUE(read.files[2].entries.isEmpty());
    EXPECT_EQ(read.files[3].refusal, "could not be read");
    EXPECT_EQ(read.files[4].refusal, "larger than 4 MiB");
    EXPECT_TRUE(read.files[4].entries.isEmpty());

    const WordListSet lists = read.lists();
    EXPECT_EQ(lists[0].size(), 2);
    for (int category = 1; category < kCategoryCount; ++category)
        EXPECT_TRUE(lists[category].isEmpty()) << category;

    // Exactly 4 MiB is still read.
    big.chop(1);
    writeFile(folder.filePath("phrases.txt"), big);
    EXPECT_EQ(readWordFile(folder.filePath("phrases.txt")).entries, WordList{"apple"});

    const QStringList lines = read.reportLines();
    EXPECT_EQ(lines, (QStringList{
                         "Words from the folder " + QDir::toNativeSeparators(dir.path()) + ":",
                         "General: 2 words from general.txt",
                         "holiday: built-in words (no holiday.txt)",
                         "food: built-in words (food.txt has no usable word)",
                         "Entertainment: built-in words (entertainment.txt could not be read)",
                         "Phrases: built-in words (phrases.txt larger than 4 MiB)",
                         "Skipped general.txt line 3: \"7\" is not allowed (only the letters a to z, blanks and "
                         "apostrophes)",
                     }));

    const WordFolder missing = readWordFolder(folder.filePath("no such folder"));
    EXPECT_FALSE(missing.found);
    EXPECT_EQ(missing.lists(), WordListSet{});
    EXPECT_EQ(missing.reportLines(),
              QStringList{"Word folder " + QDir::toNativeSeparators(folder.filePath("no such folder")) +
                          " not found: playing with the built-in words."});
}

TEST(WordFolder, TheReportNamesTheFirstFiveSkippedLinesAndCountsTheRest)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeFile(QDir(dir.path()).filePath("holiday.txt"), "x\nyule\n1\n2\n");
    writeFile(QDir(dir.path()).filePath("food.txt"), "3\nfig\n4\n5\n6\n");
    const QStringList lines = readWordFolder(dir.path()).reportLines();
    ASSERT_EQ(lines.size(), 1 + kCategoryCount + 5 + 1);
    EXPECT_EQ(lines[2], "holiday: 1 word from holiday.txt");
    EXPECT_EQ(lines[3], "food: 1 word from food.txt");
    EXPECT_EQ(lines[6], "Skipped holiday.txt line 1: fewer than two letters");
    EXPECT_TRUE(lines[9].startsWith("Skipped food.txt line 1: \"3\""));
    EXPECT_TRUE(lines[10].startsWith("Skipped food.txt line 3: \"4\""));
    EXPECT_EQ(lines[11], "... and 2 more lines skipped.");
}

} // namespace

namespace {

TEST(WordFolder, TheExampleFolderIsReadWithoutASkippedLine)
{
    const WordFolder sample = readWordFolder(QStringLiteral(HANGMAN_SOURCE_DIR "/data/words-example"));
    ASSERT_TRUE(sample.found);
    for (const WordFile& file : sample.files) {
        EXPECT_GE(file.entries.size(), 8) << file.fileName.toStdString();
        EXPECT_TRUE(file.skipped.isEmpty()) << file.fileName.toStdString();
    }
}

} // namespace
