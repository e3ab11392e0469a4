#include "app/gamestyle.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QIconEngine>
#include <QImageReader>
#include <QPixmap>
#include <QStyleOption>

#include <algorithm>
#include <utility>

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

// Reads its pictures when first drawn: the arrow shows only on a menu bar too narrow
// for its entries, which the game's never is, so the PNG decoder stays out of memory.
class LazyPngIconEngine : public QIconEngine {
public:
    explicit LazyPngIconEngine(QStringList files) : m_files(std::move(files)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new LazyPngIconEngine(m_files); }

private:
    const QIcon& icon()
    {
        if (m_icon.isNull())
            m_icon = readPngIcon(m_files);
        return m_icon;
    }

    QStringList m_files;
    QIcon m_icon;
};

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
        QStringList files = arrowFiles(which, rightToLeft(option));
        if (!files.isEmpty())
            return QIcon(new LazyPngIconEngine(std::move(files)));
    }
    return QProxyStyle::standardIcon(which, option, widget);
}
