#pragma once
// A ClientGame for the board's tests: logged in at a slot, its link and its
// requests to the window recorded, and the server's messages said to it by name.

#include "client/model/clientgame.h"

#include <QList>
#include <QPair>
#include <QStringList>

struct RecordingLink : ClientLink {
    QList<QByteArray> sent;
    void send(const QByteArray& message) override { sent << message; }
};

struct RecordedGame {
    explicit RecordedGame(Clock& clock, int slot = 1) : game(link, clock)
    {
        QObject::connect(&game, &ClientGame::notice, [this](const QString& text) { lines << text; });
        QObject::connect(&game, &ClientGame::soundRequested, [this](const QString& name) { sounds << name; });
        QObject::connect(&game, &ClientGame::messageRequested, [this](const QString& text) { messages << text; });
        QObject::connect(&game, &ClientGame::gameRecorded,
                         [this](const QString& winner, bool won) { games << qMakePair(winner, won); });
        QObject::connect(&game, &ClientGame::puzzleCompleted, [this] { ++puzzles; });
        QObject::connect(&game, &ClientGame::gameStartRequested, [this] { ++gameStartShown; });
        login(slot);
    }
    // The server gives us this slot; the login answer is not kept.
    void login(int slot)
    {
        say(proto::name::kSendLoginInfo, QByteArray::number(slot));
        sent().clear();
    }
    // The server's message of this name with these fields ("3+" for one field).
    void say(const char* name, const QByteArray& args) { game.receive(name + QByteArray("+") + args); }
    // A person sits at the seat; the notices and sounds of the arrival are not kept.
    void seatTaken(int seat, const QByteArray& name)
    {
        say(proto::name::kExistingPlayers, QByteArray::number(seat) + "+" + name);
        lines.clear();
        sounds.clear();
    }
    // The server confirms the own "Just Watch" switch.
    void setWatching(bool on)
    {
        say(proto::name::kJustWatching, QByteArray::number(*game.ownSlot()) + (on ? "+1" : "+2"));
        lines.clear();
    }
    QList<QByteArray>& sent() { return link.sent; }

    RecordingLink link;
    ClientGame game;
    QStringList lines;
    QStringList sounds;
    QStringList messages;
    QList<QPair<QString, bool>> games;
    int puzzles = 0;
    int gameStartShown = 0;
};
