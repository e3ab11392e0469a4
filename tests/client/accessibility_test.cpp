// The main window as a screen reader meets it: a solo game started and played
// through accessibility actions alone in virtual time, the tree of names and
// values in mid-game (printed, for reading), the chat controls' names, a chat
// line announced once, and Tab visiting every control of the window.
#include "board/board.h"
#include "client/mainwindow.h"
#include "client/chatview.h"
#include "server/hostedserver.h"
#include "support/accessibilityrecorder.h"
#include "support/fakesurroundings.h"
#include "support/unnamedcontrols.h"
#include "tally/tally.h"
#include "windows/gameoptionsdialog.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include "support/pump.h"

#include <gtest/gtest.h>
#include <iostream>

namespace {

QAccessibleInterface* findNamed(QAccessibleInterface* root, const QString& name, QAccessible::Role role)
{
    if (!root || root->state().invisible)
        return nullptr;
    if (root->role() == role && root->text(QAccessible::Name) == name)
        return root;
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* found = findNamed(root->child(i), name, role))
            return found;
    return nullptr;
}

void press(QAccessibleInterface* control)
{
    ASSERT_TRUE(control);
    control->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

const char* roleName(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Client: return "client";
    case QAccessible::Grouping: return "group";
    case QAccessible::Button: return "button";
    case QAccessible::StaticText: return "text";
    case QAccessible::Clock: return "clock";
    case QAccessible::Graphic: return "graphic";
    case QAccessible::EditableText: return "edit";
    case QAccessible::Window: return "window";
    case QAccessible::MenuBar: return "menu bar";
    case QAccessible::MenuItem: return "menu item";
    case QAccessible::ScrollBar: return "scroll bar";
    default: return "other";
    }
}

// What a screen reader can reach: visible parts with a name or a value, one per line.
void printTree(QAccessibleInterface* node, int depth, QStringList& lines)
{
    if (!node || node->state().invisible)
        return;
    const QString name = node->text(QAccessible::Name);
    const QString value = node->text(QAccessible::Value);
    const QString description = node->text(QAccessible::Description);
    const bool said = !name.trimmed().isEmpty() || !value.isEmpty();
    if (said) {
        QString line = QString(depth * 2, ' ') + roleName(node->role()) + " \"" + name + '"';
        if (!value.isEmpty() && node->role() != QAccessible::EditableText)
            line += " = " + value;
        if (!description.isEmpty() && description != name)
            line += " (" + description + ')';
        if (node->state().disabled)
            line += " [unavailable]";
        if (node->state().focused)
            line += " [focused]";
        lines << line;
    }
    if (node->role() == QAccessible::EditableText || node->role() == QAccessible::MenuBar)
        return;
    for (int i = 0; i < node->childCount(); ++i)
        printTree(node->child(i), said ? depth + 1 : depth, lines);
}

class AccessibleGame : public ::testing::Test {
protected:
    VirtualClock clock;
    QTemporaryDir folder;
    HostedServer server{clock, 11, WordLists(lists())};
    GameOptionsDialog gamestart;
    Tally tally{folder.path() + "/hangmantally.tld"};
    FakeSurroundings outside;
    MainWindow chat{clock, outside};
    QStringList lines;

    static WordListSet lists()
    {
        WordListSet lists;
        for (WordList& list : lists)
            list = {"trick or treat"};
        return lists;
    }

    void SetUp() override
    {
        chat.setArguments({});
        chat.setGamePort(0);
        chat.setSettingsPath(folder.path() + "/vorlixlobby.ini");
        QObject::connect(&chat, &MainWindow::chatLineAdded, [this](int, const QString& text) { lines << text; });
        MainWindow::Windows windows;
        windows.server = &server;
        windows.gamestart = &gamestart;
        windows.tally = &tally;
        chat.setWindows(windows);
        chat.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chat));
        ASSERT_TRUE(pump(clock, [&] { return lines.contains("You are Connected."); }));
    }

    QAccessibleInterface* window() { return QAccessible::queryAccessibleInterface(&chat); }
    QAccessibleInterface* button(const QString& name) { return findNamed(window(), name, QAccessible::Button); }
};

TEST_F(AccessibleGame, PlaysThroughAccessibilityActionsAndReadsMidGame)
{
    press(button("START GAME"));
    ASSERT_TRUE(gamestart.isVisible());
    gamestart.findChild<QPushButton*>("button_start")->click();
    Board* board = chat.board();
    ASSERT_TRUE(pump(clock, [&] { return chat.game().isOwnTurn(); }));

    // Two letters through the tiles' press action, each on the own turn.
    for (const QString letter : {"T", "R"}) {
        ASSERT_TRUE(pump(clock, [&] { return chat.game().isOwnTurn(); }));
        QAccessibleInterface* tile = button(letter);
        ASSERT_TRUE(tile) << letter.toStdString();
        EXPECT_FALSE(tile->state().disabled);
        press(tile);
        const int number = letter.at(0).unicode() - 'A' + 1;
        ASSERT_TRUE(pump(clock, [&] { return chat.game().tileState(number) == ClientGame::TileState::Used; }));
    }
    ASSERT_TRUE(pump(clock, [&] { return chat.game().isOwnTurn() && chat.game().clockRunning(); }));
    clock.advance(4000);
    QApplication::setActiveWindow(&chat);
    board->setFocus();

    QStringList tree;
    printTree(window(), 0, tree);
    std::cout << "---- accessibility tree in mid-game ----\n" << tree.join('\n').toStdString() << "\n----\n";
    const QString all = tree.join('\n');
    EXPECT_TRUE(all.contains("text \"General Words, 3 words: 5 letters: T, R, blank, blank, blank; "
                             "2 letters: blank, R; 5 letters: T, R, blank, blank, T\""))
        << all.toStdString();
    EXPECT_TRUE(all.contains("text \"Seat 1: You\" = 6 (score 6, last find +3, has the turn)")) << all.toStdString();
    EXPECT_TRUE(all.contains("clock \"Turn clock: 16 seconds left\" = 16")) << all.toStdString();
    EXPECT_TRUE(all.contains("client \"Game board\" (Type a letter to pick it on your turn, Escape to go back to the chat) "
                            "[focused]"));
    EXPECT_FALSE(all.contains("button \"T\""));
    EXPECT_TRUE(all.contains("button \"A\"\n"));
}

