#include "client/mainwindow.h"

#include "board/background.h"
#include "board/board.h"
#include "client/chatview.h"
#include "client/gamemenus.h"
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

constexpr int kMaxQueuedMessages = 4096;
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
    , m_dispatchTimer(clock, 1)
{
    m_arguments = QCoreApplication::arguments().mid(1);
    setUpWindow();
}

MainWindow::~MainWindow() = default;

void MainWindow::setUpWindow()
{
    setWindowTitle("HangMan");
    setObjectName("chat");

    m_dispatchTimer.onTimer = [this] { dispatchNextMessage(); };
    m_receivedQueue.append("receivedlist");
    m_dispatchTimer.start();
    m_settings.chatterSounds = false; // until the settings file is read

    m_menus = new GameMenus(menuBar(), this);
    buildCentre();
    connectChat();
    connectFileAndViewMenus();
    connectOptionsMenu();
    connectSeatMenu();
    buildDispatchTable();
    resize(712, 524);
}

void MainWindow::setWindows(const Windows& windows)
{
    m_windows = windows;
    if (m_windows.server) {
        m_windows.server->server().botSpeedSource = [this] { return m_settings.botSpeed; };
        m_windows.server->server().wordFolderRead = [this](const QStringList& lines) {
            m_heldWordFolderReport = lines;
        };
        applyWordFolder();
        connectAdmission();
    }
    if (m_windows.spylist)
        connect(m_windows.spylist, &SpyListWindow::kickRequested, this, [this](int slot) { kickPlayer(slot); });
    if (m_windows.phrases)
        connect(m_windows.phrases, &PhraseEditor::phrasesAccepted, this, [this](const QStringList& phrases) {
            m_chat->replacePhrases(phrases);
            savePhrases();
        });
    if (m_windows.gamestart)
        connect(m_windows.gamestart, &GameOptionsDialog::startPressed, this, &MainWindow::startGame);
    if (m_windows.download)
        m_windows.download->setExitGame([this] { close(); });
    connectPortMapping();
    connectLanAnnouncer();
}

void MainWindow::buildCentre()
{
    auto* centre = new QWidget;
    applyGameBackground(centre);
    centre->setMinimumSize(704, 478);
    m_board = new Board(*this, m_clock);
    auto* layout = new QGridLayout(centre);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_board, 0, 0, Qt::AlignCenter);
    setCentralWidget(centre);
    connect(m_board, &Board::seatContextMenuRequested, this, &MainWindow::showSeatMenu);
    m_chat = new ChatPanel(m_clock, *this, m_board->chatArea());
    m_chat->orderTabStops(m_board);
}

void MainWindow::buildDispatchTable()
{
    const auto own = [](void (MainWindow::*handler)(const QByteArray&)) { return Handler{handler, nullptr}; };
    const auto onBoard = [](void (Board::*handler)(const QByteArray&)) { return Handler{nullptr, handler}; };
    namespace name = proto::name;
    m_handlers = {
        {name::kSendLoginInfo, own(&MainWindow::sendLoginInfo)},
        {name::kChat, own(&MainWindow::chatReceived)},
        {name::kAction, own(&MainWindow::chatReceived)},
        {name::kNewPlayerInfo, own(&MainWindow::newPlayerInfo)},
        {name::kExistingPlayers, own(&MainWindow::newPlayerInfo)},
        {name::kHaveWrongVersion, own(&MainWindow::haveWrongVersion)},
        {name::kWrongVersion, own(&MainWindow::wrongVersion)},
        {name::kPlayerDisconnected, own(&MainWindow::playerDisconnected)},
        {name::kFull, own(&MainWindow::full)},
        {name::kError, own(&MainWindow::error)},
        {name::kPlayASound, own(&MainWindow::playASound)},
        {name::kStartGame, own(&MainWindow::gameStarted)},
        {name::kNextPlayer, onBoard(&Board::nextPlayer)},
        {name::kWinner, onBoard(&Board::winner)},
        {name::kJustWatching, onBoard(&Board::justWatching)},
        {name::kLoadWord, onBoard(&Board::loadWord)},
        {name::kAddMan, onBoard(&Board::addMan)},
        {name::kFoundLetter, onBoard(&Board::foundLetter)},
        {name::kGameStats, onBoard(&Board::gameStats)},
        {name::kMarkLetters, onBoard(&Board::markLetters)},
        {name::kOutOfTime, onBoard(&Board::outOfTime)},
        {name::kChooseCat, onBoard(&Board::chooseCat)},
    };
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
    m_board->setStartButtonVisible(false);
    m_menus->startGame->setEnabled(false);
    m_loginText.clear();
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
    m_loginText = proto::toWire(m_playerName);
    m_host = true;
    openGameConnection("127.0.0.1", port);
    m_board->setStartButtonVisible(true);
    m_menus->startGame->setEnabled(true);
    m_menus->copyInvitationLink->setEnabled(!solo);
    if (m_windows.spylist)
        m_windows.spylist->setRemoveEnabled(true);
    m_menus->lockGame->setEnabled(true);
    m_menus->askBeforeJoining->setEnabled(true);
    if (!solo)
        startAnnouncing();
}

