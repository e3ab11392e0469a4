#include "board/art.h"

#include "board/art_draw.h"

#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <array>
#include <cmath>
#include <vector>

// Every picture is drawn once, on first use, and kept in a static for the rest of
// the run. Pictures for numbers outside their range are wholly transparent.

namespace Art {

using namespace Draw;

namespace {

// ---------------------------------------------------------------------------
// Background texture

// Value noise that repeats after one period in both directions, so the texture
// tiles without seams. u and v run from 0 to 1 over one period.
class RepeatingNoise {
public:
    RepeatingNoise(int cellsAcross, int cellsDown, quint32 seed)
        : m_across(cellsAcross), m_down(cellsDown), m_values(cellsAcross * cellsDown)
    {
        QRandomGenerator random(seed);
        for (double& value : m_values)
            value = random.generateDouble() * 2.0 - 1.0;
    }

    double at(double u, double v) const
    {
        const double x = u * m_across;
        const double y = v * m_down;
        const int x0 = int(std::floor(x));
        const int y0 = int(std::floor(y));
        const double fx = smooth(x - x0);
        const double fy = smooth(y - y0);
        const double top = lerp(value(x0, y0), value(x0 + 1, y0), fx);
        const double bottom = lerp(value(x0, y0 + 1), value(x0 + 1, y0 + 1), fx);
        return lerp(top, bottom, fy);
    }

private:
    static double smooth(double t) { return t * t * (3 - 2 * t); }
    static double lerp(double a, double b, double t) { return a + (b - a) * t; }
    double value(int x, int y) const
    {
        x = ((x % m_across) + m_across) % m_across;
        y = ((y % m_down) + m_down) % m_down;
        return m_values[y * m_across + x];
    }

    int m_across;
    int m_down;
    std::vector<double> m_values;
};

// Mottled paper: broad soft clouds, long fibres running across, and a fine grain.
void paintPaperGrain(QImage& image)
{
    const RepeatingNoise clouds(5, 4, 11);
    const RepeatingNoise blotches(13, 11, 23);
    const RepeatingNoise fibres(4, 48, 37);
    QRandomGenerator grain(41);
    const int w = image.width();
    const int h = image.height();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w;
            const double v = double(y) / h;
            const double shade = 6.0 * clouds.at(u, v) + 3.0 * blotches.at(u, v)
                + 3.0 * fibres.at(u, v) + 2.0 * (grain.generateDouble() - 0.5);
            line[x] = qRgb(qBound(0, int(kTan.red() + shade), 255),
                           qBound(0, int(kTan.green() + shade * 0.85), 255),
                           qBound(0, int(kTan.blue() + shade * 0.6), 255));
        }
    }
}

// Short curly fibres, each drawn in all nine neighbouring copies of the tile so a
// fibre that crosses an edge comes back in on the other side.
void paintFibres(QPainter& p, QSizeF tile)
{
    QRandomGenerator random(53);
    for (int i = 0; i < 140; ++i) {
        const QPointF start(random.bounded(tile.width()), random.bounded(tile.height()));
        const double angle = random.bounded(0.5) - 0.25;
        const double length = 6 + random.bounded(14.0);
        const QPointF end = start + QPointF(std::cos(angle), std::sin(angle)) * length;
        const QPointF bend = (start + end) / 2 + QPointF(0, random.bounded(3.0) - 1.5);
        QPainterPath fibre(start);
        fibre.quadTo(bend, end);
        const bool light = i % 2 == 0;
        p.setPen(QPen(light ? QColor(236, 208, 150, 45) : QColor(120, 86, 42, 38), 0.6,
                      Qt::SolidLine, Qt::RoundCap));
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                p.drawPath(fibre.translated(dx * tile.width(), dy * tile.height()));
    }
}

// ---------------------------------------------------------------------------
// Letter tiles

constexpr int kTileSize = 38;
constexpr int kTileStep = 40;
const QRectF kTileFace(0.5, 0.5, 36.2, 36.2);
constexpr qreal kTileRadius = 6.5;
constexpr qreal kTileLetterSize = 25;