// Every object the tree holds, by object name.
void collectObjectNames(QAccessibleInterface* node, QStringList& names)
{
    if (!node)
        return;
    if (node->object())
        names << node->object()->objectName();
    for (int i = 0; i < node->childCount(); ++i)
        collectObjectNames(node->child(i), names);
}

TEST_F(AccessibleGame, EveryPictureIsNamedOrLeftOutAndThePointerFollowsTheTurn)
{
    EXPECT_EQ(unnamedPictures(&chat).join(", ").toStdString(), "");
    QStringList inTree;
    collectObjectNames(window(), inTree);
    for (const char* decoration : {"image_wordbox", "image_usedletters", "image_timerframe", "image_timer", "image_chatbanner",
                                   "label_score1", "label_bonus6", "winner_text", "winner_shadow",
                                   "label_choosegolden", "label_choosegrey"})
        EXPECT_FALSE(inTree.contains(decoration)) << decoration;

    QAccessibleInterface* pointer =
        QAccessible::queryAccessibleInterface(chat.board()->findChild<QWidget*>("image_Turn"));
    ASSERT_TRUE(pointer);
    EXPECT_EQ(pointer->text(QAccessible::Name), "Turn: nobody yet");
    press(button("START GAME"));
    gamestart.findChild<QPushButton*>("button_start")->click();
    Board* board = chat.board();
    ASSERT_TRUE(pump(clock, [&] { return chat.game().isOwnTurn(); }));
    EXPECT_EQ(pointer->text(QAccessible::Name), "Turn: seat 1");
    AccessibilityRecorder recorder;
    ASSERT_TRUE(pump(clock, [&] { return chat.game().turnSeat() == 2; }));
    EXPECT_EQ(pointer->text(QAccessible::Name), "Turn: seat 2");
    EXPECT_EQ(recorder.count(board->findChild<QWidget*>("image_Turn"), QAccessible::NameChanged), 1);
    EXPECT_EQ(unnamedPictures(&chat).join(", ").toStdString(), "");
}

TEST_F(AccessibleGame, ChatControlsAreNamedAndALineIsAnnouncedOnce)
{
    EXPECT_TRUE(button("Smilies"));
    EXPECT_TRUE(button("Chatter Sounds"));
    EXPECT_TRUE(button("Way To Go!"));
    chat.chatPanel()->setPhrases({"Nice one", "", "", "", "", "", "", "", ""});
    EXPECT_TRUE(button("Nice one"));
    QAccessibleInterface* input = QAccessible::queryAccessibleInterface(chat.chatInput());
    EXPECT_EQ(input->text(QAccessible::Name), "Chat input");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(chat.chatView())->text(QAccessible::Name), "Chat messages");

    chat.addSystemLine("Welcome");
    AccessibilityRecorder recorder;
    chat.chatPanel()->addLine("3+Bob: see www.example.org :) now", Qt::darkGreen);
    chat.addSystemLine("Bob is just watching");
    QStringList inserted;
    for (const AccessibilityRecorder::Told& told : recorder.events())
        if (told.object == chat.chatView()
            && (told.type == QAccessible::TextInserted || told.type == QAccessible::TextUpdated))
            inserted << told.text.simplified();
    // Each line comes as one insertion (or one update of the new paragraph): never the whole chat again.
    ASSERT_EQ(inserted.size(), 2) << inserted.join(" | ").toStdString();
    EXPECT_TRUE(inserted[0].startsWith("Bob: see www.example.org")) << inserted[0].toStdString();
    EXPECT_TRUE(inserted[0].endsWith("now")) << inserted[0].toStdString();
    EXPECT_EQ(inserted[1], "Bob is just watching");
}

TEST_F(AccessibleGame, TabVisitsChatInputBoardAndEveryChatControl)
{
    QApplication::setActiveWindow(&chat);
    ASSERT_EQ(QApplication::focusWidget(), chat.chatInput());
    QList<QWidget*> visited;
    for (int step = 0; step < 20 && !visited.contains(QApplication::focusWidget()); ++step) {
        visited << QApplication::focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(QApplication::focusWidget(), chat.chatInput());
    QStringList names;
    for (QWidget* widget : visited)
        names << QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    EXPECT_EQ(names, QStringList({"Chat input", "Game board", "Chat messages", "Smilies", "Way To Go!", "Good One!",
                                  "Nice Try!", "Excellent!", "Brilliant!", "Wow, WTG!", "Thanks!",
                                  "Way To Go Teamie!", "Good Game Everyone!", "Chatter Sounds"}))
        << names.join(", ").toStdString();
}

} // namespace
