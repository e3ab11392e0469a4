#include "client/mainwindow.h"

#include "board/background.h"
#include "board/board.h"
#include "client/chatview.h"
#include "client/gameannouncement.h"
#include "client/gamemenus.h"
#include "client/hostadmission.h"
#include "client/hostreachability.h"
#include "client/wordfolderchoice.h"
#include "server/hostedserver.h"
#include "tally/tally.h"
#include "windows/aboutdialog.h"
#include "windows/lobbydownloadwindow.h"
#include "windows/gameoptionsdialog.h"
#include "windows/helpwindow.h"
#include "windows/phraseeditor.h"
#include "windows/prompts.h"
#include "windows/spylistwindow.h"
#include "windows/tallywindow.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QShowEvent>
#include <QTimer>

#include <stdexcept>

namespace {

// The error boxes of a send before any connection was opened and of a server address that is no host.
constexpr char kNotConnectedText[] = "Send - Socket Not Connected";
constexpr char kHostNotFoundText[] = "Host Lookup - Could Not Find Host Entry";
const QList<QHostAddress> kSoloAddresses = {QHostAddress::LocalHost, QHostAddress::LocalHostIPv6};
const QList<QHostAddress> kHostAddresses = {QHostAddress::Any};

// Shows a side window (which places itself) in front of the others.
void bringForward(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

MainWindow::MainWindow(Clock& clock, const Surroundings& surroundings, QWidget* parent)
    : QMainWindow(parent)
    , m_clock(clock)
    , m_surroundings(surroundings)
    , m_game(*this, clock)
    , m_receivedQueue(clock, [this](const QByteArray& message) { m_game.receive(message); })
{
    m_arguments = QCoreApplication::arguments().mid(1);
    setUpWindow();
}

MainWindow::~MainWindow() = default;

void MainWindow::setUpWindow()
{
    setWindowTitle("HangMan");
    setObjectName("chat");

    m_settings.chatterSounds = false; // until the settings file is read

    m_menus = new GameMenus(menuBar(), this);
    buildCentre();
    connectReachability(new HostReachability(nullptr, this));
    m_wordFolders = new WordFolderChoice(m_surroundings.prompts, this);
    connect(m_wordFolders, &WordFolderChoice::line, this, &MainWindow::addSystemLine);
    connect(m_wordFolders, &WordFolderChoice::chosen, this, &MainWindow::saveWordFolder);
    connectChat();
    connectFileAndViewMenus();
    connectOptionsMenu();
    connectSeatMenu();
    observeGame();
    resize(712, 524);
}

// The report on the router replaces the one before (made before the windows were handed over).
void MainWindow::connectReachability(HostReachability* reachability)
{
    delete m_reachability;
    m_reachability = reachability;
    connect(m_reachability, &HostReachability::line, this, &MainWindow::addSystemLine);
}

void MainWindow::setWindows(const Windows& windows)
{
    m_windows = windows;
    if (m_windows.server) {
        m_windows.server->server().botSpeedSource = [this] { return m_settings.botSpeed; };
        m_wordFolders->setServer(&m_windows.server->server());
        m_admission = new HostAdmission(m_windows.server->server(), this);
        connect(m_admission, &HostAdmission::line, this, &MainWindow::addSystemLine);
    }
    if (m_windows.tally) {
        connect(&m_game, &ClientGame::gameRecorded, m_windows.tally, [this](const QString& winner, bool ownWin) {
            m_windows.tally->setPlayersInGame(m_game.opponents());
            m_windows.tally->addGame(winner, ownWin);
        });
        connect(&m_game, &ClientGame::puzzleCompleted, m_windows.tally, &Tally::addCompletedPuzzle);
    }
    if (m_windows.spylist) {
        connect(m_windows.spylist, &SpyListWindow::kickRequested, &m_game, &ClientGame::kick);
        connect(&m_game, &ClientGame::spyJoined, m_windows.spylist, &SpyListWindow::addSpy);
        connect(&m_game, &ClientGame::spyLeft, m_windows.spylist, &SpyListWindow::removeSpy);
    }
    if (m_windows.phrases)
        connect(m_windows.phrases, &PhraseEditor::phrasesAccepted, this, [this](const QStringList& phrases) {
            m_chat->replacePhrases(phrases);
            savePhrases();
        });
    if (m_windows.gamestart)
        connect(m_windows.gamestart, &GameOptionsDialog::startPressed, this, &MainWindow::startGame);
    if (m_windows.download)
        m_windows.download->setExitGame([this] { close(); });
    connectReachability(new HostReachability(m_windows.portMapping, this));
    m_announcement = new GameAnnouncement(m_windows.announcer, m_windows.server, this);
    connect(m_announcement, &GameAnnouncement::line, this, &MainWindow::addSystemLine);
}

void MainWindow::observeGame()
{
    ClientGame* game = &m_game;
    connect(game, &ClientGame::notice, this, &MainWindow::addSystemLine);
    connect(game, &ClientGame::chatReceived, m_chat, [this](int sender, const QString& text, const std::optional<QString>& colour) {
        m_chat->addPlayerLine(sender, text, ChatPanel::senderColour(colour));
    });
    connect(game, &ClientGame::chatterSoundReceived, this, &MainWindow::chatterSoundReceived);
    connect(game, &ClientGame::soundRequested, this, &MainWindow::playSound);
    connect(game, &ClientGame::messageRequested, this, &MainWindow::showMessage);
    connect(game, &ClientGame::gameStartRequested, this, &MainWindow::showGameStart);
    connect(game, &ClientGame::ownArrival, this, &MainWindow::loadSettings);
    connect(game, &ClientGame::gameStarted, m_wordFolders, &WordFolderChoice::releaseReport);
    connect(game, &ClientGame::ended, this, &MainWindow::close);
    connect(game, &ClientGame::justWatchingChanged, this,
            [this](bool watching) { m_menus->justWatch->setChecked(watching); });
}

void MainWindow::buildCentre()
{
    auto* centre = new QWidget;
    applyGameBackground(centre);
    centre->setMinimumSize(704, 478);
    m_board = new Board(m_game, m_clock);
    auto* layout = new QGridLayout(centre);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_board, 0, 0, Qt::AlignCenter);
    setCentralWidget(centre);
    connect(m_board, &Board::seatContextMenuRequested, this, &MainWindow::showSeatMenu);
    m_chat = new ChatPanel(m_clock, m_chatOutlet, m_board->chatArea());
    m_chat->orderTabStops(m_board);
}

// ---------------------------------------------------------------- start-up

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // Once the window has been painted, so a start-up error box never hides an empty window.
    QTimer::singleShot(0, this, &MainWindow::readCommandLine);
}

