// Bakes the game's pictures for the program's resources: draws every picture at
// the density of this process's screen (QT_SCALE_FACTOR sets it) and writes each
// one into FOLDER/<density>x/<name>. The pictures a start-up shows are listed in
// FOLDER/<density>x-start.qrc, the others in FOLDER/<density>x.qrc, for rcc: built
// into a resource of their own, the start-up's pictures lie side by side in the
// program, so the pages a start-up reads hold no other picture.
//
//     QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 bakepictures FOLDER
//
// The build runs it for densities 1 and 2; a screen of any other density draws
// the pictures when they are first shown, as before.
#include "app/gamewindows.h"
#include "board/art.h"
#include "board/bakedpictures.h"
#include "client/chatview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <utility>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray resourceList(const QString& folderName, const QStringList& names)
{
    QByteArray qrc;
    QTextStream out(&qrc);
    out << "<RCC>\n  <qresource prefix=\"/baked/" << folderName << "\">\n";
    for (const QString& name : names)
        out << "    <file alias=\"" << name << "\">" << folderName << '/' << name << "</file>\n";
    out << "  </qresource>\n</RCC>\n";
    out.flush();
    return qrc;
}

// Makes the game's windows as a start-up does, which draws every picture a start-up shows.
void makeTheStartUpWindows()
{
    const QTemporaryDir tallyFolder;
    GameWindows windows(Clock::system(), tallyFolder.filePath(QStringLiteral("tally")));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bakepictures FOLDER\n");
        return 2;
    }
    Art::substituteMissingFaces();
    const QString folderName = QStringLiteral("%1x").arg(Art::density());
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(folderName)) {
        std::fprintf(stderr, "bakepictures: cannot make %s\n", qPrintable(folder.filePath(folderName)));
        return 1;
    }
    QStringList names;
    bool written = true;
    BakedPictures::setDrawnListener([&](const QString& name, const QPixmap& picture) {
        names << name;
        written = writeFile(folder.filePath(folderName + '/' + name), BakedPictures::encode(picture.toImage()))
            && written;
    });
    makeTheStartUpWindows();
    const QStringList startUpNames = std::exchange(names, {});
    Art::askForEveryPicture();
    for (int index = 0; index < ChatView::kSmileyCount; ++index)
        ChatView::smiley(index);
    written = writeFile(folder.filePath(folderName + "-start.qrc"), resourceList(folderName, startUpNames)) && written;
    written = writeFile(folder.filePath(folderName + ".qrc"), resourceList(folderName, names)) && written;
    if (!written) {
        std::fprintf(stderr, "bakepictures: cannot write into %s\n", qPrintable(folder.path()));
        return 1;
    }
    return 0;
}
