// Renders the game's logo as the desktop icon in every size given on the command line:
// iconrender OUTPUT_FOLDER SIZE... writes OUTPUT_FOLDER/SIZExSIZE.png.
#include "board/art.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QDir folder(args[1]);
    for (const QString& text : args.mid(2)) {
        const int size = text.toInt();
        QImage image = Art::gameLogo(size).toImage();
        image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(1);
        if (!image.save(folder.filePath(QString("%1x%1.png").arg(size))))
            return 1;
    }
    return 0;
}