void MainWindow::joinGame()
{
    m_loginText = proto::toWire(m_playerName);
    openGameConnection(m_serverAddress, m_gamePort);
    m_board->setStartButtonVisible(false);
    m_menus->startGame->setEnabled(false);
}

void MainWindow::openGameConnection(const QString& host, quint16 port)
{
    m_connection = std::make_unique<Connection>(proto::kMaxServerMessageBytes);
    connect(m_connection.get(), &Connection::connected, this, [this] { m_connectionMade = true; });
    connect(m_connection.get(), &Connection::messageReceived, this, &MainWindow::queueMessage);
    connect(m_connection.get(), &Connection::closed, this, &MainWindow::connectionClosed);
    m_connection->connectToHost(host, port);
}

void MainWindow::connectionClosed(Connection::CloseReason reason)
{
    // Once connected, the end of the connection is the end of the game (and of a hosted server).
    if (m_connectionMade)
        close();
    else if (reason == Connection::CloseReason::HostNotFound)
        showMessage(kHostNotFoundText);
    else
        addSystemLine("Could not connect to " + m_connection->hostName());
}

// ---------------------------------------------------------------- dispatch

void MainWindow::queueMessage(const QByteArray& message)
{
    m_receivedQueue.append(message);
    if (m_receivedQueue.size() > kMaxQueuedMessages) {
        m_receivedQueue.clear();
        m_connection->close();
        close();
        return;
    }
    m_dispatchTimer.start();
}

void MainWindow::dispatchNextMessage()
{
    dispatchOneMessage();
    if (m_receivedQueue.isEmpty())
        m_dispatchTimer.stop();
}

void MainWindow::dispatchOneMessage()
{
    if (m_receivedQueue.isEmpty())
        return;
    const auto named = proto::splitName(m_receivedQueue.takeFirst());
    if (!named)
        return;
    const Handler handler = m_handlers.value(named->name);
    if (handler.onWindow)
        (this->*handler.onWindow)(named->args);
    else if (handler.onBoard)
        (m_board->*handler.onBoard)(named->args);
}

void MainWindow::send(const QByteArray& message)
{
    if (!m_connection)
        throw std::runtime_error(kNotConnectedText);
    m_connection->send(message);
}

void MainWindow::sendLoginInfo(const QByteArray& args)
{
    const auto login = proto::read::sendLoginInfo(args);
    if (!login)
        return;
    m_ownSlot = login->slot;
    m_loggedIn = true;
    send(proto::msg::loginInfo(m_ownSlot, kVersion, m_loginText));
}

void MainWindow::haveWrongVersion(const QByteArray& args)
{
    if (const auto notice = proto::read::haveWrongVersion(args))
        addSystemLine(proto::fromWire(notice->name) + " has a different version of the game then you.");
}

void MainWindow::wrongVersion(const QByteArray&)
{
    addSystemLine("You have a differnt version of the game then the host.");
}

void MainWindow::full(const QByteArray&)
{
    showMessage("Game is full");
    close();
}

// ---------------------------------------------------------------- roster

void MainWindow::newPlayerInfo(const QByteArray& args)
{
    const auto player = proto::read::newPlayerInfo(args);
    if (!player)
        return;
    const int slot = player->slot;
    const QString name = proto::fromWire(player->name);
    m_people.insert(slot, name);
    if (slot == m_ownSlot) {
        addSystemLine("You are Connected.");
        loadSettings();
    } else {
        addSystemLine(name + " is Connected.");
    }
    if (isSeat(slot)) {
        m_board->seatTaken(slot, name);
    } else {
        if (m_windows.spylist)
            m_windows.spylist->addSpy(slot, name);
        addSystemLine(slot == m_ownSlot ? QString("You are spying.") : name + " is spying.");
    }
    playSound("entered");
}

