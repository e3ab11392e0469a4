#include "board/background.h"

#include "board/art.h"

#include <QPalette>
#include <QWidget>

void applyGameBackground(QWidget* window)
{
    QPalette palette = window->palette();
    palette.setBrush(QPalette::Window, QBrush(Art::backgroundTexture()));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void setTextColour(QWidget* widget, QColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}