void MainWindow::readCommandLine()
{
    m_game.setHost(false);
    m_menus->startGame->setEnabled(false);
    m_game.setLoginName({});
    if (m_arguments.isEmpty()) {
        addSystemLine("Loading Solo Game..Please wait.");
        if (m_windows.download)
            bringForward(m_windows.download);
        m_serverAddress = "127.0.0.1";
        m_playerName = "You";
        startHosting();
        return;
    }
    addSystemLine("Loading Multi-player Game.. Please Wait.");
    m_playerName = m_arguments.value(0);
    m_serverAddress = m_arguments.value(1);
    if (m_arguments.size() < 3)
        return;
    if (m_arguments.at(2) == "true")
        startHosting();
    else
        joinGame();
    // The launcher only learns from this connection that its game runs; nothing passes.
    m_launcherLink = std::make_unique<Connection>(proto::kMaxPendingBytes);
    m_launcherLink->connectToHost("127.0.0.1", proto::kLauncherPort);
}

void MainWindow::startHosting()
{
    // A solo game listens on this machine only; a hosted game on every address.
    const bool solo = m_arguments.isEmpty();
    quint16 port = m_gamePort;
    if (m_windows.server) {
        m_windows.server->startListening(solo ? kSoloAddresses : kHostAddresses, m_gamePort);
        port = m_windows.server->port();
    }
    m_game.setLoginName(proto::toWire(m_playerName));
    m_game.setHost(true);
    openGameConnection("127.0.0.1", port);
    m_menus->startGame->setEnabled(true);
    m_menus->copyInvitationLink->setEnabled(!solo);
    if (m_windows.spylist)
        m_windows.spylist->setRemoveEnabled(true);
    m_menus->lockGame->setEnabled(true);
    m_menus->askBeforeJoining->setEnabled(true);
    if (!solo && m_announcement)
        m_announcement->start(m_playerName);
}

