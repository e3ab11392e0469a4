#pragma once
// What the board needs of the main window that owns it: who we are, the menu
// switches it reads, and the ways out (server, chat, sound, tally, dialogs).

#include <QByteArray>
#include <QString>

class BoardHost {
public:
    virtual ~BoardHost() = default;

    virtual int ownSlot() const = 0;            // 1..9, 0 before login
    virtual bool isLoggedIn() const = 0;
    virtual bool isHost() const = 0;
    virtual bool isJustWatching() const = 0;    // the "Just Watch" menu check mark
    virtual void setJustWatching(bool on) = 0;
    virtual int turnSound() const = 0;          // 0 Classic ("turn"), 1 New ("turnnew")

    virtual void send(const QByteArray& message) = 0;   // a complete message, terminator included
    virtual void addSystemLine(const QString& text) = 0; // a chat line in style 0 and the status colour
    virtual void playSound(const QString& name) = 0;     // game event sound by name
    virtual void recordGame(const QString& winner, bool localUserWon) = 0; // tally: a game ended
    virtual void recordCompletedPuzzle() = 0;            // tally: the user completed a puzzle
    virtual void showGameStart() = 0;                    // the game start window
    virtual void showMessage(const QString& text) = 0;   // a message box
};
