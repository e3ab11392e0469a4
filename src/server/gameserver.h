#pragma once
// The game server's logic, without widgets and without sockets.
//
// Roles: every client has one connection (a ServerPeer) and is given a player
// slot 1..9 when it is accepted; slots 1..6 are the board's seats, 7..9 spies;
// slot 1 is the host's own client. The server owns the whole game; clients
// only send their picks. Seats without a player (seat 2 always, every seat in a
// team game) and players who "just watch" are played by the computer player.
//
// Flow of a message: the connection (a Connection in the program) cuts its
// bytes into messages; received() puts each, remembered with the connection and
// slot it came from, into that slot's lane of the received queue; the dispatch timer takes one message per 10 ms tick, from each lane in
// turn, and calls the handler named by it, which first checks that the sender
// may send it. A message arriving after a quiet tick is dispatched at once. The
// engine runs inside those handlers and the timers m_pauseTimer (pauses), m_turnTimer
// (turn clock) and m_computerTimer (computer player).
//
// Admission: a connection is in the game only once its login is taken; before
// that it is sent nothing but its slot (or "CMD_full+"), is in nobody's roster
// and is given no turns. A seated player whose connection drops keeps his seat
// for five minutes: a login with his name is sent a second "CMD_sendlogininfo"
// with that seat and logs in there again. A player removed by the host is barred
// by name for the session and by address for ten minutes; a locked game turns
// newcomers away; a game that asks first holds a newcomer's login until the host
// answers. A remote address may hold at most two connections awaiting their login
// and four in all; this machine's addresses are never barred or limited.
//
// Network input is bounded: a connection that floods (more than
// proto::kMaxQueuedMessages waiting) or does not log in within 30 seconds is
// closed and cleaned up like any other; the connections themselves drop a peer
// that sends overlong messages or never reads.
// Chat, action and chatter-sound messages pass a per-connection flood control,
// which may close any connection but the host's own.

#include "net/dispatchtimer.h"
#include "net/gametimer.h"
#include "net/protocol.h"
#include "server/computerplayer.h"
#include "server/fairqueue.h"
#include "server/floodcontrol.h"
#include "server/wordlists.h"

#include <QByteArray>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <random>

// Where a connection comes from.
struct PeerAddress {
    QString text;           // as the host is shown it, e.g. "203.0.113.9"
    bool ownMachine = true; // loopback or one of this machine's addresses
};

// One client connection as the server sees it.
class ServerPeer {
public:
    virtual ~ServerPeer();
    // Where the connection comes from; this machine unless the owner knows better.
    virtual PeerAddress address() const { return {}; }
    // Queues the bytes (whole messages) for the peer.
    virtual void send(const QByteArray& bytes) = 0;
    // Closes the connection; the owner may report it back through GameServer::closed().
    virtual void close() = 0;
    // Whether the peer has stopped acknowledging what it is sent (its link may be cut).
    virtual bool stoppedAnswering() const { return false; }
};

// What the engine accepts now; the codes are those the pause timer carries.
enum class EngineState {
    Busy = 100,
    AwaitingLetter = 10,
    AwaitingCategory = 3,
    PauseBeforeRound = 1,
    PauseBeforeNextSeat = 2,
};

constexpr int kRefusingSlot = kSlotCount + 1; // slot 10 only ever refuses a connection
constexpr int kDispatchIntervalMs = 10;
constexpr int kPauseTickMs = 1000;
constexpr int kTurnTickMs = 1000;
constexpr int kDefaultBotSpeedMs = 1500;
constexpr int kLoginTimeoutMs = 30'000;
constexpr int kMinPlayTo = 50;
constexpr int kDefaultPlayTo = 200;
constexpr int kDefaultTurnTime = 30;
constexpr int kMaxTurnTime = 600;
constexpr int kTurnGraceSeconds = 4;
constexpr int kCategoryPause = 7;
constexpr int kCompletedPause = 4;
constexpr int kHangedPause = 6;
constexpr int kOutOfTimePause = 3;
constexpr int kCompletionBonus = 10;
constexpr int kSeatHoldMs = 5 * 60'000;
constexpr int kJoinQuestionMs = 60'000;
constexpr int kAddressBarMs = 10 * 60'000;
constexpr int kMaxWaitingJoins = 2;
constexpr int kMaxPendingPerAddress = 2;
constexpr int kMaxConnectionsPerAddress = 4;

// A newcomer's login waiting for the host to let it in or turn it away.
struct JoinRequest {
    quint64 id = 0;
    QByteArray name;
    QString address;
};

// Who is in the game, as the host tells the local network.
struct RosterSummary {
    int seated = 0; // people logged in at the board's seats
    int spies = 0;
    bool running = false;
    bool operator==(const RosterSummary&) const = default;
};

struct PlayerSlot {
    QByteArray name;
    bool connected = false;
    ServerPeer* connection = nullptr;
    int score = 0;
    bool watching = false;
    QByteArray computerName;
};

