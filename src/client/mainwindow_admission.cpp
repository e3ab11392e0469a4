// The host's say over who joins: Options > "Lock Game" (not saved) and "Ask
// Before Anyone Joins" (saved), the window that asks, and the server's lines
// about kept seats and turned-away arrivals in the host's chat.
#include "client/mainwindow.h"

#include "client/gamemenus.h"
#include "server/hostedserver.h"
#include "windows/joinrequestwindow.h"

#include <QAction>

void MainWindow::connectAdmission()
{
    GameServer& server = m_windows.server->server();
    m_joinRequests = new JoinRequestWindow(this);
    connect(m_joinRequests, &JoinRequestWindow::letIn, this, [this](quint64 id) { m_windows.server->server().letIn(id); });
    connect(m_joinRequests, &JoinRequestWindow::turnedAway, this,
            [this](quint64 id) { m_windows.server->server().turnAway(id); });
    server.hostNotice = [this](const QString& line) { addSystemLine(line); };
    server.joinRequested = [this](const JoinRequest& request) {
        m_joinRequests->addRequest(request.id, proto::fromWire(request.name), request.address);
    };
    server.joinRequestEnded = [this](quint64 id) { m_joinRequests->removeRequest(id); };
}

void MainWindow::applyAdmissionOptions()
{
    if (!m_windows.server)
        return;
    m_windows.server->server().setLocked(m_menus->lockGame->isChecked());
    m_windows.server->server().setAskBeforeJoining(m_settings.askBeforeJoining);
}

void MainWindow::setAskBeforeJoining(bool on)
{
    m_settings.askBeforeJoining = on;
    saveSettingsReportingErrors();
    applyAdmissionOptions();
}
