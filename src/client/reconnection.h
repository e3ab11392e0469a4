#pragma once
// Reconnection: a joiner's way back into the game after its connection to the
// host was lost. It follows the Reconnector's schedule, has its owner open each
// attempt, lays the ReconnectBanner over the board while the retries last,
// clears the game the moment a new connection is made (the host's catch-up then
// rebuilds it), and ends the game when the player gives up or five minutes pass.

#include "client/reconnector.h"

#include <QPointer>
#include <functional>

class ClientGame;
class Prompts;
class ReconnectBanner;
class QWidget;

class Reconnection : public QObject {
    Q_OBJECT
public:
    // What the player is told when the retries give up.
    static constexpr char kCouldNotReachText[] = "Could not reach the host; the game has ended.";

    // reopen replaces the game connection with a new one to the same host, under the same name, and returns it.
    Reconnection(Clock& clock, ClientGame& game, Prompts& prompts, std::function<Connection&()> reopen);
    ~Reconnection() override;

    // Takes the end of the game connection: true when it is tried again (the game goes on),
    // false when the game is to end as without retries. board is what the banner covers;
    // its window is the one that ends with the game.
    bool takesOver(Connection::CloseReason reason, const Connection& connection, QWidget& board);
    // Whether the connection is being tried again.
    bool isReconnecting() const { return m_reconnector.isReconnecting(); }

private:
    void coverBoard(QWidget& board);
    void reconnectNow();
    void endGame(const QString& notice);

    ClientGame& m_game;
    Prompts& m_prompts;
    std::function<Connection&()> m_reopen;
    Reconnector m_reconnector;
    QPointer<QWidget> m_board;
    QPointer<ReconnectBanner> m_banner;
};
