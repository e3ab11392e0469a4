#include "board/art.h"
#include "board/bakedpictures.h"
#include "client/chatview.h"

#include <QFile>
#include <QMap>
#include <gtest/gtest.h>

namespace {

QImage semiTransparentPicture()
{
    QImage image(5, 3, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 13 % 256, y * 70, 1 + x * y, (x + 1) * (y + 1) * 16 - 1));
    image.setDevicePixelRatio(2);
    return image;
}

QImage readBaked(const QString& name)
{
    QFile file(QStringLiteral(HANGMAN_BAKED_FOLDER "/1x/") + name);
    return file.open(QIODevice::ReadOnly) ? BakedPictures::decode(file.readAll()) : QImage();
}

} // namespace

TEST(BakedPictures, KeepEveryPixelAndRefuseAnythingElse)
{
    const QImage picture = semiTransparentPicture();
    const QByteArray bytes = BakedPictures::encode(picture);
    const QImage back = BakedPictures::decode(bytes);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(back.devicePixelRatio(), 2.0);
    EXPECT_EQ(back, picture);

    QImage opaque(4, 4, QImage::Format_RGB32);
    opaque.fill(qRgb(190, 155, 99));
    EXPECT_EQ(BakedPictures::decode(BakedPictures::encode(opaque)).format(), QImage::Format_RGB32);

    EXPECT_TRUE(BakedPictures::decode(bytes.left(bytes.size() - 1)).isNull()) << "one byte short";
    EXPECT_TRUE(BakedPictures::decode(bytes + 'x').isNull()) << "one byte over";
    EXPECT_TRUE(BakedPictures::decode(QByteArray()).isNull());
    QByteArray huge = bytes;
    huge[4] = char(0x7f); // a width of about two thousand million
    EXPECT_TRUE(BakedPictures::decode(huge).isNull());
    QByteArray strangeFormat = bytes;
    strangeFormat[19] = char(QImage::Format_Mono);
    EXPECT_TRUE(BakedPictures::decode(strangeFormat).isNull());
}

// The build bakes the pictures with the same code: a picture that came out
// differently (or was never baked) would show the player something else.
TEST(BakedPictures, TheBakedPicturesAreTheOnesTheGameDraws)
{
    QMap<QString, QImage> drawn;
    BakedPictures::setDrawnListener(
        [&](const QString& name, const QPixmap& picture) { drawn.insert(name, picture.toImage()); });
    Art::substituteMissingFaces();
    Art::askForEveryPicture();
    for (int index = 0; index < ChatView::kSmileyCount; ++index)
        ChatView::smiley(index);
    BakedPictures::setDrawnListener({});

    ASSERT_GE(drawn.size(), 100);
    for (auto it = drawn.cbegin(); it != drawn.cend(); ++it) {
        const QImage baked = readBaked(it.key());
        ASSERT_FALSE(baked.isNull()) << qPrintable(it.key()) << " was not baked";
        EXPECT_EQ(baked.size(), it.value().size()) << qPrintable(it.key());
        EXPECT_EQ(baked.devicePixelRatio(), it.value().devicePixelRatio()) << qPrintable(it.key());
        EXPECT_TRUE(baked == it.value().convertToFormat(baked.format())) << qPrintable(it.key()) << " differs";
    }
}
