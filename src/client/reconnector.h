#pragma once
// Reconnector: what a joiner does when its connection to the host breaks. A
// connection that was made and then lost (a reset, keep-alive giving up, a
// time-out, the network unreachable) is tried again on a fixed schedule from
// the moment of the loss: after 1, 2, 4 and 8 s, then every 15 s, for five
// minutes. Every attempt is due at its time whatever became of the one before,
// so an attempt hanging on a cut link never holds up the next. A clean close by
// the host, or anything but a loss, ends the game as before.
//
// It opens no connection itself: attemptDue() asks its owner to replace the
// game connection with a new one, and the owner reports every end of that
// connection to takesOver() and the player's return to backInGame().

#include "net/connection.h"
#include "net/gametimer.h"

#include <QObject>

class Reconnector : public QObject {
    Q_OBJECT
public:
    // How long after the loss the retries give up.
    static constexpr int kGiveUpAfterMs = 5 * 60 * 1000;
    // The pause once the first ones have grown to it.
    static constexpr int kLongestPauseMs = 15'000;

    explicit Reconnector(Clock& clock, QObject* parent = nullptr);

    // The pause before attempt 0, 1, 2, ...: 1, 2, 4 and 8 s, then 15 s.
    static int pauseBefore(int attempt);
    // Takes the end of the game connection: true when it is tried again (the
    // retries start or go on), false when the game is to end as without retries.
    // connected: that connection had been made; joinerInGame: this copy joined
    // another's game and had logged in.
    bool takesOver(Connection::CloseReason reason, bool connected, bool joinerInGame);
    // Whether the connection is being tried again.
    bool isReconnecting() const { return m_reconnecting; }
    // The player is back at the table: the retries end.
    void backInGame();

signals:
    // The retries started (true) or ended with the player back (false).
    void reconnectingChanged(bool reconnecting);
    // A new connection is to be opened now, in place of any attempt still under way.
    void attemptDue();
    // Five minutes passed without getting back.
    void gaveUp();

private:
    void begin();
    void attemptNow();
    void scheduleNextAttempt();
    void giveUp();
    void finish();

    GameTimer m_attemptTimer;
    GameTimer m_giveUpTimer;
    bool m_reconnecting = false;
    int m_attempts = 0;
    int m_nextDueMs = 0; // from the loss
};
