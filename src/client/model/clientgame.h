#pragma once
// The client's whole game: who we are, the seats and spies, the turn and its
// clock, the word, the tiles, the figure, the winner and the game's options. It
// takes the server's messages (receive), sends the player's moves through its
// ClientLink, and tells its views what changed by signals. No widget in here:
// the board, its accessibility and the main window observe it.

#include "net/clientlink.h"
#include "net/gamerules.h"
#include "net/gametimer.h"
#include "net/protocol.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class ClientGame : public QObject {
    Q_OBJECT
public:
    // A letter tile: on the panel, gone from it (picked, or left gone by a new
    // game before the next word), or used in this round.
    enum class TileState { Open, Gone, Used };

    struct Seat {
        QString name;          // the person sitting here, when occupied
        bool occupied = false; // a person sits here
        bool computer = false; // nobody sits here and the seat's computer plays
        int score = 0;
        std::optional<qint64> lastFind; // letters and bonus of this turn's find, shown "+N"
        bool watching = false; // the person here just watches
    };

    // The caption of a seat nobody sits at and no computer plays.
    static inline const QString kNobodyCaption = QStringLiteral("<Waiting>");
    // The seconds per turn before any game says otherwise.
    static constexpr int kDefaultTurnTime = 20;

    ClientGame(ClientLink& link, Clock& clock, QObject* parent = nullptr);
    ~ClientGame() override;

    // ---- the server's messages
    // Handles one received message (name and fields, without the terminator) as
    // the one table names it; an unknown name or a bad field changes nothing.
    void receive(const QByteArray& message);

    // ---- who we are
    // The name our login sends, as written on the wire.
    void setLoginName(const QByteArray& wireName) { m_loginName = wireName; }
    // Whether this copy hosts the game (it may start games and remove players).
    void setHost(bool host);
    bool isHost() const { return m_host; }
    // The slot the server gave us at the last login (1..9), none before.
    std::optional<int> ownSlot() const { return m_ownSlot; }
    bool isOwnSlot(int slot) const { return m_ownSlot == slot; }
    bool isLoggedIn() const { return m_ownSlot.has_value(); }
    bool isSeated() const { return m_ownSlot && isSeat(*m_ownSlot); }
    // 0 Classic ("turn") or 1 New ("turnnew"): the sound of the own turn.
    void setTurnSound(int sound) { m_turnSound = sound; }
    // Forgets what the server sends again after a new connection to it (the
    // roster, the board, the login); keeps what the player set.
    void startOver();

    // ---- the roster
    const Seat& seat(int seat) const { return m_seats[isSeat(seat) ? seat : 0]; }
    // The full name shown at seat 1..6: the person, the seat's computer or "<Waiting>".
    QString seatCaption(int seat) const;
    // Whether slot 1..9 is logged in (a person at a seat or a spy).
    bool isPresent(int slot) const { return m_people.contains(slot); }
    // The spies by slot.
    const QMap<int, QString>& spies() const { return m_spies; }
    // The names at the other seats a game is played against (people and computers).
    QStringList opponents() const;

    // ---- the game on show
    bool isTeamGame() const { return m_teamGame; }
    // "Play To Score" as announced; none before the first game.
    const std::optional<QString>& playTo() const { return m_playTo; }
    int timePerTurn() const { return m_timePerTurn; }
    // The seat that may pick now; none while nobody may.
    std::optional<int> turnSeat() const { return m_turnSeat; }
    bool isOwnTurn() const { return m_turnSeat && isOwnSlot(*m_turnSeat); }
    // The seat the turn pointer shows; none before the first turn.
    std::optional<int> pointerSeat() const { return m_pointerSeat; }
    // The seat choosing the category; none when nobody chooses.
    std::optional<int> chooserSeat() const { return m_chooserSeat; }
    // True while the own category choice is asked for.
    bool isChoosingCategory() const { return m_choosing; }
    int secondsLeft() const { return m_secondsLeft; }
    bool clockRunning() const { return m_turnClock.isEnabled(); }
    // The masked word in capitals, empty before the first word.
    const QString& word() const { return m_word; }
    // The category 0..4 of the word; none before the first word.
    std::optional<int> category() const { return m_category; }
    TileState tileState(int letter) const { return m_tiles[isLetter(letter) ? letter : 0]; }
    // Misses the figure shows: 0..6, or 7 once hanged.
    int misses() const { return m_misses; }
    const QString& statusText() const { return m_status; }
    // The winner line while it shows, else empty.
    const QString& winnerText() const { return m_winnerText; }
    bool isWinnerShown() const { return !m_winnerText.isEmpty(); }
    // Whether "START GAME" is offered (to the host between games).
    bool isStartOffered() const { return m_startOffered; }
    // The "Just Watch" switch of the own seat, as the server last confirmed it.
    bool isJustWatching() const { return m_justWatching; }

    // ---- the player's moves
    // Picks letter 1..26 during the own turn.
    void pickLetter(int letter);
    // Chooses category 0..4 when asked; any choice closes the question.
    void pickCategory(int category);
    // The start button: the game start window when logged in.
    void askToStartGame();
    // Asks the server to switch the own "Just Watch".
    void toggleJustWatch();
    // The host sets (true) or unsets seat 1..6 to just watching.
    void setSeatWatching(int seat, bool watching);
    // The host removes the player at slot 1..9.
    void kick(int slot);
    // The host's computer players wait this long before they pick.
    void sendBotSpeed(int milliseconds);
    // Starts a game with these options (the host's game start window).
    void startGame(int playTo, int turnTime, bool team, bool choose);
    // Sends a chat line ("CMD_chat") or an action line ("CMD_action") with the own colour text.
    void sendChat(const QByteArray& text, const QByteArray& colour);
    void sendAction(const QByteArray& text, const QByteArray& colour);
    // Sends chatter sound 1..20 from the own seat.
    void sendChatterSound(int sound);

