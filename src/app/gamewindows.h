#pragma once
// The program's nine windows, made in their fixed order (the main window first,
// the server seventh) and destroyed in the reverse order, so the main window is
// still there when the tally saves itself.

#include "client/mainwindow.h"
#include "net/gametimer.h"
#include "server/hostedserver.h"
#include "tally/tallywindow.h"
#include "windows/aboutdialog.h"
#include "windows/lobbydownloadwindow.h"
#include "windows/gameoptionsdialog.h"
#include "windows/helpwindow.h"
#include "windows/phraseeditor.h"
#include "windows/spylistwindow.h"

#include <memory>

class GameWindows {
public:
    explicit GameWindows(Clock& clock = Clock::system(), const QString& tallyPath = TallyWindow::defaultTallyPath());
    ~GameWindows();

    std::unique_ptr<MainWindow> chat;
    std::unique_ptr<TallyWindow> tally;
    std::unique_ptr<AboutDialog> about;
    std::unique_ptr<GameOptionsDialog> gamestart;
    std::unique_ptr<HelpWindow> help;
    std::unique_ptr<PhraseEditor> phrases;
    std::unique_ptr<HostedServer> server;
    std::unique_ptr<SpyListWindow> spylist;
    std::unique_ptr<LobbyDownloadWindow> download;
};