QChar letterOf(int n) { return QChar(u'A' + n - 1); }

QPixmap amberTile(int n)
{
    return picture(kTileSize, kTileSize, [n](QPainter& p) {
        roundedTile(p, kTileFace, kTileRadius, kAmberTile);
        if (n >= 1)
            tileLetter(p, kTileFace, letterOf(n), kInk, kTileLetterSize,
                       QColor(255, 244, 200, 170));
    });
}

// A lit tile: a pale glowing face with a bright orange rim.
QPixmap glowingTile(int n)
{
    return picture(kTileSize, kTileSize, [n](QPainter& p) {
        roundedTile(p, kTileFace, kTileRadius, kLitTile);
        QRadialGradient glow(kTileFace.center(), 19);
        glow.setColorAt(0.0, QColor(255, 255, 255, 150));
        glow.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawRoundedRect(kTileFace, kTileRadius, kTileRadius);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 140, 0), 1.6));
        p.drawRoundedRect(kTileFace.adjusted(0.6, 0.6, -0.6, -0.6), kTileRadius - 0.5,
                          kTileRadius - 0.5);
        tileLetter(p, kTileFace, letterOf(n), QColor(40, 30, 20), kTileLetterSize + 1,
                   QColor(255, 255, 255, 200));
    });
}

// ---------------------------------------------------------------------------
// Lettering pictures

const std::array<QString, 5> kCategoryNames = {
    QStringLiteral("General Words"),       QStringLiteral("Holiday Related Words"),
    QStringLiteral("Food Related Words"),  QStringLiteral("Entertainment Related Words"),
    QStringLiteral("Phrases"),
};

void amberCaption(QPainter& p, const QString& text, QFont font, const QRectF& box)
{
    font = fitted(font, text, box.width() - 4);
    amberLettering(p, textPath(text, font, box));
}

// Small pictures for the category buttons, each drawn in a 22 x 22 box.
void drawBookIcon(QPainter& p, const QRectF& r)
{
    const QPointF spine(r.center().x(), r.bottom() - 2);
    QPainterPath left;
    left.moveTo(spine);
    left.lineTo(r.left() + 1, r.bottom() - 5);
    left.lineTo(r.left() + 1, r.top() + 4);
    left.quadTo(r.center().x() - 4, r.top() + 2, r.center().x(), r.top() + 6);
    left.closeSubpath();
    QTransform mirror;
    mirror.translate(2 * r.center().x(), 0);
    mirror.scale(-1, 1);
    const QPainterPath right = mirror.map(left);
    p.setPen(QPen(kInk, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 250, 235));
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(QColor(120, 120, 120), 0.8, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const qreal y = r.top() + 9 + i * 3.5;
        p.drawLine(QPointF(r.left() + 4, y - 0.5), QPointF(r.center().x() - 2.5, y + 1));
        p.drawLine(QPointF(r.center().x() + 2.5, y + 1), QPointF(r.right() - 4, y - 0.5));
    }
}

void drawGiftIcon(QPainter& p, const QRectF& r)
{
    const QRectF box(r.left() + 2, r.top() + 8, r.width() - 4, r.height() - 9);
    p.setPen(QPen(kInk, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(214, 58, 48));
    p.drawRoundedRect(box, 2, 2);
    p.setBrush(QColor(90, 170, 70));
    p.drawRect(QRectF(box.center().x() - 2, box.top(), 4, box.height()));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(90, 170, 70), 2.2, Qt::SolidLine, Qt::RoundCap));
    const QPointF knot(box.center().x(), box.top() - 0.5);
    QPainterPath bow;
    bow.moveTo(knot);
    bow.cubicTo(knot + QPointF(-7, -8), knot + QPointF(-9, 1), knot);
    bow.cubicTo(knot + QPointF(7, -8), knot + QPointF(9, 1), knot);
    p.drawPath(bow);
}

