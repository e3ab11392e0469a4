// The chat's keyboard: the paste keys replace the whole input as the pop-up's
// "Paste" does, and the pop-up entries carry their shortcuts.
#include "client/gamemenus.h"
#include "client/mainwindow.h"
#include "client/chatview.h"
#include "support/fakesurroundings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QAction* entry(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

TEST(ChatInput, PasteKeysReplaceTheWholeInputAndTheChatViewKeysWork)
{
    VirtualClock clock;
    FakeSurroundings outside;
    MainWindow chat(clock, outside);
    chat.setArguments({"Ann"}); // shows the loading line, connects nowhere
    chat.show();
    QApplication::setActiveWindow(&chat); // window shortcuts answer only in the active window
    QLineEdit* input = chat.chatInput();
    input->setFocus();
    QApplication::clipboard()->setText("from the clipboard");

    input->setText("typed so far");
    input->setCursorPosition(5);
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(input->text(), "from the clipboard");
    input->setText("more typing");
    QTest::keyClick(input, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(input->text(), "from the clipboard");
    // With an empty clipboard the input stays as it is.
    QApplication::clipboard()->clear();
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(input->text(), "from the clipboard");

    auto* popup = chat.findChild<QMenu*>("chat_messages_menu");
    ASSERT_TRUE(popup);
    ASSERT_TRUE(entry(popup, "Copy"));
    EXPECT_EQ(entry(popup, "Copy")->shortcut(), QKeySequence("Ctrl+C"));
    ASSERT_TRUE(entry(popup, "Scroll Chat Off"));
    EXPECT_EQ(entry(popup, "Scroll Chat Off")->shortcut(), QKeySequence("Ctrl+S"));

    chat.addSystemLine("A line to copy.");
    chat.chatView()->setFocus();
    chat.chatView()->selectAllText();
    QTest::keyClick(chat.chatView(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->text().contains("A line to copy."));
    QTest::keyClick(chat.chatView(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(entry(popup, "Scroll Chat Off")->isChecked());
    EXPECT_TRUE(chat.menus().scrollChatOff->isChecked());
}

TEST(ChatInput, SmileyMenuFillsWhenFirstOpenedAndAddsItsCodeToTheInput)
{
    VirtualClock clock;
    FakeSurroundings outside;
    MainWindow chat(clock, outside);
    chat.setArguments({"Ann"});
    chat.show();
    auto* smilies = chat.findChild<QMenu*>("smiley_menu");
    ASSERT_TRUE(smilies);
    EXPECT_TRUE(smilies->isEmpty()) << "its pictures are made when it first opens";

    chat.findChild<QToolButton*>("button_smilies")->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(smilies));
    ASSERT_EQ(smilies->actions().size(), 18);
    EXPECT_EQ(smilies->actions().first()->text(), ":)#10");
    EXPECT_EQ(smilies->actions().last()->text(), ":)#27");
    EXPECT_FALSE(smilies->actions().last()->icon().isNull());
    smilies->actions().at(5)->trigger();
    smilies->close();
    EXPECT_EQ(chat.chatInput()->text(), ":)#15") << "the hint text gives way to the smiley";

    chat.findChild<QToolButton*>("button_smilies")->click();
    EXPECT_EQ(smilies->actions().size(), 18) << "filled once";
    smilies->close();
}

} // namespace
