#include "client/chatview.h"

#include "board/art_draw.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <functional>

namespace {

constexpr qreal kSize = 19;
constexpr qreal kScale = 2;
const QPointF kCentre(9.5, 9.5);
const QColor kInk(70, 40, 10);
const QColor kYellow(255, 210, 40);
const QColor kMouth(150, 30, 30);
const QColor kPink(255, 120, 150);

void face(QPainter& p, const QColor& base)
{
    QRadialGradient shine(QPointF(7, 6), 10);
    shine.setColorAt(0, base.lighter(135));
    shine.setColorAt(0.6, base);
    shine.setColorAt(1, base.darker(115));
    p.setPen(QPen(base.darker(190), 0.9));
    p.setBrush(shine);
    p.drawEllipse(kCentre, 8.6, 8.6);
}

QPen inkPen(qreal width = 1.2)
{
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void dotEyes(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(6.7, 7.4), 1.1, 1.6);
    p.drawEllipse(QPointF(12.3, 7.4), 1.1, 1.6);
}

void happyEye(QPainter& p, qreal x)
{
    QPainterPath arc(QPointF(x - 1.5, 8.2));
    arc.quadTo(QPointF(x, 5.6), QPointF(x + 1.5, 8.2));
    p.setPen(inkPen());
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
}

void happyEyes(QPainter& p)
{
    happyEye(p, 6.7);
    happyEye(p, 12.3);
}

void smile(QPainter& p)
{
    QPainterPath mouth(QPointF(5.4, 11.2));
    mouth.quadTo(QPointF(9.5, 15.6), QPointF(13.6, 11.2));
    p.setPen(inkPen(1.3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mouth);
}

void grin(QPainter& p, bool teeth = true)
{
    QPainterPath mouth(QPointF(5, 10.6));
    mouth.lineTo(14, 10.6);
    mouth.quadTo(QPointF(9.5, 18.2), QPointF(5, 10.6));
    p.setPen(inkPen(0.9));
    p.setBrush(kMouth);
    p.drawPath(mouth);
    if (!teeth)
        return;
    p.save();
    p.setClipPath(mouth);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5, 10.6, 9, 1.7));
    p.restore();
}

void tongue(QPainter& p, qreal x = 10.6)
{
    p.setPen(QPen(QColor(190, 50, 80), 0.7));
    p.setBrush(kPink);
    p.drawRoundedRect(QRectF(x - 1.7, 12.2, 3.4, 4.2), 1.6, 1.6);
    p.drawLine(QPointF(x, 12.8), QPointF(x, 14.8));
}

void cheeks(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 90, 110, 110));
    p.drawEllipse(QPointF(4.4, 11), 1.7, 1.1);
    p.drawEllipse(QPointF(14.6, 11), 1.7, 1.1);
}

void heart(QPainter& p, QPointF at, qreal size, const QColor& colour)
{
    QPainterPath shape(QPointF(at.x(), at.y() + size));
    shape.cubicTo(QPointF(at.x() - size * 1.6, at.y() - size * 0.1), QPointF(at.x() - size * 0.7, at.y() - size * 1.3),
                  QPointF(at.x(), at.y() - size * 0.35));
    shape.cubicTo(QPointF(at.x() + size * 0.7, at.y() - size * 1.3), QPointF(at.x() + size * 1.6, at.y() - size * 0.1),
                  QPointF(at.x(), at.y() + size));
    p.setPen(QPen(colour.darker(150), 0.5));
    p.setBrush(colour);
    p.drawPath(shape);
}

void star(QPainter& p, QPointF at, qreal outer)
{
    QPolygonF points;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const qreal radius = i % 2 ? outer * 0.45 : outer;
        points << at + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
    }
    p.setPen(QPen(QColor(200, 90, 0), 0.6));
    p.setBrush(QColor(255, 150, 0));
    p.drawPolygon(points);
}

// Leaves room above the face for a hat, halo, horns or ears.
void smallerFace(QPainter& p)
{
    p.translate(9.5, 10.9);
    p.scale(0.84, 0.84);
    p.translate(-9.5, -9.5);
}

void classic(QPainter& p)
{
    face(p, kYellow);
    dotEyes(p);
    smile(p);
}

void grinning(QPainter& p)
{
    face(p, kYellow);
    dotEyes(p);
    grin(p);
}

