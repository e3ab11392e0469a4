// The main window's part in telling the local network about a hosted game: the
// announcement starts with hosting (never in a solo game), follows the roster
// of the game server and is withdrawn when the window closes.
#include "client/mainwindow.h"

#include "server/hostedserver.h"

void MainWindow::connectLanAnnouncer()
{
    if (!m_windows.announcer)
        return;
    if (m_windows.server)
        m_windows.server->server().rosterChanged = [this] { updateAnnouncement(); };
    connect(m_windows.announcer, &LanAnnouncer::announced, this, &MainWindow::gameAnnounced);
    connect(m_windows.announcer, &LanAnnouncer::unavailable, this, &MainWindow::announcementUnavailable);
}

void MainWindow::startAnnouncing()
{
    if (!m_windows.announcer || !m_windows.server)
        return;
    m_announcing = true;
    m_windows.announcer->start(m_playerName, m_windows.server->port(), lanRoster());
}

void MainWindow::updateAnnouncement()
{
    if (m_announcing && m_windows.announcer && m_windows.server)
        m_windows.announcer->update(lanRoster());
}

void MainWindow::stopAnnouncing()
{
    if (!m_announcing)
        return;
    m_announcing = false;
    if (m_windows.announcer)
        m_windows.announcer->stop();
}

lan::Roster MainWindow::lanRoster() const
{
    const RosterSummary summary = m_windows.server->server().rosterSummary();
    return {summary.seated, summary.spies, summary.running};
}

void MainWindow::gameAnnounced(const QString& name)
{
    if (m_announcing)
        addSystemLine("Players on your network find this game in their lobby as \"" + name + "\".");
}

void MainWindow::announcementUnavailable(const QString& reason)
{
    if (m_announcing)
        addSystemLine("Games on your network cannot see this one (Avahi says \"" + reason
                      + "\"); send friends an invitation link instead (Options > Copy Invitation Link).");
}
