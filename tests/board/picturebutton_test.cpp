// The picture buttons took over from push buttons dressed by style sheets (which
// cost a start-up the style sheet machinery); they must look exactly as those did.
#include "board/art.h"
#include "board/picturebutton.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const QColor kFrame(73, 73, 73);
const QColor kHover(204, 177, 132);
const QColor kPressed(224, 208, 182);

// The category buttons' old look.
const char* kCategoryStyle = "QPushButton { border: 1px solid rgb(73,73,73); background: transparent; }"
                             "QPushButton:hover { background: rgb(204,177,132); }"
                             "QPushButton:pressed { background: rgb(224,208,182); }";

void dress(QPushButton* button, int x)
{
    button->setGeometry(x, 10, 270, 33);
    button->setIcon(QIcon(Art::categoryGlyph(1)));
    button->setIconSize(QSize(250, 30));
}

// A tan window, as the buttons have on the board and in the game start window.
void paintTan(QWidget& window)
{
    QPalette tan = window.palette();
    tan.setColor(QPalette::Window, QColor(190, 155, 99));
    window.setPalette(tan);
    window.setAutoFillBackground(true);
}

class PictureButtonLook : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(600, 60);
        paintTan(window);
        styled->setFlat(true);
        styled->setStyleSheet(QString::fromLatin1(kCategoryStyle));
        dress(styled, 10);
        drawn->setFrameColour(kFrame);
        drawn->setFillColours(kHover, kPressed);
        dress(drawn, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // The button as it shows on its window.
    QImage look(QPushButton* button) { return window.grab(button->geometry()).toImage(); }
    void expectSameLook(const char* state)
    {
        EXPECT_EQ(look(drawn), look(styled)) << state;
    }

    QWidget window;
    QPushButton* styled = new QPushButton(&window);
    PictureButton* drawn = new PictureButton(&window);
};

TEST_F(PictureButtonLook, FramedButtonLooksAsItsStyleSheetDidInEveryState)
{
    expectSameLook("normal");

    QImage hovered[2];
    for (QPushButton* button : {styled, static_cast<QPushButton*>(drawn)}) {
        QTest::mouseMove(button, button->rect().center());
        QTest::qWait(20);
        hovered[button == drawn] = look(button);
        EXPECT_EQ(hovered[button == drawn].pixel(3, 3), kHover.rgb()) << "the mouse is over it";
    }
    EXPECT_EQ(hovered[1], hovered[0]);
    QTest::mouseMove(&window, QPoint(595, 55));
    QTest::qWait(20);

    styled->setDown(true);
    drawn->setDown(true);
    expectSameLook("held down");
    EXPECT_EQ(look(drawn).pixel(3, 3), kPressed.rgb());
    styled->setDown(false);
    drawn->setDown(false);

    styled->setEnabled(false);
    drawn->setEnabled(false);
    expectSameLook("disabled");
}

TEST(PictureButton, DottedFrameOnlyWithTheKeyboardFocus)
{
    QWidget window;
    window.resize(200, 60);
    paintTan(window);
    auto* other = new QPushButton(&window);
    other->setGeometry(150, 10, 40, 30);
    auto* button = new PictureButton(&window);
    button->setGeometry(10, 10, 110, 34);
    button->setIcon(QIcon(Art::startGameButton(false)));
    button->setIconSize(QSize(102, 28));
    button->setFocusFrameColour(kFrame);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    other->setFocus();
    const QImage unfocused = window.grab(button->geometry()).toImage();
    EXPECT_EQ(unfocused.pixelColor(0, 0), window.palette().color(QPalette::Window)) << "no frame, no fill";
    button->setFocus();
    const QImage focused = window.grab(button->geometry()).toImage();
    int framePixels = 0;
    for (int x = 0; x < focused.width(); ++x)
        framePixels += focused.pixelColor(x, 0) == kFrame;
    EXPECT_GT(framePixels, focused.width() / 4) << "dots along the top edge";
    EXPECT_LT(framePixels, focused.width() * 3 / 4) << "dots, not a line";
    EXPECT_EQ(focused.copy(4, 4, 100, 26), unfocused.copy(4, 4, 100, 26)) << "the picture itself stays";
}

} // namespace
