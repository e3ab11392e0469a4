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
    window.show();
    return app.exec();
}
