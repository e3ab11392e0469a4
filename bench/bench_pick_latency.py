#!/usr/bin/env python3
"""Latency of a letter pick on loopback, through a real hosting copy.

Starts `hangman Host 127.0.0.1 true` on a private Xvfb display, connects raw
protocol clients that take seats 2 to 6, starts a game from the host's window
(only the host may) and sets the host to "Just Watch". Whenever one of the raw
seats has the turn (or keeps it after a find) it waits a moment (--think, 10 to
30 ms: quicker than any player, but not inside the 10 ms the host leaves between
two messages) and picks an unused letter, and measures the time from sending
"CMD_selectletter" to receiving its "CMD_foundletter" or "CMD_addman".

With --flooders N, N more connections log in as spies and flood chat: each
keeps about 200 chat messages waiting in the host's queue, counting its own
relays to know how many are still outstanding; when none of its own has come
back for a second it takes the rest as lost and sends them again. With
--reference PATH the same runs are made, interleaved, with a second build (for
example one of an older commit), so both are measured side by side.

    python3 bench/bench_pick_latency.py build-perf/hangman [--seconds 60] [--flooders 1]
        [--reference OTHER/hangman] [--think 10,30]
"""

import argparse
import os
import random
import selectors
import socket
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import realprocess  # noqa: E402

TERM = b"\xff"
FLOOD_OUTSTANDING = 200
FLOOD_RESYNC = 1.0  # seconds without an own relay after which a flooder sends again


class Seat:
    def __init__(self, sel):
        self.sock = socket.create_connection(("127.0.0.1", realprocess.PORT), timeout=5)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.sock.setblocking(False)
        sel.register(self.sock, selectors.EVENT_READ, self)
        self.buf = b""
        self.slot = 0
        self.sent_at = None
        self.pick_at = None
        self.used = set()

    def send(self, data):
        self.sock.sendall(data)


class Flooder(Seat):
    def __init__(self, sel):
        super().__init__(sel)
        self.sent = 0
        self.relayed = 0
        self.closed = False
        self.last_relay = time.monotonic()

    def flood(self):
        if self.closed or not self.slot:
            return
        now = time.monotonic()
        if now - self.last_relay > FLOOD_RESYNC:
            self.sent = self.relayed
            self.last_relay = now
        missing = FLOOD_OUTSTANDING - (self.sent - self.relayed)
        if missing > 0:
            try:
                self.send(b"".join(b"CMD_chat+%d+flood %d|clRed" % (self.slot, self.sent + i) + TERM
                                   for i in range(missing)))
                self.sent += missing
            except OSError:
                self.closed = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--seats", type=int, default=5)
    parser.add_argument("--flooders", type=int, default=0)
    parser.add_argument("--reference", help="a second build measured the same way, interleaved")
    parser.add_argument("--think", default="10,30",
                        help="milliseconds a seat waits before picking, after its turn or its find: MIN,MAX (default "
                        "10,30; below 10 a seat picks again inside the 10 ms the host leaves between two messages, "
                        "and the figure measures that spacing instead of the latency)")
    args = parser.parse_args()
    think = tuple(float(ms) / 1000 for ms in args.think.split(","))
    realprocess.isolate()
    print("machine:", realprocess.machine())
    builds = [("this build", args.binary)] + ([("reference", args.reference)] if args.reference else [])
    floods = sorted({0, args.flooders}) if args.reference or args.flooders else [0]
    status = 0
    for flooders in floods:
        for label, binary in builds:
            result = measure(os.path.abspath(binary), args.seconds, args.seats, flooders, think)
            if result is None:
                status = 1
                continue
            print("%s (%s), %d flooder(s): %s" % (label, binary, flooders, result), flush=True)
    return status


