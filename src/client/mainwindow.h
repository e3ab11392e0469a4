#pragma once
// The main window: the game client. It builds the board, the chat and the menus,
// opens the game connection (to its own in-process server when it hosts) and
// wires them and the side windows to the ClientGame, which the connection's
// received queue feeds one message per tick.

#include "client/chatpanel.h"
#include "client/gamechatoutlet.h"
#include "client/model/clientgame.h"
#include "client/model/receivedqueue.h"
#include "client/reconnection.h"
#include "client/settingsfile.h"
#include "client/surroundings.h"
#include "net/clientlink.h"
#include "net/connection.h"
#include "net/gametimer.h"
#include "net/portmapping.h"
#include "net/protocol.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class QLineEdit;
class Board;
class LanAnnouncer;
class ChatView;
class HostedServer;
class AboutDialog;
class LobbyDownloadWindow;
class GameOptionsDialog;
class HelpWindow;
class HostReachability;
class GameAnnouncement;
class HostAdmission;
class WordFolderChoice;
class GameMenus;
class PhraseEditor;
class SpyListWindow;
class Tally;
class TallyWindow;

class MainWindow : public QMainWindow, public ClientLink {
    Q_OBJECT
public:
    // The other windows, created after this one and handed over before it is shown.
    struct Windows {
        Tally* tally = nullptr; // counts every finished game
        TallyWindow* tallyWindow = nullptr;
        AboutDialog* about = nullptr;
        GameOptionsDialog* gamestart = nullptr;
        HelpWindow* help = nullptr;
        PhraseEditor* phrases = nullptr;
        HostedServer* server = nullptr;
        SpyListWindow* spylist = nullptr;
        LobbyDownloadWindow* download = nullptr;
        PortMapping* portMapping = nullptr; // asks the router for the game port while hosting
        LanAnnouncer* announcer = nullptr;  // tells the local network about a hosted game
    };

    // The window on the clock, with the desktop, boxes and sound output it is handed.
    MainWindow(Clock& clock, const Surroundings& surroundings, QWidget* parent = nullptr);
    ~MainWindow() override;

    void setWindows(const Windows& windows);
    // The command line (player name, server address, "true" to host); default: the program's own.
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }
    // The game port (7772); tests host on a free port and join it.
    void setGamePort(quint16 port) { m_gamePort = port; }
    // The word folder given on the command line; it is used instead of the saved one for this run.
    void setWordFolderOverride(const QString& folder);
    // The word folder the server reads at each game start; empty for the built-in words.
    QString wordFolder() const;
    // Where "vorlixlobby.ini" lives.
    void setSettingsPath(const QString& path) { m_settingsPath = path; }

    // ClientLink: sends through the game connection (an error before it is opened).
    void send(const QByteArray& message) override;
    // A chat line in style 0 and the status colour.
    void addSystemLine(const QString& text);
    // A game event sound by name, when "Play Sounds" is on.
    void playSound(const QString& name);
    void showMessage(const QString& text);
    // The game start window, in front.
    void showGameStart();

    // Start-up and connection
    void readCommandLine();
    void startHosting();
    void joinGame();

    // The parts other windows and tests look at.
    Board* board() const { return m_board; }
    ClientGame& game() { return m_game; }
    ChatPanel* chatPanel() const { return m_chat; }
    ChatView* chatView() const { return m_chat->view(); }
    QLineEdit* chatInput() const { return m_chat->input(); }
    const GameMenus& menus() const { return *m_menus; }
    // Server messages received and not yet dispatched.
    int queuedMessages() const { return m_receivedQueue.size(); }

signals:
    // A line reached the chat (style, text without the style number).
    void chatLineAdded(int style, const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Test seam: tests/support/mainwindowaccess.h reaches private state through
    // this friend (the client fuzzer feeds server bytes the same way).
    friend class MainWindowTestAccess;

    void setUpWindow();
    void buildCentre();
    void connectChat();
    void connectFileAndViewMenus();
    void connectOptionsMenu();
    void connectSeatMenu();
    void observeGame();
    void connectReachability(HostReachability* reachability);
    void chatterSoundReceived(int sender, int sound);
    void saveWordFolder(const QString& folder);

    // Connection and dispatch
    void openGameConnection(const QString& host, quint16 port);
    void connectionClosed(Connection::CloseReason reason);
    void queueMessage(const QByteArray& message);

    // Roster
    void toggleJustWatch();
    void showSeatMenu(int seat, const QPoint& globalPos);
    void showTally();

    // Chat
    void openChatLink(const QString& target);
    void setChatScrollingOff(bool off);
    void showPhraseList();

    // Settings
    void loadSettings();
    void showGameOptions();
    void saveSettings();
    void reportingErrors(const std::function<void()>& write);
    void saveSettingsReportingErrors();
    void savePhrases();
    void saveBoundsOnClose();
    void resetScreenLocation();
    void setTextSize(int size);
    void setBotSpeed(int milliseconds);
    void chooseBotSpeed(int milliseconds);
    void setTurnSound(int sound);
    void chooseSound(bool HangmanSettings::*setting, bool on);
    void setOwnColour(quint32 bgr);
    QString settingsPath() const;
    QRect bounds() const;
    void setBounds(const QRect& bounds);
    void chooseTextColour();

    // Game start
    void startGame(int playTo, int turnTime, bool team, bool choose);

    // The game port on the router
    void setOpenPortOnRouter(bool on);
    void updatePortMapping();

    // Who may join the hosted game
    void applyAdmissionOptions();
    void setAskBeforeJoining(bool on);

    Clock& m_clock;
    Surroundings m_surroundings;
    Windows m_windows;
    QStringList m_arguments;
    quint16 m_gamePort = proto::kGamePort;
    QString m_settingsPath;

    // Client state
    QString m_playerName;
    QString m_serverAddress;
    bool m_shownOnce = false;
    bool m_settingsRead = false;
    HangmanSettings m_settings; // what the settings file holds and the menus show
    QRect m_loadedBounds;

    std::unique_ptr<Connection> m_connection; // to the game server, once hosting or joining
    std::unique_ptr<Connection> m_launcherLink; // to the launcher, opened with a command line
    ClientGame m_game;
    ReceivedQueue m_receivedQueue;
    GameChatOutlet m_chatOutlet{m_game};
    Reconnection m_reconnection{m_clock, m_game, m_surroundings.prompts,
                                [this]() -> Connection& { joinGame(); return *m_connection; }};

    // Components
    Board* m_board = nullptr;
    ChatPanel* m_chat = nullptr;
    GameMenus* m_menus = nullptr;
    HostReachability* m_reachability = nullptr;
    GameAnnouncement* m_announcement = nullptr; // once the windows are handed over
    HostAdmission* m_admission = nullptr; // while hosting
    WordFolderChoice* m_wordFolders = nullptr;
    int m_seatMenuSeat = 0;
};
