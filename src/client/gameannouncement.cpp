#include "client/gameannouncement.h"

#include "server/hostedserver.h"

GameAnnouncement::GameAnnouncement(LanAnnouncer* announcer, HostedServer* server, QObject* parent)
    : QObject(parent), m_announcer(announcer), m_server(server)
{
    if (!m_announcer)
        return;
    if (m_server)
        m_server->server().rosterChanged = [this] { update(); };
    connect(m_announcer, &LanAnnouncer::announced, this, &GameAnnouncement::announced);
    connect(m_announcer, &LanAnnouncer::unavailable, this, &GameAnnouncement::unavailable);
}

void GameAnnouncement::start(const QString& hostName)
{
    if (!m_announcer || !m_server)
        return;
    m_announcing = true;
    m_announcer->start(hostName, m_server->port(), roster());
}

void GameAnnouncement::update()
{
    if (m_announcing && m_announcer && m_server)
        m_announcer->update(roster());
}

void GameAnnouncement::stop()
{
    if (!m_announcing)
        return;
    m_announcing = false;
    if (m_announcer)
        m_announcer->stop();
}

lan::Roster GameAnnouncement::roster() const
{
    const RosterSummary summary = m_server->server().rosterSummary();
    return {summary.seated, summary.spies, summary.running};
}

void GameAnnouncement::announced(const QString& name)
{
    if (m_announcing)
        emit line("Players on your network find this game in their lobby as \"" + name + "\".");
}

void GameAnnouncement::unavailable(const QString& reason)
{
    if (m_announcing)
        emit line("Games on your network cannot see this one (Avahi says \"" + reason
                  + "\"); send friends an invitation link instead (Options > Copy Invitation Link).");
}
