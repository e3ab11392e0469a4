// The real boxes: what the player sees in their title bars and what Yes and No answer.
#include "windows/prompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Closes every box that opens, by the button with the given text, and notes its title.
struct BoxCloser {
    explicit BoxCloser(const QString& button)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            titles << box->windowTitle();
            for (QAbstractButton* choice : box->buttons())
                if (choice->text().remove('&') == button)
                    choice->click();
        });
        timer.start(10);
    }
    QTimer timer;
    QStringList titles;
};

} // namespace

TEST(DialogPrompts, BoxesAreTitledHangmanAndQuestionsAnswerYesOrNo)
{
    DialogPrompts prompts;
    {
        BoxCloser closer("OK");
        prompts.showMessage(nullptr, "a message");
        prompts.showError(nullptr, "an error");
        EXPECT_EQ(closer.titles, QStringList({"Hangman", "Hangman"}));
    }
    BoxCloser yes("Yes");
    EXPECT_TRUE(prompts.confirm(nullptr, "Sure?"));
    EXPECT_EQ(yes.titles, QStringList{"Confirm"});
    yes.timer.stop();
    BoxCloser no("No");
    EXPECT_FALSE(prompts.confirm(nullptr, "Sure?"));
}
