#include "board/art.h"

#include <QPainter>

// Placeholder pictures of the right sizes until the real art lands.
namespace Art {
namespace {
QPixmap filled(int w, int h, QColor colour)
{
    QPixmap pixmap(w * 2, h * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(colour);
    return pixmap;
}
} // namespace

QPixmap backgroundTexture() { return filled(274, 234, QColor(190, 155, 99)); }
QPixmap letterTile(int) { return filled(38, 38, QColor(253, 200, 62)); }
QPixmap litLetterTile(int) { return filled(38, 38, QColor(255, 230, 120)); }
QPixmap usedLetterBoard() { return filled(241, 199, QColor(210, 194, 152)); }
QPixmap hangStage(int) { return filled(164, 140, Qt::transparent); }
QPixmap hangedStrip() { return filled(1312, 140, Qt::white); }
QPixmap categoryBanner(int) { return filled(250, 30, Qt::transparent); }
QPixmap categoryGlyph(int) { return filled(250, 30, Qt::transparent); }
QPixmap teamArt() { return filled(429, 123, Qt::transparent); }
QPixmap thePlayersHeading() { return filled(207, 31, Qt::transparent); }
QPixmap turnPointer() { return filled(32, 27, Qt::transparent); }
QPixmap eyes() { return filled(37, 17, Qt::white); }
QPixmap timerBar() { return filled(185, 25, Qt::yellow); }
QPixmap timerFrame() { return filled(191, 31, Qt::darkGray); }
QPixmap startGameButton(bool) { return filled(102, 28, Qt::darkGray); }
QPixmap wordBox() { return filled(693, 86, QColor(210, 194, 152)); }
QPixmap chatBanner() { return filled(164, 19, Qt::transparent); }
QPixmap switchPicture(bool on) { return filled(56, 32, on ? Qt::green : Qt::gray); }
QPixmap gameLogo(int size) { return filled(size, size, QColor(253, 200, 62)); }

} // namespace Art