void drawAppleIcon(QPainter& p, const QRectF& r)
{
    const QPointF c = r.center() + QPointF(0, 2);
    QPainterPath apple;
    apple.moveTo(c + QPointF(0, -6));
    apple.cubicTo(c + QPointF(6, -10), c + QPointF(11, -2), c + QPointF(7, 6));
    apple.cubicTo(c + QPointF(5, 10), c + QPointF(2, 9), c + QPointF(0, 8));
    apple.cubicTo(c + QPointF(-2, 9), c + QPointF(-5, 10), c + QPointF(-7, 6));
    apple.cubicTo(c + QPointF(-11, -2), c + QPointF(-6, -10), c + QPointF(0, -6));
    QRadialGradient shine(c + QPointF(-3, -3), 10);
    shine.setColorAt(0, QColor(255, 120, 100));
    shine.setColorAt(1, QColor(196, 30, 30));
    p.setPen(QPen(kInk, 1.3));
    p.setBrush(shine);
    p.drawPath(apple);
    p.setPen(QPen(QColor(110, 70, 30), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(0, -6), c + QPointF(1, -10));
    p.setPen(QPen(kInk, 0.9));
    p.setBrush(QColor(96, 176, 64));
    QPainterPath leaf;
    leaf.moveTo(c + QPointF(1, -9));
    leaf.quadTo(c + QPointF(5, -13), c + QPointF(8, -10));
    leaf.quadTo(c + QPointF(4, -7), c + QPointF(1, -9));
    p.drawPath(leaf);
}

void drawClapperIcon(QPainter& p, const QRectF& r)
{
    const QRectF board(r.left() + 2, r.top() + 8, r.width() - 4, r.height() - 9);
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(70, 70, 78));
    p.drawRoundedRect(board, 1.5, 1.5);
    p.setPen(QPen(QColor(235, 235, 235), 1.0));
    p.drawLine(QPointF(board.left() + 3, board.top() + 5), QPointF(board.right() - 3, board.top() + 5));
    p.drawLine(QPointF(board.left() + 3, board.top() + 8.5), QPointF(board.right() - 6, board.top() + 8.5));

    // the striped arm, opened a little
    p.save();
    p.translate(board.left(), board.top() - 0.5);
    p.rotate(-18);
    const QRectF arm(0, -4.5, board.width(), 4.5);
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(70, 70, 78));
    p.drawRect(arm);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 245));
    for (int i = 0; i < 4; ++i) {
        QPolygonF stripe;
        const qreal x = 2 + i * 4.5;
        stripe << QPointF(x, -0.3) << QPointF(x + 2.2, -0.3) << QPointF(x + 4, -4.2) << QPointF(x + 1.8, -4.2);
        p.drawPolygon(stripe);
    }
    p.restore();
}

void drawBubbleIcon(QPainter& p, const QRectF& r)
{
    const QRectF bubble(r.left() + 1, r.top() + 3, r.width() - 2, r.height() - 9);
    QPainterPath path;
    path.addRoundedRect(bubble, 5, 5);
    QPainterPath tail;
    tail.moveTo(bubble.left() + 5, bubble.bottom() - 1);
    tail.lineTo(bubble.left() + 4, bubble.bottom() + 5);
    tail.lineTo(bubble.left() + 10, bubble.bottom() - 1);
    tail.closeSubpath();
    p.setPen(QPen(kInk, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 252, 240));
    p.drawPath(path.united(tail));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (int i = -1; i <= 1; ++i)
        p.drawEllipse(QPointF(bubble.center().x() + i * 5, bubble.center().y()), 1.5, 1.5);
}

void drawCategoryIcon(QPainter& p, int category, const QRectF& r)
{
    switch (category) {
    case 0: drawBookIcon(p, r); break;
    case 1: drawGiftIcon(p, r); break;
    case 2: drawAppleIcon(p, r); break;
    case 3: drawClapperIcon(p, r); break;
    default: drawBubbleIcon(p, r); break;
    }
}

