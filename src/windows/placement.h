#pragma once

class QWidget;

// Moves a window so that its frame is centred on the given window (on the screen when there is none).
void centreOn(QWidget* window, const QWidget* over);
