#include "windows/joinrequestwindow.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList questions(const JoinRequestWindow& window)
{
    QStringList out;
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->isVisibleTo(&window))
            out << label->text();
    return out;
}

QPushButton* button(const JoinRequestWindow& window, const QString& accessibleName)
{
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->accessibleName() == accessibleName && b->isVisibleTo(&window))
            return b;
    return nullptr;
}

// The host answers from the keyboard: the newest request's Let In has the focus.
TEST(JoinRequestWindowTest, ShowsEachRequestAndAnswersItByKeyboardUntilNoneIsLeft)
{
    JoinRequestWindow window;
    QSignalSpy letIn(&window, &JoinRequestWindow::letIn);
    QSignalSpy turnedAway(&window, &JoinRequestWindow::turnedAway);
    window.addRequest(7, "Zed", "203.0.113.9");
    window.addRequest(8, "Yan", "");
    window.addRequest(8, "Yan", "");
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.requestCount(), 2);
    EXPECT_EQ(questions(window), (QStringList{"Zed (203.0.113.9) wants to join", "Yan wants to join"}));
    ASSERT_NE(button(window, "Let Zed in"), nullptr);
    EXPECT_EQ(button(window, "Turn Yan away")->accessibleDescription(), "Yan wants to join");

    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QPushButton* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->accessibleName(), "Let Yan in");
    QTest::keyClick(focused, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(turnedAway.size(), 1);
    EXPECT_EQ(turnedAway.first().first().toULongLong(), 8u);
    EXPECT_EQ(questions(window), QStringList{"Zed (203.0.113.9) wants to join"});

    window.removeRequest(99);
    QTest::mouseClick(button(window, "Let Zed in"), Qt::LeftButton);
    EXPECT_EQ(letIn.size(), 1);
    EXPECT_EQ(letIn.first().first().toULongLong(), 7u);
    EXPECT_FALSE(window.isVisible());
    window.addRequest(9, "Wes", "192.0.2.1");
    window.removeRequest(9); // ran out of time
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(letIn.size() + turnedAway.size(), 2);
}

// Writes a picture of the window to the folder named by HANGMAN_SCREENSHOTS, for looking at.
TEST(JoinRequestWindowTest, Screenshot)
{
    const QString folder = qEnvironmentVariable("HANGMAN_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "HANGMAN_SCREENSHOTS not set";
    JoinRequestWindow window;
    window.addRequest(1, "Zed", "203.0.113.9");
    window.addRequest(2, "Bea", "198.51.100.7");
    QApplication::processEvents();
    EXPECT_TRUE(window.grab().save(folder + "/ask-to-join.png"));
}

} // namespace
