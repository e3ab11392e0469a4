#include "board/bakedpictures.h"

#include <QDataStream>
#include <QFile>

namespace BakedPictures {

namespace {

constexpr quint32 kMagic = 0x484d5031; // "HMP1"
constexpr int kLargestSide = 8192;

DrawnListener& drawnListener()
{
    static DrawnListener listener;
    return listener;
}

} // namespace

QString resourcePath(const QString& name, int density)
{
    return QStringLiteral(":/baked/%1x/%2").arg(density).arg(name);
}

QPixmap find(const QString& name, int density)
{
    QFile file(resourcePath(name, density));
    if (!file.open(QIODevice::ReadOnly))
        return QPixmap();
    const QImage image = decode(file.readAll());
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QByteArray encode(const QImage& image)
{
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    const QImage pixels = image.convertToFormat(format);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    const quint32 density = quint32(qRound(image.devicePixelRatio()));
    out << kMagic << quint32(pixels.width()) << quint32(pixels.height()) << density << quint32(format);
    for (int y = 0; y < pixels.height(); ++y)
        out.writeRawData(reinterpret_cast<const char*>(pixels.constScanLine(y)), pixels.width() * 4);
    return bytes;
}

QImage decode(const QByteArray& bytes)
{
    QDataStream in(bytes);
    quint32 magic = 0, width = 0, height = 0, density = 0, format = 0;
    in >> magic >> width >> height >> density >> format;
    if (in.status() != QDataStream::Ok || magic != kMagic || width == 0 || height == 0 || width > kLargestSide
        || height > kLargestSide || density < 1 || density > 8
        || (format != QImage::Format_ARGB32_Premultiplied && format != QImage::Format_RGB32))
        return QImage();
    const qsizetype rowBytes = qsizetype(width) * 4;
    if (bytes.size() - in.device()->pos() != rowBytes * height)
        return QImage();
    QImage image(int(width), int(height), static_cast<QImage::Format>(format));
    for (int y = 0; y < int(height); ++y)
        in.readRawData(reinterpret_cast<char*>(image.scanLine(y)), int(rowBytes));
    image.setDevicePixelRatio(density);
    return image;
}

void setDrawnListener(DrawnListener listener)
{
    drawnListener() = std::move(listener);
}

void tellDrawn(const QString& name, const QPixmap& picture)
{
    if (drawnListener())
        drawnListener()(name, picture);
}

} // namespace BakedPictures
