// The main window's part in opening the game port on the router while hosting:
// the Options entry, when the mapping is asked for and removed, and the chat
// lines that tell the host how friends reach the game.
#include "client/mainwindow.h"

#include <QDebug>

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
    const bool wanted = m_host && !m_arguments.isEmpty() && m_settingsRead && m_settings.openPortOnRouter;
    PortMapping* mapping = m_windows.portMapping;
    if (!mapping || wanted == m_portMappingStarted)
        return;
    m_portMappingStarted = wanted;
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

void MainWindow::portOpened(const QString& externalIPv4, const QString& globalIPv6)
{
    if (!m_portMappingStarted)
        return;
    QStringList addresses;
    for (const QString& address : {externalIPv4, globalIPv6})
        if (!address.isEmpty())
            addresses << address;
    const QString port = QString::number(m_windows.portMapping->port());
    // The chat shows a line's text up to its first colon as a prefix followed by a space,
    // so a line holding an IPv6 address puts its own colon first, without a space.
    showPortMappingLine(addresses.isEmpty()
                            ? "Port " + port + " is open on your router."
                            : "Port " + port + " is open on your router:friends outside your network join at "
                                  + addresses.join(" or ") + ".");
}

void MainWindow::portNotOpened(PortMapping::Failure reason, const QString& detail)
{
    if (!m_portMappingStarted)
        return;
    showPortMappingLine("Friends outside your network cannot join until port "
                        + QString::number(m_windows.portMapping->port()) + " is forwarded to this computer ("
                        + reasonText(reason, detail) + ").");
    if (const QString ipv6 = PortMapping::globalIPv6Address(); !ipv6.isEmpty())
        showPortMappingLine("Over IPv6:friends can still join at " + ipv6 + ".");
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
