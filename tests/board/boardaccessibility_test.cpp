// What a screen reader finds on the board during a game played in virtual time:
// roles, names, states and values of its parts, the tiles' press action, and the
// events told when the turn passes, a letter is found and a letter misses.
#include "board/board.h"
#include "board/boardaccessibility.h"
#include "recordedgame.h"
#include "net/protocol.h"
#include "support/accessibilityrecorder.h"
#include "support/unnamedcontrols.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

QByteArray argsOf(QByteArray message)
{
    message.chop(1);
    return proto::splitName(message)->args;
}

QAccessibleInterface* findNamed(QAccessibleInterface* root, const QString& name)
{
    if (!root)
        return nullptr;
    if (root->text(QAccessible::Name) == name)
        return root;
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* found = findNamed(root->child(i), name))
            return found;
    return nullptr;
}

class AccessibleBoard : public ::testing::Test {
protected:
    VirtualClock clock;
    RecordedGame host{clock};
    Board board{host.game, clock};

    void SetUp() override
    {
        board.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&board));
        host.seatTaken(1, "Anna");
        host.seatTaken(3, "Bob");
        host.say(proto::name::kStartGame, argsOf(proto::msg::startGameAnnounce("Anna", 50, 20, "f")));
        host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord("*****", 0)));
    }

    QAccessibleInterface* root() { return QAccessible::queryAccessibleInterface(&board); }
    QAccessibleInterface* named(const QString& name) { return findNamed(root(), name); }
    QAccessibleInterface* of(const QString& objectName)
    {
        return QAccessible::queryAccessibleInterface(board.findChild<QWidget*>(objectName));
    }
    QString nameOf(const QString& objectName) { return of(objectName)->text(QAccessible::Name); }
    QString descriptionOf(const QString& objectName) { return of(objectName)->text(QAccessible::Description); }
    QObject* object(const QString& objectName) { return board.findChild<QObject*>(objectName); }
    QByteArray found(int seat, int tile, char letter, int count, int score, const QByteArray& mask)
    {
        return argsOf(proto::msg::foundLetter({seat, tile, letter, count, 0, score, 0, 0, 0, 0, mask}));
    }
};

