#pragma once
// A BoardHost that records everything the board asks of its window.

#include "board/boardhost.h"

#include <QList>
#include <QPair>
#include <QStringList>

class FakeBoardHost : public BoardHost {
public:
    int slot = 1;
    bool loggedIn = true;
    bool host = false;
    bool watching = false;
    int sound = 0;

    QList<QByteArray> sent;
    QStringList lines;
    QStringList sounds;
    QStringList messages;
    QList<QPair<QString, bool>> games;
    int puzzles = 0;
    int gameStartShown = 0;

    int ownSlot() const override { return slot; }
    bool isLoggedIn() const override { return loggedIn; }
    bool isHost() const override { return host; }
    bool isJustWatching() const override { return watching; }
    void setJustWatching(bool on) override { watching = on; }
    int turnSound() const override { return sound; }
    void send(const QByteArray& message) override { sent << message; }
    void addSystemLine(const QString& text) override { lines << text; }
    void playSound(const QString& name) override { sounds << name; }
    void recordGame(const QString& winner, bool localUserWon) override { games << qMakePair(winner, localUserWon); }
    void recordCompletedPuzzle() override { ++puzzles; }
    void showGameStart() override { ++gameStartShown; }
    void showMessage(const QString& text) override { messages << text; }
};
