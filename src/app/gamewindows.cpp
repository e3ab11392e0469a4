#include "app/gamewindows.h"

GameWindows::GameWindows(Clock& clock, const QString& tallyPath)
    : portMapping(std::make_unique<PortMapping>())
    , chat(std::make_unique<Tchat>(clock))
    , tally(std::make_unique<Ttallylist>(tallyPath, chat.get()))
    , about(std::make_unique<Tabout>(chat.get()))
    , gamestart(std::make_unique<Tgamestart>(chat.get()))
    , help(std::make_unique<Thelp>(chat.get(), about.get()))
    , phrases(std::make_unique<Tphrases>(chat.get()))
    , server(std::make_unique<TServer>())
    , spylist(std::make_unique<Tspylist>(chat.get()))
    , download(std::make_unique<Tdownload>(chat.get()))
{
    chat->setWindows({tally.get(), about.get(), gamestart.get(), help.get(), phrases.get(), server.get(),
                      spylist.get(), download.get(), portMapping.get()});
}

GameWindows::~GameWindows()
{
    chat->setWindows({});
    download.reset();
    spylist.reset();
    server.reset();
    phrases.reset();
    help.reset();
    gamestart.reset();
    about.reset();
    tally.reset();
}
