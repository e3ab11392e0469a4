// Program entry: the single-instance check, then the nine windows in their fixed
// order (the main window first, the server seventh), then the event loop. The
// windows are destroyed in reverse order, so the tally is saved while the main
// window still exists.
#include "app/application.h"
#include "app/gamewindows.h"
#include "app/infooptions.h"
#include "app/singleinstance.h"

#include <QFont>
#include <QTextStream>

#include <cstdio>

namespace {

QStringList commandLine(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// The board's faces, mapped to free metric-compatible ones where they are missing.
void substituteFonts()
{
    QFont::insertSubstitution("Comic Sans MS", "Comic Neue");
    QFont::insertSubstitution("Arial", "Liberation Sans");
}

} // namespace

int main(int argc, char** argv)
{
    QTextStream out(stdout);
    if (handleInfoOptions(commandLine(argc, argv), out))
        return 0;

    HangmanApplication app(argc, argv);
    SingleInstance instance;
    if (instance.previousInstanceRunning())
        return 0;
    substituteFonts();
    QGuiApplication::setDesktopFileName("example.vorlix.hangman");

    RunningMarker running;
    GameWindows windows;
    MainWindow* chat = windows.chat.get();
    instance.raiseOnRequest(chat);
    app.setMainWindow(chat);
    app.watchTerminationSignals();
    chat->show();
    return app.exec();
}
