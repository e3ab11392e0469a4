#pragma once
// The game board of the main window: the masked word, the letter tiles, the
// hangman figure, the six seats with scores and bonuses, the turn pointer and
// clock, the category choice and the winner panel. It shows what the game server
// announces and sends the local player's picks through its BoardHost.

#include "board/boardhost.h"
#include "net/gamerules.h"
#include "net/gametimer.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

class BoardAccessibility;
class QLabel;
class QPushButton;
class AnimatedImage;

class Board : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 700;
    static constexpr int kHeight = 474;
    static constexpr int kSeats = kSeatCount;
    static constexpr int kTiles = kLetterCount;
    static constexpr int kCategories = kCategoryCount;
    static constexpr int kHangedMisses = kHangingMisses;
    // The caption of a seat nobody sits at.
    static inline const QString kWaitingCaption = QStringLiteral("<Waiting>");

    explicit Board(BoardHost& host, Clock& clock = Clock::system(), QWidget* parent = nullptr);
    ~Board() override;

    // Server messages; each takes the text after "CMD_xxx+". Bad input changes nothing.
    void startGame(const QByteArray& args); // starter, play-to, time per turn, team flag
    void loadWord(const QByteArray& args);     // mask, category
    void markLetters(const QByteArray& args);  // addressee, used tile numbers
    void foundLetter(const QByteArray& args);  // finder, tile, letter, count, bonus, score, mates, mask
    void nextPlayer(const QByteArray& args); // seat in turn
    void chooseCat(const QByteArray& args);    // seat that chooses the category
    void outOfTime(const QByteArray& args);    // seat that ran out of time
    void addMan(const QByteArray& args);       // picker, tile, letter, misses, word or "*"
    void winner(const QByteArray& args);       // winner name or team name
    void gameStats(const QByteArray& args);    // a late joiner's whole board
    void justWatching(const QByteArray& args); // seat, "1" watching or anything else playing

    // Resets scores, bonuses, eyes, word, figure and tile pictures.
    void clearBoard();
    // Word font: 22 pt, or 18 pt for more than 36 characters.
    void fitWordFont();
    // Unlights every lit tile.
    void unlightTiles();
    // One second of the turn countdown.
    void countDownOneSecond();
    // The mouse moved over tile 1..26: lights it during the own turn.
    void hoverTile(int tile);
    // The mouse moved over the letter panel outside the tiles.
    void leaveTiles();
    // A click on tile 1..26 (or its letter key): picks the letter during the own turn.
    void pickLetter(int tile);
    // A click on category button 0..4.
    void pickCategory(int category);
    // The start button: the game start window when connected.
    void onStartClicked();

    // A person sits at seat 1..6 under this name.
    void seatTaken(int seat, const QString& name);
    // The person at seat 1..6 left: "<Waiting>" or the seat's computer player.
    void seatFreed(int seat);
    // True while a person sits at the seat.
    bool seatOccupied(int seat) const;
    // The full (not elided) name shown at seat 1..6.
    QString seatCaption(int seat) const;
    // The computer player's name of seat 2..6, empty for seat 1.
    static QString computerName(int seat);
    // True while the running game is a team game.
    bool teamGame() const { return m_teamGame; }
    // Shows or hides "START GAME" (only the hosting copy shows it).
    void setStartButtonVisible(bool visible);
    // The empty area at (262, 272), 435 x 199, where the main window puts its chat.
    // A click there takes the keyboard focus from the board; Escape on the board and
    // a click on START GAME give the focus to this area too.
    QWidget* chatArea() const { return m_chatArea; }

    // The seat whose turn is shown; 0 = nobody may pick.
    int turnSeat() const { return m_turnSeat; }
    // The seat the turn pointer points at; 0 before the first turn.
    int pointerSeat() const { return m_pointerSeat; }
    // The seat choosing a category; 0 = none.
    int chooserSeat() const { return m_chooserSeat; }
    // Seconds left of the shown turn.
    int secondsLeft() const { return m_secondsLeft; }
    // Seconds per turn of the running game.
    int timePerTurn() const { return m_timePerTurn; }
    // Width step of the timer bar.
    int pixelsPerSecond() const { return m_pixelsPerSecond; }
    // True while the turn countdown runs.
    bool countdownRunning() const { return m_turnClock.isEnabled(); }
    // Tile 1..26 state: 'n' normal, 'y' lit, 'u' used.
    char tileState(int tile) const;
    // Misses the figure shows: 0..6, or 7 while the hanged animation plays.
    int figureStage() const { return m_figureStage; }
    // The category banner on show, 0..4.
    int category() const { return m_category; }
    // The hanged animation control.
    AnimatedImage* hangedAnimation() const { return m_hanged; }

