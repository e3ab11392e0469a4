#pragma once
// Drawing helpers shared by the game's pictures: a canvas at twice the density,
// the two faces, centred text outlines, rounded tiles and amber lettering.

#include "board/art.h"

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPixmap>
#include <QRectF>

#include <functional>

class QPainter;

namespace Art::Draw {

inline const QColor kInk{57, 57, 57};          // lines, letters
inline const QColor kDarkGrey{73, 73, 73};     // borders
inline const QColor kAmber{253, 200, 62};      // tiles and lettering
inline const QColor kTan{190, 155, 99};        // the window colour
inline const QColor kOutline{60, 42, 20};      // dark edge around amber lettering

// Paints a width x height (logical) picture at the pictures' density on a transparent
// canvas; the painter is antialiased and works in logical pixels.
QPixmap picture(int width, int height, const std::function<void(QPainter&)>& draw);
// The picture of that name, or, where none was baked into the program for this
// density, the one draw() makes (and the baking tool is told of it).
QPixmap bakedOrDrawn(const QString& name, const std::function<QPixmap()>& draw);
// The picture in slot, found or made by bakedOrDrawn() the first time it is asked for.
template <typename Make>
const QPixmap& kept(QPixmap& slot, const QString& name, Make make)
{
    if (slot.isNull())
        slot = bakedOrDrawn(name, make);
    return slot;
}

// A wholly transparent picture, for entries that have no art.
QPixmap emptyPicture(int width, int height);

QFont comicFont(qreal pixelSize, bool bold = true);
QFont arialFont(qreal pixelSize, bool bold = true);
// The font made smaller, if needed, until text is at most maxWidth wide.
QFont fitted(QFont font, const QString& text, qreal maxWidth);

// The outline of text, centred on box horizontally by its ink and vertically by
// its capital height (or aligned left/right when asked).
QPainterPath textPath(const QString& text, const QFont& font, const QRectF& box,
                      Qt::Alignment horizontal = Qt::AlignHCenter);

// Amber letters with a dark outline and a soft drop shadow.
void amberLettering(QPainter& p, const QPainterPath& text, qreal outline = 2.4);
// Text in face colour over a copy of itself in shadow colour, moved by offset.
void shadowedText(QPainter& p, const QPainterPath& text, const QColor& face,
                  const QColor& shadow, QPointF offset);

struct TileLook {
    QColor faceTop;
    QColor faceBottom;
    QColor border;
    QColor highlight;   // inner rim along the top edge
    bool dropShadow;
};
inline const TileLook kAmberTile{{255, 222, 120}, {244, 184, 44}, {176, 122, 26},
                                 {255, 255, 240, 190}, true};
inline const TileLook kLitTile{{255, 250, 205}, {255, 214, 92}, {232, 118, 20},
                               {255, 255, 255, 255}, true};
inline const TileLook kUsedTile{{218, 203, 163}, {203, 186, 142}, {176, 158, 116},
                                {255, 255, 250, 110}, false};

// A rounded tile with a bevelled face filling rect.
void roundedTile(QPainter& p, const QRectF& rect, qreal radius, const TileLook& look);
// A capital letter centred on a tile, with a faint light edge below when emboss is set.
void tileLetter(QPainter& p, const QRectF& rect, QChar letter, const QColor& ink,
                qreal pixelSize, const QColor& emboss);

} // namespace Art::Draw
