#include "board/animatedimage.h"

#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// A strip of four 10-pixel frames in red, green, blue and yellow.
QPixmap colourStrip()
{
    QPixmap strip(40, 10);
    QPainter painter(&strip);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int frame = 0; frame < 4; ++frame)
        painter.fillRect(frame * 10, 0, 10, 10, colours[frame]);
    return strip;
}

QColor shownColour(AnimatedImage& animated)
{
    return QColor(animated.grab().toImage().pixel(5, 5));
}

TEST(AnimatedImageTest, FramesCycleStopAndResumeInVirtualTime)
{
    VirtualClock clock;
    AnimatedImage animated(clock);
    EXPECT_EQ(animated.size(), QSize(30, 30));
    EXPECT_EQ(animated.frameCount(), 1);
    EXPECT_TRUE(animated.loop());
    EXPECT_EQ(shownColour(animated), QColor(Qt::white));

    animated.resize(10, 10);
    animated.setStrip(colourStrip());
    animated.setFrameCount(4);
    animated.setInterval(500);
    QSignalSpy changes(&animated, &AnimatedImage::frameChanged);
    animated.setPlay(true);
    QList<int> frames;
    for (int step = 0; step < 6; ++step) {
        clock.advance(500);
        frames << animated.frame();
    }
    EXPECT_EQ(frames, (QList<int>{1, 2, 3, 0, 1, 2}));
    EXPECT_EQ(changes.size(), 6);
    EXPECT_EQ(shownColour(animated), QColor(Qt::blue));

    animated.setPlay(false);
    clock.advance(5000);
    EXPECT_EQ(animated.frame(), 2);
    animated.setPlay(true);
    clock.advance(500);
    EXPECT_EQ(animated.frame(), 3);
    EXPECT_EQ(shownColour(animated), QColor(Qt::yellow));

    animated.setReverse(true);
    clock.advance(1000);
    EXPECT_EQ(animated.frame(), 1);
    animated.setLoop(false);
    clock.advance(5000);
    EXPECT_EQ(animated.frame(), 0);
    EXPECT_FALSE(animated.play());

    animated.setFrame(-1);
    EXPECT_EQ(animated.frame(), 3);
    animated.setTransparentColor(QColor(Qt::yellow));
    EXPECT_EQ(animated.grab().toImage().pixel(5, 5), animated.palette().color(QPalette::Window).rgb());
}

} // namespace
