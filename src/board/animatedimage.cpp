#include "board/animatedimage.h"

#include <QBitmap>
#include <QPainter>
#include <algorithm>

AnimatedImage::AnimatedImage(Clock& clock, QWidget* parent) : QWidget(parent), m_timer(clock, 100)
{
    resize(30, 30);
    m_timer.onTimer = [this] { step(); };
}

void AnimatedImage::setStrip(const QPixmap& strip)
{
    m_strip = strip;
    m_shown = stripWithTransparency();
    update();
}

void AnimatedImage::setFrameCount(int count)
{
    m_frameCount = std::max(1, count);
    setFrame(m_frame);
}

void AnimatedImage::setFrame(int frame)
{
    if (frame < 0)
        frame = m_frameCount - 1;
    else if (frame >= m_frameCount)
        frame = 0;
    if (frame == m_frame)
        return;
    m_frame = frame;
    update();
    emit frameChanged(m_frame);
}

void AnimatedImage::setInterval(int ms)
{
    m_timer.setInterval(std::max(1, ms));
}

void AnimatedImage::setPlay(bool on)
{
    m_timer.setEnabled(on);
}

void AnimatedImage::setTransparentColor(std::optional<QColor> colour)
{
    m_transparent = colour;
    m_shown = stripWithTransparency();
    update();
}

void AnimatedImage::step()
{
    const int last = m_reverse ? 0 : m_frameCount - 1;
    if (!m_loop && m_frame == last) {
        setPlay(false);
        return;
    }
    setFrame(m_frame + (m_reverse ? -1 : 1));
}

QPixmap AnimatedImage::stripWithTransparency() const
{
    if (m_strip.isNull() || !m_transparent)
        return m_strip;
    QPixmap shown = m_strip;
    shown.setMask(m_strip.createMaskFromColor(*m_transparent, Qt::MaskInColor));
    return shown;
}

void AnimatedImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_shown.isNull()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    const qreal ratio = m_shown.devicePixelRatio();
    const QRectF source(m_frame * width() * ratio, 0, width() * ratio, height() * ratio);
    painter.drawPixmap(QRectF(rect()), m_shown, source);
}
