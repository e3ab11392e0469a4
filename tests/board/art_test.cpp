#include "board/art.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QtMath>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct Picture {
    const char* name;
    std::function<QPixmap()> make;
    QSize size;
};

std::vector<Picture> everyPicture()
{
    std::vector<Picture> pictures = {
        {"background", Art::backgroundTexture, {274, 234}},
        {"used letters", Art::usedLetterBoard, {241, 199}},
        {"hanged strip", Art::hangedStrip, {1312, 140}},
        {"team", Art::teamArt, {429, 123}},
        {"the players", Art::thePlayersHeading, {207, 31}},
        {"turn pointer", Art::turnPointer, {32, 27}},
        {"eyes", Art::eyes, {37, 17}},
        {"timer bar", Art::timerBar, {185, 25}},
        {"timer frame", Art::timerFrame, {191, 31}},
        {"start", [] { return Art::startGameButton(false); }, {102, 28}},
        {"start pressed", [] { return Art::startGameButton(true); }, {102, 28}},
        {"chat banner", Art::chatBanner, {164, 19}},
        {"switch off", [] { return Art::switchPicture(false); }, {56, 32}},
        {"switch on", [] { return Art::switchPicture(true); }, {56, 32}},
        {"logo 16", [] { return Art::gameLogo(16); }, {16, 16}},
        {"logo 256", [] { return Art::gameLogo(256); }, {256, 256}},
    };
    for (int n = 0; n <= 26; ++n)
        pictures.push_back({"letter", [n] { return Art::letterTile(n); }, {38, 38}});
    for (int n = 1; n <= 26; ++n)
        pictures.push_back({"lit letter", [n] { return Art::litLetterTile(n); }, {38, 38}});
    for (int k = 0; k <= 6; ++k)
        pictures.push_back({"hang stage", [k] { return Art::hangStage(k); }, {164, 140}});
    for (int k = 0; k <= 4; ++k) {
        pictures.push_back({"banner", [k] { return Art::categoryBanner(k); }, {250, 30}});
        pictures.push_back({"glyph", [k] { return Art::categoryGlyph(k); }, {250, 30}});
    }
    return pictures;
}

QImage imageOf(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// Alpha at a logical point of a picture drawn at the pictures' density.
int alphaAt(const QImage& image, qreal x, qreal y)
{
    return qAlpha(image.pixel(int(x * Art::density()), int(y * Art::density())));
}

bool samePixels(const QPixmap& a, const QPixmap& b)
{
    return imageOf(a) == imageOf(b);
}

} // namespace

TEST(Art, EveryPictureHasItsLogicalSizeAtTheScreensDensity)
{
    const int density = Art::density();
    EXPECT_EQ(density, qMax(1, qCeil(qGuiApp->devicePixelRatio())));
    for (const Picture& picture : everyPicture()) {
        const QPixmap pixmap = picture.make();
        SCOPED_TRACE(picture.name);
        EXPECT_EQ(pixmap.devicePixelRatio(), density);
        EXPECT_EQ(pixmap.size(), picture.size * density);
        EXPECT_EQ(pixmap.deviceIndependentSize().toSize(), picture.size);
    }
}

TEST(Art, LetterTilesAreTransparentOutsideTheRoundedTile)
{
    for (int n = 0; n <= 26; ++n) {
        for (const QPixmap& tile : {Art::letterTile(n), Art::litLetterTile(n == 0 ? 1 : n)}) {
            const QImage image = imageOf(tile);
            SCOPED_TRACE(n);
            EXPECT_EQ(alphaAt(image, 0, 0), 0);
            EXPECT_EQ(alphaAt(image, 37.5, 0), 0);
            EXPECT_EQ(alphaAt(image, 0, 37.5), 0);
            EXPECT_EQ(alphaAt(image, 37.5, 37.5), 0);
            EXPECT_EQ(alphaAt(image, 19, 19), 255);
        }
    }
}

TEST(Art, LettersAndLitLettersAreDistinct)
{
    for (int n = 1; n <= 26; ++n) {
        SCOPED_TRACE(n);
        EXPECT_FALSE(samePixels(Art::letterTile(n), Art::letterTile(0)));
        EXPECT_FALSE(samePixels(Art::letterTile(n), Art::litLetterTile(n)));
        if (n > 1)
            EXPECT_FALSE(samePixels(Art::letterTile(n), Art::letterTile(n - 1)));
    }
}

