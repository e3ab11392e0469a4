#pragma once
// The main window: the game client. It connects to the game server (its own,
// in-process one when it hosts), dispatches the server's messages one per tick,
// keeps the roster of seats and spies, and holds the board and the chat.
//
// Flow: the game connection's messages go into the received queue; the
// dispatch timer takes one message per tick (the first at once after a quiet
// tick) and calls the handler that the one table m_handlers (buildDispatchTable)
// names for it, here or on the board.

#include "board/boardhost.h"
#include "client/surroundings.h"
#include "net/connection.h"
#include "net/dispatchtimer.h"
#include "net/gametimer.h"
#include "net/portmapping.h"
#include "net/protocol.h"
#include "server/floodcontrol.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLineEdit;
class QMenu;
class QToolButton;
class Board;
class ChatView;
class HostedServer;
class AboutDialog;
class LobbyDownloadWindow;
class GameOptionsDialog;
class HelpWindow;
class PhraseEditor;
class SpyListWindow;
class Tally;
class TallyWindow;
struct ChatLine;

class MainWindow : public QMainWindow, public BoardHost {
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

    // BoardHost
    int ownSlot() const override { return m_ownSlot; }
    bool isLoggedIn() const override { return m_loggedIn; }
    bool isHost() const override { return m_host; }
    bool isJustWatching() const override;
    void setJustWatching(bool on) override;
    int turnSound() const override { return m_turnSound; }
    void send(const QByteArray& message) override;
    void addSystemLine(const QString& text) override;
    void playSound(const QString& name) override;
    void recordGame(const QString& winner, bool localUserWon) override;
    void recordCompletedPuzzle() override;
    void showGameStart() override;
    void showMessage(const QString& text) override;

    // Start-up and connection
    void readCommandLine();
    void startHosting();
    void joinGame();

    // Chat
    void addChatLine(const QString& line, const QColor& colour);
    void sendChatInput();
    QStringList phrases() const;
    void setPhrases(const QStringList& phrases);
    // Gives every phrase button the text of the same number, an empty one too (the editor's "Done").
    void replacePhrases(const QStringList& phrases);

    // The parts other windows and tests look at.
    Board* board() const { return m_board; }
    ChatView* chatView() const { return m_chatView; }
    QLineEdit* chatInput() const { return m_chatInput; }
    QAction* action(const QString& objectName) const;
    // Server messages received and not yet dispatched.
    int queuedMessages() const { return int(m_receivedQueue.size()); }

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

    // A message's handler: a function of this window or of the board.
    struct Handler {
        void (MainWindow::*onWindow)(const QByteArray& args) = nullptr;
        void (Board::*onBoard)(const QByteArray& args) = nullptr;
    };

    void setUpWindow();
    void buildMenus();
    QAction* addNamedAction(QMenu* menu, const QString& objectName, const QString& caption);
    void buildCentre();
    void buildChat(QWidget* area);
    void buildChatView(QWidget* area);
    void buildChatInput(QWidget* area);
    QList<QWidget*> buildChatButtons(QWidget* area);
    void orderTabStops(const QList<QWidget*>& chatButtons);
    void buildDispatchTable();

    // Connection and dispatch
    void openGameConnection(const QString& host, quint16 port);
    void connectionClosed(Connection::CloseReason reason);
    void queueMessage(const QByteArray& message);
    void dispatchNextMessage();
    void dispatchOneMessage();
    void sendLoginInfo(const QByteArray& args);
    void haveWrongVersion(const QByteArray& args);
    void wrongVersion(const QByteArray& args);
    void full(const QByteArray& args);

    // Roster
    void newPlayerInfo(const QByteArray& args);
    void playerDisconnected(const QByteArray& args);
    void error(const QByteArray& args);
    void kickPlayer(int target);
    void toggleJustWatch();
    void showSeatMenu(int seat, const QPoint& globalPos);
    void removeSeatPlayer();
    void setSeatJustWatching();
    void unsetSeatJustWatching();
    void showTally();
    QStringList fillPlayersInGame() const;