void winking(QPainter& p)
{
    face(p, kYellow);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(6.7, 7.4), 1.1, 1.6);
    happyEye(p, 12.3);
    smile(p);
}

void tongueOut(QPainter& p)
{
    face(p, kYellow);
    dotEyes(p);
    smile(p);
    tongue(p);
}

void cool(QPainter& p)
{
    face(p, QColor(255, 190, 60));
    p.setPen(QPen(QColor(20, 20, 30), 0.9));
    p.drawLine(QPointF(2, 6.6), QPointF(17, 6.6));
    p.setBrush(QColor(25, 25, 40));
    p.drawRoundedRect(QRectF(3.6, 5.8, 5.4, 3.6), 1.6, 1.6);
    p.drawRoundedRect(QRectF(10, 5.8, 5.4, 3.6), 1.6, 1.6);
    p.setPen(QPen(QColor(140, 170, 255), 0.7));
    p.drawLine(QPointF(4.6, 6.7), QPointF(6, 6.7));
    p.drawLine(QPointF(11, 6.7), QPointF(12.4, 6.7));
    smile(p);
}

void laughing(QPainter& p)
{
    face(p, kYellow);
    happyEyes(p);
    grin(p);
}

void inLove(QPainter& p)
{
    face(p, kYellow);
    heart(p, QPointF(6.5, 7.4), 2.2, QColor(230, 30, 60));
    heart(p, QPointF(12.5, 7.4), 2.2, QColor(230, 30, 60));
    smile(p);
}

void blushing(QPainter& p)
{
    face(p, kYellow);
    happyEyes(p);
    cheeks(p);
    smile(p);
}

void amazed(QPainter& p)
{
    face(p, kYellow);
    p.setPen(QPen(kInk, 0.6));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(6.7, 7.2), 2, 2.2);
    p.drawEllipse(QPointF(12.3, 7.2), 2, 2.2);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(6.9, 7.5), 1, 1.1);
    p.drawEllipse(QPointF(12.1, 7.5), 1, 1.1);
    p.setPen(inkPen(0.9));
    p.setBrush(kMouth);
    p.drawEllipse(QPointF(9.5, 13.2), 1.8, 2.2);
}

void angel(QPainter& p)
{
    p.setPen(QPen(QColor(230, 180, 0), 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(9.5, 1.9), 5, 1.4);
    p.save();
    smallerFace(p);
    face(p, kYellow);
    happyEyes(p);
    cheeks(p);
    smile(p);
    p.restore();
}

void impish(QPainter& p)
{
    const QColor red(235, 85, 55);
    p.setPen(QPen(red.darker(170), 0.7));
    p.setBrush(red.darker(120));
    p.drawPolygon(QPolygonF({QPointF(3, 0.6), QPointF(4, 6), QPointF(7.5, 3.8)}));
    p.drawPolygon(QPolygonF({QPointF(16, 0.6), QPointF(15, 6), QPointF(11.5, 3.8)}));
    p.save();
    smallerFace(p);
    face(p, red);
    dotEyes(p);
    grin(p);
    p.restore();
}

void party(QPainter& p)
{
    p.save();
    smallerFace(p);
    face(p, kYellow);
    happyEyes(p);
    grin(p, false);
    p.restore();
    p.setPen(QPen(QColor(40, 60, 160), 0.6));
    p.setBrush(QColor(60, 130, 240));
    p.drawPolygon(QPolygonF({QPointF(9.2, 4.6), QPointF(16.8, 3.6), QPointF(15.4, 0)}));
    p.setPen(QPen(QColor(255, 230, 60), 1));
    p.drawLine(QPointF(11.4, 4.2), QPointF(15.8, 1.6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 60, 120));
    p.drawEllipse(QPointF(15.4, 0.9), 1.3, 1.3);
}

void starStruck(QPainter& p)
{
    face(p, kYellow);
    star(p, QPointF(6.5, 7.3), 2.6);
    star(p, QPointF(12.5, 7.3), 2.6);
    grin(p);
}

void kissing(QPainter& p)
{
    face(p, kYellow);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(6.7, 7.4), 1.1, 1.6);
    happyEye(p, 12.3);
    QPainterPath lips(QPointF(8.6, 11.2));
    lips.quadTo(QPointF(11, 12), QPointF(9.2, 12.9));
    lips.quadTo(QPointF(11.2, 13.8), QPointF(8.6, 14.6));
    p.setPen(inkPen(1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(lips);
    heart(p, QPointF(14.8, 13.4), 1.6, QColor(240, 40, 80));
}

void nerd(QPainter& p)
{
    face(p, kYellow);
    p.setPen(QPen(QColor(40, 40, 40), 0.9));
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QPointF(6.4, 7.4), 2.5, 2.5);
    p.drawEllipse(QPointF(12.6, 7.4), 2.5, 2.5);
    p.drawLine(QPointF(8.9, 7.2), QPointF(10.1, 7.2));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(6.6, 7.6), 0.9, 0.9);
    p.drawEllipse(QPointF(12.4, 7.6), 0.9, 0.9);
    smile(p);
    p.setPen(QPen(kInk, 0.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.3, 12.9, 1.2, 1.5));
    p.drawRect(QRectF(9.5, 12.9, 1.2, 1.5));
}

