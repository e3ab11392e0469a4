#pragma once
// The program's nine windows, made in their fixed order (the main window first,
// the server seventh) and destroyed in the reverse order, so the main window is
// still there when the tally saves itself; the tally is made with its window and
// a tally file that cannot be read is reported at once. The windows are handed
// what they ask of the world around them (the desktop, the boxes, the sound
// output): the real ones, or the fakes a test gives.

#include "client/mainwindow.h"
#include "client/surroundings.h"
#include "net/gametimer.h"
#include "net/lanannouncer.h"
#include "server/hostedserver.h"
#include "tally/tally.h"
#include "windows/aboutdialog.h"
#include "windows/lobbydownloadwindow.h"
#include "windows/gameoptionsdialog.h"
#include "windows/helpwindow.h"
#include "windows/phraseeditor.h"
#include "windows/spylistwindow.h"
#include "windows/tallywindow.h"

#include <memory>

class Prompts;

class GameWindows {
public:
    // The windows with the real desktop, dialog boxes and sound output.
    explicit GameWindows(Clock& clock = Clock::system(), const QString& tallyPath = TallyStore::defaultPath());
    // The windows with the given surroundings, which must outlive them.
    GameWindows(Clock& clock, const QString& tallyPath, const Surroundings& surroundings);
    ~GameWindows();

private:
    struct RealSurroundings;
    void makeWindows(Clock& clock, const QString& tallyPath, const Surroundings& surroundings);
    void reportTallyErrors(Prompts& prompts);

    std::unique_ptr<RealSurroundings> m_real; // outlives the windows

public:
    std::unique_ptr<PortMapping> portMapping; // outlives the windows: removes the mapping last
    std::unique_ptr<LanAnnouncer> announcer;
    std::unique_ptr<MainWindow> chat;
    std::unique_ptr<Tally> tally; // loaded with the tally window, saved after it is gone
    std::unique_ptr<TallyWindow> tallyWindow;
    std::unique_ptr<AboutDialog> about;
    std::unique_ptr<GameOptionsDialog> gamestart;
    std::unique_ptr<HelpWindow> help;
    std::unique_ptr<PhraseEditor> phrases;
    std::unique_ptr<HostedServer> server;
    std::unique_ptr<SpyListWindow> spylist;
    std::unique_ptr<LobbyDownloadWindow> download;
};
