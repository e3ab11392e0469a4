#include "client/hostreachability.h"

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

HostReachability::HostReachability(PortMapping* mapping, QObject* parent) : QObject(parent), m_mapping(mapping)
{
    if (!m_mapping)
        return;
    connect(m_mapping, &PortMapping::opened, this, &HostReachability::portOpened);
    connect(m_mapping, &PortMapping::failed, this, &HostReachability::portNotOpened);
}

QString HostReachability::port() const
{
    return QString::number(m_mapping->port());
}

void HostReachability::setWanted(bool wanted)
{
    if (!m_mapping || wanted == m_started)
        return;
    m_started = wanted;
    m_publicIPv4.clear();
    if (wanted) {
        report("Asking your router to open port " + port() + " for friends outside your network...");
        m_mapping->start();
        return;
    }
    if (m_mapping->isOpen())
        report("Port " + port() + " is closed on your router again.");
    m_mapping->stop();
}

void HostReachability::portOpened(const QString& externalIPv4, const QString& globalIPv6, bool routerOnline)
{
    if (!m_started)
        return;
    const QString port = this->port();
    if (routerOnline && invitation::isPublicIPv4(externalIPv4)) {
        m_publicIPv4 = externalIPv4;
        const QString addresses = globalIPv6.isEmpty() ? externalIPv4 : externalIPv4 + " or " + globalIPv6;
        report("Port " + port + " is open on your router:friends outside your network join at " + addresses
               + "; send them " + invitationLink().link + ".");
        return;
    }
    m_publicIPv4.clear();
    if (!routerOnline)
        report("Your router opened port " + port + ", but it says it is not connected to the internet:"
               + unreachableAdvice("the router is connected"));
    else if (!externalIPv4.isEmpty())
        report("Your router opened port " + port + ", but it sits behind another network (its address is "
               + externalIPv4 + "):" + unreachableAdvice("port " + port + " is forwarded on the outer router too"));
    else
        report("Port " + port + " is open on your router, which did not say its own address:"
               + unreachableAdvice("you give them the router's address"));
}

// What friends can do while the router cannot be reached from outside until the condition holds.
QString HostReachability::unreachableAdvice(const QString& condition) const
{
    const Invitation invite = invitationLink();
    if (!invite.lanOnly)
        return "friends outside can join over IPv6 at " + ownGlobalIPv6() + ", or once " + condition + "; send them "
            + invite.link + ".";
    return "friends outside cannot join until " + condition + "; players on this network join with " + invite.link
        + ".";
}

void HostReachability::portNotOpened(PortMapping::Failure reason, const QString& detail)
{
    if (!m_started)
        return;
    m_publicIPv4.clear();
    report("Friends outside your network cannot join until port " + port() + " is forwarded to this computer ("
           + reasonText(reason, detail) + ").");
    if (const QString ipv6 = ownGlobalIPv6(); !ipv6.isEmpty())
        report("Over IPv6:friends can still join at " + ipv6 + ".");
}

QString HostReachability::ownGlobalIPv6() const
{
    return m_mapping ? m_mapping->ownGlobalIPv6() : PortMapping::globalIPv6Address();
}

HostReachability::Invitation HostReachability::invitationLink() const
{
    if (!m_publicIPv4.isEmpty())
        return {invitation::linkTo(m_publicIPv4), false};
    if (const QString ipv6 = ownGlobalIPv6(); !ipv6.isEmpty())
        return {invitation::linkTo(ipv6), false};
    QString lan = m_mapping ? m_mapping->ownLanIPv4() : invitation::lanIPv4Address();
    if (lan.isEmpty())
        lan = QSysInfo::machineHostName();
    return {invitation::linkTo(lan), true};
}

void HostReachability::copyInvitationLink()
{
    const Invitation invite = invitationLink();
    QGuiApplication::clipboard()->setText(invite.link);
    report("Invitation link copied:" + invite.link + (invite.lanOnly ? " (it works for players on this network only)." : ""));
}

void HostReachability::report(const QString& text)
{
    qInfo().noquote() << text;
    emit line(text);
}

void HostReachability::stopForExit()
{
    if (!m_mapping || !m_started)
        return;
    m_started = false;
    m_mapping->stop();
    m_mapping->waitUntilIdle(kExitWaitMs);
}
