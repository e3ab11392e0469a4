#pragma once
// A push button that shows only its picture, centred, without the style's bevel.
// It may have a thin frame, a fill while the mouse is over it or while it is held
// down, and a dotted frame while it has the keyboard focus.

#include <QColor>
#include <QPushButton>

class PictureButton : public QPushButton {
public:
    explicit PictureButton(QWidget* parent = nullptr);

    // A solid frame one pixel wide around the button; none by default.
    void setFrameColour(QColor colour);
    // The fill while the mouse is over the button and while it is held down.
    void setFillColours(QColor hover, QColor pressed);
    // A dotted frame one pixel wide while the button has the keyboard focus.
    void setFocusFrameColour(QColor colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fillColour() const;

    QColor m_frame;
    QColor m_hoverFill;
    QColor m_pressedFill;
    QColor m_focusFrame;
};
