#include "client/chatform.h"

#include "board/background.h"
#include "board/board.h"
#include "client/chatview.h"
#include "client/soundplayer.h"
#include "net/tsock.h"
#include "server/serverform.h"
#include "tally/tallylistform.h"
#include "windows/aboutform.h"
#include "windows/downloadform.h"
#include "windows/gamestartform.h"
#include "windows/helpform.h"
#include "windows/phrasesform.h"
#include "windows/spylistform.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QShowEvent>
#include <QTimer>

using proto::FieldReader;

namespace {

constexpr int kMaxQueuedMessages = 4096;
constexpr char kWaiting[] = "<Waiting>";
const QList<QHostAddress> kSoloAddresses = {QHostAddress::LocalHost, QHostAddress::LocalHostIPv6};
const QList<QHostAddress> kHostAddresses = {QHostAddress::Any};

bool isSeat(int slot)
{
    return slot >= 1 && slot <= proto::kSeatCount;
}

bool isSlot(int slot)
{
    return slot >= 1 && slot <= proto::kMaxSlots;
}

// Centres a side window over the main window before it is shown.
void showCentred(QWidget* window, QWidget* over)
{
    window->adjustSize();
    window->move(over->geometry().center() - window->rect().center());
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

Tchat::Tchat(Clock& clock, QWidget* parent)
    : QMainWindow(parent), m_clock(clock), m_timer1(clock, 1), m_phraseCooldown(clock, 2000)
{
    m_arguments = QCoreApplication::arguments().mid(1);
    FormCreate();
}

Tchat::~Tchat() = default;

void Tchat::FormCreate()
{
    setWindowTitle("HangMan");
    setObjectName("chat");
    m_sound = std::make_unique<SoundPlayer>();
    m_sock = std::make_unique<TSock>();
    m_sock->setPortName(QString::number(proto::kGamePort));
    m_sock->onInfo = [this](TSock*, TSock::SocketInfo kind, const QString& text) {
        sockInfo(text, kind == TSock::SocketInfo::Error);
    };
    m_sock->onRead = [this](TSock*, int) { sockRead(); };
    m_sock11 = std::make_unique<TSock>();
    m_sock11->setHostName("127.0.0.1");
    m_sock11->setPortName(QString::number(proto::kLauncherPort));

    m_timer1.onTimer = [this] { Timer1Timer(); };
    m_phraseCooldown.onTimer = [this] {
        m_phraseReady = true;
        m_phraseCooldown.stop();
    };
    m_receivedlist.append("receivedlist");
    m_timer1.start();

    buildMenus();
    buildCentre();
    buildDispatchTable();
    resize(712, 524);
}

void Tchat::setWindows(const Windows& windows)
{
    m_windows = windows;
    if (m_windows.server)
        m_windows.server->server().botSpeed = [this] { return m_botSpeed; };
    if (m_windows.spylist)
        connect(m_windows.spylist, &Tspylist::kickRequested, this, [this](int slot) { kicking(slot); });
    if (m_windows.phrases)
        connect(m_windows.phrases, &Tphrases::phrasesAccepted, this, [this](const QStringList& phrases) {
            setPhrases(phrases);
            savePhrases();
        });
    if (m_windows.gamestart)
        connect(m_windows.gamestart, &Tgamestart::startPressed, this, &Tchat::startGame);
    if (m_windows.download)
        m_windows.download->setExitGame([this] { close(); });
    connectPortMapping();
}

void Tchat::buildCentre()
{
    auto* centre = new QWidget;
    applyGameBackground(centre);
    centre->setMinimumSize(704, 478);
    m_board = new Board(*this, m_clock);
    auto* layout = new QGridLayout(centre);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_board, 0, 0, Qt::AlignCenter);
    setCentralWidget(centre);
    connect(m_board, &Board::seatContextMenuRequested, this, &Tchat::label_playername1ContextPopup);
    buildChat(m_board->chatArea());
}

void Tchat::buildDispatchTable()
{
    m_clientHandlers = {
        {"CMD_sendlogininfo", &Tchat::sendloginfo},
        {"CMD_chat", &Tchat::chatrecieved},
        {"CMD_action", &Tchat::chatrecieved},
        {"CMD_newplayerinfo", &Tchat::newplayerinfo},
        {"CMD_havewrongversion", &Tchat::havewrongversion},
        {"CMD_wrongversion", &Tchat::wrongversion},
        {"CMD_existingplayers", &Tchat::newplayerinfo},
        {"CMD_playerdisconnected", &Tchat::playerdisconnected},
        {"CMD_full", &Tchat::full},
        {"CMD_error", &Tchat::error},
        {"CMD_playasound", &Tchat::playasound},
    };
    m_boardHandlers = {
        {"CMD_startgame", &Board::startthegame},
        {"CMD_nextplayer", &Board::getnextplayer},
        {"CMD_winner", &Board::winner},
        {"CMD_justwatching", &Board::justwatching},
        {"CMD_loadword", &Board::loadword},
        {"CMD_addman", &Board::addman},
        {"CMD_foundletter", &Board::foundletter},
        {"CMD_gamestats", &Board::gamestats},
        {"CMD_markletters", &Board::markletters},
        {"CMD_outoftime", &Board::outoftime},
        {"CMD_choosecat", &Board::choosecat},
    };
}

QAction* Tchat::action(const QString& objectName) const
{
    return m_actions.value(objectName);
}

// ---------------------------------------------------------------- start-up

void Tchat::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // Once the window has been painted, so a start-up error box never hides an empty window.
    QTimer::singleShot(0, this, &Tchat::processparams);
}

