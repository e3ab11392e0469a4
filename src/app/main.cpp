// Program entry: the single-instance check, then the command line, then the nine
// windows in their fixed order (the main window first, the server seventh), then
// the event loop. The windows are destroyed in reverse order, so the tally is
// saved while the main window still exists.
#include "app/application.h"
#include "app/commandline.h"
#include "app/gamewindows.h"
#include "app/infooptions.h"
#include "app/singleinstance.h"
#include "board/art.h"

#include <QTextStream>

#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// One heap for every thread. The C library otherwise gives each thread that
// allocates a heap of its own (Qt's painting helpers, the sound and window system
// threads), each keeping pages the others could use; the game's threads allocate
// little and seldom, so they lose nothing by sharing.
void shareOneHeap()
{
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}

QStringList commandLine(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char** argv)
{
    shareOneHeap();
    const QStringList arguments = commandLine(argc, argv);
    QTextStream out(stdout);
    if (handleInfoOptions(arguments, out))
        return 0;

    // Qt sees only the program's name: a player called "-platform" or "-reverse" is the
    // game's argument, not a Qt option (Qt's settings come from the environment).
    int qtArgumentCount = 1;
    HangmanApplication app(qtArgumentCount, argv);
    SingleInstance instance;
    if (instance.previousInstanceRunning())
        return 0;
    const GameCommandLine parsed = parseGameCommandLine(arguments.mid(1));
    if (!parsed.error.isEmpty()) {
        QTextStream(stderr) << parsed.error << '\n';
        return kCommandLineErrorStatus;
    }
    Art::substituteMissingFaces();
    QGuiApplication::setDesktopFileName("example.vorlix.hangman");

    RunningMarker running;
    GameWindows windows;
    MainWindow* chat = windows.chat.get();
    chat->setArguments(parsed.gameArguments);
    if (parsed.wordFolder)
        chat->setWordFolderOverride(*parsed.wordFolder);
    instance.raiseOnRequest(chat);
    app.setMainWindow(chat);
    app.watchTerminationSignals();
    chat->show();
    return app.exec();
}
