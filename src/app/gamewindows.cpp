#include "app/gamewindows.h"

GameWindows::GameWindows(Clock& clock, const QString& tallyPath)
    : chat(std::make_unique<MainWindow>(clock))
    , tally(std::make_unique<TallyWindow>(tallyPath, chat.get()))
    , about(std::make_unique<AboutDialog>(chat.get()))
    , gamestart(std::make_unique<GameOptionsDialog>(chat.get()))
    , help(std::make_unique<HelpWindow>(chat.get(), about.get()))
    , phrases(std::make_unique<PhraseEditor>(chat.get()))
    , server(std::make_unique<HostedServer>())
    , spylist(std::make_unique<SpyListWindow>(chat.get()))
    , download(std::make_unique<LobbyDownloadWindow>(chat.get()))
{
    chat->setWindows({tally.get(), about.get(), gamestart.get(), help.get(), phrases.get(), server.get(),
                      spylist.get(), download.get()});
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
