// The hangman figure: the seven stages of a round and the eight frames of the
// hanged animation. A friendly cartoon: a wooden gallows, a little stick figure
// and a flower that grows from a sprout as the misses add up.

#include "board/art.h"

#include "board/art_draw.h"

#include <QPainter>
#include <QRadialGradient>
#include <QtMath>

#include <array>

namespace Art {

using namespace Draw;

namespace {

constexpr int kFrameWidth = 164;
constexpr int kFrameHeight = 140;
constexpr int kStages = 7;
constexpr int kHangedFrames = 8;

constexpr qreal kGroundY = 128;
const QPointF kRopeTop(88, 13);      // where the rope hangs from the beam
constexpr qreal kFlowerX = 142;

const QColor kWood(176, 122, 62);
const QColor kRope(120, 88, 50);
const QColor kSkin(255, 234, 196);
const QColor kLeaf(96, 176, 64);
const QColor kLeafEdge(46, 110, 36);
const QColor kPetal(255, 218, 52);
const QColor kPetalEdge(196, 140, 18);

QPen inkPen(qreal width)
{
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Where a limb of the given length ends when it leaves start at angle degrees from
// straight down (positive angles point to the right).
QPointF limbEnd(QPointF start, qreal angle, qreal length)
{
    const qreal a = qDegreesToRadians(angle);
    return start + QPointF(std::sin(a), std::cos(a)) * length;
}

// ---------------------------------------------------------------------------
// Ground, gallows and flower

void drawGround(QPainter& p)
{
    QPainterPath mound;
    mound.moveTo(kFlowerX - 13, kGroundY);
    mound.quadTo(kFlowerX, kGroundY - 7, kFlowerX + 13, kGroundY);
    p.setPen(inkPen(2));
    p.setBrush(QColor(150, 104, 58));
    p.drawPath(mound);

    QPainterPath ground;
    ground.moveTo(5, kGroundY + 1);
    ground.quadTo(60, kGroundY - 1.5, 100, kGroundY);
    ground.quadTo(130, kGroundY + 1, 159, kGroundY);
    p.setPen(inkPen(3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(ground);

    // a few tufts of grass
    p.setPen(QPen(kLeafEdge, 1.4, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : {10.0, 58.0, 112.0, 157.0}) {
        p.drawLine(QPointF(x, kGroundY - 0.5), QPointF(x - 2.5, kGroundY - 5));
        p.drawLine(QPointF(x + 1.5, kGroundY - 0.5), QPointF(x + 1.5, kGroundY - 6.5));
        p.drawLine(QPointF(x + 3, kGroundY - 0.5), QPointF(x + 5.5, kGroundY - 4.5));
    }
}

void drawGallows(QPainter& p)
{
    const std::array<QLineF, 4> beams = {
        QLineF(26, kGroundY - 2, 26, 12),          // upright
        QLineF(18, 12, 96, 12),                    // cross beam
        QLineF(26, 36, 50, 12),                    // brace
        QLineF(15, kGroundY - 2, 37, kGroundY - 2) // foot
    };
    // the dark edges first, then the wood inside, so the joints melt together
    p.setPen(QPen(kInk, 7.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QLineF& beam : beams)
        p.drawLine(beam);
    p.setPen(QPen(kWood, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QLineF& beam : beams)
        p.drawLine(beam);
    // grain: a lighter streak along each beam
    p.setPen(QPen(QColor(214, 166, 104), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(25, kGroundY - 8), QPointF(25, 20));
    p.drawLine(QPointF(34, 11), QPointF(90, 11));
    // a nail where the rope is tied
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(kRopeTop.x(), 12), 1.4, 1.4);
}

void drawLeaf(QPainter& p, QPointF base, qreal angle, qreal length)
{
    p.save();
    p.translate(base);
    p.rotate(angle);
    QPainterPath leaf;
    leaf.moveTo(0, 0);
    leaf.quadTo(length * 0.5, -length * 0.45, length, 0);
    leaf.quadTo(length * 0.5, length * 0.35, 0, 0);
    p.setPen(QPen(kLeafEdge, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kLeaf);
    p.drawPath(leaf);
    p.restore();
}

void drawBlossom(QPainter& p, QPointF centre)
{
    p.setPen(QPen(kPetalEdge, 1.1));
    p.setBrush(kPetal);
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(i * 45);
        p.drawEllipse(QPointF(0, -6.2), 3.3, 5.2);
        p.restore();
    }
    QRadialGradient heart(centre + QPointF(-1, -1), 5);
    heart.setColorAt(0, QColor(246, 150, 50));
    heart.setColorAt(1, QColor(196, 94, 24));
    p.setPen(QPen(QColor(140, 70, 20), 1));
    p.setBrush(heart);
    p.drawEllipse(centre, 4.2, 4.2);
}

void drawBud(QPainter& p, QPointF top, qreal size)
{
    p.setPen(QPen(kPetalEdge, 1));
    p.setBrush(kPetal);
    p.drawEllipse(top + QPointF(0, -size * 0.55), size * 0.55, size * 0.8);
    p.setPen(QPen(kLeafEdge, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kLeaf);
    QPainterPath sepals;
    sepals.moveTo(top + QPointF(-size * 0.75, -size * 0.5));
    sepals.quadTo(top + QPointF(-size * 0.4, size * 0.5), top);
    sepals.quadTo(top + QPointF(size * 0.4, size * 0.5), top + QPointF(size * 0.75, -size * 0.5));
    sepals.quadTo(top + QPointF(0, -size * 0.05), top + QPointF(-size * 0.75, -size * 0.5));
    p.drawPath(sepals);
}

// The flower at growth stage 0 (a sprout) to 6 (open); sway bends the stem sideways.
void drawFlower(QPainter& p, int stage, qreal sway = 0)
{
    static constexpr std::array<qreal, kStages> kHeights = {10, 16, 22, 28, 34, 40, 46};
    const qreal height = kHeights[qBound(0, stage, kStages - 1)];
    const QPointF root(kFlowerX, kGroundY - 3);
    const QPointF top = root + QPointF(sway, -height);

    QPainterPath stem(root);
    stem.quadTo(root + QPointF(-2, -height * 0.5), top);
    p.setPen(QPen(kLeafEdge, 3.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stem);
    p.setPen(QPen(kLeaf, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(stem);

    if (stage == 0) {
        drawLeaf(p, top, -150, 8.5);
        drawLeaf(p, top, -30, 8.5);
        return;
    }
    const qreal leafHeight = qMin(height * 0.4, 14.0);
    const qreal leafLength = qMin(6.0 + stage * 1.5, 13.0);
    drawLeaf(p, root + QPointF(-1, -leafHeight), -160, leafLength);
    drawLeaf(p, root + QPointF(-1, -leafHeight - 4), -25, leafLength);
    if (stage < kStages - 1)
        drawBud(p, top, 5 + stage * 0.9);
    else
        drawBlossom(p, top);
}

// ---------------------------------------------------------------------------
// The figure

enum class Face { Calm, Worried, Scared, Gone };

struct Pose {
    qreal swing = 0;       // degrees about the top of the rope
    qreal leftArm = -40;   // degrees from straight down
    qreal rightArm = 40;
    qreal leftLeg = -20;
    qreal rightLeg = 20;
};

const QPointF kHead(88, 41);
constexpr qreal kHeadRadius = 11;
const QPointF kShoulders(88, 60);
const QPointF kHips(88, 88);
constexpr qreal kArmLength = 22;
constexpr qreal kLegLength = 26;

void drawEyesOf(QPainter& p, Face face)
{
    const std::array<QPointF, 2> eyes = {kHead + QPointF(-4, -2), kHead + QPointF(4, -2)};
    for (const QPointF& eye : eyes) {
        switch (face) {
        case Face::Calm:
        case Face::Worried:
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawEllipse(eye, 1.5, 1.9);
            break;
        case Face::Scared:
            p.setPen(inkPen(1.1));
            p.setBrush(Qt::white);
            p.drawEllipse(eye, 2.6, 3.0);
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawEllipse(eye + QPointF(0, 0.6), 1.1, 1.3);
            break;
        case Face::Gone:
            p.setPen(inkPen(1.5));
            p.drawLine(eye + QPointF(-2, -2), eye + QPointF(2, 2));
            p.drawLine(eye + QPointF(-2, 2), eye + QPointF(2, -2));
            break;
        }
    }
}

void drawMouthOf(QPainter& p, Face face)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(inkPen(1.4));
    const QPointF mouth = kHead + QPointF(0, 5);
    switch (face) {
    case Face::Calm: {
        QPainterPath smile(mouth + QPointF(-3.5, -0.5));
        smile.quadTo(mouth + QPointF(0, 2.5), mouth + QPointF(3.5, -0.5));
        p.drawPath(smile);
        break;
    }
    case Face::Worried: {
        QPainterPath wobble(mouth + QPointF(-4, 1));
        wobble.cubicTo(mouth + QPointF(-2, -1.5), mouth + QPointF(1, 2.5), mouth + QPointF(4, 0));
        p.drawPath(wobble);
        // raised brows
        p.drawLine(kHead + QPointF(-6.5, -6), kHead + QPointF(-2.5, -7));
        p.drawLine(kHead + QPointF(6.5, -6), kHead + QPointF(2.5, -7));
        break;
    }
    case Face::Scared:
        p.setBrush(QColor(120, 40, 40));
        p.drawEllipse(mouth + QPointF(0, 0.5), 2.2, 2.8);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 190, 255));
        p.drawEllipse(kHead + QPointF(10.5, -6), 1.6, 2.4); // a drop of sweat
        break;
    case Face::Gone:
        p.drawLine(mouth + QPointF(-4, 0), mouth + QPointF(4, 0));
        p.setPen(inkPen(1.0));
        p.setBrush(QColor(240, 110, 130));
        p.drawRoundedRect(QRectF(mouth.x() + 0.5, mouth.y(), 3.4, 4.6), 1.7, 1.7); // tongue
        break;
    }
}

void drawHead(QPainter& p, Face face)
{
    QRadialGradient skin(kHead + QPointF(-3, -4), kHeadRadius * 1.5);
    skin.setColorAt(0, QColor(255, 246, 226));
    skin.setColorAt(1, kSkin);
    p.setPen(inkPen(2.6));
    p.setBrush(skin);
    p.drawEllipse(kHead, kHeadRadius, kHeadRadius);
    // rosy cheeks
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 150, 140, 110));
    p.drawEllipse(kHead + QPointF(-6.5, 3), 2.2, 1.5);
    p.drawEllipse(kHead + QPointF(6.5, 3), 2.2, 1.5);
    drawEyesOf(p, face);
    drawMouthOf(p, face);
}

void drawArm(QPainter& p, qreal angle)
{
    const QPointF hand = limbEnd(kShoulders, angle, kArmLength);
    p.setPen(inkPen(3.6));
    p.drawLine(kShoulders, hand);
    p.setPen(inkPen(1.2));
    p.setBrush(Qt::white);
    p.drawEllipse(hand, 2.8, 2.8);
}

void drawLeg(QPainter& p, qreal angle)
{
    const QPointF foot = limbEnd(kHips, angle, kLegLength);
    p.setPen(inkPen(3.6));
    p.drawLine(kHips, foot);
    // a little shoe pointing outwards
    const qreal toe = angle < 0 ? -1 : 1;
    p.setPen(inkPen(1.0));
    p.setBrush(QColor(200, 70, 50));
    p.drawEllipse(foot + QPointF(toe * 2.2, 0.6), 4.2, 2.6);
}

// Draws the figure's first parts parts (1 head, 2 body, 3 one arm, 4 both arms,
// 5 one leg, 6 both legs) with the rope, turned about the top of the rope by
// pose.swing.
void drawFigure(QPainter& p, int parts, Face face, const Pose& pose)
{
    p.save();
    p.translate(kRopeTop);
    p.rotate(-pose.swing);
    p.translate(-kRopeTop);

    p.setPen(QPen(kRope, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(kRopeTop, kHead - QPointF(0, kHeadRadius));
    if (parts >= 2) {
        p.setPen(inkPen(4));
        p.drawLine(kHead + QPointF(0, kHeadRadius), kHips);
    }
    if (parts >= 3)
        drawArm(p, pose.leftArm);
    if (parts >= 4)
        drawArm(p, pose.rightArm);
    if (parts >= 5)
        drawLeg(p, pose.leftLeg);
    if (parts >= 6)
        drawLeg(p, pose.rightLeg);
    drawHead(p, face);
    // the knot of the noose under the chin
    p.setPen(QPen(kRope.darker(130), 1.2));
    p.setBrush(kRope);
    p.drawEllipse(kHead + QPointF(kHeadRadius * 0.55, kHeadRadius * 0.95), 2.4, 2.0);
    p.restore();
}

Face faceForStage(int misses)
{
    if (misses >= 6)
        return Face::Scared;
    return misses >= 4 ? Face::Worried : Face::Calm;
}

void drawStage(QPainter& p, int misses)
{
    drawGround(p);
    drawFlower(p, misses);
    if (misses >= 1)
        drawGallows(p);
    if (misses >= 2)
        drawFigure(p, misses - 1, faceForStage(misses), Pose());
}

// ---------------------------------------------------------------------------
// The hanged animation

Pose hangedPose(int frame)
{
    const qreal phase = 2 * M_PI * frame / kHangedFrames;
    const qreal kick = std::sin(2 * phase); // two kicks in every swing
    Pose pose;
    pose.swing = 10 * std::sin(phase);
    pose.leftLeg = -18 - 30 * qMax<qreal>(kick, 0);
    pose.rightLeg = 18 + 30 * qMax<qreal>(-kick, 0);
    const bool armsUp = frame % 2 == 0;
    pose.leftArm = armsUp ? -125 : -55;
    pose.rightArm = armsUp ? 55 : 125;
    return pose;
}

// Little curved lines behind the figure, on the side it is swinging away from.
void drawSwingMarks(QPainter& p, const Pose& pose, qreal speed)
{
    if (std::abs(speed) < 0.5)
        return;
    const qreal behind = speed > 0 ? -1 : 1; // positive speed: moving to the right
    p.setPen(QPen(QColor(57, 57, 57, 150), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF hip = limbEnd(kRopeTop, pose.swing, kHips.y() - kRopeTop.y());
    for (int i = 0; i < 2; ++i) {
        const QPointF from = hip + QPointF(behind * (11 + i * 5), -10 + i * 7);
        QPainterPath mark(from);
        mark.quadTo(from + QPointF(behind * 3, 4), from + QPointF(behind * 1, 9));
        p.drawPath(mark);
    }
}

void drawYouLost(QPainter& p, int frame)
{
    const qreal bounce = frame % 2 == 0 ? 0 : -2.5;
    const qreal tilt = frame % 2 == 0 ? -5 : 4;
    const QFont font = comicFont(19);
    p.save();
    p.translate(137, 34 + bounce);
    p.rotate(tilt);
    amberLettering(p, textPath(QStringLiteral("YOU"), font, QRectF(-26, -26, 52, 20)), 2.2);
    amberLettering(p, textPath(QStringLiteral("LOST!"), fitted(font, QStringLiteral("LOST!"), 48),
                               QRectF(-26, -3, 52, 20)),
                   2.2);
    p.restore();
}

void drawHangedFrame(QPainter& p, int frame)
{
    const Pose pose = hangedPose(frame);
    drawGround(p);
    drawFlower(p, kStages - 1, -2.5 * std::sin(2 * M_PI * frame / kHangedFrames));
    drawGallows(p);
    drawSwingMarks(p, pose, std::cos(2 * M_PI * frame / kHangedFrames));
    drawFigure(p, 6, Face::Gone, pose);
    drawYouLost(p, frame);
}

} // namespace

QPixmap hangStage(int misses)
{
    static std::array<QPixmap, kStages> stages;
    if (misses < 0 || misses >= kStages)
        return emptyPicture(kFrameWidth, kFrameHeight);
    return kept(stages[misses], QStringLiteral("hang-stage-%1").arg(misses), [misses] {
        return picture(kFrameWidth, kFrameHeight, [misses](QPainter& p) { drawStage(p, misses); });
    });
}

QPixmap hangedStrip()
{
    static QPixmap strip;
    return kept(strip, QStringLiteral("hanged-strip"), [] {
        return picture(kFrameWidth * kHangedFrames, kFrameHeight, [](QPainter& p) {
            for (int frame = 0; frame < kHangedFrames; ++frame) {
                p.save();
                p.translate(frame * kFrameWidth, 0);
                p.setClipRect(QRectF(0, 0, kFrameWidth, kFrameHeight));
                drawHangedFrame(p, frame);
                p.restore();
            }
        });
    });
}

} // namespace Art