class GameServer {
public:
    // Lists from the compiled-in resources.
    GameServer(Clock& clock, quint32 seed);
    GameServer(Clock& clock, quint32 seed, WordLists lists);
    ~GameServer();
    GameServer(const GameServer&) = delete;
    GameServer& operator=(const GameServer&) = delete;

    // acceptConnection: takes the connection into the lowest free slot and returns it,
    // or sends a tenth "CMD_full+", closes it and returns 0.
    int accept(ServerPeer* peer);
    // One whole message (without its terminator) that arrived on an accepted connection.
    void received(ServerPeer* peer, const QByteArray& message);
    // The connection is gone; a repeat for the same close changes nothing.
    void closed(ServerPeer* peer);

    // The host's bot speed in milliseconds, read each time the computer timer is
    // armed; by default the last value from "CMD_botspeed" (1500 at first).
    std::function<int()> botSpeedSource;
    // The host's word folder, read at every game start (its words drawn before stay used
    // up); empty for the built-in words only.
    void setWordFolder(const QString& folder) { m_wordFolder = folder; }
    const QString& wordFolder() const { return m_wordFolder; }
    // Told the chat lines about the word folder each time it has been read at a game start.
    std::function<void(const QStringList&)> wordFolderRead;
    // Told a line for the host's own chat: seats kept, players back, arrivals turned away.
    std::function<void(const QString&)> hostNotice;
    // Told of a login that waits for the host's answer (while asking before anyone joins).
    std::function<void(const JoinRequest&)> joinRequested;
    // Told that a waiting login was answered, ran out of time or went away.
    std::function<void(quint64 id)> joinRequestEnded;

    // While locked, only players of kept seats (and the host) get in.
    void setLocked(bool locked) { m_locked = locked; }
    bool locked() const { return m_locked; }
    // While on, a newcomer's login waits for letIn() or turnAway().
    void setAskBeforeJoining(bool ask) { m_askBeforeJoining = ask; }
    bool asksBeforeJoining() const { return m_askBeforeJoining; }
    // Lets the waiting login in as if it had just arrived; unknown ids are ignored.
    void letIn(quint64 id);
    // Sends the waiting login "CMD_full+" and closes it; unknown ids are ignored.
    void turnAway(quint64 id);

    // Told after an event that changed rosterSummary() (a login, a departure, a game's start or end).
    std::function<void()> rosterChanged;

    // Read-only state.
    RosterSummary rosterSummary() const;
    const PlayerSlot& slot(int number) const { return m_slots[number].player; }
    int slotsInUse() const { return m_slotsInUse; }
    bool gameRunning() const { return m_gameRunning; }
    EngineState state() const { return m_state; }
    int currentSeat() const { return m_currentSeat; }
    int score(int seat) const { return m_slots[seat].player.score; }
    const QByteArray& word() const { return m_word; }
    const QByteArray& mask() const { return m_mask; }
    int category() const { return m_category; }
    int misses() const { return m_misses; }
    bool letterUsed(int letter) const { return m_used[letter]; }
    int playTo() const { return m_playTo; }
    int turnTime() const { return m_turnTime; }
    bool teamGame() const { return m_teamGame; }
    bool chooseCategory() const { return m_chooseCategory; }
    int pauseCount() const { return m_pauseCount; }
    int turnCount() const { return m_turnCount; }
    int queuedMessages() const { return int(m_receivedQueue.size()); }
    bool dispatchTimerRunning() const { return m_dispatchTimer.isEnabled(); }
    bool turnTimerRunning() const { return m_turnTimer.isEnabled(); }
    bool computerTimerRunning() const { return m_computerTimer.isEnabled(); }
    int computerTimerInterval() const { return m_computerTimer.interval(); }
    const WordLists& wordLists() const { return m_words; }
    // Whether the slot's player has logged in and been let in.
    bool inGame(int slot) const;
    // The name a seat is kept for, empty when it is not kept.
    const QByteArray& keptFor(int seat) const { return m_slots[seat].keptFor; }
    // Whether the computer plays this seat's turns now.
    bool isComputerPlayed(int seat) const;
    // The two team-mates of a seat, in the order "CMD_foundletter" names them.
    static std::array<int, 2> teamMates(int seat);

private:
    struct Slot {
        PlayerSlot player;
        quint64 connectionId = 0;
        bool loggedIn = false;
        bool closing = false;      // to be cleaned up when the current event ends
        bool closeNeeded = false;  // the server itself must close the connection
        int queued = 0;
        ChatLimiter chatLimiter;
        std::unique_ptr<GameTimer> loginTimer;
        PeerAddress address;
        bool removed = false;         // closed by the host's Remove From Game
        QByteArray returningName;     // moved here to log in again as this seat's player
        bool waitingForHost = false;  // its login waits for letIn() or turnAway()
        proto::read::LoginInfo heldLogin;
        std::unique_ptr<GameTimer> askTimer;
        QByteArray keptFor;           // a seat kept for a dropped player
        long long keptSince = 0;
        std::unique_ptr<GameTimer> keepTimer;
    };
    using Queued = FairQueue::Entry;
    // Runs the clean-ups that the event asked for once the outermost event ends.
    class EventScope {
    public:
        explicit EventScope(GameServer& server) : m_server(server) { ++m_server.m_depth; }
        ~EventScope();

