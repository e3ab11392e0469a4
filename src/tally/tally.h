#pragma once
// Tally: the tally of this copy of the game, alive from start-up to exit. It holds
// the tally table (loaded from its store at creation, saved after every finished
// game and at the end) and the names of the other players in the current game.
// The main window reports finished games and completed puzzles; the tally window
// shows it and follows, unfollows and resets through it.

#include "tally/tallystore.h"
#include "tally/tallytable.h"

#include <QObject>
#include <QStringList>

class Tally : public QObject {
    Q_OBJECT
public:
    // Loads the tally from the file at `path` and starts this run's counters at 0.
    explicit Tally(const QString& path = TallyStore::defaultPath(), QObject* parent = nullptr);
    // Saves the tally; errors are swallowed.
    ~Tally() override;

    // The table, for reading.
    const TallyTable& table() const { return m_table; }
    // What went wrong loading the file (it was kept as ".bad"); empty when nothing did.
    QString loadError() const { return m_store.loadError(); }
    // The file the tally lives in.
    QString path() const { return m_store.path(); }

    // The other players now at the table, without empty and "<Waiting>" seats.
    const QStringList& playersInGame() const { return m_playersInGame; }
    // Sets the other players now at the table (the local user's own seat left out).
    void setPlayersInGame(const QStringList& namesAtTable);
    // Counts one finished game against the players in the game who are followed,
    // then saves; localUserWon says the local user won. A counter that is not a
    // number is reported through countingFailed and the rest of the game is not counted.
    void addGame(const QString& winner, bool localUserWon);
    // Counts one puzzle the local user completed.
    void addCompletedPuzzle();
    // Follows the player (nothing when he is already followed).
    void follow(const QString& name);
    // Stops following the player at the position in the followed list.
    void unfollow(int position);
    // Zeroes the own record and follows nobody.
    void reset();
    // Writes the tally file now; false when it failed or saving is blocked.
    bool save();

signals:
    // The players in the current game were set anew.
    void playersInGameChanged();
    // Counters changed: a game or puzzle was counted, or the tally was reset.
    void countsChanged();
    // A game could not be counted; the text says why.
    void countingFailed(const QString& message);

private:
    TallyStore m_store;
    TallyTable m_table;
    QStringList m_playersInGame;
};
