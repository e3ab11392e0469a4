#pragma once

class QWidget;

#include <QColor>

// Gives a window the game's tiled background texture.
void applyGameBackground(QWidget* window);
// Sets the colour a label's (or any widget's) text is drawn in.
void setTextColour(QWidget* widget, QColor colour);