    // Chat
    void chatReceived(const QByteArray& args);
    void openChatLink(const QString& target);
    void sendPhrase(int button);
    void fillSmileyMenu();
    void insertSmiley(int code);
    void clearChat();
    void focusChatInput();
    void setChatScrollingOff(bool on);
    QByteArray ownColourText() const;
    bool hostWouldRelayOwnLine();

    // Sound
    bool playSoundsChecked() const;
    bool chatterSoundsChecked() const;
    void playASound(const QByteArray& args);
    void playNow(const QString& name);
    void sendChatterSound(int tag);

    // Settings
    void loadSettings();
    void saveSettings();
    void saveSettingsReportingErrors();
    void savePhrases();
    void saveBoundsOnClose();
    void resetScreenLocation();
    void setTextSize(int size);
    void setBotSpeed(int milliseconds);
    void chooseBotSpeed(int milliseconds);
    void setTurnSound(int tag);
    void setTurnSoundCheck(int tag);
    void setOwnColour(quint32 bgr);
    QString settingsPath() const;
    QColor ownTextColour() const;
    QRect bounds() const;
    void setBounds(const QRect& bounds);
    void chooseTextColour();

    // Word lists
    void applyWordFolder();
    void chooseWordFolder();
    void useBuiltInWords();
    void useWordFolder(const QString& folder);

    // Game start
    void startGame(int playTo, int turnTime, bool team, bool choose);
    void gameStarted(const QByteArray& args);

    // Port mapping on the router
    void setOpenPortOnRouter();
    void updatePortMapping();
    void portOpened(const QString& externalIPv4, const QString& globalIPv6);
    void portNotOpened(PortMapping::Failure reason, const QString& detail);
    void connectPortMapping();
    void showPortMappingLine(const QString& text);
    void stopPortMappingForExit();

    Clock& m_clock;
    Surroundings m_surroundings;
    Windows m_windows;
    QStringList m_arguments;
    quint16 m_gamePort = proto::kGamePort;
    QString m_settingsPath;
    std::optional<QString> m_wordFolderOverride;
    QString m_wordFolderSetting;
    QStringList m_heldWordFolderReport; // shown after the host's own start line

    // Client state
    QString m_playerName;
    QString m_serverAddress;
    QByteArray m_loginText;
    int m_ownSlot = 0;
    bool m_loggedIn = false;
    bool m_host = false;
    bool m_shownOnce = false;
    bool m_portMappingStarted = false;
    bool m_settingsRead = false;
    QColor m_statusColour = QColor(0, 0, 255);
    quint32 m_ownColour = 0; // 0x00BBGGRR, or a system colour
    int m_turnSound = 0;
    int m_botSpeed = 1500;
    int m_textSize = 8;
    QRect m_loadedBounds;

    std::unique_ptr<Connection> m_connection; // to the game server, once hosting or joining
    bool m_connectionMade = false;
    std::unique_ptr<Connection> m_launcherLink; // to the launcher, opened with a command line
    QList<QByteArray> m_receivedQueue;
    DispatchTimer m_dispatchTimer;
    GameTimer m_phraseCooldown;
    bool m_phraseReady = true;
    // The host's flood rule, applied to our own lines before they leave: a line it would drop is kept.
    ChatLimiter m_ownLineAllowance;
    QHash<QByteArray, Handler> m_handlers; // every server message the client understands
    QHash<int, QString> m_people; // slot -> name of everybody logged in

    // Components
    Board* m_board = nullptr;
    ChatView* m_chatView = nullptr;
    QLineEdit* m_chatInput = nullptr;
    QToolButton* m_phraseButtons[9] = {};
    QMenu* m_popupKick = nullptr;
    int m_popupKickSeat = 0;
    QMenu* m_popupSounds = nullptr;
    QMenu* m_popupSmilies = nullptr;
    QMenu* m_popupMainchat = nullptr;
    QHash<QString, QAction*> m_actions;
    int m_linkCounter = -1;
};
