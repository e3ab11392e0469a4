#pragma once
// The main window: the game client. It connects to the game server (its own,
// in-process one when it hosts), dispatches the server's messages one per tick,
// keeps the roster of seats and spies, and holds the board and the chat.
//
// Flow: sock's read event cuts the bytes into the received queue; Timer1 takes
// one message per tick and calls the handler its name selects (board handlers
// live in Board, roster and chat handlers here).

#include "board/boardhost.h"
#include "net/gametimer.h"
#include "net/portmapping.h"
#include "net/protocol.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QLineEdit;
class QMenu;
class QToolButton;
class Board;
class ChatView;
class SoundPlayer;
class TSock;
class TServer;
class Tabout;
class Tdownload;
class Tgamestart;
class Thelp;
class Tphrases;
class Tspylist;
class Ttallylist;
struct ChatLine;

class Tchat : public QMainWindow, public BoardHost {
    Q_OBJECT
public:
    // The other windows, created after this one and handed over before it is shown.
    struct Windows {
        Ttallylist* tally = nullptr;
        Tabout* about = nullptr;
        Tgamestart* gamestart = nullptr;
        Thelp* help = nullptr;
        Tphrases* phrases = nullptr;
        TServer* server = nullptr;
        Tspylist* spylist = nullptr;
        Tdownload* download = nullptr;
        PortMapping* portMapping = nullptr; // asks the router for the game port while hosting
    };

    explicit Tchat(Clock& clock = Clock::system(), QWidget* parent = nullptr);
    ~Tchat() override;

    void setWindows(const Windows& windows);
    // The command line (player name, server address, "true" to host); default: the program's own.
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }
    // The game port (7772); tests host on a free port and join it.
    void setGamePort(quint16 port) { m_gamePort = port; }
    // Where "vorlixlobby.ini" lives.
    void setSettingsPath(const QString& path) { m_settingsPath = path; }
    // Replaces the message box (tests record the text instead of showing a dialog).
    std::function<void(const QString&)> messageBox;
    // Replaces the system's "open" of a web link.
    std::function<void(const QString&)> openLink;

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
    void processparams();
    void hostpress();
    void joinpress();

    // Chat
    void addlinetochat(const QString& line, const QColor& colour);
    void sendit();
    QStringList phrases() const;
    void setPhrases(const QStringList& phrases);

    // Test access
    Board* board() const { return m_board; }
    ChatView* mainchat() const { return m_mainchat; }
    QLineEdit* mychat() const { return m_mychat; }
    TSock* sock() const { return m_sock.get(); }
    QAction* action(const QString& objectName) const;
    bool sock11Opened() const { return m_sock11Opened; }
    int linkCounter() const { return m_linkCounter; }
    int queuedMessages() const { return int(m_receivedlist.size()); }
    QColor ownTextColour() const;
    int botSpeed() const { return m_botSpeed; }
    bool playSoundsChecked() const;
    // Handles the bytes as if they had just arrived on the game connection (the
    // fuzzer feeds server messages this way); the queue is dispatched by the clock.
    void receiveForTesting(const QByteArray& bytes) { receiveBytes(bytes); }
    bool chatterSoundsChecked() const;
    QStringList soundsRequested; // every game sound asked for, played or not

signals:
    // A line reached the chat (style, text without the style number).
    void chatLineAdded(int style, const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    using Handler = void (Tchat::*)(const QByteArray& args);

    void FormCreate();
    void buildMenus();
    QAction* addNamedAction(QMenu* menu, const QString& objectName, const QString& caption);
    void buildCentre();
    void buildChat(QWidget* area);
    void buildDispatchTable();

    // Connection and dispatch
    void sockInfo(const QString& text, bool isError);
    void sockRead();
    void receiveBytes(const QByteArray& bytes);
    void Timer1Timer();
    void processsocktimer();
    void sendloginfo(const QByteArray& args);
    void havewrongversion(const QByteArray& args);
    void wrongversion(const QByteArray& args);
    void full(const QByteArray& args);

    // Roster
    void newplayerinfo(const QByteArray& args);
    void playerdisconnected(const QByteArray& args);
    void error(const QByteArray& args);
    void kicking(int target);
    void JustWatch1Click();
    void label_playername1ContextPopup(int seat, const QPoint& globalPos);
    void RemoveFromGame1Click();
    void SettoJustWatch1Click();
    void UnsetJustWatch1Click();
    void ViewTally1Click();
    QStringList loadchecklist() const;

    // Chat
    void chatrecieved(const QByteArray& args);
    void mainchatJump(const QString& target);
    void b_phrase1Click(int button);
    void N271Click(int code);
    void ClearMainChat1Click();
    void ScrollChatOff1Click(bool on);
    QByteArray ownColourText() const;

    // Sound
    void playasound(const QByteArray& args);
    void wave20Click(int tag);

    // Settings
    void loadinifile();
    void saveinifile();
    void saveSettingsReportingErrors();
    void savePhrases();
    void saveBoundsOnClose();
    void ResetScreenLocation1Click();
    void setTextSize(int size);
    void setBotSpeed(int milliseconds);
    void chooseBotSpeed(int milliseconds);
    void setTurnSound(int tag);
    void setTurnSoundCheck(int tag);
    void setOwnColour(quint32 bgr);
    QString settingsPath() const;
    QRect bounds() const;
    void setBounds(const QRect& bounds);
    void TextColor1Click();

    // Game start
    void startGame(int playTo, int turnTime, bool team, bool choose);

    // Port mapping on the router
    void OpenPortOnRouter1Click();
    void updatePortMapping();
    void portOpened(const QString& externalIPv4, const QString& globalIPv6);
    void portNotOpened(PortMapping::Failure reason, const QString& detail);
    void connectPortMapping();
    void showPortMappingLine(const QString& text);
    void stopPortMappingForExit();

    Clock& m_clock;
    Windows m_windows;
    QStringList m_arguments;
    quint16 m_gamePort = proto::kGamePort;
    QString m_settingsPath;

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

    std::unique_ptr<TSock> m_sock;
    std::unique_ptr<TSock> m_sock11;
    bool m_sock11Opened = false;
    proto::MessageCutter m_cutter{proto::kMaxServerMessageBytes};
    QList<QByteArray> m_receivedlist;
    GameTimer m_timer1;
    GameTimer m_phraseCooldown;
    bool m_phraseReady = true;
    QHash<QByteArray, Handler> m_clientHandlers;
    QHash<QByteArray, void (Board::*)(const QByteArray&)> m_boardHandlers;
    QHash<int, QString> m_people; // slot -> name of everybody logged in

    // Components
    Board* m_board = nullptr;
    ChatView* m_mainchat = nullptr;
    QLineEdit* m_mychat = nullptr;
    QToolButton* m_phraseButtons[9] = {};
    QMenu* m_popupKick = nullptr;
    int m_popupKickSeat = 0;
    QMenu* m_popupSounds = nullptr;
    QMenu* m_popupSmilies = nullptr;
    QMenu* m_popupMainchat = nullptr;
    QHash<QString, QAction*> m_actions;
    std::unique_ptr<SoundPlayer> m_sound;
    int m_linkCounter = -1;
    QString m_links[101];
};