void MainWindow::playerDisconnected(const QByteArray& args)
{
    const auto player = proto::read::playerDisconnected(args);
    if (!player)
        return;
    const int slot = player->slot;
    const QString name = proto::fromWire(player->name);
    m_people.remove(slot);
    if (isSeat(slot)) {
        if (m_board->seatOccupied(slot))
            addSystemLine(m_board->seatCaption(slot) + " disconnected.");
        m_board->seatFreed(slot);
        return;
    }
    if (m_windows.spylist && m_windows.spylist->removeSpy(slot, name))
        addSystemLine(name + " has left.");
}

void MainWindow::error(const QByteArray& args)
{
    const auto error = proto::read::error(args);
    if (!error || error->seat != m_ownSlot)
        return;
    if (error->code == 1)
        if (auto* status = m_board->findChild<QLabel*>("label_status"))
            status->setText("That letter is already used.");
    playSound("invalid");
}

void MainWindow::kickPlayer(int target)
{
    if (m_host && m_loggedIn)
        send(proto::msg::kickHim(m_ownSlot, target));
}

bool MainWindow::isJustWatching() const
{
    return m_menus->justWatch->isChecked();
}

void MainWindow::setJustWatching(bool on)
{
    m_menus->justWatch->setChecked(on);
}

void MainWindow::toggleJustWatch()
{
    // The check mark follows the server's answer, not the click.
    QAction* justWatch = m_menus->justWatch;
    const bool wasChecked = !justWatch->isChecked();
    justWatch->setChecked(wasChecked);
    if (m_loggedIn && isSeat(m_ownSlot))
        send(proto::msg::justWatch(m_ownSlot, wasChecked ? 2 : 1));
}

void MainWindow::showSeatMenu(int seat, const QPoint& globalPos)
{
    for (QAction* entry : m_menus->seatMenu->actions())
        entry->setEnabled(m_host);
    if (!m_people.contains(seat))
        m_menus->removeFromGame->setEnabled(false);
    m_seatMenuSeat = seat;
    m_menus->seatMenu->popup(globalPos);
}

void MainWindow::removeSeatPlayer()
{
    kickPlayer(m_seatMenuSeat);
}

void MainWindow::setSeatJustWatching()
{
    if (m_loggedIn && isSeat(m_seatMenuSeat))
        send(proto::msg::justWatch(m_seatMenuSeat, 1));
}

void MainWindow::unsetSeatJustWatching()
{
    if (m_loggedIn && isSeat(m_seatMenuSeat))
        send(proto::msg::justWatch(m_seatMenuSeat, 2));
}

QStringList MainWindow::fillPlayersInGame() const
{
    QStringList names;
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        if (seat == m_ownSlot)
            continue;
        if (m_board->seatOccupied(seat) || m_board->seatCaption(seat) != Board::kWaitingCaption)
            names << m_board->seatCaption(seat);
    }
    return names;
}

void MainWindow::showTally()
{
    if (!m_windows.tally || !m_windows.tallyWindow)
        return;
    m_windows.tally->setPlayersInGame(fillPlayersInGame());
    bringForward(m_windows.tallyWindow);
}

void MainWindow::recordGame(const QString& winner, bool localUserWon)
{
    if (!m_windows.tally)
        return;
    m_windows.tally->setPlayersInGame(fillPlayersInGame());
    m_windows.tally->addGame(winner, localUserWon);
}

void MainWindow::recordCompletedPuzzle()
{
    if (m_windows.tally)
        m_windows.tally->addCompletedPuzzle();
}

// ---------------------------------------------------------------- game start and dialogs

void MainWindow::showGameStart()
{
    if (m_windows.gamestart)
        bringForward(m_windows.gamestart);
}

void MainWindow::startGame(int playTo, int turnTime, bool team, bool choose)
{
    send(proto::msg::startGame(proto::toWire(m_playerName), QByteArray::number(playTo),
                               QByteArray::number(turnTime), team, choose));
    saveSettingsReportingErrors();
}

void MainWindow::showMessage(const QString& text)
{
    m_surroundings.prompts.showMessage(this, text);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    saveBoundsOnClose();
    stopPortMappingForExit();
    stopAnnouncing();
    QMainWindow::closeEvent(event);
    for (QWidget* window : std::initializer_list<QWidget*>{m_windows.tallyWindow, m_windows.about,
                                                          m_windows.gamestart, m_windows.help, m_windows.phrases,
                                                          m_windows.spylist, m_windows.download})
        if (window)
            window->hide();
}
