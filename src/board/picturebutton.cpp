#include "board/picturebutton.h"

#include <QPainter>
#include <QStyle>

PictureButton::PictureButton(QWidget* parent) : QPushButton(parent)
{
    setFlat(true);
}

void PictureButton::setFrameColour(QColor colour)
{
    m_frame = colour;
    update();
}

void PictureButton::setFillColours(QColor hover, QColor pressed)
{
    m_hoverFill = hover;
    m_pressedFill = pressed;
    setAttribute(Qt::WA_Hover, hover.isValid()); // repaint as the mouse comes and goes
    update();
}

void PictureButton::setFocusFrameColour(QColor colour)
{
    m_focusFrame = colour;
    update();
}

QColor PictureButton::fillColour() const
{
    if (isDown() || isChecked())
        return m_pressedFill;
    if (isEnabled() && underMouse())
        return m_hoverFill;
    return QColor();
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (const QColor fill = fillColour(); fill.isValid())
        painter.fillRect(rect(), fill);

    const bool focusFrame = hasFocus() && m_focusFrame.isValid();
    const QColor frame = focusFrame ? m_focusFrame : m_frame;
    if (frame.isValid()) {
        painter.setPen(QPen(frame, 1, focusFrame ? Qt::DotLine : Qt::SolidLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

    const QRect inside = frame.isValid() ? rect().adjusted(1, 1, -1, -1) : rect();
    QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    if (mode == QIcon::Normal && hasFocus())
        mode = QIcon::Active;
    const QPixmap picture =
        icon().pixmap(iconSize(), devicePixelRatio(), mode, isChecked() ? QIcon::On : QIcon::Off);
    style()->drawItemPixmap(&painter, inside, Qt::AlignCenter, picture);
}
