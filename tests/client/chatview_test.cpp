#include "client/chatview.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

namespace {

// The character format of the first fragment whose text contains the given text.
QTextCharFormat formatOf(ChatView& view, const QString& text)
{
    for (QTextBlock block = view.document()->firstBlock(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().text().contains(text))
                return it.fragment().charFormat();
        }
    }
    ADD_FAILURE() << "no item shows " << text.toStdString();
    return {};
}

int positionOf(ChatView& view, const QString& text)
{
    return int(view.document()->toPlainText().indexOf(text));
}

TEST(ChatView, RestylingRecoloursEarlierLinesOfThatStyleOnly)
{
    ChatView view;
    EXPECT_EQ(view.styleLook(4), (ChatView::StyleLook{QColor(0, 128, 0), false, false, true}));
    view.addParagraph(3, "Carl chats: ");
    view.addText(3, "first ");
    view.addParagraph(5, "Eve chats: ");
    view.addText(5, "other ");
    view.addParagraph(3, "Carl chats: ");
    view.addText(3, "second ");

    view.setStyleLook(3, Qt::red, true, false, false);
    for (const QString& item : {"first", "second"}) {
        const QTextCharFormat format = formatOf(view, item);
        EXPECT_EQ(format.foreground().color(), QColor(Qt::red)) << item.toStdString();
        EXPECT_EQ(format.fontWeight(), QFont::Bold);
        EXPECT_FALSE(format.fontItalic()) << "the italic of style 3 is dropped";
    }
    EXPECT_EQ(formatOf(view, "other").foreground().color(), QColor(0, 128, 0));
    EXPECT_TRUE(formatOf(view, "other").fontUnderline());

    view.setTextSize(14);
    EXPECT_EQ(formatOf(view, "first").fontPointSize(), 10) << "size changes with the next line";
    view.addParagraph(0, "next ");
    EXPECT_EQ(formatOf(view, "first").fontPointSize(), 14);
    EXPECT_EQ(formatOf(view, "next").fontPointSize(), 14);
}

TEST(ChatView, NetworkTextIsNeverMarkup)
{
    ChatView view;
    view.addParagraph(1, "<b>x</b> chats: ");
    view.addText(1, "<img src=\"a.png\">&amp; ");
    view.addText(1, QString("two\nlines") + QChar::ParagraphSeparator + "here ");
    EXPECT_EQ(view.document()->toPlainText(), "<b>x</b> chats: <img src=\"a.png\">&amp; two lines here ");
    EXPECT_EQ(view.paragraphCount(), 1);
    EXPECT_EQ(formatOf(view, "<b>x</b>").fontWeight(), QFont::Bold) << "style 1 is bold";
}

TEST(ChatView, EachLinkReportsItsOwnTargetOnASingleClick)
{
    ChatView view;
    view.resize(400, 200);
    view.show();
    view.addParagraph(0, "Go to ");
    view.addLink("www.first.example ", "www.first.example");
    view.addText(0, "or ");
    view.addLink("http://second.example/?a=<b>&c ", "http://second.example/?a=<b>&c");
    view.addSmiley(7);
    EXPECT_TRUE(formatOf(view, "second").fontUnderline());
    EXPECT_EQ(formatOf(view, "second").foreground().color(), QColor(0, 128, 0));

    QSignalSpy clicked(&view, &ChatView::linkClicked);
    for (const QString& shown : {"second.example", "first.example"}) {
        QTextCursor cursor(view.document());
        cursor.setPosition(positionOf(view, shown) + 2);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cursorRect(cursor).center());
    }
    QTextCursor plain(view.document());
    plain.setPosition(positionOf(view, "or") + 1);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cursorRect(plain).center());

    ASSERT_EQ(clicked.size(), 2);
    EXPECT_EQ(clicked[0][0].toString(), "http://second.example/?a=<b>&c");
    EXPECT_EQ(clicked[1][0].toString(), "www.first.example");
}

TEST(ChatView, KeepsOnlyTheLatestParagraphs)
{
    ChatView view;
    const int extra = 25;
    for (int i = 0; i < ChatView::kMaxParagraphs + extra; ++i) {
        view.addParagraph(i % 2 ? 6 : 2, "line " + QString::number(i) + " ");
        view.addText(i % 2 ? 6 : 2, "text ");
    }
    EXPECT_EQ(view.paragraphCount(), ChatView::kMaxParagraphs);
    EXPECT_EQ(view.document()->firstBlock().text(), QString("line %1 text ").arg(extra));
    EXPECT_EQ(view.document()->lastBlock().text(), QString("line %1 text ").arg(ChatView::kMaxParagraphs + extra - 1));

    view.setStyleLook(6, Qt::magenta, false, false, false);
    EXPECT_EQ(formatOf(view, QString("line %1 ").arg(extra)).foreground().color(), QColor(Qt::magenta))
        << "the oldest kept line still belongs to its style";

    view.clearAll();
    EXPECT_EQ(view.paragraphCount(), 0);
    view.addText(0, "fresh ");
    EXPECT_EQ(view.document()->toPlainText(), "fresh ");
}

TEST(ChatView, CopiesTheSelectionAsPlainText)
{
    ChatView view;
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText("untouched");
    view.addParagraph(0, "Welcome ");
    view.addSmiley(3);
    view.addText(0, " friend");
    view.addParagraph(2, "Bo chats: ");
    view.addLink("www.bo.example ", "www.bo.example");

    view.copySelection();
    EXPECT_EQ(clipboard->text(), "untouched") << "no selection copies nothing";

    view.selectAllText();
    view.copySelection();
    EXPECT_EQ(clipboard->text(), "Welcome  friend\nBo chats: www.bo.example ");
}

TEST(ChatView, SmiliesAreDistinctSharpPictures)
{
    QList<QImage> seen;
    for (int i = 0; i < ChatView::kSmileyCount; ++i) {
        const QPixmap picture = ChatView::smiley(i);
        EXPECT_EQ(picture.deviceIndependentSize(), QSizeF(19, 19));
        EXPECT_EQ(picture.devicePixelRatio(), 2);
        const QImage image = picture.toImage();
        EXPECT_FALSE(seen.contains(image)) << "smiley " << i << " repeats an earlier one";
        seen << image;
    }
    EXPECT_EQ(ChatView::smiley(99).toImage(), seen[0]);
}

} // namespace