signals:
    // A right click on seat name label 1..6.
    void seatContextMenuRequested(int seat, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class BoardAccessibility;

    struct Seat {
        QLabel* name = nullptr;
        QLabel* score = nullptr;
        QLabel* bonus = nullptr;
        QLabel* eyes = nullptr;
        QString caption;
        bool occupied = false;
    };

    void buildBoard();
    void buildHeading();
    void buildSeats();
    void buildWordArea();
    void buildTimer();
    void buildWinnerPanel();
    void buildLetterPanel();
    void buildChoosePanel();
    void drawCategoryButtons();

    void endChoosing();
    void setStatus(const QString& text);
    void setWord(const QString& mask);
    void setCategory(int category);
    void showFigure(int misses);
    void drawTile(int tile, char state);
    void markUsed(int tile);
    void hideTile(int tile);
    void applyTeamSetting(bool team);
    void setTimePerTurn(int seconds);
    void setPlayTo(const QString& text);
    void setCaption(int seat, const QString& caption);
    void setScore(int seat, const QString& text);
    void setBonus(int seat, const QString& text);
    void pointAtSeat(int seat);
    void announceTurn(int seat);
    void startCountdown();
    void showCountdown();
    bool ownTurn() const;
    int tileAt(QObject* object) const;
    int seatLabelAt(QObject* object) const;

    BoardHost& m_host;
    Clock& m_clock;
    GameTimer m_turnClock;

    std::array<Seat, kSeats + 1> m_seats{};
    std::array<QLabel*, kTiles + 1> m_tiles{};
    std::array<char, kTiles + 1> m_tileStates{};
    std::array<QPushButton*, kCategories> m_categoryButtons{};

    QWidget* m_chatArea = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_word = nullptr;
    QLabel* m_tag = nullptr;
    QLabel* m_turnPointer = nullptr;
    QLabel* m_hang = nullptr;
    AnimatedImage* m_hanged = nullptr;
    QLabel* m_team = nullptr;
    QLabel* m_usedLetters = nullptr; // the greyed letters under the tiles, drawn when a tile first goes
    QLabel* m_thePlayers = nullptr;
    QLabel* m_timerBar = nullptr;
    QLabel* m_timerLabel = nullptr;
    QLabel* m_start = nullptr;
    QWidget* m_winnerPanel = nullptr;
    QLabel* m_winner1 = nullptr;
    QLabel* m_winner2 = nullptr;
    QWidget* m_letterPanel = nullptr;
    QLabel* m_playTo = nullptr;
    QLabel* m_teamLabel = nullptr;
    QLabel* m_timePerTurnLabel = nullptr;
    QWidget* m_choosePanel = nullptr;

    int m_turnSeat = 0;
    int m_pointerSeat = 0;
    int m_chooserSeat = 0;
    int m_timePerTurn = 20;
    int m_pixelsPerSecond = 185 / 20;
    int m_secondsLeft = 0;
    int m_figureStage = 0;
    int m_category = 0;
    bool m_teamGame = false;
    QString m_statusText;
    QString m_winnerText;
    std::unique_ptr<BoardAccessibility> m_accessibility;
};