// The board places the used-letter picture at (8, 4) and tile n at
// (8 + 40 * col, 4 + 40 * row), so each greyed letter must sit exactly in its
// tile's 38 x 38 cell and nothing may show in the 2-pixel gaps between cells.
TEST(Art, UsedLetterBoardMatchesTheTileGrid)
{
    const QImage board = imageOf(Art::usedLetterBoard());
    for (int n = 1; n <= 26; ++n) {
        const qreal left = 40 * ((n - 1) % 6);
        const qreal top = 40 * ((n - 1) / 6);
        SCOPED_TRACE(n);
        EXPECT_EQ(alphaAt(board, left + 19, top + 19), 255);
        EXPECT_EQ(alphaAt(board, left + 3, top + 19), 255);
        EXPECT_EQ(alphaAt(board, left + 35, top + 19), 255);
        EXPECT_EQ(alphaAt(board, left + 39, top + 19), 0);  // gap to the right
        if (n <= 24)
            EXPECT_EQ(alphaAt(board, left + 19, top + 39), 0); // gap below
        EXPECT_EQ(alphaAt(board, left + 0, top + 0), 0);    // rounded corner
    }
    // no tile after Z on the last row
    EXPECT_EQ(alphaAt(board, 100, 180), 0);
    EXPECT_EQ(alphaAt(board, 220, 180), 0);
}

TEST(Art, HangStagesAreTransparentAroundTheFigureAndAllDiffer)
{
    for (int k = 0; k <= 6; ++k) {
        SCOPED_TRACE(k);
        const QImage stage = imageOf(Art::hangStage(k));
        EXPECT_EQ(alphaAt(stage, 1, 1), 0);
        EXPECT_EQ(alphaAt(stage, 150, 20), 0);
        for (int j = 0; j < k; ++j)
            EXPECT_FALSE(samePixels(Art::hangStage(k), Art::hangStage(j))) << "same as " << j;
    }
}

TEST(Art, NumbersWithoutArtGiveEmptyPictures)
{
    const QImage missing = imageOf(Art::hangStage(7));
    EXPECT_EQ(missing.size(), QSize(164, 140) * Art::density());
    for (int y = 0; y < missing.height(); y += 7)
        for (int x = 0; x < missing.width(); x += 7)
            ASSERT_EQ(qAlpha(missing.pixel(x, y)), 0);
}

TEST(Art, HangedFramesAreEightDifferentPoses)
{
    const QPixmap strip = Art::hangedStrip();
    const QSize frame = QSize(164, 140) * Art::density();
    std::vector<QImage> frames;
    for (int f = 0; f < 8; ++f)
        frames.push_back(imageOf(strip.copy(f * frame.width(), 0, frame.width(), frame.height())));
    for (int f = 0; f < 8; ++f)
        for (int g = 0; g < f; ++g)
            EXPECT_NE(frames[f], frames[g]) << "frames " << g << " and " << f;
}

TEST(Art, LetteringPicturesAreTransparentBehindTheLetters)
{
    for (int k = 0; k <= 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(alphaAt(imageOf(Art::categoryBanner(k)), 1, 1), 0);
        EXPECT_EQ(alphaAt(imageOf(Art::categoryGlyph(k)), 1, 1), 0);
        for (int j = 0; j < k; ++j)
            EXPECT_FALSE(samePixels(Art::categoryBanner(k), Art::categoryBanner(j)));
    }
    EXPECT_EQ(alphaAt(imageOf(Art::thePlayersHeading()), 1, 1), 0);
    EXPECT_EQ(alphaAt(imageOf(Art::chatBanner()), 1, 1), 0);
}

TEST(Art, BackgroundIsOpaqueAndTan)
{
    const QImage texture = imageOf(Art::backgroundTexture());
    qint64 red = 0, green = 0, blue = 0, count = 0;
    for (int y = 0; y < texture.height(); y += 3) {
        for (int x = 0; x < texture.width(); x += 3) {
            const QRgb pixel = texture.pixel(x, y);
            ASSERT_EQ(qAlpha(pixel), 255);
            red += qRed(pixel);
            green += qGreen(pixel);
            blue += qBlue(pixel);
            ++count;
        }
    }
    EXPECT_NEAR(red / count, 190, 8);
    EXPECT_NEAR(green / count, 155, 8);
    EXPECT_NEAR(blue / count, 99, 8);
}

// The texture is tiled: its last column must run on into its first, and its last
// row into its first, no more abruptly than neighbouring columns inside it do.
TEST(Art, BackgroundTilesWithoutSeams)
{
    const QImage texture = imageOf(Art::backgroundTexture());
    auto columnStep = [&](int a, int b) {
        qint64 sum = 0;
        for (int y = 0; y < texture.height(); ++y)
            sum += qAbs(qGray(texture.pixel(a, y)) - qGray(texture.pixel(b, y)));
        return double(sum) / texture.height();
    };
    auto rowStep = [&](int a, int b) {
        qint64 sum = 0;
        for (int x = 0; x < texture.width(); ++x)
            sum += qAbs(qGray(texture.pixel(x, a)) - qGray(texture.pixel(x, b)));
        return double(sum) / texture.width();
    };
    const int w = texture.width();
    const int h = texture.height();
    EXPECT_LT(columnStep(w - 1, 0), 1.5 * columnStep(w / 2, w / 2 + 1) + 0.5);
    EXPECT_LT(rowStep(h - 1, 0), 1.5 * rowStep(h / 2, h / 2 + 1) + 0.5);
}