// A curly line of amber with a dark edge, used to decorate small banners.
void amberFlourish(QPainter& p, const QPainterPath& path)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kOutline, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(kAmber, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.restore();
}

// ---------------------------------------------------------------------------
// Team boxes

void drawTeamBox(QPainter& p, const QRectF& box, const QRectF& tab, const QString& title,
                 const QColor& border, const QColor& inside, const QColor& titleInk)
{
    QPainterPath shape;
    shape.addRoundedRect(box, 7, 7);
    QPainterPath tabShape;
    tabShape.addRoundedRect(tab, 5, 5);
    shape = shape.united(tabShape);

    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 20, 5, 60));
    p.drawPath(shape.translated(1.2, 1.6));
    p.setBrush(inside);
    p.setPen(QPen(kInk, 4.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
    p.setPen(QPen(border, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);

    p.setPen(Qt::NoPen);
    QLinearGradient tabFill(tab.topLeft(), tab.bottomLeft());
    tabFill.setColorAt(0, border.lighter(115));
    tabFill.setColorAt(1, border);
    p.setBrush(tabFill);
    p.drawRoundedRect(tab.adjusted(1.3, 1.3, -1.3, -1.3), 4, 4);
    const QPainterPath words = textPath(title, arialFont(11), tab);
    p.setBrush(titleInk);
    p.drawPath(words);
    p.restore();
}

// ---------------------------------------------------------------------------
// Buttons and switches

void drawStartButton(QPainter& p, bool pressed)
{
    const QRectF body = QRectF(0.5, 0.5, 100.5, 25.5).translated(0, pressed ? 1.5 : 0);
    if (!pressed) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 20, 5, 110));
        p.drawRoundedRect(body.translated(0.6, 1.6), 6, 6);
    }
    QLinearGradient face(body.topLeft(), body.bottomLeft());
    face.setColorAt(0, pressed ? QColor(214, 150, 30) : QColor(255, 228, 130));
    face.setColorAt(1, pressed ? QColor(246, 190, 60) : QColor(236, 170, 36));
    p.setPen(QPen(kDarkGrey, 1.2));
    p.setBrush(face);
    p.drawRoundedRect(body, 6, 6);
    if (!pressed) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 245, 170), 1.0));
        p.drawRoundedRect(body.adjusted(1.4, 1.4, -1.4, -1.4), 5, 5);
    }
    const QPainterPath words = textPath(QStringLiteral("START GAME"), arialFont(12.5), body);
    shadowedText(p, words, kInk, QColor(255, 248, 220, pressed ? 90 : 170), QPointF(0, 1));
}

