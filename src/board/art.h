#pragma once
// The board's pictures, drawn with QPainter at start-up.

#include <QPixmap>

namespace Art {

// The tiled background texture (274 x 234) that every window of the game uses.
QPixmap backgroundTexture();

} // namespace Art
