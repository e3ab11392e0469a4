#!/usr/bin/env python3
"""How soon a joiner is back in its seat once a cut link returns.

Two network namespaces joined by a veth pair, as in tests/e2e/live_network.py: a
hosting copy ("Host 127.0.0.1 true", offscreen) in A, a joining copy named Bea
in B and a raw watcher on A's loopback. Each round, nftables drops everything on
B's end of the link for --cut seconds (45 by default), so both sides give the
connection up by keep-alive; when the drops end, the clock runs until the
watcher gets "CMD_newplayerinfo" for Bea's seat.

Side by side in the same run, the reference: after each of those cuts a second
one, during which Bea's copy is killed, and a fresh copy named Bea is started at
the moment the link returns (what a player would do by hand before the copy
reconnected by itself). Rounds alternate, so both rows share the machine's load.

Usage: bench_reconnect.py PATH/TO/hangman [--cuts N] [--cut SECONDS]
Needs root (namespaces) and nft.
"""

import argparse
import os
import statistics
import sys
import time

import realprocess

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import live_network as net  # noqa: E402

RETURN_LIMIT = 120  # seconds a return may take before the round counts as failed


def is_bea(message):
    return message.startswith(b"CMD_newplayerinfo+") and message.endswith(b"+Bea")


def start_bea(binary, link):
    return net.start_program(link, link.b, binary, ["Bea", net.HOST_ADDRESS, "false"])


def cut_and_wait(link, watcher, seat, cut_seconds, after_cut=None):
    """Drops B's traffic for cut_seconds, and on until the host has let Bea go."""
    net.CUT_SECONDS = cut_seconds
    net.cut_until_gone(link, watcher.messages, seat, after_cut)


def time_return(link, watcher, seat, on_return=None):
    """Calls on_return as the link comes back; seconds until Bea is back in her seat."""
    back = time.monotonic()
    result = on_return() if on_return else None
    message = watcher.wait_for(is_bea, RETURN_LIMIT, "Bea's return")
    if message != b"CMD_newplayerinfo+%d+Bea" % seat:
        raise net.Failure("Bea came back as %r, not in seat %d" % (message, seat))
    return time.monotonic() - back, result


def run(binary, cuts, cut_seconds):
    link = net.Link().create()
    host = net.start_program(link, link.a, binary, ["Host", "127.0.0.1", "true"],
                             settings="[hangman]\nOpenPortOnRouter=false\n")
    bea = None
    reconnected, restarted = [], []
    try:
        net.connect(link, link.a, "127.0.0.1").close()
        bea = start_bea(binary, link)
        time.sleep(2)
        watcher = net.RawClient(net.connect(link, link.a, "127.0.0.1"), "Watcher")
        arrival = watcher.wait_for(lambda m: m.startswith(b"CMD_existingplayers+") and m.endswith(b"+Bea"), 30,
                                   "Bea in the roster")
        seat = int(arrival.split(b"+")[1])
        for round_number in range(1, cuts + 1):
            cut_and_wait(link, watcher, seat, cut_seconds)
            seconds, _ = time_return(link, watcher, seat)
            reconnected.append(seconds)
            print("round %d: reconnecting copy back after %.2f s" % (round_number, seconds), flush=True)

            cut_and_wait(link, watcher, seat, cut_seconds, bea.proc.kill)
            bea.stop()
            seconds, bea = time_return(link, watcher, seat, lambda: start_bea(binary, link))
            restarted.append(seconds)
            print("round %d: fresh copy back after %.2f s" % (round_number, seconds), flush=True)
        watcher.sock.close()
    finally:
        if bea:
            bea.stop()
        host.stop()
        link.close()
        for path in net.LOGS:
            if os.path.exists(path):
                os.remove(path)
    return reconnected, restarted


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("binary")
    parser.add_argument("--cuts", type=int, default=5)
    parser.add_argument("--cut", type=float, default=net.CUT_SECONDS, help="seconds each cut lasts")
    args = parser.parse_args()
    print("machine:", realprocess.machine())
    print("%d cuts of %.0f s each way" % (args.cuts, args.cut), flush=True)
    try:
        reconnected, restarted = run(os.path.abspath(args.binary), args.cuts, args.cut)
    except net.Failure as failure:
        print("FAIL:", failure)
        return 1
    print("%-44s %10s %10s  all (s)" % ("back in the seat after the link's return", "median", "slowest"))
    for label, figures in (("the copy that reconnects by itself", reconnected),
                           ("reference: a fresh copy started at the return", restarted)):
        print("%-44s %9.2fs %9.2fs  %s" % (label, statistics.median(figures), max(figures),
                                            " ".join("%.2f" % f for f in figures)))
    print("(load average now %s)" % " ".join(open("/proc/loadavg").read().split()[:3]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
