// Program entry: the single-instance check, then the nine windows in their fixed
// order (the main window first, the server seventh), then the event loop. The
// windows are destroyed in reverse order, so the tally is saved while the main
// window still exists.
#include "app/application.h"
#include "app/infooptions.h"
#include "app/previnst.h"
#include "client/chatform.h"
#include "server/serverform.h"
#include "tally/tallylistform.h"
#include "windows/aboutform.h"
#include "windows/downloadform.h"
#include "windows/gamestartform.h"
#include "windows/helpform.h"
#include "windows/phrasesform.h"
#include "windows/spylistform.h"

#include <QFont>
#include <QTextStream>

#include <cstdio>
#include <memory>

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
    auto chat = std::make_unique<Tchat>();
    auto tally = std::make_unique<Ttallylist>(Ttallylist::defaultTallyPath(), chat.get());
    auto about = std::make_unique<Tabout>(chat.get());
    auto gamestart = std::make_unique<Tgamestart>(chat.get());
    auto help = std::make_unique<Thelp>(chat.get(), about.get());
    auto phrases = std::make_unique<Tphrases>(chat.get());
    auto server = std::make_unique<TServer>();
    auto spylist = std::make_unique<Tspylist>(chat.get());
    auto download = std::make_unique<Tdownload>(chat.get());

    chat->setWindows({tally.get(), about.get(), gamestart.get(), help.get(), phrases.get(), server.get(),
                      spylist.get(), download.get()});
    instance.raiseOnRequest(chat.get());
    app.setMainWindow(chat.get());
    app.watchTerminationSignals();
    chat->show();
    return app.exec();
}