void MainWindow::joinGame()
{
    m_game.setLoginName(proto::toWire(m_playerName));
    openGameConnection(m_serverAddress, m_gamePort);
    m_game.setHost(false);
    m_menus->startGame->setEnabled(false);
}

void MainWindow::openGameConnection(const QString& host, quint16 port)
{
    m_connection = std::make_unique<Connection>(proto::kMaxServerMessageBytes);
    connect(m_connection.get(), &Connection::messageReceived, this, &MainWindow::queueMessage);
    connect(m_connection.get(), &Connection::closed, this, &MainWindow::connectionClosed);
    m_connection->connectToHost(host, port);
}

void MainWindow::connectionClosed(Connection::CloseReason reason)
{
    if (m_reconnection.takesOver(reason, *m_connection, *m_board))
        return;
    // Once connected, the end of the connection is the end of the game (and of a hosted server).
    if (!m_connection->peerAddress().isNull())
        close();
    else if (reason == Connection::CloseReason::HostNotFound)
        showMessage(kHostNotFoundText);
    else
        addSystemLine("Could not connect to " + m_connection->hostName());
}

// ---------------------------------------------------------------- dispatch

void MainWindow::queueMessage(const QByteArray& message)
{
    if (m_receivedQueue.push(message))
        return;
    m_connection->close();
    close();
}

void MainWindow::send(const QByteArray& message)
{
    if (!m_connection)
        throw std::runtime_error(kNotConnectedText);
    m_connection->send(message);
}

// ---------------------------------------------------------------- roster

void MainWindow::toggleJustWatch()
{
    // The check mark follows the server's answer, not the click.
    m_menus->justWatch->setChecked(m_game.isJustWatching());
    m_game.toggleJustWatch();
}

void MainWindow::showSeatMenu(int seat, const QPoint& globalPos)
{
    for (QAction* entry : m_menus->seatMenu->actions())
        entry->setEnabled(m_game.isHost());
    if (!m_game.isPresent(seat))
        m_menus->removeFromGame->setEnabled(false);
    m_seatMenuSeat = seat;
    m_menus->seatMenu->popup(globalPos);
}

void MainWindow::setWordFolderOverride(const QString& folder)
{
    m_wordFolders->setOverride(folder);
}

QString MainWindow::wordFolder() const
{
    return m_wordFolders->folder();
}

void MainWindow::showTally()
{
    if (!m_windows.tally || !m_windows.tallyWindow)
        return;
    m_windows.tally->setPlayersInGame(m_game.opponents());
    bringForward(m_windows.tallyWindow);
}

// ---------------------------------------------------------------- game start and dialogs

void MainWindow::showGameStart()
{
    if (m_windows.gamestart)
        bringForward(m_windows.gamestart);
}

void MainWindow::startGame(int playTo, int turnTime, bool team, bool choose)
{
    m_game.startGame(playTo, turnTime, team, choose);
    saveSettingsReportingErrors();
}

void MainWindow::showMessage(const QString& text)
{
    m_surroundings.prompts.showMessage(this, text);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    saveBoundsOnClose();
    m_reachability->stopForExit();
    if (m_announcement)
        m_announcement->stop();
    QMainWindow::closeEvent(event);
    for (QWidget* window : std::initializer_list<QWidget*>{m_windows.tallyWindow, m_windows.about,
                                                          m_windows.gamestart, m_windows.help, m_windows.phrases,
                                                          m_windows.spylist, m_windows.download})
        if (window)
            window->hide();
}
