#include "board/art_draw.h"

#include "board/bakedpictures.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QtMath>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace Art {

int density()
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return qMax(1, qCeil(ratio));
}

void substituteMissingFaces()
{
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

} // namespace Art

namespace Art::Draw {

QPixmap picture(int width, int height, const std::function<void(QPainter&)>& draw)
{
    const int ratio = density();
    QImage image(width * ratio, height * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing
                         | QPainter::SmoothPixmapTransform);
        draw(p);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QPixmap bakedOrDrawn(const QString& name, const std::function<QPixmap()>& draw)
{
    QPixmap baked = BakedPictures::find(name, density());
    if (!baked.isNull())
        return baked;
    QPixmap drawn = draw();
    BakedPictures::tellDrawn(name, drawn);
    return drawn;
}

QPixmap emptyPicture(int width, int height)
{
    return picture(width, height, [](QPainter&) {});
}

static QFont face(const QString& family, QFont::StyleHint hint, qreal pixelSize, bool bold)
{
    QFont font(family);
    font.setStyleHint(hint);
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setBold(bold);
    return font;
}

QFont comicFont(qreal pixelSize, bool bold)
{
    return face(QStringLiteral("Comic Sans MS"), QFont::Cursive, pixelSize, bold);
}

QFont arialFont(qreal pixelSize, bool bold)
{
    return face(QStringLiteral("Arial"), QFont::SansSerif, pixelSize, bold);
}

QFont fitted(QFont font, const QString& text, qreal maxWidth)
{
    while (font.pixelSize() > 6 && QFontMetricsF(font).horizontalAdvance(text) > maxWidth)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

QPainterPath textPath(const QString& text, const QFont& font, const QRectF& box,
                      Qt::Alignment horizontal)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF ink = path.boundingRect();
    const qreal capHeight = QFontMetricsF(font).capHeight();
    qreal x = box.center().x() - ink.center().x();
    if (horizontal & Qt::AlignLeft)
        x = box.left() - ink.left();
    else if (horizontal & Qt::AlignRight)
        x = box.right() - ink.right();
    const qreal baseline = box.center().y() + capHeight / 2;
    return path.translated(x, baseline);
}

void amberLettering(QPainter& p, const QPainterPath& text, qreal outline)
{
    p.save();
    const QPen outlinePen(kOutline, outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    // soft shadow below and to the right
    const QPainterPath shadow = text.translated(1.0, 1.4);
    p.setPen(QPen(QColor(0, 0, 0, 90), outline + 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(shadow);

    p.setPen(outlinePen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(text);

    const QRectF box = text.boundingRect();
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, QColor(255, 238, 160));
    fill.setColorAt(0.45, kAmber);
    fill.setColorAt(1.0, QColor(228, 160, 36));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(text);
    p.restore();
}

void shadowedText(QPainter& p, const QPainterPath& text, const QColor& face,
                  const QColor& shadow, QPointF offset)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawPath(text.translated(offset));
    p.setBrush(face);
    p.drawPath(text);
    p.restore();
}

void roundedTile(QPainter& p, const QRectF& rect, qreal radius, const TileLook& look)
{
    p.save();
    if (look.dropShadow) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 25, 5, 80));
        p.drawRoundedRect(rect.translated(0.9, 1.2), radius, radius);
    }

    QLinearGradient face(rect.topLeft(), rect.bottomLeft());
    face.setColorAt(0.0, look.faceTop);
    face.setColorAt(1.0, look.faceBottom);
    p.setBrush(face);
    p.setPen(QPen(look.border, 1.0));
    p.drawRoundedRect(rect, radius, radius);

    // light rim inside the top edge, fading out towards the bottom
    const QRectF rim = rect.adjusted(1.4, 1.4, -1.4, -1.4);
    QLinearGradient rimColour(rim.topLeft(), rim.bottomLeft());
    rimColour.setColorAt(0.0, look.highlight);
    QColor faded = look.highlight;
    faded.setAlpha(0);
    rimColour.setColorAt(0.7, faded);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rimColour), 1.2));
    p.drawRoundedRect(rim, radius - 1.2, radius - 1.2);
    p.restore();
}

void tileLetter(QPainter& p, const QRectF& rect, QChar letter, const QColor& ink,
                qreal pixelSize, const QColor& emboss)
{
    const QPainterPath glyph = textPath(QString(letter), comicFont(pixelSize), rect);
    shadowedText(p, glyph, ink, emboss, QPointF(0, 1.0));
}

} // namespace Art::Draw
