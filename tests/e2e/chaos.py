#!/usr/bin/env python3
"""Chaos across real processes.

Starts a real hosting copy of the game ("hangman Host 127.0.0.1 true") on a
private Xvfb display with openbox, starts a game from its window with xdotool
(only the host's own client, slot 1, may start one) and sets the host to
"Just Watch" so the computer plays its seat. Then, for a bounded time, raw
protocol clients on 127.0.0.1:7772 misbehave in every way we can think of:
they log in, chat, pick letters on their turns (and off them), switch just
watch, disconnect abruptly and reconnect, send garbage, lines over 64 KiB
without a terminator, spoofed sender slots, half messages, big chat lines,
and one of them stops reading.

Meanwhile a well-behaved client (the watcher) checks that the game it sees
stays consistent: masks only grow and match the letters found, misses count
up one by one, scores add up, turns go to seats that are really there, and
messages keep coming. At quiet moments a further connection is made while all
nine slots are taken; it must be refused with "CMD_full+".

At the end the host must still be running and serving (a fresh client logs
in, a chat line goes round), and its resident memory must not have grown
without bound.

Exit codes: 0 pass, 1 fail, 77 skipped (no Xvfb, openbox or xdotool).
Only the Python standard library is used.
"""

import argparse
import fcntl
import os
import random
import selectors
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import realprocess  # noqa: E402
from steps import missing_tools, something_listens  # noqa: E402

PORT = 7772
TERM = b"\xff"
SKIP = 77


class Failure(Exception):
    pass


def log(*parts):
    print("[chaos %7.2f]" % (time.monotonic() - START), *parts, flush=True)


START = time.monotonic()


# ----------------------------------------------------------------------------
# Host process on a private X display