TEST_F(AccessibleBoard, TilesAreButtonsThatPickTheirLetterOnlyOnTheOwnTurn)
{
    QAccessibleInterface* tileA = named("A");
    ASSERT_TRUE(tileA);
    EXPECT_EQ(tileA->role(), QAccessible::Button);
    EXPECT_EQ(tileA->parent()->text(QAccessible::Name), "Letters");
    EXPECT_TRUE(tileA->state().disabled);
    ASSERT_TRUE(tileA->actionInterface());
    EXPECT_TRUE(tileA->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    tileA->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(host.sent().isEmpty());

    host.say(proto::name::kNextPlayer, "1+");
    EXPECT_FALSE(tileA->state().disabled);
    EXPECT_FALSE(named("Z")->state().disabled);
    host.setWatching(true);
    EXPECT_TRUE(tileA->state().disabled);
    host.setWatching(false);

    tileA->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(host.sent(), QList<QByteArray>{proto::msg::selectLetter(1, 1)});
    EXPECT_TRUE(tileA->state().disabled);
    EXPECT_TRUE(tileA->state().invisible);
    EXPECT_TRUE(named("Z")->state().disabled);
    tileA->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(host.sent().size(), 1);

    // Used letters stay unavailable when the turn comes back.
    host.say(proto::name::kAddMan, argsOf(proto::msg::addMan(1, 1, 'a', 1, "*")));
    host.say(proto::name::kNextPlayer, "1+");
    EXPECT_TRUE(tileA->state().disabled);
    EXPECT_FALSE(named("B")->state().disabled);
}

TEST_F(AccessibleBoard, PartsReadWordSeatsClockFigureStatusAndWinner)
{
    EXPECT_EQ(root()->role(), QAccessible::Client);
    EXPECT_EQ(root()->text(QAccessible::Name), "Game board");
    EXPECT_EQ(nameOf("label_theword"), "General Words, 5 letters: blank, blank, blank, blank, blank");
    EXPECT_EQ(nameOf("label_playername2"), "Seat 2: Klot");
    EXPECT_EQ(descriptionOf("label_playername2"), "score 0, computer player");
    EXPECT_EQ(descriptionOf("label_playername4"), "score 0, empty seat");
    EXPECT_EQ(nameOf("label_tag"), "Category: General Words");
    EXPECT_EQ(nameOf("image_theplayers"), "The players");
    EXPECT_EQ(nameOf("image_eyes3"), "Seat 3: just watching");
    host.say(proto::name::kStartGame, argsOf(proto::msg::startGameAnnounce("Anna", 50, 20, "t")));
    host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord("*****", 0)));
    host.say(proto::name::kMarkLetters, "1+5+");
    EXPECT_EQ(unnamedPictures(&board).join(", ").toStdString(), "") << "in a team game, with a letter used";

    host.say(proto::name::kNextPlayer, "3+");
    EXPECT_EQ(nameOf("label_status"), "Bob's turn.");
    EXPECT_EQ(descriptionOf("label_playername3"), "score 0, has the turn");
    clock.advance(5000);
    QAccessibleInterface* clockPart = of("label_timer");
    EXPECT_EQ(clockPart->role(), QAccessible::Clock);
    EXPECT_EQ(clockPart->text(QAccessible::Name), "Turn clock: 15 seconds left");
    EXPECT_TRUE(clockPart->state().animated);
    ASSERT_TRUE(clockPart->valueInterface());
    EXPECT_EQ(clockPart->valueInterface()->currentValue().toInt(), 15);
    EXPECT_EQ(clockPart->valueInterface()->maximumValue().toInt(), 20);

    host.say(proto::name::kFoundLetter, found(3, 5, 'e', 2, 2, "*E*E*"));
    EXPECT_EQ(nameOf("label_theword"), "General Words, 5 letters: blank, E, blank, E, blank");
    EXPECT_EQ(nameOf("label_status"), "2 E's found.");
    EXPECT_EQ(descriptionOf("label_playername3"), "score 2, last find +2, has the turn");
    ASSERT_TRUE(of("label_playername3")->valueInterface());
    EXPECT_EQ(of("label_playername3")->valueInterface()->currentValue().toInt(), 2);

    host.say(proto::name::kAddMan, argsOf(proto::msg::addMan(3, 1, 'a', 3, "*")));
    QAccessibleInterface* figure = of("image_hang");
    EXPECT_EQ(figure->text(QAccessible::Name), "Hangman: 3 of 7 misses");
    EXPECT_EQ(figure->valueInterface()->currentValue().toInt(), 3);
    EXPECT_EQ(clockPart->text(QAccessible::Name), "Turn clock: stopped");
    EXPECT_FALSE(clockPart->state().animated);

    host.say(proto::name::kNextPlayer, "1+");
    host.say(proto::name::kJustWatching, "3+1");
    EXPECT_EQ(descriptionOf("label_playername3"), "score 2, just watching");

    host.say(proto::name::kChooseCat, "1+");
    QAccessibleInterface* holiday = named("Holiday Related Words");
    ASSERT_TRUE(holiday);
    EXPECT_EQ(holiday->role(), QAccessible::Button);
    EXPECT_EQ(holiday->parent()->text(QAccessible::Name), "Choose a category");
    EXPECT_TRUE(holiday->state().focusable);
    holiday->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !host.sent().isEmpty(); }, 2000));
    EXPECT_EQ(host.sent().last(), proto::msg::chooseCat(1, 1));

    EXPECT_EQ(nameOf("panel_winner"), "");
    host.say(proto::name::kWinner, "Anna+");
    EXPECT_EQ(nameOf("panel_winner"), "You have Won the Game!");
    EXPECT_EQ(nameOf("label_status"), "Game Over!");
}

