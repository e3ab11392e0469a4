#pragma once
// Options of every game connection, on both sides: no Nagle delay, and short
// keep-alive timings so that a peer that vanished without a word (power lost,
// out of the Wi-Fi) ends the connection like a close, within a minute.

#include <QtGlobal>

// An idle connection is probed after 15 s of silence, then every 5 s; after 3
// unanswered probes it is dead (about 30 s in all).
constexpr int kKeepAliveIdleSeconds = 15;
constexpr int kKeepAliveIntervalSeconds = 5;
constexpr int kKeepAliveProbes = 3;
// Data that the peer leaves unacknowledged this long also ends the connection.
constexpr int kUnacknowledgedTimeoutMs = 30'000;

// Sets TCP_NODELAY, keep-alive with the timings above and, where the system has
// it, TCP_USER_TIMEOUT on a connected TCP socket; returns whether every option took.
bool setLiveSocketOptions(qintptr descriptor);

// A second handle on a connected TCP socket, kept to tell how it ended: Qt
// reports a reset like a clean close by the peer, and closes its own handle
// before it says so. The handle must be released as soon as Qt lets go of the
// socket (or earlier): while it is held the system does not end the connection.
class TcpEndWitness {
public:
    TcpEndWitness() = default;
    TcpEndWitness(const TcpEndWitness&) = delete;
    TcpEndWitness& operator=(const TcpEndWitness&) = delete;
    ~TcpEndWitness() { release(); }

    // Starts watching the socket (releasing any earlier one).
    void watch(qintptr descriptor);
    // Whether the peer ended the connection with a close of its own (a FIN),
    // not a reset or a time-out; false when nothing is watched.
    bool peerClosedCleanly() const;
    // Whether the peer has stopped answering: data or keep-alive probes are being
    // sent again without an acknowledgement, though the system has not given up yet.
    bool peerStoppedAnswering() const;
    // Lets go of the socket.
    void release();

private:
    bool readInfo(struct tcp_info& info) const;

    int m_handle = -1;
};
