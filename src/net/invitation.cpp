#include "net/invitation.h"

#include "net/protocol.h"

#include <QNetworkInterface>
#include <QRegularExpression>
#include <array>

namespace invitation {
namespace {

constexpr int kMaxHostNameLength = 253;

// The IANA special-purpose and reserved IPv4 blocks.
constexpr std::array kReservedIPv4 = {
    "0.0.0.0/8",       "10.0.0.0/8",      "100.64.0.0/10",  "127.0.0.0/8",  "169.254.0.0/16",
    "172.16.0.0/12",   "192.0.0.0/24",    "192.0.2.0/24",   "192.88.99.0/24", "192.168.0.0/16",
    "198.18.0.0/15",   "198.51.100.0/24", "203.0.113.0/24", "224.0.0.0/4",  "240.0.0.0/4",
};

QString prefix()
{
    return QString(kScheme) + "://";
}

bool isHostName(const QString& text)
{
    static const QRegularExpression hostName(
        "^([A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?\\.)*[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?\\.?$");
    const QString lastLabel = text.section('.', -1, -1, QString::SectionSkipEmpty);
    bool numeric = false;
    lastLabel.toUInt(&numeric);
    return text.size() <= kMaxHostNameLength && hostName.match(text).hasMatch() && !numeric;
}

// Splits "HOST" or "HOST:PORT" (HOST bracketed when IPv6); false when it cannot be split.
bool splitHostAndPort(const QString& authority, QString& host, QString& port)
{
    if (authority.startsWith('[')) {
        const qsizetype close = authority.indexOf(']');
        if (close < 0)
            return false;
        host = authority.left(close + 1);
        const QString rest = authority.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(':'))
            return false;
        port = rest.mid(1);
        return rest.isEmpty() || !port.isEmpty();
    }
    if (authority.count(':') > 1)
        return false;
    host = authority.section(':', 0, 0);
    port = authority.section(':', 1);
    return !authority.endsWith(':');
}

} // namespace

QString linkTo(const QString& host)
{
    const bool ipv6 = QHostAddress(host).protocol() == QAbstractSocket::IPv6Protocol;
    return prefix() + (ipv6 ? "[" + host + "]" : host);
}

ReadLink read(const QString& link)
{
    const QString example = " An invitation looks like hangman://192.168.1.20.";
    if (link.size() > kMaxLinkLength)
        return {{}, QString("This invitation link is longer than %1 characters.").arg(kMaxLinkLength)};
    if (!link.startsWith(prefix(), Qt::CaseInsensitive))
        return {{}, "This is not a HangMan invitation link." + example};
    QString authority = link.mid(prefix().size());
    if (authority.endsWith('/'))
        authority.chop(1);
    if (authority.contains(QRegularExpression("\\s")))
        return {{}, "This invitation link holds blanks." + example};
    QString host;
    QString port;
    if (!splitHostAndPort(authority, host, port))
        return {{}, "This invitation link cannot be read (an IPv6 address goes in brackets)." + example};
    if (host.isEmpty() || host == "[]")
        return {{}, "This invitation link names no host." + example};
    if (!port.isEmpty() && port != QString::number(proto::kGamePort))
        return {{}, QString("This invitation link names port %1, but HangMan games are played on port %2.")
                        .arg(port)
                        .arg(proto::kGamePort)};
    if (!isServerAddress(host))
        return {{}, "This invitation link names no usable host address." + example};
    if (host.startsWith('['))
        host = host.mid(1, host.size() - 2);
    return {host, {}};
}

bool isServerAddress(const QString& text)
{
    const bool bracketed = text.startsWith('[') && text.endsWith(']');
    if (QHostAddress().setAddress(bracketed ? text.mid(1, text.size() - 2) : text))
        return true;
    return isHostName(text);
}

bool isPublicIPv4(const QString& address)
{
    const QHostAddress parsed(address);
    if (parsed.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    for (const char* block : kReservedIPv4)
        if (parsed.isInSubnet(QHostAddress::parseSubnet(block)))
            return false;
    return true;
}

QString lanIPv4Address()
{
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.ip().isLinkLocal())
                return entry.ip().toString();
    }
    return {};
}

} // namespace invitation
