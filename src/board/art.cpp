#include "board/art.h"

#include <QPainter>

namespace Art {

QPixmap backgroundTexture()
{
    QPixmap texture(274, 234);
    texture.fill(QColor(190, 155, 99));
    return texture;
}

} // namespace Art
