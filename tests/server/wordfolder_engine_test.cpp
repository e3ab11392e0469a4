// Games in virtual time with a host's word folder.
#include "serverharness.h"
#include "server/wordfolder.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Built-in lists whose every entry names its category, so a draw shows where it came from.
WordListSet markedBuiltIns()
{
    WordListSet lists;
    for (int category = 0; category < kCategoryCount; ++category)
        for (int i = 0; i < 200; ++i)
            lists[category].append("builtin " + WordLists::caption(category).toLatin1().toLower());
    return lists;
}

struct Round {
    int category;
    QByteArray word;
    QByteArray mask;
};

// Plays until the rounds announced so far satisfy enough, the computer playing every seat.
QList<Round> playUntil(ServerHarness& h, FakePeer& host, const std::function<bool(const QList<Round>&)>& enough)
{
    QList<Round> seen;
    h.until([&] {
        for (const QByteArray& message : host.take()) {
            if (message.startsWith("CMD_loadword+"))
                seen.append({h.server.category(), h.server.word(), fieldsOf(message)[1]});
        }
        return enough(seen);
    }, 3'600'000);
    return seen;
}

QList<Round> playRounds(ServerHarness& h, FakePeer& host, int rounds)
{
    return playUntil(h, host, [rounds](const QList<Round>& seen) { return seen.size() >= rounds; });
}

QList<QByteArray> generalWords(const QList<Round>& rounds)
{
    QList<QByteArray> words;
    for (const Round& round : rounds)
        if (round.category == 0)
            words.append(round.word);
    return words;
}

class WordFolderGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        writeFile(path("general.txt"), "# our words\nAlpha\nbravo  charlie\ndelta's\n");
        writeFile(path("food.txt"), "1\n2\nx\n");
        h.server.setWordFolder(dir.path());
        h.server.wordFolderRead = [this](const QStringList& lines) { chatLines += lines; };
        host.take();
    }
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    void startWatching()
    {
        h.startGame(host, "999", "10");
        h.send(host, proto::msg::justWatch(1, 1));
    }

    QTemporaryDir dir;
    ServerHarness h{markedBuiltIns(), 11};
    FakePeer& host = h.join("You");
    QStringList chatLines;
};

TEST_F(WordFolderGame, OnlyTheFoldersWordsAreDrawnWhereItHasUsableOnes)
{
    startWatching();
    ASSERT_FALSE(chatLines.isEmpty());
    EXPECT_EQ(chatLines[1], "General: 3 words from general.txt");
    EXPECT_EQ(chatLines[3], "food: built-in words (food.txt has no usable word)");

    const QList<Round> rounds = playRounds(h, host, 30);
    ASSERT_EQ(rounds.size(), 30);
    const QSet<QByteArray> folderWords{"alpha", "bravo charlie", "delta's"};
    QSet<QByteArray> folderDrawn;
    QSet<int> categories;
    for (const Round& round : rounds) {
        categories.insert(round.category);
        EXPECT_EQ(round.mask, maskWord(round.word));
        if (round.category == 0) {
            EXPECT_TRUE(folderWords.contains(round.word)) << round.word.constData();
            EXPECT_FALSE(folderDrawn.contains(round.word)) << "drawn twice: " << round.word.constData();
            folderDrawn.insert(round.word);
        } else {
            EXPECT_EQ(round.word, "builtin " + WordLists::caption(round.category).toLatin1().toLower());
        }
    }
    EXPECT_TRUE(categories.contains(0));
    EXPECT_TRUE(categories.contains(2)); // its file had no usable entry: built-in words
    // With three words, General ran out during the game and fell back to holiday as always.
    EXPECT_EQ(folderDrawn.size(), 3);
    EXPECT_TRUE(h.server.wordLists().list(0).isEmpty());
}

TEST_F(WordFolderGame, EachGameStartReadsTheFolderAgain)
{
    startWatching();
    playRounds(h, host, 3);

    writeFile(path("general.txt"), "echo\n");
    writeFile(path("holiday.txt"), "yule log\n");
    chatLines.clear();
    startWatching();
    // The first round has been drawn already, perhaps from one of the two new lists.
    const int first = h.server.category();
    EXPECT_EQ(h.server.wordLists().list(0).size() + (first == 0 ? 1 : 0), 1);
    EXPECT_EQ(h.server.wordLists().list(1).size() + (first == 1 ? 1 : 0), 1);
    if (first <= 1)
        EXPECT_EQ(h.server.word(), first == 0 ? "echo" : "yule log");
    EXPECT_EQ(chatLines.value(2), "holiday: 1 word from holiday.txt");

    // Back to the built-in words: the lists left over from before the folder return.
    h.server.setWordFolder({});
    chatLines.clear();
    startWatching();
    EXPECT_TRUE(chatLines.isEmpty());
    EXPECT_GE(h.server.wordLists().list(0).size(), 199);
    EXPECT_EQ(h.server.wordLists().list(0).value(0), "builtin general");
    EXPECT_GE(h.server.wordLists().list(1).size(), 195);

    // A folder that has gone away: built-in words, and the host is told.
    h.server.setWordFolder(path("gone"));
    startWatching();
    EXPECT_EQ(chatLines.size(), 1);
    EXPECT_TRUE(chatLines.value(0).endsWith("not found: playing with the built-in words."));
    EXPECT_EQ(h.server.wordLists().list(0).value(0), "builtin general");
}

// Over two games the folder's words come once each, as the built-in ones do in a
// run, while the edits made between the games apply to the second.
TEST_F(WordFolderGame, AWordDrawnInOneGameStaysUsedUpInTheNextWhileEditsApply)
{
    writeFile(path("general.txt"), "alpha\nbravo\ncharlie\ndelta\necho\nfoxtrot\n");
    startWatching();
    const QList<QByteArray> first = generalWords(playUntil(h, host, [](const QList<Round>& seen) {
        return generalWords(seen).size() >= 2;
    }));
    ASSERT_EQ(first.size(), 2);

    QList<QByteArray> kept;
    for (const QByteArray& word : {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot"})
        if (!first.contains(word))
            kept.append(word);
    const QByteArray removed = kept.takeFirst();
    writeFile(path("general.txt"), first.join('\n') + "\n" + kept.join('\n') + "\ngolf\n");
    startWatching();
    const QList<QByteArray> second = generalWords(playUntil(h, host, [&](const QList<Round>& seen) {
        return h.server.wordLists().list(0).isEmpty() && generalWords(seen).size() >= kept.size() + 1;
    }));

    EXPECT_EQ(second.size(), kept.size() + 1) << "words drawn again or not at all";
    EXPECT_FALSE(second.contains(removed)) << removed.constData();
    EXPECT_TRUE(second.contains("golf"));
    for (const QByteArray& word : first)
        EXPECT_FALSE(second.contains(word)) << "came round again: " << word.constData();
    for (const QByteArray& word : kept)
        EXPECT_EQ(second.count(word), 1) << word.constData();
}

} // namespace
