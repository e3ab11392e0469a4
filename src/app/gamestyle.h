#pragma once
// The game's widget style: the platform's own, except for the arrows of a menu bar
// or tool bar too narrow for its entries. The platform style reads those from PNG
// files through Qt's image reader, which, asked about a PNG file, first loads every
// image format plugin (GIF, ICO, JPEG with libjpeg) to ask whether it reads PNG:
// a quarter of a megabyte the game never uses. Here the same files are read as PNG
// directly, and only when an arrow is first drawn.

#include <QProxyStyle>

class GameStyle : public QProxyStyle {
    Q_OBJECT
public:
    GameStyle();

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
