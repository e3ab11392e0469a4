#pragma once

class QWidget;

// Gives a window the game's tiled background texture.
void applyGameBackground(QWidget* window);
