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

TEST(ChatLine, ALongLineIsCutForShowingWithoutHalfASmiley)
{
    const auto shownText = [](const ChatLine& line) {
        QString text = line.prefix;
        for (const ChatItem& item : line.items)
            text += item.kind == Kind::Smiley ? QString("[%1]").arg(item.smiley) : item.text;
        return text;
    };
    const QString words = QString("word ").repeated(13000);
    const auto cut = ChatLineParser::parse("3+Ann chats: " + words);
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->cut);
    EXPECT_EQ(cut->items.last().text, QString::fromUtf8("\u2026"));
    // Beyond the shown characters: the blank after the prefix, the last word's blank and the mark.
    EXPECT_EQ(shownText(*cut).size(), ChatLineParser::kMaxShownCharacters + 3);
    EXPECT_TRUE(shownText(*cut).startsWith("Ann chats:  word word "));

    // A smiley code that the cut would halve is left out whole; one before it stays.
    const QString upToCode = "Ann chats: " + QString(ChatLineParser::kMaxShownCharacters - 11 - 3, 'x');
    const auto halved = ChatLineParser::parse("3+" + upToCode + ":)#15 more");
    ASSERT_TRUE(halved);
    EXPECT_FALSE(shownText(*halved).contains("[")) << "no smiley picture from half a code";
    EXPECT_FALSE(shownText(*halved).contains(":)"));
    const auto before = ChatLineParser::parse("3+" + upToCode.left(upToCode.size() - 3) + ":)#15 more and more");
    ASSERT_TRUE(before);
    EXPECT_TRUE(shownText(*before).contains("[5]"));

    // A line within the bound is shown whole.
    const auto whole = ChatLineParser::parse("3+" + QString(ChatLineParser::kMaxShownCharacters, 'y'));
    ASSERT_TRUE(whole);
    EXPECT_FALSE(whole->cut);
    EXPECT_EQ(whole->items.last().text, QString(ChatLineParser::kMaxShownCharacters, 'y') + " ");
}
