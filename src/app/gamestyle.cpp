#include "app/gamestyle.h"

#include <algorithm>

#include <QDir>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QGuiApplication>
#include <QStyleOption>

namespace {

const QString kQtStylePictures = QStringLiteral(":/qt-project.org/styles/commonstyle/images");

// Qt's pictures of the extension arrow in every size it has ("toolbar-ext-h-16.png", ...).
// Picked by name by hand: a name filter would bring in the regular expression engine.
QStringList arrowFiles(QStyle::StandardPixmap which, bool rightToLeft)
{
    QString prefix = QStringLiteral("toolbar-ext-v-");
    if (which == QStyle::SP_ToolBarHorizontalExtensionButton)
        prefix = rightToLeft ? QStringLiteral("toolbar-ext-h-rtl-") : QStringLiteral("toolbar-ext-h-");
    QStringList files;
    for (const QString& file : QDir(kQtStylePictures).entryList(QDir::Files)) {
        if (!file.startsWith(prefix) || !file.endsWith(QStringLiteral(".png")))
            continue;
        const QString size = file.sliced(prefix.size(), file.size() - prefix.size() - 4);
        if (!size.isEmpty() && std::all_of(size.begin(), size.end(), [](QChar c) { return c.isDigit(); }))
            files.append(file);
    }
    // Smallest first, as the platform style adds them: "8" before "16".
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return files;
}

QIcon readPngIcon(const QStringList& files)
{
    QIcon icon;
    for (const QString& file : files) {
        QImageReader reader(kQtStylePictures + u'/' + file, "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

// Which way the arrow points, decided as the platform style decides it.
bool rightToLeft(const QStyleOption* option)
{
    return (option ? option->direction : QGuiApplication::layoutDirection()) == Qt::RightToLeft;
}

} // namespace

GameStyle::GameStyle() = default;

QIcon GameStyle::standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const
{
    if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton) {
        const QIcon icon = readPngIcon(arrowFiles(which, rightToLeft(option)));
        if (!icon.isNull())
            return icon;
    }
    return QProxyStyle::standardIcon(which, option, widget);
}
