// The main window's part in opening the game port on the router while hosting:
// the Options entries, when the mapping is asked for and removed, the chat
// lines that tell the host honestly how friends reach the game, and the
// invitation link with the best address for them.
#include "client/mainwindow.h"

#include "net/invitation.h"

#include <QClipboard>
#include <QDebug>
#include <QGuiApplication>
#include <QSysInfo>

namespace {

// Longest wait at exit for the router to drop the mapping.
constexpr int kExitWaitMs = 3000;

QString reasonText(PortMapping::Failure reason, const QString& detail)
{
    switch (reason) {
    case PortMapping::Failure::NoGateway:
        return "no router answered";
    case PortMapping::Failure::Refused:
        return "the router refused";
    case PortMapping::Failure::PortTaken:
        return detail.isEmpty() ? "the port is already forwarded to another computer"
                                : "the port is already forwarded to " + detail;
    }
    return {};
}

} // namespace

// The chat shows a line's text up to its first colon as a prefix followed by a space,
// so every line holding an IPv6 address or a link puts its own colon first, without a space.

void MainWindow::connectPortMapping()
{
    PortMapping* mapping = m_windows.portMapping;
    if (!mapping)
        return;
    connect(mapping, &PortMapping::opened, this, &MainWindow::portOpened);
    connect(mapping, &PortMapping::failed, this, &MainWindow::portNotOpened);
}

void MainWindow::setOpenPortOnRouter(bool on)
{
    m_settings.openPortOnRouter = on;
    saveSettingsReportingErrors();
    updatePortMapping();
}

void MainWindow::updatePortMapping()
{
    const bool wanted = m_game.isHost() && !m_arguments.isEmpty() && m_settingsRead && m_settings.openPortOnRouter;
    PortMapping* mapping = m_windows.portMapping;
    if (!mapping || wanted == m_portMappingStarted)
        return;
    m_portMappingStarted = wanted;
    m_publicIPv4.clear();
    const QString port = QString::number(mapping->port());
    if (wanted) {
        showPortMappingLine("Asking your router to open port " + port + " for friends outside your network...");
        mapping->start();
        return;
    }
    if (mapping->isOpen())
        showPortMappingLine("Port " + port + " is closed on your router again.");
    mapping->stop();
}

void MainWindow::portOpened(const QString& externalIPv4, const QString& globalIPv6, bool routerOnline)
{
    if (!m_portMappingStarted)
        return;
    const QString port = QString::number(m_windows.portMapping->port());
    if (routerOnline && invitation::isPublicIPv4(externalIPv4)) {
        m_publicIPv4 = externalIPv4;
        const QString addresses = globalIPv6.isEmpty() ? externalIPv4 : externalIPv4 + " or " + globalIPv6;
        showPortMappingLine("Port " + port + " is open on your router:friends outside your network join at "
                            + addresses + "; send them " + invitationLink().link + ".");
        return;
    }
    m_publicIPv4.clear();
    if (!routerOnline)
        showPortMappingLine("Your router opened port " + port + ", but it says it is not connected to the internet:"
                            + unreachableAdvice("the router is connected"));
    else if (!externalIPv4.isEmpty())
        showPortMappingLine("Your router opened port " + port + ", but it sits behind another network (its address is "
                            + externalIPv4 + "):"
                            + unreachableAdvice("port " + port + " is forwarded on the outer router too"));
    else
        showPortMappingLine("Port " + port + " is open on your router, which did not say its own address:"
                            + unreachableAdvice("you give them the router's address"));
}

// What friends can do while the router cannot be reached from outside until the condition holds.
QString MainWindow::unreachableAdvice(const QString& condition) const
{
    const Invitation invite = invitationLink();
    if (!invite.lanOnly)
        return "friends outside can join over IPv6 at " + ownGlobalIPv6() + ", or once " + condition + "; send them "
            + invite.link + ".";
    return "friends outside cannot join until " + condition + "; players on this network join with " + invite.link
        + ".";
}

void MainWindow::portNotOpened(PortMapping::Failure reason, const QString& detail)
{
    if (!m_portMappingStarted)
        return;
    m_publicIPv4.clear();
    showPortMappingLine("Friends outside your network cannot join until port "
                        + QString::number(m_windows.portMapping->port()) + " is forwarded to this computer ("
                        + reasonText(reason, detail) + ").");
    if (const QString ipv6 = ownGlobalIPv6(); !ipv6.isEmpty())
        showPortMappingLine("Over IPv6:friends can still join at " + ipv6 + ".");
}

QString MainWindow::ownGlobalIPv6() const
{
    return m_windows.portMapping ? m_windows.portMapping->ownGlobalIPv6() : PortMapping::globalIPv6Address();
}

MainWindow::Invitation MainWindow::invitationLink() const
{
    if (!m_publicIPv4.isEmpty())
        return {invitation::linkTo(m_publicIPv4), false};
    if (const QString ipv6 = ownGlobalIPv6(); !ipv6.isEmpty())
        return {invitation::linkTo(ipv6), false};
    QString lan = m_windows.portMapping ? m_windows.portMapping->ownLanIPv4() : invitation::lanIPv4Address();
    if (lan.isEmpty())
        lan = QSysInfo::machineHostName();
    return {invitation::linkTo(lan), true};
}

void MainWindow::copyInvitationLink()
{
    const Invitation invite = invitationLink();
    QGuiApplication::clipboard()->setText(invite.link);
    showPortMappingLine("Invitation link copied:" + invite.link
                        + (invite.lanOnly ? " (it works for players on this network only)." : ""));
}

void MainWindow::showPortMappingLine(const QString& text)
{
    qInfo().noquote() << text;
    addSystemLine(text);
}

void MainWindow::stopPortMappingForExit()
{
    if (!m_windows.portMapping || !m_portMappingStarted)
        return;
    m_portMappingStarted = false;
    m_windows.portMapping->stop();
    m_windows.portMapping->waitUntilIdle(kExitWaitMs);
}