    private:
        GameServer& m_server;
    };
    // A message name with the decoder and handler it goes to.
    struct Route {
        const char* name;
        void (*run)(GameServer& server, int sender, const QByteArray& args);
    };
    template <auto decode, auto handle>
    static void decodeAndHandle(GameServer& server, int sender, const QByteArray& args);

    // Connections and roster.
    int freeSlot();
    int oldestKeptSeat() const;
    int seatLeftBehind(int sender, const QByteArray& name) const;
    void giveUpLeftBehind(int seat);
    void takeConnection(int slot, ServerPeer* peer, const PeerAddress& address);
    void releaseConnection(int slot);
    void refuse(ServerPeer* peer);
    int slotOf(const ServerPeer* peer) const;
    void markClosing(int slot, bool closeNeeded);
    void finishClosing();
    void reportRosterChange();
    void cleanUpSlot(int slot);
    void disconnectSlot(int slot);
    void purgeQueue(quint64 connectionId);
    void loginTimedOut(int slot);
    void dispatchNextMessage();
    void dispatch(const Queued& message);
    void sendTo(int slot, const QByteArray& bytes);
    void broadcast(const QByteArray& bytes);
    void sendCatchUp(int slot);
    void notifyHost(const QString& line);

    // Admission.
    bool addressMayConnect(const PeerAddress& address) const;
    void keepSeat(int seat);
    void keepTimedOut(int seat);
    int seatKeptFor(const QByteArray& name) const;
    void moveToKeptSeat(int from, int seat);
    void turnAwayLogin(int slot, const QString& line);
    void askHost(int slot, const proto::read::LoginInfo& login);
    void askTimedOut(int slot);
    int waitingSlot(quint64 id) const;
    void endRequest(int slot);
    void dropNewcomer(int slot);
    void bar(int slot);
    void barName(const QByteArray& name);
    void admit(int slot, const proto::read::LoginInfo& login);
    void announceReturn(int slot, const QByteArray& name);

    // Message handlers; sender is the slot of the connection the message came on.
    void loginInfo(int sender, const proto::read::LoginInfo& login);
    void kickHim(int sender, const proto::read::KickHim& kick);
    void botSpeed(int sender, const proto::read::BotSpeed& speed);
    void chat(int sender, const proto::read::Relayed& chat);
    void action(int sender, const proto::read::Relayed& action);
    void justWatch(int sender, const proto::read::JustWatch& request);
    void playASound(int sender, const proto::read::Relayed& sound);
    void startGame(int sender, const proto::read::StartGame& start);
    void selectLetter(int sender, const proto::read::SelectLetter& pick);
    void chooseCat(int sender, const proto::read::ChooseCat& choice);

    // Game engine.
    void enterBusy();
    void startPause(EngineState state, int seconds);
    void loadWordFolder();
    void startRound();
    void chooseCategoryAutomatically();
    void beginRound(int category);
    void drawWord();
    void findNextPlayer();
    void judgeLetter(int seat, int letter);
    void scoreFind(int seat, int letter, int finds, int bonus);
    void missLetter(int seat, int letter);
    bool checkForWin();
    void pauseEnded();
    void turnClockTick();
    void passTurnOf(int seat);
    bool isRotationSeat(int seat) const;

    // Computer player.
    void armComputer();
    void computerTurn();
    void computerPlay(int seat);
    bool computerCheckForWord(int seat);

    Clock& m_clock;
    std::mt19937 m_rng;
    WordLists m_words;
    QString m_wordFolder;
    ComputerPlayer m_computer;
    std::array<Slot, kRefusingSlot + 1> m_slots;
    int m_slotsInUse = 0;
    quint64 m_nextConnectionId = 1;
    FairQueue m_receivedQueue{kRefusingSlot};
    int m_depth = 0;
    bool m_finishing = false;
    RosterSummary m_reportedRoster;
    int m_botSpeedSetting = kDefaultBotSpeedMs;
    bool m_locked = false;
    bool m_askBeforeJoining = false;
    QList<QByteArray> m_barredNames;
    std::map<QString, long long> m_barredAddresses; // until when

    DispatchTimer m_dispatchTimer;
    GameTimer m_pauseTimer;
    GameTimer m_turnTimer;
    GameTimer m_computerTimer;

    bool m_gameRunning = false;
    EngineState m_state = EngineState::Busy;
    int m_playTo = kDefaultPlayTo;
    int m_turnTime = kDefaultTurnTime;
    bool m_teamGame = false;
    bool m_chooseCategory = false;
    int m_currentSeat = 1;
    int m_category = 0;
    int m_misses = 0;
    LettersUsed m_used{};
    QByteArray m_word;
    QByteArray m_mask;
    int m_pauseCount = 0;
    int m_turnCount = 0;
};