TEST_F(AccessibleBoard, TellsTurnFindAndMissOnce)
{
    host.say(proto::name::kNextPlayer, "1+");
    AccessibilityRecorder recorder;
    QObject* status = object("label_status");

    host.say(proto::name::kNextPlayer, "3+");
    EXPECT_EQ(recorder.count(status, QAccessible::NameChanged), 1);
    EXPECT_EQ(recorder.count(object("label_playername1"), QAccessible::DescriptionChanged), 1);
    EXPECT_EQ(recorder.count(object("label_playername3"), QAccessible::DescriptionChanged), 1);
    EXPECT_EQ(recorder.count(object("image_letter1"), QAccessible::StateChanged), 1);
    EXPECT_EQ(recorder.count(object("label_timer"), QAccessible::StateChanged), 0);
    EXPECT_EQ(recorder.count(object("label_timer"), QAccessible::NameChanged), 0);
    clock.advance(3000);
    EXPECT_EQ(recorder.count(object("label_timer"), QAccessible::NameChanged), 0);

    recorder.clear();
    host.say(proto::name::kFoundLetter, found(3, 5, 'e', 2, 2, "*E*E*"));
    EXPECT_EQ(recorder.count(object("label_theword"), QAccessible::NameChanged), 1);
    EXPECT_EQ(recorder.count(object("label_playername3"), QAccessible::ValueChanged), 1);
    EXPECT_EQ(recorder.count(object("label_playername3"), QAccessible::DescriptionChanged), 1);
    EXPECT_EQ(recorder.count(status, QAccessible::NameChanged), 1);
    EXPECT_EQ(recorder.count(object("label_score3"), QAccessible::NameChanged), 0);

    recorder.clear();
    host.say(proto::name::kAddMan, argsOf(proto::msg::addMan(3, 1, 'a', 1, "*")));
    EXPECT_EQ(recorder.count(object("image_hang"), QAccessible::NameChanged), 1);
    EXPECT_EQ(recorder.count(object("image_hang"), QAccessible::ValueChanged), 1);
    EXPECT_EQ(recorder.count(object("label_timer"), QAccessible::StateChanged), 1);
    EXPECT_EQ(recorder.count(status, QAccessible::NameChanged), 0);
    EXPECT_EQ(recorder.count(object("label_theword"), QAccessible::NameChanged), 0);

    recorder.clear();
    host.say(proto::name::kNextPlayer, "3+");
    EXPECT_EQ(recorder.count(status, QAccessible::NameChanged), 1);
    EXPECT_EQ(recorder.count(object("label_timer"), QAccessible::StateChanged), 1);

    // The seventh miss: the hanged animation speaks, not the still figure it replaces.
    recorder.clear();
    host.say(proto::name::kAddMan, argsOf(proto::msg::addMan(3, 2, 'b', 7, "table")));
    EXPECT_EQ(recorder.count(object("animated_hanged"), QAccessible::NameChanged), 1);
    EXPECT_EQ(recorder.count(object("image_hang"), QAccessible::NameChanged), 0);
    EXPECT_EQ(recorder.count(object("label_theword"), QAccessible::NameChanged), 1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(object("animated_hanged"))->text(QAccessible::Name),
              "Hangman: hanged, 7 of 7 misses");
}

TEST(BoardKeyboard, TabReachesTheBoardWhichTakesLettersAndShowsAFocusMark)
{
    VirtualClock clock;
    RecordedGame host{clock};
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QLineEdit;
    auto* board = new Board(host.game, clock);
    layout->addWidget(before);
    layout->addWidget(board);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    before->setFocus();
    const QImage unfocused = board->grab().toImage();

    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(board->hasFocus());
    const QImage focused = board->grab().toImage();
    EXPECT_NE(focused.pixel(2, 100), unfocused.pixel(2, 100));
    EXPECT_NE(focused.pixel(350, board->height() - 3), unfocused.pixel(350, board->height() - 3));
    if (const QByteArray folder = qgetenv("HANGMAN_SCREENSHOTS"); !folder.isEmpty())
        focused.save(QString::fromLocal8Bit(folder) + "/board_focused.png");

    host.say(proto::name::kStartGame, argsOf(proto::msg::startGameAnnounce("Anna", 50, 20, "f")));
    host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord("*****", 0)));
    host.say(proto::name::kNextPlayer, "1+");
    QTest::keyClick(board, Qt::Key_Q);
    EXPECT_EQ(host.sent(), QList<QByteArray>{proto::msg::selectLetter(1, 17)});

    // Escape leaves the board for the chat; typing there picks nothing.
    QTest::keyClick(board, Qt::Key_Escape);
    EXPECT_TRUE(board->chatArea()->hasFocus());
    EXPECT_EQ(board->grab().toImage().pixel(2, 100), unfocused.pixel(2, 100)) << "the focus mark is gone";
    host.say(proto::name::kNextPlayer, "1+");
    QTest::keyClick(board->chatArea(), Qt::Key_E);
    EXPECT_EQ(host.sent().size(), 1);
}

TEST(SpokenWord, ReadsLettersBlanksAndWords)
{
    EXPECT_EQ(BoardAccessibility::spokenWord("G**A**E"), "7 letters: G, blank, blank, A, blank, blank, E");
    EXPECT_EQ(BoardAccessibility::spokenWord("*"), "1 letter: blank");
    EXPECT_EQ(BoardAccessibility::spokenWord("BAKER'* D***N"),
              "2 words: 6 letters: B, A, K, E, R, apostrophe, blank; 5 letters: D, blank, blank, blank, N");
}

} // namespace
