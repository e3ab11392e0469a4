#pragma once
// What a client's game sends through: the link to the game server, the mirror
// of the server's ServerPeer. Connection is the real one; tests use fakes.

#include <QByteArray>

class ClientLink {
public:
    virtual ~ClientLink() = default;
    // Sends one whole message (as proto::msg builds it, terminator included).
    virtual void send(const QByteArray& message) = 0;
};