void drawSwitch(QPainter& p, bool on)
{
    const QRectF track(1.5, 4.5, 53, 23);
    const qreal r = track.height() / 2;
    QLinearGradient trackFill(track.topLeft(), track.bottomLeft());
    if (on) {
        trackFill.setColorAt(0, QColor(70, 150, 52));
        trackFill.setColorAt(1, QColor(118, 198, 82));
    } else {
        trackFill.setColorAt(0, QColor(128, 128, 128));
        trackFill.setColorAt(1, QColor(176, 176, 176));
    }
    p.setPen(QPen(kDarkGrey, 1.4));
    p.setBrush(trackFill);
    p.drawRoundedRect(track, r, r);
    // a soft shade inside the top of the groove
    p.setPen(QPen(QColor(0, 0, 0, 50), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(track.adjusted(1.5, 1.5, -1.5, -1.5).toRect(), 30 * 16, 120 * 16);

    const QRectF textBox = on ? QRectF(track.left() + 4, track.top(), 26, track.height())
                              : QRectF(track.right() - 30, track.top(), 26, track.height());
    const QPainterPath words = textPath(on ? QStringLiteral("ON") : QStringLiteral("OFF"),
                                        arialFont(10.5), textBox);
    if (on)
        shadowedText(p, words, Qt::white, QColor(20, 70, 10, 160), QPointF(0.6, 0.8));
    else
        shadowedText(p, words, QColor(60, 60, 60), QColor(255, 255, 255, 110), QPointF(0, 0.8));

    const QPointF knobCentre(on ? track.right() - r : track.left() + r, track.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawEllipse(knobCentre + QPointF(0.5, 1.4), r + 0.5, r + 0.5);
    QRadialGradient knob(knobCentre + QPointF(-3, -4), r * 1.6);
    knob.setColorAt(0, Qt::white);
    knob.setColorAt(1, QColor(205, 205, 200));
    p.setPen(QPen(kDarkGrey, 1.3));
    p.setBrush(knob);
    p.drawEllipse(knobCentre, r + 0.8, r + 0.8);
}

// ---------------------------------------------------------------------------
// Pointer and eyes

void drawGloveShape(QPainter& p, const QPainterPath& shape)
{
    p.setPen(QPen(kInk, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
}

QPainterPath roundedRectPath(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void drawPointingGlove(QPainter& p)
{
    QLinearGradient white(QPointF(0, 4), QPointF(0, 25));
    white.setColorAt(0, Qt::white);
    white.setColorAt(1, QColor(222, 222, 228));
    p.setBrush(white);

    // a flared cuff
    QPainterPath cuff;
    cuff.moveTo(8.5, 9);
    cuff.lineTo(2, 6.5);
    cuff.quadTo(0.8, 15.5, 2, 24.5);
    cuff.lineTo(8.5, 22);
    cuff.closeSubpath();
    drawGloveShape(p, cuff);
    p.setPen(QPen(QColor(150, 150, 160), 0.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.2, 8.6), QPointF(5.2, 22.4));

    // palm, folded fingers, pointing finger and thumb
    drawGloveShape(p, roundedRectPath(QRectF(7.5, 7, 13, 17.5), 5.5));
    drawGloveShape(p, roundedRectPath(QRectF(15, 19.5, 6.5, 4.6), 2.2));
    drawGloveShape(p, roundedRectPath(QRectF(15.5, 15.6, 7.5, 4.6), 2.2));
    drawGloveShape(p, roundedRectPath(QRectF(15.5, 11.7, 8, 4.6), 2.2));
    drawGloveShape(p, roundedRectPath(QRectF(13, 6.5, 18, 5.8), 2.9));
    QPainterPath thumb;
    thumb.moveTo(10, 9);
    thumb.cubicTo(10, 4.5, 14, 3.5, 17, 5.2);
    thumb.cubicTo(19, 6.5, 18.5, 9.5, 16.5, 10.5);
    thumb.cubicTo(14.5, 11.5, 12, 11.5, 10, 9);
    drawGloveShape(p, thumb);

    // a crease where the fingers fold into the palm
    p.setPen(QPen(QColor(150, 150, 160), 0.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 14), QPointF(12, 21));
}

void drawEye(QPainter& p, QPointF centre, qreal rx, qreal ry)
{
    p.setPen(QPen(QColor(20, 20, 20), 1.8));
    QRadialGradient white(centre + QPointF(-2, -2), rx * 1.4);
    white.setColorAt(0, Qt::white);
    white.setColorAt(1, QColor(220, 220, 225));
    p.setBrush(white);
    p.drawEllipse(centre, rx, ry);
    const QPointF pupil = centre + QPointF(2.6, 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(25, 25, 25));
    p.drawEllipse(pupil, 3.6, 4.2);
    p.setBrush(Qt::white);
    p.drawEllipse(pupil + QPointF(-1.2, -1.6), 1.2, 1.2);
}

// ---------------------------------------------------------------------------
// Timer

void drawTimerStripes(QPainter& p, const QRectF& bar)
{
    p.fillRect(bar, QColor(255, 214, 64));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 164, 24));
    const qreal stripe = 8;
    for (qreal x = bar.left() - bar.height(); x < bar.right(); x += stripe * 2) {
        QPolygonF band;
        band << QPointF(x, bar.bottom()) << QPointF(x + stripe, bar.bottom())
             << QPointF(x + stripe + bar.height(), bar.top()) << QPointF(x + bar.height(), bar.top());
        p.drawPolygon(band);
    }
    QLinearGradient gloss(bar.topLeft(), bar.bottomLeft());
    gloss.setColorAt(0.0, QColor(255, 255, 255, 150));
    gloss.setColorAt(0.45, QColor(255, 255, 255, 30));
    gloss.setColorAt(0.55, QColor(0, 0, 0, 0));
    gloss.setColorAt(1.0, QColor(120, 60, 0, 70));
    p.fillRect(bar, gloss);
}

// ---------------------------------------------------------------------------
// Logo

void drawLogo(QPainter& p, qreal size)
{
    const qreal s = size / 38.0; // drawn like a letter tile, scaled to the size asked for
    p.scale(s, s);
    const QRectF face(1, 1, 35.5, 35.5);
    roundedTile(p, face, 7, kAmberTile);
    const bool withFlower = size >= 40;
    tileLetter(p, face.adjusted(0, 0, withFlower ? -7 : 0, 0), QChar(u'H'), kInk,
               withFlower ? 25 : 27, QColor(255, 244, 200, 170));
    if (!withFlower)
        return;
    // a small flower growing up the right side for the larger sizes
    const QPointF centre(30, 10);
    p.setPen(QPen(QColor(60, 130, 40), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, QPointF(30, 28));
    p.setPen(QPen(QColor(150, 100, 10), 0.6));
    p.setBrush(QColor(255, 236, 80));
    for (int i = 0; i < 6; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(i * 60);
        p.drawEllipse(QPointF(0, -2.9), 1.6, 2.5);
        p.restore();
    }
    p.setBrush(QColor(226, 120, 30));
    p.drawEllipse(centre, 1.7, 1.7);
}

} // namespace

// ---------------------------------------------------------------------------

QPixmap backgroundTexture()
{
    static QPixmap texture;
    return kept(texture, QStringLiteral("background"), [] {
        constexpr int w = 274, h = 234;
        const int ratio = density();
        QImage image(w * ratio, h * ratio, QImage::Format_RGB32);
        paintPaperGrain(image);
        image.setDevicePixelRatio(ratio);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            paintFibres(p, QSizeF(w, h));
        }
        QPixmap pixmap = QPixmap::fromImage(image);
        pixmap.setDevicePixelRatio(ratio);
        return pixmap;
    });
}

QPixmap letterTile(int n)
{
    static std::array<QPixmap, 27> tiles;
    if (n < 0 || n > 26)
        return emptyPicture(kTileSize, kTileSize);
    return kept(tiles[n], QStringLiteral("tile-%1").arg(n), [n] { return amberTile(n); });
}

QPixmap litLetterTile(int n)
{
    static std::array<QPixmap, 27> tiles;
    if (n < 1 || n > 26)
        return emptyPicture(kTileSize, kTileSize);
    return kept(tiles[n], QStringLiteral("lit-tile-%1").arg(n), [n] { return glowingTile(n); });
}

QPixmap usedLetterBoard()
{
    static QPixmap board;
    return kept(board, QStringLiteral("used-letters"), [] {
        return picture(241, 199, [](QPainter& p) {
            for (int n = 1; n <= 26; ++n) {
                const QRectF cell = kTileFace.translated(kTileStep * ((n - 1) % 6),
                                                         kTileStep * ((n - 1) / 6));
                roundedTile(p, cell, kTileRadius, kUsedTile);
                tileLetter(p, cell, letterOf(n), QColor(151, 151, 151), kTileLetterSize,
                           QColor(255, 255, 250, 120));
            }
        });
    });
}

QPixmap categoryBanner(int category)
{
    static std::array<QPixmap, 5> banners;
    if (category < 0 || category > 4)
        return emptyPicture(250, 30);
    return kept(banners[category], QStringLiteral("category-banner-%1").arg(category), [category] {
        return picture(250, 30, [category](QPainter& p) {
            amberCaption(p, kCategoryNames[category], comicFont(21), QRectF(0, 0, 250, 29));
        });
    });
}

QString categoryName(int category)
{
    return category >= 0 && category < int(kCategoryNames.size()) ? kCategoryNames[category] : QString();
}

QPixmap categoryGlyph(int category)
{
    static std::array<QPixmap, 5> glyphs;
    if (category < 0 || category > 4)
        return emptyPicture(250, 30);
    return kept(glyphs[category], QStringLiteral("category-glyph-%1").arg(category), [category] {
        return picture(250, 30, [category](QPainter& p) {
            drawCategoryIcon(p, category, QRectF(6, 4, 22, 22));
            amberCaption(p, kCategoryNames[category], comicFont(19), QRectF(34, 0, 212, 29));
        });
    });
}

QPixmap teamArt()
{
    static QPixmap art;
    return kept(art, QStringLiteral("team-game"), [] {
        return picture(429, 123, [](QPainter& p) {
            drawTeamBox(p, QRectF(2.5, 36.5, 211, 84), QRectF(12.5, 25.5, 98, 17),
                        QStringLiteral("YELLOW TEAM"), kAmber, QColor(255, 236, 160, 110), kInk);
            drawTeamBox(p, QRectF(216.5, 36.5, 209, 84), QRectF(318.5, 25.5, 98, 17),
                        QStringLiteral("GRAY TEAM"), QColor(96, 96, 96), QColor(60, 60, 60, 60),
                        QColor(240, 240, 240));
            amberCaption(p, QStringLiteral("TEAM GAME"), arialFont(25), QRectF(120, 1, 189, 28));
        });
    });
}

QPixmap thePlayersHeading()
{
    static QPixmap heading;
    return kept(heading, QStringLiteral("the-players"), [] {
        return picture(207, 31, [](QPainter& p) {
            amberCaption(p, QStringLiteral("THE PLAYERS"), arialFont(25), QRectF(0, 0, 207, 30));
        });
    });
}

QPixmap turnPointer()
{
    static QPixmap pointer;
    return kept(pointer, QStringLiteral("turn-pointer"), [] { return picture(32, 27, drawPointingGlove); });
}

QPixmap eyes()
{
    static QPixmap pair;
    return kept(pair, QStringLiteral("eyes"), [] {
        return picture(37, 17, [](QPainter& p) {
            drawEye(p, QPointF(10, 8.5), 8.4, 7.4);
            drawEye(p, QPointF(27, 8.5), 8.4, 7.4);
        });
    });
}

QPixmap timerBar()
{
    static QPixmap bar;
    return kept(bar, QStringLiteral("timer-bar"), [] {
        return picture(185, 25, [](QPainter& p) { drawTimerStripes(p, QRectF(0, 0, 185, 25)); });
    });
}

QPixmap timerFrame()
{
    static QPixmap frame;
    return kept(frame, QStringLiteral("timer-frame"), [] {
        return picture(191, 31, [](QPainter& p) {
            const QRectF outer(0, 0, 191, 31);
            QLinearGradient bevel(outer.topLeft(), outer.bottomLeft());
            bevel.setColorAt(0, QColor(120, 120, 120));
            bevel.setColorAt(0.5, kDarkGrey);
            bevel.setColorAt(1, QColor(35, 35, 35));
            p.setPen(Qt::NoPen);
            p.setBrush(bevel);
            p.drawRoundedRect(outer, 4, 4);
            // the empty groove the bar runs in
            const QRectF groove(3, 3, 185, 25);
            QLinearGradient trough(groove.topLeft(), groove.bottomLeft());
            trough.setColorAt(0, QColor(200, 184, 148));
            trough.setColorAt(0.25, QColor(236, 224, 192));
            trough.setColorAt(1, QColor(246, 238, 214));
            p.setBrush(trough);
            p.drawRect(groove);
            p.setPen(QPen(QColor(255, 255, 255, 70), 1));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(outer.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        });
    });
}

QPixmap startGameButton(bool pressed)
{
    static std::array<QPixmap, 2> buttons;
    return kept(buttons[pressed ? 1 : 0], QStringLiteral("start-game-%1").arg(pressed ? "pressed" : "raised"), [pressed] {
        return picture(102, 28, [pressed](QPainter& p) {
            drawStartButton(p, pressed);
        });
    });
}

void paintWordBox(QPainter& p)
{
    const QRectF rect(0.5, 0.5, 692, 85);
    p.setPen(QPen(kDarkGrey, 1));
    p.setBrush(QColor(208, 180, 130));
    p.drawRoundedRect(rect, 6, 6);
    // a soft shade inside the top edge makes the box look set in
    QLinearGradient shade(rect.topLeft(), rect.topLeft() + QPointF(0, 8));
    shade.setColorAt(0, QColor(60, 40, 10, 60));
    shade.setColorAt(1, QColor(60, 40, 10, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    p.setPen(QPen(QColor(255, 245, 215, 120), 1));
    p.drawLine(QPointF(6, 84.5), QPointF(687, 84.5));
}

QPixmap chatBanner()
{
    static QPixmap banner;
    return kept(banner, QStringLiteral("chat-banner"), [] {
        return picture(164, 19, [](QPainter& p) {
            const qreal mid = 9.5;
            QPainterPath left;
            left.moveTo(54, mid);
            left.lineTo(20, mid);
            left.cubicTo(12, mid, 10, mid - 6, 15, mid - 6);
            left.cubicTo(19, mid - 6, 18, mid - 1, 15, mid - 1.5);
            QTransform mirror;
            mirror.translate(164, 0);
            mirror.scale(-1, 1);
            amberFlourish(p, left);
            amberFlourish(p, mirror.map(left));
            for (qreal x : {8.0, 156.0}) {
                QPolygonF diamond;
                diamond << QPointF(x, mid - 3) << QPointF(x + 3, mid) << QPointF(x, mid + 3)
                        << QPointF(x - 3, mid);
                p.setPen(QPen(kOutline, 1));
                p.setBrush(kAmber);
                p.drawPolygon(diamond);
            }
            amberLettering(p, textPath(QStringLiteral("CHAT"), comicFont(16), QRectF(56, 0, 52, 18)),
                           2.0);
        });
    });
}

QPixmap switchPicture(bool on)
{
    static std::array<QPixmap, 2> switches;
    return kept(switches[on ? 1 : 0], QStringLiteral("switch-%1").arg(on ? "on" : "off"), [on] {
        return picture(56, 32, [on](QPainter& p) { drawSwitch(p, on); });
    });
}

QPixmap gameLogo(int size)
{
    static QHash<int, QPixmap> logos;
    if (size <= 0)
        return QPixmap();
    auto found = logos.find(size);
    if (found == logos.end())
        found = logos.insert(size, bakedOrDrawn(QStringLiteral("logo-%1").arg(size), [size] {
                                 return picture(size, size, [size](QPainter& p) { drawLogo(p, size); });
                             }));
    return *found;
}

void askForEveryPicture()
{
    backgroundTexture();
    for (int n = 0; n <= 26; ++n) {
        letterTile(n);
        litLetterTile(n);
    }
    usedLetterBoard();
    for (int misses = 0; misses < 7; ++misses)
        hangStage(misses);
    hangedStrip();
    for (int category = 0; category < 5; ++category) {
        categoryBanner(category);
        categoryGlyph(category);
    }
    teamArt();
    thePlayersHeading();
    turnPointer();
    eyes();
    timerBar();
    timerFrame();
    startGameButton(false);
    startGameButton(true);
    chatBanner();
    switchPicture(false);
    switchPicture(true);
    for (int size : kLogoSizes)
        gameLogo(size);
}

} // namespace Art
