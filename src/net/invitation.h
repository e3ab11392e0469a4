#pragma once
// Invitation links: "hangman://HOST" opens the lobby launcher with HOST as the
// server address. HOST is a host name, an IPv4 address or an IPv6 address in
// brackets, optionally followed by ":7772" (the game port; no other is taken).
// Also where the host decides which of its addresses to give friends.

#include <QHostAddress>
#include <QString>

namespace invitation {

// The scheme of invitation links, registered for the lobby launcher.
inline constexpr char kScheme[] = "hangman";
// Links longer than this are refused unread.
constexpr int kMaxLinkLength = 300;

// The link to a host: IPv6 addresses go in brackets.
QString linkTo(const QString& host);

// A link read: the host, or why the link cannot be used (error not empty).
struct ReadLink {
    QString host;
    QString error;
};
// Reads a link; the error is a sentence for the player.
ReadLink read(const QString& link);

// True for an IPv4 address, an IPv6 address (bracketed or not) or a plausible host name.
bool isServerAddress(const QString& text);

// True for an IPv4 address that can be reached from the internet: none of the
// private, shared, loopback, link-local, documentation, multicast or other
// reserved ranges.
bool isPublicIPv4(const QString& address);

// This computer's IPv4 address on its local network, empty when it has none.
QString lanIPv4Address();

} // namespace invitation
