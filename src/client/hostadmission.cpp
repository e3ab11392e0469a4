#include "client/hostadmission.h"

#include "net/protocol.h"
#include "server/gameserver.h"
#include "windows/joinrequestwindow.h"

HostAdmission::HostAdmission(GameServer& server, QWidget* window)
    : QObject(window), m_server(server), m_requests(new JoinRequestWindow(window))
{
    connect(m_requests, &JoinRequestWindow::letIn, this, [this](quint64 id) { m_server.letIn(id); });
    connect(m_requests, &JoinRequestWindow::turnedAway, this, [this](quint64 id) { m_server.turnAway(id); });
    m_server.hostNotice = [this](const QString& text) { emit line(text); };
    m_server.joinRequested = [this](const JoinRequest& request) {
        m_requests->addRequest(request.id, proto::fromWire(request.name), request.address);
    };
    m_server.joinRequestEnded = [this](quint64 id) { m_requests->removeRequest(id); };
}

void HostAdmission::apply(bool locked, bool askBeforeJoining)
{
    m_server.setLocked(locked);
    m_server.setAskBeforeJoining(askBeforeJoining);
}
