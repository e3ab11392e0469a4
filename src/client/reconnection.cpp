#include "client/reconnection.h"

#include "client/model/clientgame.h"
#include "client/reconnectbanner.h"
#include "windows/prompts.h"

Reconnection::Reconnection(Clock& clock, ClientGame& game, Prompts& prompts, std::function<Connection&()> reopen)
    : m_game(game), m_prompts(prompts), m_reopen(std::move(reopen)), m_reconnector(clock)
{
    connect(&m_game, &ClientGame::ownArrival, &m_reconnector, &Reconnector::backInGame);
    connect(&m_reconnector, &Reconnector::attemptDue, this, &Reconnection::reconnectNow);
    connect(&m_reconnector, &Reconnector::gaveUp, this, [this] { endGame(kCouldNotReachText); });
}

Reconnection::~Reconnection() = default;

bool Reconnection::takesOver(Connection::CloseReason reason, const Connection& connection, QWidget& board)
{
    coverBoard(board);
    const bool connected = !connection.peerAddress().isNull();
    return m_reconnector.takesOver(reason, connected, m_game.isLoggedIn() && !m_game.isHost());
}

void Reconnection::coverBoard(QWidget& board)
{
    if (m_banner)
        return;
    m_board = &board;
    m_banner = new ReconnectBanner(&board);
    connect(&m_reconnector, &Reconnector::reconnectingChanged, m_banner, &ReconnectBanner::setShownOver);
    connect(m_banner, &ReconnectBanner::giveUpPressed, this, [this] { endGame({}); });
}

void Reconnection::reconnectNow()
{
    Connection& attempt = m_reopen();
    connect(&attempt, &Connection::connected, &m_game, &ClientGame::startOver);
}

void Reconnection::endGame(const QString& notice)
{
    if (!m_board)
        return;
    QWidget* window = m_board->window();
    if (!notice.isEmpty())
        m_prompts.showMessage(window, notice);
    window->close();
}