signals:
    // ---- for the views
    void seatChanged(int seat);
    void turnChanged();
    // The seconds left changed (the clock started or ticked); a stop shows no change.
    void clockChanged();
    void wordChanged();
    void categoryChanged();
    void tileChanged(int letter);
    // Every tile became Open or Gone at once (a new word or a new game).
    void tilesReset();
    void figureChanged();
    void statusChanged();
    void optionsChanged();
    void choosingChanged();
    void winnerChanged();
    void startOfferedChanged();
    void justWatchingChanged(bool watching);
    // The end of one received message or move: everything it changed has been signalled.
    void updated();

    // ---- for the main window
    void notice(const QString& text);
    void chatReceived(int sender, const QString& text, const std::optional<QString>& colour);
    void chatterSoundReceived(int sender, int sound);
    void soundRequested(const QString& name);
    void messageRequested(const QString& text);
    void gameStartRequested();
    void ownArrival();
    void spyJoined(int slot, const QString& name);
    void spyLeft(int slot, const QString& name);
    void gameStarted();
    void gameRecorded(const QString& winner, bool ownWin);
    void puzzleCompleted();
    void ended();

private:
    using Handler = std::function<void(ClientGame&, const QByteArray&)>;
    static const QHash<QByteArray, Handler>& handlers();
    template <typename Decoded>
    static Handler handler(std::optional<Decoded> (*decode)(const QByteArray&),
                           void (ClientGame::*handle)(const Decoded&));

    void onSendLoginInfo(const proto::read::SendLoginInfo& login);
    void onPlayer(const proto::read::Player& player);
    void onPlayerDisconnected(const proto::read::Player& player);
    void onHaveWrongVersion(const proto::read::HaveWrongVersion& notice);
    void onWrongVersion(const proto::read::WrongVersion&);
    void onFull(const proto::read::Full&);
    void onError(const proto::read::Error& error);
    void onChat(const proto::read::ChatLine& line);
    void onChatterSound(const proto::read::ChatterSound& sound);
    void onStartGame(const proto::read::StartGameAnnounce& start);
    void onLoadWord(const proto::read::LoadWord& word);
    void onMarkLetters(const proto::read::MarkLetters& marks);
    void onFoundLetter(const proto::read::FoundLetter& found);
    void onNextPlayer(const proto::read::Seat& next);
    void onChooseCat(const proto::read::Seat& chooser);
    void onOutOfTime(const proto::read::OutOfTime& late);
    void onAddMan(const proto::read::AddMan& miss);
    void onWinner(const proto::read::Winner& winner);
    void onGameStats(const proto::read::GameStats& stats);
    void onJustWatching(const proto::read::JustWatching& watch);

    void send(const QByteArray& message);
    void seatTaken(int seat, const QString& name);
    void seatFreed(int seat);
    void clearBoard();
    void endChoosing();
    void setStatus(const QString& text);
    void setWord(const QByteArray& mask);
    void setCategory(int category);
    void setMisses(int misses);
    void setTile(int letter, TileState state);
    void resetTiles(bool showAll);
    void setScore(int seat, int score);
    void setLastFind(int seat, std::optional<qint64> find);
    void setTurn(std::optional<int> seat);
    void pointAt(int seat);
    void announceTurn(int seat);
    void applyOptions(int turnTime, bool team, const QByteArray& playTo);
    void applyTeam(bool team);
    void setTimePerTurn(int seconds);
    void setStartOffered(bool offered);
    void setJustWatching(bool watching);
    void setWinnerText(const QString& text);
    void startCountdown();
    void stopCountdown();
    void countDownOneSecond();
    bool mayPlayAsSeat() const { return isLoggedIn() && isSeated(); }

    ClientLink& m_link;
    GameTimer m_turnClock;
    QByteArray m_loginName;
    bool m_host = false;
    int m_turnSound = 0;
    std::optional<int> m_ownSlot;

    std::array<Seat, kSeatCount + 1> m_seats{};
    QHash<int, QString> m_people; // slot -> name of everybody logged in
    QMap<int, QString> m_spies;
    std::array<TileState, kLetterCount + 1> m_tiles{};

    bool m_teamGame = false;
    std::optional<QString> m_playTo;
    int m_timePerTurn = kDefaultTurnTime;
    std::optional<int> m_turnSeat;
    std::optional<int> m_pointerSeat;
    std::optional<int> m_chooserSeat;
    bool m_choosing = false;
    int m_secondsLeft = 0;
    QString m_word;
    std::optional<int> m_category;
    int m_misses = 0;
    QString m_status;
    QString m_winnerText;
    bool m_startOffered = false;
    bool m_justWatching = false;
};
