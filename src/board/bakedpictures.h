#pragma once
// Pictures drawn once when the program is built and stored in it (the "baked"
// resources, see src/app/tools/bakepictures.cpp), so a start-up need not draw
// them again: each is kept as its exact pixels and read back unchanged. A
// picture that was not baked for the running density is drawn as before.

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <functional>

namespace BakedPictures {

// The resource a picture of that name is baked into for the given density.
QString resourcePath(const QString& name, int density);
// The baked picture of that name for the density, or a null pixmap when there is none.
QPixmap find(const QString& name, int density);

// A picture's bytes as baked: width, height, its device pixel ratio and pixel format (RGB32 for an
// opaque picture, premultiplied ARGB32 otherwise), then its pixels.
QByteArray encode(const QImage& image);
// The picture back from encode()'s bytes; a null image for anything else.
QImage decode(const QByteArray& bytes);

// Told of every picture that had to be drawn (none was baked); the baking tool listens.
using DrawnListener = std::function<void(const QString& name, const QPixmap& picture)>;
void setDrawnListener(DrawnListener listener);
void tellDrawn(const QString& name, const QPixmap& picture);

} // namespace BakedPictures
