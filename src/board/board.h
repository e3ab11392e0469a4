#pragma once
// The game board of the main window: the masked word, the letter tiles, the
// hangman figure, the six seats with scores and bonuses, the turn pointer and
// clock, the category choice and the winner panel. It shows the ClientGame it is
// given and hands the player's clicks and keys to it.

#include "client/model/clientgame.h"
#include "net/gamerules.h"
#include "net/gametimer.h"

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

    // The board of the game; the clock drives the hanged animation.
    explicit Board(ClientGame& game, Clock& clock = Clock::system(), QWidget* parent = nullptr);
    ~Board() override;

    ClientGame& game() const { return m_game; }
    // The mouse moved over tile 1..26: lights it during the own turn.
    void hoverTile(int tile);
    // The mouse moved over the letter panel outside the tiles.
    void leaveTiles();
    // The tile under the mouse that is lit, if any.
    std::optional<int> litTile() const { return m_litTile; }
    // The empty area at (262, 272), 435 x 199, where the main window puts its chat.
    // A click there takes the keyboard focus from the board; Escape on the board and
    // a click on START GAME give the focus to this area too.
    QWidget* chatArea() const { return m_chatArea; }
    // Width step of the timer bar.
    int pixelsPerSecond() const;
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
    void observeGame();

    void showSeat(int seat);
    void showTurn();
    void showClock();
    void showWord();
    void showCategory();
    void showFigure();
    void showTile(int tile);
    void showTiles();
    void showStatus();
    void showOptions();
    void showChoosing();
    void showWinner();
    void showStartOffered();
    void fitWordFont();
    void lightTile(std::optional<int> tile);
    void hideTile(int tile);
    int tileAt(QObject* object) const;
    int seatLabelAt(QObject* object) const;

    ClientGame& m_game;
    Clock& m_clock;

    std::array<Seat, kSeatCount + 1> m_seats{};
    std::array<QLabel*, kLetterCount + 1> m_tiles{};
    std::array<QPushButton*, kCategoryCount> m_categoryButtons{};
    std::optional<int> m_litTile;

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
    QLabel* m_winnerText = nullptr;
    QLabel* m_winnerShadow = nullptr;
    QWidget* m_letterPanel = nullptr;
    QLabel* m_playTo = nullptr;
    QLabel* m_teamLabel = nullptr;
    QLabel* m_timePerTurnLabel = nullptr;
    QWidget* m_choosePanel = nullptr;
    std::unique_ptr<BoardAccessibility> m_accessibility;
};