class Host:
    def __init__(self, binary, workdir, keep):
        self.binary = binary
        self.workdir = workdir
        self.keep = keep
        self.xvfb = None
        self.openbox = None
        self.proc = None
        self.display = None
        self.window = None

    def start(self):
        os.makedirs(os.path.join(self.workdir, "runtime"), mode=0o700)
        os.chmod(os.path.join(self.workdir, "runtime"), 0o700)
        os.makedirs(os.path.join(self.workdir, "home"))
        program = os.path.join(self.workdir, "hangman")
        shutil.copy2(self.binary, program)
        # A long game with short turns, so it keeps going for the whole run.
        with open(os.path.join(self.workdir, "vorlixlobby.ini"), "w") as ini:
            ini.write("[hangman]\nPlaytoscore=500\nTimeperturn=10\nChoosecat=0\nOpenPortOnRouter=false\n")

        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.workdir, "xvfb.log"), "w"))
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and not number.endswith(b"\n"):
            ready = selectors.DefaultSelector()
            ready.register(read_fd, selectors.EVENT_READ)
            if ready.select(timeout=0.5):
                chunk = os.read(read_fd, 16)
                if not chunk:
                    break
                number += chunk
            ready.close()
        os.close(read_fd)
        if not number.strip():
            raise Failure("Xvfb did not report a display")
        self.display = ":" + number.decode().strip()

        env = dict(os.environ)
        env.update({
            "DISPLAY": self.display,
            "XDG_RUNTIME_DIR": os.path.join(self.workdir, "runtime"),
            "HOME": os.path.join(self.workdir, "home"),
            "QT_QPA_PLATFORM": "xcb",
        })
        env.pop("WAYLAND_DISPLAY", None)
        self.env = env
        with open(os.path.join(self.workdir, "openbox.log"), "w") as openbox_log:
            self.openbox = realprocess.start_window_manager(env, openbox_log)
        self.hostlog = os.path.join(self.workdir, "host.log")
        self.proc = subprocess.Popen([program, "Host", "127.0.0.1", "true"], cwd=self.workdir, env=env,
                                     stdout=open(self.hostlog, "w"), stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise Failure("host ended at start-up with code %s" % self.proc.returncode)
            found = self.xdotool("search", "--onlyvisible", "--name", "^HangMan$")
            if found:
                self.window = found.split()[0]
                break
            time.sleep(0.2)
        if not self.window:
            raise Failure("the host's window never appeared")
        while time.monotonic() < deadline:
            try:
                socket.create_connection(("127.0.0.1", PORT), timeout=1).close()
                break
            except OSError:
                time.sleep(0.2)
        else:
            raise Failure("the host never listened on port %d" % PORT)

    def xdotool(self, *args, timeout=10):
        try:
            done = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            return ""
        return done.stdout.decode(errors="replace").strip()

    def visible(self, pattern):
        return self.xdotool("search", "--onlyvisible", "--name", pattern)

    def click_start(self):
        # The board's START GAME button, then the default button of the game start window.
        self.xdotool("mousemove", "--window", self.window, "281", "53", "click", "1")
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            dialog = self.visible("Game Start$")
            if dialog:
                dialog = dialog.split()[0]
                self.xdotool("windowactivate", "--sync", dialog, timeout=5)
                self.xdotool("key", "--window", dialog, "Return")
                return True
            time.sleep(0.2)
        return False

    def click_just_watch(self):
        # Options menu; its last entry is "Just Watch".
        self.xdotool("windowactivate", "--sync", self.window, timeout=5)
        self.xdotool("mousemove", "--window", self.window, "72", "9", "click", "1")
        time.sleep(0.5)
        self.xdotool("key", "Up")
        time.sleep(0.2)
        self.xdotool("key", "Return")

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def rss_kib(self):
        with open("/proc/%d/status" % self.proc.pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0

    def cpu_seconds(self):
        with open("/proc/%d/stat" % self.proc.pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def stop(self):
        code = None
        if self.proc is not None:
            if self.proc.poll() is None:
                self.proc.send_signal(signal.SIGTERM)
                try:
                    self.proc.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    self.proc.kill()
                    self.proc.wait(timeout=10)
            code = self.proc.returncode
        for helper in (self.openbox, self.xvfb):
            if helper is not None and helper.poll() is None:
                helper.terminate()
                try:
                    helper.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    helper.kill()
                    helper.wait(timeout=5)
        return code

    def log_tail(self, lines=40):
        try:
            with open(self.hostlog, errors="replace") as f:
                return "".join(f.readlines()[-lines:])
        except OSError:
            return ""


# ----------------------------------------------------------------------------
# Raw protocol clients


class Conn:
    """One non-blocking raw connection with its receive buffer and send queue."""

    def __init__(self, loop, name):
        self.loop = loop
        self.name = name
        self.sock = None
        self.buf = b""
        self.out = b""
        self.slot = 0
        self.logged_in = False
        self.closed = True
        self.eof = False
        self.reading = True
        self.full = False
        self.messages = 0

    def connect(self):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.settimeout(3)
        sock.connect(("127.0.0.1", PORT))
        sock.setblocking(False)
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.sock = sock
        self.buf = b""
        self.out = b""
        self.slot = 0
        self.logged_in = False
        self.closed = False
        self.eof = False
        self.full = False
        self.reading = True
        self.loop.register(self)

    def send(self, data, counted=True):
        if self.closed:
            return
        self.out += data
        if counted:
            self.loop.stats["messages_sent"] += max(1, data.count(TERM))
        self.loop.stats["bytes_sent"] += len(data)
        self.flush()

    def flush(self):
        while self.out and not self.closed:
            try:
                sent = self.sock.send(self.out[:262144])
            except BlockingIOError:
                break
            except OSError:
                self.lost()
                return
            self.out = self.out[sent:]
        self.loop.update(self)

    def close(self, reset=False):
        if self.closed:
            return
        if reset:
            # RST instead of FIN: the peer just vanishes.
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
        self.loop.unregister(self)
        try:
            self.sock.close()
        except OSError:
            pass
        self.closed = True

    def lost(self):
        self.eof = True
        self.close()

    def readable(self):
        try:
            data = self.sock.recv(65536)
        except BlockingIOError:
            return []
        except OSError:
            self.lost()
            return None
        if not data:
            self.lost()
            return None
        self.buf += data
        parts = self.buf.split(TERM)
        self.buf = parts.pop()
        self.messages += len(parts)
        return parts


class Loop:
    def __init__(self):
        self.sel = selectors.DefaultSelector()
        self.stats = {"messages_sent": 0, "bytes_sent": 0}

    def register(self, conn):
        self.sel.register(conn.sock, self.events(conn), conn)

    def events(self, conn):
        ev = 0
        if conn.reading:
            ev |= selectors.EVENT_READ
        if conn.out:
            ev |= selectors.EVENT_WRITE
        return ev

    def update(self, conn):
        if conn.closed:
            return
        ev = self.events(conn)
        try:
            key = self.sel.get_key(conn.sock)
        except KeyError:
            key = None
        if ev == 0:
            if key is not None:
                self.sel.unregister(conn.sock)
        elif key is None:
            self.sel.register(conn.sock, ev, conn)
        elif key.events != ev:
            self.sel.modify(conn.sock, ev, conn)

    def unregister(self, conn):
        try:
            self.sel.unregister(conn.sock)
        except (KeyError, ValueError):
            pass

    def poll(self, timeout, handler):
        for key, mask in self.sel.select(timeout):
            conn = key.data
            if conn.closed:
                continue
            if mask & selectors.EVENT_WRITE:
                conn.flush()
            if mask & selectors.EVENT_READ and not conn.closed:
                parts = conn.readable()
                if parts is None:
                    handler(conn, None)
                else:
                    for part in parts:
                        handler(conn, part)


def login_message(slot, name, version=b"1.0.6"):
    return b"CMD_logininfo+%d+%s+%s" % (slot, version, name) + TERM + TERM


def fields(args):
    return args.split(b"+")


# ----------------------------------------------------------------------------
# The watcher's view of the game


class Watcher:
    def __init__(self, conn):
        self.conn = conn
        self.roster = {}          # slot -> name, from the server's own announcements
        self.running = False
        self.mask = None
        self.word_len = 0
        self.misses = 0
        self.scores = {seat: 0 for seat in range(1, 7)}
        self.turn = 0
        self.last_message = time.monotonic()
        self.last_game_message = time.monotonic()
        self.counts = {}
        self.faults = []
        self.probes_seen = set()
        self.winner = None
        self.host_watching = False

    def fault(self, text):
        if len(self.faults) < 50:
            self.faults.append(text)
        log("INCONSISTENT:", text)

    def handle(self, msg, allowed_turn):
        self.last_message = time.monotonic()
        if b"+" not in msg:
            return
        name, args = msg.split(b"+", 1)
        self.counts[name] = self.counts.get(name, 0) + 1
        f = fields(args)
        if name in (b"CMD_newplayerinfo", b"CMD_existingplayers"):
            self.roster[int(f[0])] = args.split(b"+", 1)[1]
        elif name == b"CMD_playerdisconnected":
            self.roster.pop(int(f[0]), None)
        elif name == b"CMD_startgame":
            self.running = True
            self.scores = {seat: 0 for seat in range(1, 7)}
            self.mask = None
            self.winner = None
            self.host_watching = False
        elif name == b"CMD_justwatching":
            if f[0] == b"1":
                self.host_watching = args.split(b"+", 1)[1] == b"1"
        elif name == b"CMD_loadword":
            self.last_game_message = time.monotonic()
            self.mask = f[0]
            self.misses = 0
            if not self.mask or any(c not in b"*' " for c in self.mask):
                self.fault("new word with a revealed mask %r" % self.mask)
        elif name == b"CMD_nextplayer":
            self.last_game_message = time.monotonic()
            seat = int(f[0])
            self.turn = seat
            if not 1 <= seat <= 6:
                self.fault("turn to seat %d" % seat)
            elif not (seat == 2 or seat in self.roster or seat in allowed_turn()):
                self.fault("turn to seat %d, which nobody holds (roster %s)" % (seat, sorted(self.roster)))
        elif name == b"CMD_foundletter":
            self.last_game_message = time.monotonic()
            seat, letter, char, count, bonus, score = int(f[0]), int(f[1]), f[2], int(f[3]), int(f[4]), int(f[5])
            mask = f[10]
            if self.mask is None:
                self.fault("letter found before any word")
            else:
                if len(mask) != len(self.mask):
                    self.fault("mask changed length %r -> %r" % (self.mask, mask))
                else:
                    new = 0
                    for old_c, new_c in zip(self.mask, mask):
                        if old_c != ord("*") and old_c != new_c:
                            self.fault("mask lost a letter %r -> %r" % (self.mask, mask))
                            break
                        if old_c == ord("*") and new_c != ord("*"):
                            new += 1
                            if bytes([new_c]) != char:
                                self.fault("mask revealed %r for letter %r" % (bytes([new_c]), char))
                    if new != count or count < 1:
                        self.fault("found %d but the mask shows %d new (%r -> %r)" % (count, new, self.mask, mask))
                    complete = b"*" not in mask
                    if bonus != (10 if complete else 0):
                        self.fault("bonus %d for mask %r" % (bonus, mask))
                if not 1 <= letter <= 26 or bytes([96 + letter]) != char:
                    self.fault("letter %d sent as %r" % (letter, char))
                if score != self.scores.get(seat, 0) + count + bonus:
                    self.fault("seat %d score %d, expected %d" % (seat, score, self.scores.get(seat, 0) + count + bonus))
                self.scores[seat] = score
                if seat != self.turn:
                    self.fault("seat %d found a letter during seat %d's turn" % (seat, self.turn))
                self.mask = mask
        elif name == b"CMD_addman":
            self.last_game_message = time.monotonic()
            seat, misses = int(f[0]), int(f[3])
            if misses != self.misses + 1 or misses > 7:
                self.fault("misses went %d -> %d" % (self.misses, misses))
            if seat != self.turn:
                self.fault("seat %d missed during seat %d's turn" % (seat, self.turn))
            self.misses = misses
            word = f[4]
            if misses == 7 and self.mask is not None and len(word) != len(self.mask):
                self.fault("hanged word %r does not fit mask %r" % (word, self.mask))
        elif name == b"CMD_winner":
            self.running = False
            self.winner = args
        elif name == b"CMD_chat":
            text = args.split(b"+", 1)[1] if b"+" in args else b""
            if b"probe-" in text:
                self.probes_seen.add(text.split(b"probe-", 1)[1].split(b"|", 1)[0])


# ----------------------------------------------------------------------------
# The chaos itself


class Chaos:
    def __init__(self, host, duration, seed):
        self.host = host
        self.duration = duration
        self.rng = random.Random(seed)
        self.loop = Loop()
        self.stats = self.loop.stats
        self.stats.update({
            "connects": 0, "abrupt_disconnects": 0, "server_closes": 0, "oversized_lines": 0,
            "garbage_bursts": 0, "spoofs": 0, "letter_picks": 0, "chats": 0, "big_chats": 0,
            "justwatch": 0, "long_names": 0, "full_checks": 0, "full_refusals": 0, "games_started": 0, "half_messages": 0,
        })
        self.watcher_conn = Conn(self.loop, "watcher")
        self.watcher = Watcher(self.watcher_conn)
        self.players = [Conn(self.loop, "p%d" % i) for i in range(7)]
        self.probe = Conn(self.loop, "tenth")
        for p in self.players:
            p.next_action = 0.0
            p.reconnect_at = 0.0
            p.mode = "normal"
            p.used = set()
            p.oversize_sent = 0.0
        self.recently_closed = {}   # slot -> time its raw connection was closed
        self.extra_conns = []
        self.quiet_until = 0.0
        self.failures = []

    # -- helpers --

    def allowed_turn(self):
        now = time.monotonic()
        seats = {p.slot for p in self.players if not p.closed and p.slot}
        seats |= {slot for slot, when in self.recently_closed.items() if now - when < 5}
        seats |= {conn.slot for conn in self.extra_conns if conn.slot}
        return seats

    def fail(self, text):
        log("FAIL:", text)
        self.failures.append(text)

    def run_until(self, predicate, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if predicate():
                return True
            self.loop.poll(0.05, self.on_message)
            if not self.host.alive():
                raise Failure("the host died (code %s)" % self.host.proc.returncode)
        return predicate()

    def on_message(self, conn, msg):
        if msg is None:
            self.on_closed(conn)
            return
        if conn is self.watcher_conn:
            if msg.startswith(b"CMD_sendlogininfo+"):
                conn.slot = int(msg.split(b"+", 1)[1])
                conn.send(login_message(conn.slot, b"Watcher"))
                conn.logged_in = True
            self.watcher.handle(msg, self.allowed_turn)
            return
        if conn is self.probe:
            if msg == b"CMD_full+":
                conn.full = True
            elif msg.startswith(b"CMD_sendlogininfo+"):
                conn.slot = int(msg.split(b"+", 1)[1])
            return
        if msg.startswith(b"CMD_sendlogininfo+"):
            conn.slot = int(msg.split(b"+", 1)[1])
            if conn.mode != "silent":
                name = self.rng.choice([b"Chaos%d" % conn.slot, b"pl+us", b"\xe9l\xe8ve", b"", b"x" * 300])
                if self.rng.random() < 0.05:
                    # A name near the longest a login may carry: every chat of
                    # this player is then relayed longer than any client sends.
                    name = b"L" * self.rng.randint(30000, 65400)
                    self.stats["long_names"] += 1
                version = b"1.0.6" if self.rng.random() < 0.9 else b"0.9"
                conn.send(login_message(conn.slot, name, version))
                conn.logged_in = True
        elif msg.startswith(b"CMD_full+"):
            conn.full = True
        elif msg.startswith(b"CMD_nextplayer+") and conn.logged_in:
            seat = int(fields(msg)[1])
            if seat == conn.slot and self.rng.random() < 0.97:
                conn.pick_at = time.monotonic() + self.rng.uniform(0.02, 0.6)
        elif msg.startswith(b"CMD_loadword+"):
            conn.used = set()
        elif msg.startswith(b"CMD_foundletter+") or msg.startswith(b"CMD_addman+"):
            conn.used.add(int(fields(msg)[2]))

    def on_closed(self, conn):
        if conn is self.watcher_conn:
            self.fail("the host closed the well-behaved client's connection")
            return
        if conn is self.probe:
            return
        self.stats["server_closes"] += 1
        if conn.slot:
            self.recently_closed[conn.slot] = time.monotonic()
        conn.reconnect_at = time.monotonic() + self.rng.uniform(0.1, 1.5)

    def connect(self, conn):
        try:
            conn.connect()
        except OSError as error:
            self.fail("%s could not connect: %s" % (conn.name, error))
            return False
        conn.pick_at = 0.0
        conn.used = set()
        self.stats["connects"] += 1
        return True

    # -- misbehaviour --

    def act(self, p, now):
        r = self.rng.random()
        slot = p.slot or self.rng.randint(1, 9)
        if r < 0.20:
            text = self.rng.choice([b"hello", b"gg", b"a+b+c", b"pipe|clRed", b"\xe4\xf6\xfc", b"/me waves", b""])
            p.send(b"CMD_chat+%d+%s|clBlack" % (slot, text) + TERM)
            self.stats["chats"] += 1
        elif r < 0.28:
            p.send(b"CMD_action+%d+dances|$00FF00FF" % slot + TERM)
            self.stats["chats"] += 1
        elif r < 0.32:
            p.send(b"CMD_playasound+%d+wave%d+" % (slot, self.rng.randint(0, 25)) + TERM)
        elif r < 0.40:
            p.send(b"CMD_justwatch+%d+%s" % (slot, self.rng.choice([b"1", b"2", b"3", b""])) + TERM)
            self.stats["justwatch"] += 1
        elif r < 0.52:
            # Spoofed sender slots: somebody else's letter, chat, kick, start, bot speed.
            other = self.rng.choice([1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10, -1, 99999999999])
            p.send(self.rng.choice([
                b"CMD_selectletter+%d+%d+" % (other, self.rng.randint(1, 26)),
                b"CMD_chat+%d+spoofed|clRed" % other,
                b"CMD_kickhim+1+%d+" % self.rng.randint(1, 9),
                b"CMD_startgame+Evil+50+10+t+t+",
                b"CMD_botspeed+1+1+",
                b"CMD_choosecat+%d+%d+" % (other, self.rng.randint(-1, 9)),
                b"CMD_justwatch+%d+1" % self.rng.randint(1, 6),
                b"CMD_logininfo+%d+1.0.6+Impostor" % other + TERM,
            ]) + TERM)
            self.stats["spoofs"] += 1
        elif r < 0.60:
            burst = bytes(self.rng.getrandbits(8) for _ in range(self.rng.randint(1, 400)))
            burst += self.rng.choice([b"CMD_+" + TERM, b"+" + TERM, b"CMD_selectletter" + TERM, TERM * 3,
                                      b"CMD_selectletter+%d+abc+" % slot + TERM,
                                      b"CMD_selectletter+%d+0+" % slot + TERM,
                                      b"CMD_selectletter+%d+27+" % slot + TERM,
                                      b"CMD_nonsense+1+2+3" + TERM])
            # At most a handful of terminators, so the server's per-connection queue is not the point here.
            parts = burst.split(TERM)
            burst = TERM.join(parts[:6] + [b"".join(parts[6:])]) if len(parts) > 6 else burst
            p.send(burst)
            self.stats["garbage_bursts"] += 1
        elif r < 0.66:
            # A message in pieces, sent over several writes.
            message = b"CMD_chat+%d+slowly|clBlue" % slot + TERM
            for i in range(0, len(message), 3):
                p.send(message[i:i + 3], counted=message[i:i + 3].endswith(TERM))
            self.stats["half_messages"] += 1
        elif r < 0.68 and now >= self.quiet_until:
            # A big, legal chat line.
            p.send(b"CMD_chat+%d+" % slot + b"Z" * self.rng.randint(4000, 65400) + b"|clBlack" + TERM)
            self.stats["big_chats"] += 1
        elif r < 0.71 and now >= self.quiet_until:
            # Over 64 KiB without a terminator: the host must drop this connection.
            p.send(b"CMD_chat+%d+" % slot + b"Q" * (70 * 1024))
            p.mode = "oversize"
            p.oversize_sent = now
            self.stats["oversized_lines"] += 1
        elif r < 0.76 and now >= self.quiet_until:
            if p.slot:
                self.recently_closed[p.slot] = now
            p.close(reset=self.rng.random() < 0.5)
            p.reconnect_at = now + self.rng.uniform(0.05, 2.0)
            self.stats["abrupt_disconnects"] += 1
        elif r < 0.78 and now >= self.quiet_until:
            # Stop reading for a while; the host must not stall or grow for it.
            p.reading = False
            p.resume_reading = now + self.rng.uniform(1, 5)
            self.loop.update(p)
        else:
            pass  # idle this time

    def pick_letter(self, p):
        unused = [n for n in range(1, 27) if n not in p.used]
        letter = self.rng.choice(unused) if unused and self.rng.random() < 0.9 else self.rng.randint(1, 26)
        p.send(b"CMD_selectletter+%d+%d+" % (p.slot, letter) + TERM)
        self.stats["letter_picks"] += 1

    # -- the tenth connection --

    def full_check(self):
        """With every slot taken, one more connection must get CMD_full+ and be closed."""
        self.quiet_until = time.monotonic() + 8
        for p in self.players:
            p.reading = True
            if not p.closed:
                self.loop.update(p)
            if not p.closed and p.mode == "oversize":
                self.run_until(lambda: p.closed, 5)
        for p in self.players:
            if p.closed:
                self.connect(p)
                p.mode = "normal"
        if not self.run_until(lambda: all(p.slot or p.closed for p in self.players), 5):
            return
        # A login still on its way may move its player into the seat kept for its
        # name, refusing the newcomer who sat there and freeing the slot it came
        # in on: the game is then rightly no longer full. Let the logins settle.
        self.run_until(lambda: False, 1.0)
        if any(p.closed for p in self.players):
            return   # a connection went away on its own meanwhile; try again later
        self.stats["full_checks"] += 1
        try:
            self.probe.connect()
        except OSError as error:
            self.fail("the tenth connection could not even connect: %s" % error)
            return
        ok = self.run_until(lambda: self.probe.full or self.probe.slot or self.probe.closed, 5)
        if self.probe.full:
            if self.run_until(lambda: self.probe.closed, 5):
                self.stats["full_refusals"] += 1
            else:
                self.fail("the tenth connection got CMD_full+ but was not closed")
        elif self.probe.slot:
            self.fail("a tenth connection was given slot %d" % self.probe.slot)
        elif not ok or self.probe.closed:
            self.fail("the tenth connection was closed without CMD_full+")
        self.probe.close()
        self.quiet_until = 0.0

    # -- game start from the host's window --

    def start_game(self):
        for attempt in range(3):
            seen = self.watcher.counts.get(b"CMD_startgame", 0)
            if not self.host.click_start():
                log("game start window did not open, attempt", attempt + 1)
                self.run_until(lambda: False, 1)
                continue
            if self.run_until(lambda: self.watcher.counts.get(b"CMD_startgame", 0) > seen, 10):
                self.stats["games_started"] += 1
                break
        else:
            raise Failure("could not start a game from the host's window")
        for attempt in range(3):
            self.host.click_just_watch()
            if self.run_until(lambda: self.watcher.host_watching, 5):
                return
        log("the host did not switch to Just Watch; its turns will run out instead")

    # -- the run --

    def run(self):
        # The players take the seats 2 to 6 and two spy places; the watcher comes
        # last and watches from slot 9, so it never holds up a turn.
        for p in self.players:
            self.connect(p)
            self.run_until(lambda: p.slot, 5)
        if not self.connect(self.watcher_conn):
            raise Failure("the watcher could not connect")
        if not self.run_until(lambda: 1 in self.watcher.roster and self.watcher_conn.logged_in, 15):
            raise Failure("the watcher never saw the host's own player")
        if self.watcher_conn.slot <= 6:
            raise Failure("the watcher got seat %d instead of a spy place" % self.watcher_conn.slot)
        self.start_game()
        self.run_until(lambda: False, 3)
        rss_start = self.host.rss_kib()
        cpu_start = self.host.cpu_seconds()
        log("chaos for %d s; host RSS at start %d KiB" % (self.duration, rss_start))

        begin = time.monotonic()
        end = begin + self.duration
        next_full = begin + 4
        probe_number = 0
        last_progress_log = begin
        rss_samples = [(0.0, rss_start)]
        while time.monotonic() < end and len(self.failures) < 10:
            self.loop.poll(0.02, self.on_message)
            now = time.monotonic()
            if not self.host.alive():
                raise Failure("the host died (code %s)" % self.host.proc.returncode)
            for p in self.players:
                if p.closed:
                    if p.mode == "oversize":
                        p.mode = "normal"
                    if now >= p.reconnect_at:
                        # Now and then a connection that never logs in.
                        p.mode = "silent" if self.rng.random() < 0.1 else "normal"
                        self.connect(p)
                    continue
                if p.mode == "oversize":
                    if now - p.oversize_sent > 10:
                        self.fail("a line over 64 KiB did not get %s dropped within 10 s" % p.name)
                        p.close()
                    continue
                if not p.reading and now >= getattr(p, "resume_reading", 0):
                    p.reading = True
                    self.loop.update(p)
                if p.mode != "silent" and getattr(p, "pick_at", 0) and now >= p.pick_at:
                    p.pick_at = 0.0
                    self.pick_letter(p)
                if p.mode != "silent" and now >= p.next_action:
                    p.next_action = now + self.rng.uniform(0.05, 0.5)
                    self.act(p, now)
            if self.watcher.winner is not None and not self.watcher.running:
                log("game won by %r; starting another" % self.watcher.winner)
                self.start_game()
            if now >= next_full:
                self.full_check()
                probe_number += 1
                self.watcher_conn.send(b"CMD_chat+%d+probe-%d|clBlack" % (self.watcher_conn.slot, probe_number) + TERM)
                next_full = time.monotonic() + self.rng.uniform(5, 9)
            if now - self.watcher.last_message > 15:
                self.fail("the well-behaved client heard nothing for 15 s")
                self.watcher.last_message = now
            if self.watcher.running and now - self.watcher.last_game_message > 40:
                self.fail("the game made no move for 40 s")
                self.watcher.last_game_message = now
            if now - last_progress_log >= 10:
                last_progress_log = now
                rss_samples.append((now - begin, self.host.rss_kib()))
                log("t=%3.0f s  sent %d msgs, %d abrupt disconnects, %d closed by host, host RSS %d KiB"
                    % (now - begin, self.stats["messages_sent"], self.stats["abrupt_disconnects"],
                       self.stats["server_closes"], rss_samples[-1][1]))

        # Wind down: everyone leaves but the watcher, then check the host still serves.
        for p in self.players:
            if not p.closed and p.slot:
                self.recently_closed[p.slot] = time.monotonic()
            p.close()
        self.run_until(lambda: False, 1)
        fresh = Conn(self.loop, "fresh")
        self.extra_conns.append(fresh)
        self.connect(fresh)
        seen = {"newplayer": False}

        def fresh_handler(conn, msg):
            if conn is fresh and msg is not None:
                if msg.startswith(b"CMD_sendlogininfo+"):
                    conn.slot = int(msg.split(b"+", 1)[1])
                    conn.send(login_message(conn.slot, b"Latecomer"))
                elif msg == b"CMD_newplayerinfo+%d+Latecomer" % conn.slot:
                    seen["newplayer"] = True
                return
            self.on_message(conn, msg)

        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and not seen["newplayer"]:
            self.loop.poll(0.05, fresh_handler)
        if not seen["newplayer"]:
            self.fail("after the chaos a fresh client could not log in")
        probe_number += 1
        last = b"%d" % probe_number
        self.watcher_conn.send(b"CMD_chat+%d+probe-%d|clBlack" % (self.watcher_conn.slot, probe_number) + TERM)
        if not self.run_until(lambda: last in self.watcher.probes_seen, 15):
            self.fail("after the chaos the host did not relay a chat line")
        fresh.close()

        # Let the host settle, then compare its memory with the start.
        self.run_until(lambda: False, 5)
        if not self.host.alive():
            raise Failure("the host died (code %s)" % self.host.proc.returncode)
        rss_end = self.host.rss_kib()
        cpu_used = self.host.cpu_seconds() - cpu_start
        return rss_start, rss_end, rss_samples, cpu_used, time.monotonic() - begin


def sanitized(binary):
    """Whether the program was built with AddressSanitizer."""
    try:
        with open(binary, "rb") as f:
            return b"__asan_init" in f.read()
    except OSError:
        return False


def bring_loopback_up():
    """In a fresh network namespace the loopback device starts down."""
    SIOCGIFFLAGS, SIOCSIFFLAGS, IFF_UP = 0x8913, 0x8914, 0x1
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        request = struct.pack("16sH14s", b"lo", 0, b"")
        flags = struct.unpack("16sH", fcntl.ioctl(s, SIOCGIFFLAGS, request)[:18])[1]
        fcntl.ioctl(s, SIOCSIFFLAGS, struct.pack("16sH14s", b"lo", flags | IFF_UP, b""))


def isolate(argv):
    """Runs this script again in a private network namespace, where port 7772 is
    ours alone, when the machine allows it; returns its exit code, or None."""
    if os.environ.get("HANGMAN_CHAOS_ISOLATED") or shutil.which("unshare") is None:
        return None
    probe = subprocess.run(["unshare", "--net", "true"], capture_output=True)
    if probe.returncode != 0:
        return None
    env = dict(os.environ, HANGMAN_CHAOS_ISOLATED="1")
    return subprocess.call(["unshare", "--net", sys.executable, os.path.abspath(__file__), *argv], env=env)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("binary", help="the hangman program to host the game")
    parser.add_argument("--duration", type=float, default=40, help="seconds of chaos (default 40)")
    parser.add_argument("--seed", type=int, default=None, help="random seed (default: from the clock)")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    parser.add_argument("--rss-growth-kib", type=int, default=48 * 1024,
                        help="largest allowed growth of the host's resident memory (default 48 MiB)")
    parser.add_argument("--shared-network", action="store_true",
                        help="use the machine's own loopback instead of a private network namespace")
    args = parser.parse_args()

    if not args.shared_network:
        code = isolate(sys.argv[1:])
        if code is not None:
            return code
    if os.environ.get("HANGMAN_CHAOS_ISOLATED"):
        bring_loopback_up()
        log("in a private network namespace")

    missing = missing_tools("Xvfb", "openbox", "xdotool")
    if missing:
        print("SKIP: %s not installed" % ", ".join(missing))
        return SKIP
    if not os.access(args.binary, os.X_OK):
        print("FAIL: %s is not an executable program" % args.binary)
        return 1
    if something_listens(PORT):
        print("FAIL: something already listens on 127.0.0.1:%d" % PORT)
        return 1

    seed = args.seed if args.seed is not None else int(time.time())
    log("seed %d" % seed)
    workdir = tempfile.mkdtemp(prefix="hangman-chaos-")
    host = Host(os.path.abspath(args.binary), workdir, args.keep)
    failures = []
    result = None
    chaos = None
    try:
        host.start()
        chaos = Chaos(host, args.duration, seed)
        result = chaos.run()
        failures += chaos.failures
        failures += chaos.watcher.faults
    except Failure as error:
        failures.append(str(error))
        if chaos is not None:
            failures += chaos.failures + chaos.watcher.faults
    finally:
        visible = set(host.visible("^Hangman$").split()) - {host.window} if host.display else set()
        if visible:
            failures.append("the host shows a message box titled Hangman (an error?)")
        code = host.stop()
        log("host exit code %s" % code)
        # Asked to end, the host closes its window and exits with 0; anything
        # else is a crash at shutdown or a sanitizer's report.
        if code not in (0, None) and not any("died" in text for text in failures):
            failures.append("the host exited with code %s when asked to end" % code)

    if result:
        rss_start, rss_end, samples, cpu_used, elapsed = result
        stats = chaos.stats
        survived = stats["abrupt_disconnects"] + stats["server_closes"]
        print("")
        print("chaos figures (seed %d, %.0f s of chaos):" % (seed, args.duration))
        print("  messages sent          %d (%d bytes)" % (stats["messages_sent"], stats["bytes_sent"]))
        print("  disconnects survived   %d (%d abrupt by clients, %d closed by the host)"
              % (survived, stats["abrupt_disconnects"], stats["server_closes"]))
        for key in ("connects", "letter_picks", "chats", "big_chats", "long_names", "spoofs", "garbage_bursts",
                    "half_messages", "oversized_lines", "justwatch", "games_started"):
            print("  %-22s %d" % (key.replace("_", " "), stats[key]))
        print("  tenth connection       refused %d of %d checks" % (stats["full_refusals"], stats["full_checks"]))
        watcher = chaos.watcher
        print("  watcher received       %d messages: %s" % (
            watcher.conn.messages,
            ", ".join("%s %d" % (name.decode()[4:], count) for name, count in sorted(watcher.counts.items())
                      if name.startswith(b"CMD_"))))
        print("  host RSS               %d KiB at start, %d KiB at end (%+d KiB); samples %s"
              % (rss_start, rss_end, rss_end - rss_start, ", ".join("%d" % kib for _, kib in samples)))
        print("  host processor time    %.1f s over %.0f s" % (cpu_used, elapsed))
        allowed = args.rss_growth_kib
        if sanitized(host.binary):
            # AddressSanitizer keeps freed memory in quarantine (256 MiB by default);
            # its leak check at exit stands in for this one.
            allowed += 300 * 1024
            print("  (AddressSanitizer build: %d KiB allowed for the quarantine and the leak check at exit)"
                  % allowed)
        if rss_end - rss_start > allowed:
            failures.append("host resident memory grew by %d KiB" % (rss_end - rss_start))
        if stats["full_checks"] == 0:
            failures.append("no moment came where all nine slots were taken")
        if stats["letter_picks"] == 0 or watcher.counts.get(b"CMD_nextplayer", 0) < 3:
            failures.append("the game hardly moved (%d turns)" % watcher.counts.get(b"CMD_nextplayer", 0))
    if failures:
        print("\nFAILED:")
        for text in failures:
            print("  -", text)
        tail = host.log_tail()
        if tail:
            print("\nhost output (last lines):\n" + tail)
        print("work folder:", workdir)
        return 1
    if not args.keep:
        shutil.rmtree(workdir, ignore_errors=True)
    print("\nPASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
