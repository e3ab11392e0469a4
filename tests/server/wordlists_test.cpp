// Drawing, cleaning and masking of words, and the compiled-in lists.
#include "serverharness.h"

#include <gtest/gtest.h>

namespace {

TEST(WordLists, EntriesAreCleanedAndMasked)
{
    EXPECT_EQ(cleanWord("baker's dozen   "), "baker's dozen");
    EXPECT_EQ(maskWord(cleanWord("baker's dozen   ")), "*****'* *****");
    EXPECT_EQ(cleanWord("FAST FOOD RESTAURANT"), "fast food restaurant");
    EXPECT_EQ(maskWord("fast food restaurant"), "**** **** **********");
    EXPECT_EQ(cleanWord("Mr  Bean"), "mr  bean");
    EXPECT_EQ(maskWord("mr  bean"), "**  ****");
    EXPECT_EQ(cleanWord("Dr. Who"), "dr. who");
    EXPECT_EQ(maskWord("dr. who"), "*** ***");
    EXPECT_EQ(cleanWord("  60 Minutes"), "60 minutes");
}

TEST(WordLists, FilesAreCutIntoEntriesKeptExactly)
{
    EXPECT_EQ(WordLists::parse("Album\nbaker's dozen   \r\ncomputer\ncomputer\n"),
              (WordList{"Album", "baker's dozen   ", "computer", "computer"}));
    EXPECT_EQ(WordLists::parse("last line without end"), WordList{"last line without end"});
    EXPECT_TRUE(WordLists::parse("").isEmpty());
}

TEST(WordLists, DrawnEntriesLeaveTheListAndAnEmptyListFallsBackToHoliday)
{
    WordListSet set;
    set[0] = {"computer", "computer", "   ", ""};
    set[1] = {"Trick or Treat"};
    set[3] = {"Dr. Who"};
    WordLists lists(set);
    std::mt19937 rng(3);
    EXPECT_EQ(lists.draw(3, rng).word, "dr. who");
    EXPECT_EQ(lists.draw(0, rng).word, "computer");
    EXPECT_EQ(lists.draw(0, rng).word, "computer");
    const WordLists::Drawn fallback = lists.draw(0, rng); // only blank entries are left
    EXPECT_EQ(fallback.word, "trick or treat");
    EXPECT_EQ(fallback.category, kHolidayCategory);
    EXPECT_TRUE(lists.list(0).isEmpty());
    EXPECT_TRUE(lists.list(1).isEmpty());
    // Both used up: all lists start over and the draw goes on in the chosen category.
    const WordLists::Drawn again = lists.draw(3, rng);
    EXPECT_EQ(again.word, "dr. who");
    EXPECT_EQ(again.category, 3);
    EXPECT_EQ(lists.list(0).size(), 4);
    EXPECT_EQ(lists.list(1).size(), 1);

    WordLists nothing{WordListSet{}};
    EXPECT_FALSE(nothing.draw(2, rng).word.isEmpty());
}

TEST(WordLists, TheServerAnnouncesTheMaskAndTheCategoryUsed)
{
    WordListSet set;
    set[1] = {"baker's dozen   "};
    ServerHarness h(set);
    FakePeer& host = h.join("You");
    host.take();
    h.startGame(host, "50", "20");
    EXPECT_EQ(host.take().value(1), "CMD_loadword+*****'* *****+1+");
    EXPECT_EQ(h.server.word(), "baker's dozen");
    EXPECT_EQ(h.server.category(), kHolidayCategory);
}

TEST(WordLists, AWordWithADotCanOnlyEndByHanging)
{
    ServerHarness h(sameWordEverywhere("Dr. Who", 400));
    FakePeer& host = h.join("You");
    h.startGame(host, "50", "10");
    h.send(host, proto::msg::justWatch(1, 1));
    QList<QByteArray> got;
    ASSERT_TRUE(h.until([&] {
        got += host.take();
        return got.size() > 0 && got.last().startsWith("CMD_addman") && got.last().contains("+7+");
    }));
    EXPECT_EQ(h.server.mask()[2], '*');
    EXPECT_TRUE(got.last().endsWith("+7+dr. who+"));
    for (const QByteArray& m : got)
        EXPECT_FALSE(m.startsWith("CMD_foundletter") && fieldsOf(m)[5] == "10");
}

TEST(WordLists, TheCompiledInListsHaveTheirCountsAndMaskCleanly)
{
    const WordListSet lists = WordLists::builtIn();
    const std::array<int, kCategoryCount> counts = {1058, 71, 485, 1829, 798};
    for (int category = 0; category < kCategoryCount; ++category) {
        EXPECT_EQ(lists[category].size(), counts[category]) << WordLists::caption(category).toStdString();
        for (const QByteArray& entry : lists[category]) {
            const QByteArray mask = maskWord(cleanWord(entry));
            EXPECT_EQ(mask.size(), cleanWord(entry).size());
            EXPECT_FALSE(mask.isEmpty()) << entry.constData();
            for (char c : mask)
                EXPECT_TRUE(c == '*' || c == ' ' || c == '\'') << entry.constData();
        }
    }
}

} // namespace
