#pragma once
// A picture control that plays a horizontal strip of equally wide frames.

#include "net/gametimer.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <optional>

class AnimatedImage : public QWidget {
    Q_OBJECT
public:
    explicit AnimatedImage(Clock& clock = Clock::system(), QWidget* parent = nullptr);

    // The strip: frame f is the part from x = f * width() to (f + 1) * width().
    void setStrip(const QPixmap& strip);
    QPixmap strip() const { return m_strip; }
    // Number of frames in the strip (at least 1).
    void setFrameCount(int count);
    int frameCount() const { return m_frameCount; }
    // The frame on show; out-of-range values wrap into 0..frameCount-1.
    void setFrame(int frame);
    int frame() const { return m_frame; }
    // Milliseconds between two frames while playing.
    void setInterval(int ms);
    int interval() const { return m_timer.interval(); }
    // Starts or stops the animation; stopping keeps the current frame.
    void setPlay(bool on);
    bool play() const { return m_timer.isEnabled(); }
    // Plays the frames backwards.
    void setReverse(bool on) { m_reverse = on; }
    bool reverse() const { return m_reverse; }
    // Wraps around at the end instead of stopping.
    void setLoop(bool on) { m_loop = on; }
    bool loop() const { return m_loop; }
    // Pixels of this colour in the strip show the control's own background instead.
    void setTransparentColor(std::optional<QColor> colour);
    std::optional<QColor> transparentColor() const { return m_transparent; }

signals:
    void frameChanged(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void step();
    QPixmap stripWithTransparency() const;

    QPixmap m_strip;
    QPixmap m_shown;
    GameTimer m_timer;
    int m_frameCount = 1;
    int m_frame = 0;
    bool m_reverse = false;
    bool m_loop = true;
    std::optional<QColor> m_transparent;
};