void Tchat::processparams()
{
    m_board->setStartButtonVisible(false);
    action("StartGame1")->setEnabled(false);
    m_loginText.clear();
    if (m_arguments.isEmpty()) {
        addSystemLine("Loading Solo Game..Please wait.");
        if (m_windows.download)
            showCentred(m_windows.download, this);
        m_serverAddress = "127.0.0.1";
        m_playerName = "You";
        hostpress();
        return;
    }
    addSystemLine("Loading Multi-player Game.. Please Wait.");
    m_playerName = m_arguments.value(0);
    m_serverAddress = m_arguments.value(1);
    if (m_arguments.size() < 3)
        return;
    if (m_arguments.at(2) == "true")
        hostpress();
    else
        joinpress();
    m_sock11->open();
    m_sock11Opened = true;
}

void Tchat::hostpress()
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
    m_sock->setHostName("127.0.0.1");
    m_sock->setPortName(QString::number(port));
    m_sock->open();
    m_board->setStartButtonVisible(true);
    action("StartGame1")->setEnabled(true);
    if (m_windows.spylist)
        m_windows.spylist->setRemoveEnabled(true);
}

void Tchat::joinpress()
{
    m_loginText = proto::toWire(m_playerName);
    m_sock->setHostName(m_serverAddress);
    m_sock->setPortName(QString::number(m_gamePort));
    m_sock->open();
    m_board->setStartButtonVisible(false);
    action("StartGame1")->setEnabled(false);
}

void Tchat::sockInfo(const QString& text, bool isError)
{
    if (text == "Socket Closed") {
        close();
        return;
    }
    if (isError && !m_loggedIn)
        addSystemLine("Could not connect to " + m_sock->hostName());
}

// ---------------------------------------------------------------- dispatch

void Tchat::sockRead()
{
    receiveBytes(m_sock->receive());
}

void Tchat::receiveBytes(const QByteArray& bytes)
{
    const QList<QByteArray> messages = m_cutter.feed(bytes);
    m_receivedlist.append(messages);
    if (m_cutter.overflowed() || m_receivedlist.size() > kMaxQueuedMessages) {
        m_receivedlist.clear();
        m_sock->close();
        return;
    }
    if (!m_receivedlist.isEmpty())
        m_timer1.start();
}

void Tchat::Timer1Timer()
{
    processsocktimer();
    if (m_receivedlist.isEmpty())
        m_timer1.stop();
}

void Tchat::processsocktimer()
{
    if (m_receivedlist.isEmpty())
        return;
    const auto named = proto::splitName(m_receivedlist.takeFirst());
    if (!named)
        return;
    if (const Handler handler = m_clientHandlers.value(named->name))
        (this->*handler)(named->args);
    else if (const auto boardHandler = m_boardHandlers.value(named->name))
        (m_board->*boardHandler)(named->args);
}

void Tchat::send(const QByteArray& message)
{
    m_sock->send(message);
}

void Tchat::sendloginfo(const QByteArray& args)
{
    const auto slot = proto::toNumber(args);
    if (!slot || !isSlot(*slot) || m_loggedIn)
        return;
    m_ownSlot = *slot;
    m_loggedIn = true;
    const QByteArray version = m_windows.about ? proto::toWire(m_windows.about->versionText()) : proto::kVersion;
    send(proto::msg::logininfo(m_ownSlot, version, m_loginText));
}

void Tchat::havewrongversion(const QByteArray& args)
{
    addSystemLine(proto::fromWire(args) + " has a different version of the game then you.");
}

void Tchat::wrongversion(const QByteArray&)
{
    addSystemLine("You have a differnt version of the game then the host.");
}

void Tchat::full(const QByteArray&)
{
    showMessage("Game is full");
    close();
}

// ---------------------------------------------------------------- roster

void Tchat::newplayerinfo(const QByteArray& args)
{
    FieldReader reader(args);
    const auto slot = reader.nextNumber();
    if (!slot || !isSlot(*slot))
        return;
    const QString name = proto::fromWire(reader.rest());
    m_people.insert(*slot, name);
    if (*slot == m_ownSlot) {
        addSystemLine("You are Connected.");
        loadinifile();
    } else {
        addSystemLine(name + " is Connected.");
    }
    if (isSeat(*slot)) {
        m_board->seatTaken(*slot, name);
    } else {
        if (m_windows.spylist)
            m_windows.spylist->addSpy(*slot, name);
        addSystemLine(*slot == m_ownSlot ? QString("You are spying.") : name + " is spying.");
    }
    playSound("entered");
}

