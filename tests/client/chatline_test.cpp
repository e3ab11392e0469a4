#include "client/chatline.h"

#include <gtest/gtest.h>

using Kind = ChatItem::Kind;

TEST(ChatLine, PrefixWordsSmiliesAndLinks)
{
    const auto line = ChatLineParser::parse("3+Ann chats: hi  there:)#15 see WWW.x.org:)#99, ok:)#ab");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->style, 3);
    EXPECT_EQ(line->prefix, "Ann chats: ");
    QStringList shown;
    for (const ChatItem& item : line->items)
        shown << (item.kind == Kind::Smiley ? QString("[%1]").arg(item.smiley) : item.text);
    // Every word keeps its blank; a run of blanks gives one-blank words; bad codes show picture 0.
    EXPECT_EQ(shown, (QStringList{" ", "hi ", " ", "there ", "[5]", " ", "see ", "WWW.x.org ", "[0]", ", ", "ok ", "[0]"}));
    EXPECT_EQ(line->items[7].kind, Kind::Link);
    EXPECT_EQ(line->items[7].target, "http://WWW.x.org");
}

TEST(ChatLine, ActionWithoutColonIsOneParagraphOfWords)
{
    const auto line = ChatLineParser::parse("2+Bob waves at www.a.b/c?d");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->prefix, " ");
    ASSERT_EQ(line->items.size(), 4);
    EXPECT_EQ(line->items[3].target, "http://www.a.b/c?d");
    EXPECT_EQ(ChatLineParser::linkTarget("HTTPS://a.b "), "HTTPS://a.b");
    EXPECT_EQ(ChatLineParser::linkTarget("wwwx.org "), "");
    EXPECT_EQ(ChatLineParser::linkTarget("xhttp://a "), "");
    EXPECT_EQ(ChatLineParser::linkTarget("javascript:alert(1) "), "");
}

TEST(ChatLine, StyleMustBeANumberFrom0To14)
{
    EXPECT_FALSE(ChatLineParser::parse("x+text"));
    EXPECT_FALSE(ChatLineParser::parse("15+text"));
    EXPECT_FALSE(ChatLineParser::parse("-1+text"));
    EXPECT_FALSE(ChatLineParser::parse("no separator"));
    EXPECT_TRUE(ChatLineParser::parse("14+"));
}