def measure(binary, seconds, seat_count, flooder_count, think):
    """Returns a line of figures, or None when the run failed."""
    display = realprocess.Display()
    if not display.start():
        print("SKIP: Xvfb or openbox missing")
        sys.exit(77)
    rng = random.Random(1)
    program = realprocess.Program(binary, ["Host", "127.0.0.1", "true"],
                                  settings="[hangman]\nPlaytoscore=500\nTimeperturn=60\nOpenPortOnRouter=false\n",
                                  platform="xcb", display=display.name)
    program.start()
    sel = selectors.DefaultSelector()
    samples = []
    state = {"started": False, "watching": False, "flood_lines": 0}
    flooders = []
    try:
        if not program.wait_listening():
            print("the host never listened")
            return None
        window = ""
        deadline = time.monotonic() + 20
        while not window and time.monotonic() < deadline:
            window = display.xdotool("search", "--onlyvisible", "--name", "^HangMan$").split("\n")[0]
            time.sleep(0.2)
        seats = [Seat(sel) for _ in range(seat_count)]

        def handle(seat, message):
            name, _, rest = message.partition(b"+")
            fields = rest.split(b"+")
            if name == b"CMD_chat" and b" chats: flood " in rest:
                if seat is seats[0]:
                    state["flood_lines"] += 1
                for flooder in flooders:
                    if seat is flooder and fields[0] == b"%d" % flooder.slot:
                        flooder.relayed += 1
                        flooder.last_relay = time.monotonic()
            elif name == b"CMD_sendlogininfo":
                seat.slot = int(rest)
                seat.send(b"CMD_logininfo+%d+1.0.6+Bench%d" % (seat.slot, seat.slot) + TERM + TERM)
            elif name == b"CMD_startgame":
                state["started"] = True
            elif name == b"CMD_justwatching" and fields[0] == b"1":
                state["watching"] = fields[1] == b"1"
            elif name == b"CMD_loadword":
                seat.used = set()
            elif name == b"CMD_nextplayer" and int(fields[0]) == seat.slot:
                seat.pick_at = time.monotonic() + rng.uniform(*think)
            elif name in (b"CMD_foundletter", b"CMD_addman"):
                who, letter = int(fields[0]), int(fields[1])
                seat.used.add(letter)
                if who == seat.slot and seat.sent_at is not None:
                    samples.append(time.monotonic() - seat.sent_at)
                    seat.sent_at = None
                    complete = name == b"CMD_foundletter" and b"*" not in fields[10]
                    if name == b"CMD_foundletter" and not complete:
                        seat.pick_at = time.monotonic() + rng.uniform(*think)

        def pump(seconds):
            end = time.monotonic() + seconds
            while time.monotonic() < end:
                for key, _ in sel.select(0.002):
                    seat = key.data
                    try:
                        data = seat.sock.recv(65536)
                    except OSError:
                        data = b""
                    if not data:
                        if seat in flooders:
                            seat.closed = True
                            sel.unregister(seat.sock)
                            continue
                        raise RuntimeError("the host closed a seat")
                    seat.buf += data
                    *messages, seat.buf = seat.buf.split(TERM)
                    for message in messages:
                        handle(seat, message)
                for flooder in flooders:
                    flooder.flood()
                now = time.monotonic()
                for seat in seats:
                    if seat.pick_at is not None and now >= seat.pick_at:
                        seat.pick_at = None
                        unused = [n for n in range(1, 27) if n not in seat.used]
                        if unused:
                            seat.sent_at = time.monotonic()
                            seat.send(b"CMD_selectletter+%d+%d+" % (seat.slot, rng.choice(unused)) + TERM)

        pump(1)
        print("seats", sorted(seat.slot for seat in seats))
        for _ in range(3):
            display.xdotool("mousemove", "--window", window, "281", "53", "click", "1")
            pump(1.5)
            dialog = display.xdotool("search", "--onlyvisible", "--name", "Game Start$").split("\n")[0]
            if dialog:
                display.xdotool("windowactivate", "--sync", dialog, timeout=5)
                display.xdotool("key", "--window", dialog, "Return")
            pump(2)
            if state["started"]:
                break
        if not state["started"]:
            print("could not start a game")
            return None
        for _ in range(3):
            display.xdotool("windowactivate", "--sync", window, timeout=5)
            display.xdotool("mousemove", "--window", window, "72", "9", "click", "1")
            time.sleep(0.5)
            display.xdotool("key", "Up")
            display.xdotool("key", "Return")
            pump(2)
            if state["watching"]:
                break
        flooders.extend(Flooder(sel) for _ in range(flooder_count))
        pump(1)
        samples.clear()
        state["flood_lines"] = 0
        started = time.monotonic()
        pump(seconds)
        closed_after = [f for f in flooders if f.closed]
    finally:
        program.stop()
        display.stop()
        for seat in seats + flooders:
            seat.sock.close()
    if len(samples) < 10:
        print("too few picks measured: %d" % len(samples))
        return None
    ordered = sorted(samples)
    p99 = ordered[min(len(ordered) - 1, int(round(0.99 * (len(ordered) - 1))))]
    line = ("%d picks in %.0f s, median %.1f ms, 99th percentile %.1f ms, fastest %.1f ms, slowest %.1f ms"
            % (len(samples), time.monotonic() - started, statistics.median(samples) * 1000, p99 * 1000,
               ordered[0] * 1000, ordered[-1] * 1000))
    if flooders:
        line += ("; flood lines relayed to a seat: %d (%.1f per second), flooders closed by the host: %d of %d"
                 % (state["flood_lines"], state["flood_lines"] / seconds, len(closed_after), len(flooders)))
    return line


if __name__ == "__main__":
    sys.exit(main())
