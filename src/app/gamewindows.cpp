#include "app/gamewindows.h"

#include "client/lazysound.h"
#include "windows/desktop.h"
#include "windows/prompts.h"

struct GameWindows::RealSurroundings {
    SystemDesktop desktop;
    DialogPrompts prompts;
    LazySound sound;
};

GameWindows::GameWindows(Clock& clock, const QString& tallyPath)
    : m_real(std::make_unique<RealSurroundings>())
{
    makeWindows(clock, tallyPath, {m_real->desktop, m_real->prompts, m_real->sound});
}

GameWindows::GameWindows(Clock& clock, const QString& tallyPath, const Surroundings& surroundings)
{
    makeWindows(clock, tallyPath, surroundings);
}

void GameWindows::makeWindows(Clock& clock, const QString& tallyPath, const Surroundings& surroundings)
{
    portMapping = std::make_unique<PortMapping>();
    announcer = std::make_unique<LanAnnouncer>();
    chat = std::make_unique<MainWindow>(clock, surroundings);
    tally = std::make_unique<Tally>(tallyPath);
    reportTallyErrors(surroundings.prompts);
    tallyWindow = std::make_unique<TallyWindow>(*tally, surroundings.prompts, chat.get());
    about = std::make_unique<AboutDialog>(surroundings.desktop, chat.get());
    gamestart = std::make_unique<GameOptionsDialog>(chat.get());
    help = std::make_unique<HelpWindow>(chat.get(), about.get());
    phrases = std::make_unique<PhraseEditor>(chat.get());
    server = std::make_unique<HostedServer>();
    spylist = std::make_unique<SpyListWindow>(chat.get());
    download = std::make_unique<LobbyDownloadWindow>(surroundings.desktop, surroundings.prompts, chat.get());
    chat->setWindows({tally.get(), tallyWindow.get(), about.get(), gamestart.get(), help.get(), phrases.get(), server.get(),
                      spylist.get(), download.get(), portMapping.get(), announcer.get()});
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
    tallyWindow.reset();
    tally.reset();
}

void GameWindows::reportTallyErrors(Prompts& prompts)
{
    if (!tally->loadError().isEmpty())
        prompts.showError(nullptr, tally->loadError());
    QObject::connect(tally.get(), &Tally::countingFailed, tally.get(),
                     [&prompts](const QString& message) { prompts.showError(nullptr, message); });
}
