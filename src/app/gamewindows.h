#pragma once
// The program's nine windows, made in their fixed order (the main window first,
// the server seventh) and destroyed in the reverse order, so the main window is
// still there when the tally saves itself.

#include "client/chatform.h"
#include "net/gametimer.h"
#include "server/serverform.h"
#include "tally/tallylistform.h"
#include "windows/aboutform.h"
#include "windows/downloadform.h"
#include "windows/gamestartform.h"
#include "windows/helpform.h"
#include "windows/phrasesform.h"
#include "windows/spylistform.h"

#include <memory>

class GameWindows {
public:
    explicit GameWindows(Clock& clock = Clock::system(), const QString& tallyPath = Ttallylist::defaultTallyPath());
    ~GameWindows();

    std::unique_ptr<PortMapping> portMapping; // outlives the windows: removes the mapping last
    std::unique_ptr<Tchat> chat;
    std::unique_ptr<Ttallylist> tally;
    std::unique_ptr<Tabout> about;
    std::unique_ptr<Tgamestart> gamestart;
    std::unique_ptr<Thelp> help;
    std::unique_ptr<Tphrases> phrases;
    std::unique_ptr<TServer> server;
    std::unique_ptr<Tspylist> spylist;
    std::unique_ptr<Tdownload> download;
};