void Tchat::playerdisconnected(const QByteArray& args)
{
    FieldReader reader(args);
    const auto slot = reader.nextNumber();
    if (!slot || !isSlot(*slot))
        return;
    const QString name = proto::fromWire(reader.rest());
    m_people.remove(*slot);
    if (isSeat(*slot)) {
        if (m_board->seatOccupied(*slot))
            addSystemLine(m_board->seatCaption(*slot) + " disconnected.");
        m_board->seatFreed(*slot);
        return;
    }
    if (m_windows.spylist && m_windows.spylist->removeSpy(*slot, name))
        addSystemLine(name + " has left.");
}

void Tchat::error(const QByteArray& args)
{
    FieldReader reader(args);
    const auto seat = reader.nextNumber();
    if (!seat || *seat != m_ownSlot)
        return;
    if (reader.nextNumber() == 1)
        if (auto* status = m_board->findChild<QLabel*>("label_status"))
            status->setText("That letter is already used.");
    playSound("invalid");
}

void Tchat::kicking(int target)
{
    if (m_host && m_loggedIn)
        send(proto::msg::kickhim(m_ownSlot, target));
}

bool Tchat::isJustWatching() const
{
    return action("JustWatch1")->isChecked();
}

void Tchat::setJustWatching(bool on)
{
    action("JustWatch1")->setChecked(on);
}

void Tchat::JustWatch1Click()
{
    // The check mark follows the server's answer, not the click.
    QAction* justWatch = action("JustWatch1");
    const bool wasChecked = !justWatch->isChecked();
    justWatch->setChecked(wasChecked);
    if (m_loggedIn && isSeat(m_ownSlot))
        send(proto::msg::justwatch(m_ownSlot, wasChecked ? 2 : 1));
}

void Tchat::label_playername1ContextPopup(int seat, const QPoint& globalPos)
{
    for (const char* name : {"RemoveFromGame1", "SettoJustWatch1", "UnsetJustWatch1"})
        action(name)->setEnabled(m_host);
    if (!m_people.contains(seat))
        action("RemoveFromGame1")->setEnabled(false);
    m_popupKickSeat = seat;
    m_popupKick->popup(globalPos);
}

void Tchat::RemoveFromGame1Click()
{
    kicking(m_popupKickSeat);
}

void Tchat::SettoJustWatch1Click()
{
    if (m_loggedIn && isSeat(m_popupKickSeat))
        send(proto::msg::justwatch(m_popupKickSeat, 1));
}

void Tchat::UnsetJustWatch1Click()
{
    if (m_loggedIn && isSeat(m_popupKickSeat))
        send(proto::msg::justwatch(m_popupKickSeat, 2));
}

QStringList Tchat::loadchecklist() const
{
    QStringList names;
    for (int seat = 1; seat <= proto::kSeatCount; ++seat) {
        if (seat == m_ownSlot)
            continue;
        if (m_board->seatOccupied(seat) || m_board->seatCaption(seat) != kWaiting)
            names << m_board->seatCaption(seat);
    }
    return names;
}

void Tchat::ViewTally1Click()
{
    if (!m_windows.tally)
        return;
    m_windows.tally->loadchecklist(loadchecklist());
    showCentred(m_windows.tally, this);
}

void Tchat::recordGame(const QString& winner, bool localUserWon)
{
    if (!m_windows.tally)
        return;
    m_windows.tally->loadchecklist(loadchecklist());
    m_windows.tally->addgame(winner, localUserWon);
}

void Tchat::recordCompletedPuzzle()
{
    if (m_windows.tally)
        m_windows.tally->addtomineincrease(3);
}

// ---------------------------------------------------------------- game start and dialogs

void Tchat::showGameStart()
{
    if (m_windows.gamestart)
        showCentred(m_windows.gamestart, this);
}

void Tchat::startGame(int playTo, int turnTime, bool team, bool choose)
{
    send(proto::msg::startgame(proto::toWire(m_playerName), QByteArray::number(playTo),
                               QByteArray::number(turnTime), team, choose));
    saveSettingsReportingErrors();
}

void Tchat::showMessage(const QString& text)
{
    if (messageBox)
        messageBox(text);
    else
        QMessageBox::information(this, "Hangman", text);
}

void Tchat::closeEvent(QCloseEvent* event)
{
    saveBoundsOnClose();
    stopPortMappingForExit();
    QMainWindow::closeEvent(event);
    for (QWidget* window : std::initializer_list<QWidget*>{m_windows.tally, m_windows.about, m_windows.gamestart,
                                                          m_windows.help, m_windows.phrases, m_windows.spylist,
                                                          m_windows.download})
        if (window)
            window->hide();
}
