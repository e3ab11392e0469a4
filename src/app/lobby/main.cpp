#include "app/lobby/lobbywindow.h"
#include "tally/datafolder.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The same name as the game's, so that both find the same data folder.
    QApplication::setApplicationName("Hangman");
    QApplication::setApplicationDisplayName("The Vorlix Lobby");
    QApplication::setDesktopFileName("example.vorlix.lobby");
    const QString folder = dataFolder();
    LobbyWindow window(QDir(folder).filePath("vorlixlobby.ini"), QDir(QApplication::applicationDirPath()).filePath("hangman"));
    window.startBrowsing();
    // The desktop opens "hangman://HOST" links with the launcher.
    if (const QStringList arguments = QApplication::arguments(); arguments.size() > 1)
        window.openInvitation(arguments.at(1));
    window.show();
    return app.exec();
}
