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