void silly(QPainter& p)
{
    face(p, QColor(140, 215, 80));
    p.setPen(QPen(kInk, 0.6));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(6.4, 7.2), 2.4, 2.4);
    p.drawEllipse(QPointF(12.6, 7.6), 1.6, 1.6);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(7.3, 7.8), 1.1, 1.1);
    p.drawEllipse(QPointF(12, 8), 0.8, 0.8);
    smile(p);
    tongue(p, 8.4);
}

void kitty(QPainter& p)
{
    const QColor fur(250, 160, 60);
    p.setPen(QPen(fur.darker(190), 0.8));
    p.setBrush(fur);
    p.drawPolygon(QPolygonF({QPointF(2.2, 0.8), QPointF(3.2, 8), QPointF(8.2, 4.4)}));
    p.drawPolygon(QPolygonF({QPointF(16.8, 0.8), QPointF(15.8, 8), QPointF(10.8, 4.4)}));
    p.save();
    smallerFace(p);
    face(p, fur);
    happyEyes(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kPink);
    p.drawEllipse(QPointF(9.5, 10.4), 1.1, 0.8);
    QPainterPath mouth(QPointF(7, 11.8));
    mouth.quadTo(QPointF(8.2, 13.6), QPointF(9.5, 11.6));
    mouth.quadTo(QPointF(10.8, 13.6), QPointF(12, 11.8));
    p.setPen(inkPen(0.9));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mouth);
    p.setPen(QPen(kInk, 0.5));
    p.drawLine(QPointF(1.6, 10), QPointF(5.6, 10.8));
    p.drawLine(QPointF(1.8, 12.4), QPointF(5.6, 11.8));
    p.drawLine(QPointF(17.4, 10), QPointF(13.4, 10.8));
    p.drawLine(QPointF(17.2, 12.4), QPointF(13.4, 11.8));
    p.restore();
}

void relieved(QPainter& p)
{
    face(p, kYellow);
    happyEyes(p);
    grin(p);
    QPainterPath drop(QPointF(15.6, 1.8));
    drop.quadTo(QPointF(18.4, 5.6), QPointF(15.6, 6.2));
    drop.quadTo(QPointF(12.8, 5.6), QPointF(15.6, 1.8));
    p.setPen(QPen(QColor(40, 110, 200), 0.5));
    p.setBrush(QColor(110, 190, 255));
    p.drawPath(drop);
}

using Painter = std::function<void(QPainter&)>;

const std::array<Painter, ChatView::kSmileyCount>& smileyPainters()
{
    static const std::array<Painter, ChatView::kSmileyCount> all = {
        classic, grinning, winking, tongueOut, cool, laughing, inLove, blushing, amazed,
        angel, impish, party, starStruck, kissing, nerd, silly, kitty, relieved,
    };
    return all;
}

} // namespace

QPixmap ChatView::smiley(int index)
{
    if (index < 0 || index >= kSmileyCount)
        index = 0;
    static std::array<QPixmap, kSmileyCount> cache;
    return Art::Draw::kept(cache[index], QStringLiteral("smiley-%1").arg(index), [index] {
        QPixmap picture(int(kSize * kScale), int(kSize * kScale));
        picture.setDevicePixelRatio(kScale);
        picture.fill(Qt::transparent);
        {
            QPainter p(&picture);
            p.setRenderHint(QPainter::Antialiasing);
            smileyPainters()[index](p);
        }
        return picture;
    });
}
