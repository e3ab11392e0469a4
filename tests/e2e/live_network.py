#!/usr/bin/env python3
"""Real copies of the game across a real (virtual) network link.

Two network namespaces made for this run only, joined by a veth pair
(192.0.2.1 on side A, 192.0.2.2 on side B; nothing leaves the namespaces):

  joiner-vanishes  a hosting copy in A, a raw client logged in from B and a
                   watcher on A's loopback; B's end of the link is cut silently
                   (no FIN, no RST). The watcher must get "CMD_playerdisconnected"
                   for the vanished client within 60 s.
  host-vanishes    a raw host in A and a joining copy in B; A's end of the link
                   is cut silently for 45 s. The joining copy must keep running
                   and, once the link is back, connect again and log in under its
                   name within 25 s; reset again, its next attempts must come
                   after pauses of 1, 2, 4 and 8 s (the five-minute limit is left
                   to the client's tests in virtual time).
  joiner-returns   a hosting copy in A and a joining copy named Bea in B, both on a
                   private Xvfb display, and a watcher on A's loopback. Bea
                   scores in a running game (her tiles clicked with xdotool), then
                   nftables drops everything on B's end of the link for 45 s (or
                   until the host has let her go, at most 60 s). The
                   watcher must see her leave and come back to the same seat within
                   25 s of the link's return, and her next find must add to the
                   score she had.
  lossy-game       a hosting copy in A on a private Xvfb display, a raw joiner in
                   B reaching it through a relay that holds every chunk 75 ms each
                   way (150 ms round trip), and nftables dropping 3 % of the
                   packets on A's end of the link. A whole two-player game (the
                   host set to "Just Watch", the joiner picking letters) must end
                   with a winner.
  crowded-address  a hosting copy in A; eight raw connections from B's
                   192.0.2.2 that never log in, then a friend from B's second
                   address 192.0.2.3. Two of the eight wait for their login, the
                   other six get "CMD_full+" and are closed, and the friend
                   logs in to a free seat.
  restarted-joiner a hosting copy in A and a watcher on its loopback; a joining
                   copy named Bea in B is killed and started again with the same
                   name. The watcher must see Bea back in the seat she had.
  early-return     a hosting copy in A and a watcher on its loopback; a raw Bea
                   logged in from B loses her connection while B's end of the
                   link is cut (her reset is dropped, so the host still holds it,
                   unanswered, as a line of chat goes out to her). Once the link
                   is back she logs in again from B: the watcher must see her old
                   connection end and her new one take the same seat.

Usage: live_network.py PATH/TO/hangman CASE
Exit status: 0 pass, 1 fail, 77 skipped (not root, no namespaces, or for
lossy-game and joiner-returns no nft, Xvfb, openbox or xdotool).
"""

import ctypes
import heapq
import os
import selectors
import shutil
import socket
import struct
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import realprocess  # noqa: E402

SKIP = 77
PORT = 7772
TERM = b"\xff"
HOST_ADDRESS = "192.0.2.1"   # documentation range, only ever inside our own namespaces
JOINER_ADDRESS = "192.0.2.2"
FRIEND_ADDRESS = "192.0.2.3"
CROWD = 8                    # raw connections from one address
NOTICE_LIMIT = 60            # seconds for a vanished peer to be noticed
CUT_SECONDS = 45             # how long a link stays cut where it comes back
RETURN_LIMIT = 25            # seconds from the link's return to the joiner being back
RETRY_PAUSES = (1, 2, 4, 8)  # seconds between a joiner's first attempts after a loss
PAUSE_SLACK = 0.7            # seconds either way for each of them
RELAY_HOLD = 0.075           # seconds each chunk is held in each direction
LOSS_PERCENT = 3
GAME_LIMIT = 150             # seconds for the whole lossy game
LETTERS = b"eaiorntslcudpmhgbfywkvxzjq"
START = time.monotonic()
LOG_PREFIX = os.path.join(os.environ.get("TMPDIR", "/tmp"), "hangman-live-%d" % os.getpid())
LOGS = []


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def log(*parts):
    print("[live %6.1f]" % (time.monotonic() - START), *parts, flush=True)


def run(*command, check=True):
    done = subprocess.run(command, capture_output=True, text=True, timeout=30)
    if check and done.returncode != 0:
        raise Failure("%s: %s" % (" ".join(command), done.stderr.strip()))
    return done


# ---- namespaces ------------------------------------------------------------

LIBC = ctypes.CDLL(None, use_errno=True)
CLONE_NEWNET = 0x40000000


class Link:
    """Namespaces A and B joined by a veth pair; removed again by close()."""

    def __init__(self):
        tag = str(os.getpid())
        self.a, self.b = "hm%sa" % tag, "hm%sb" % tag
        self.va, self.vb = "hv%sa" % tag, "hv%sb" % tag
        self.made = []
        self.own = os.open("/proc/self/ns/net", os.O_RDONLY)

    def create(self):
        if os.geteuid() != 0:
            raise Skip("needs root to create network namespaces")
        for ns in (self.a, self.b):
            if run("ip", "netns", "add", ns, check=False).returncode != 0:
                raise Skip("this machine cannot create network namespaces")
            self.made.append(ns)
        run("ip", "link", "add", self.va, "netns", self.a, "type", "veth", "peer", "name", self.vb, "netns", self.b)
        for ns, dev, address in ((self.a, self.va, HOST_ADDRESS), (self.b, self.vb, JOINER_ADDRESS)):
            run("ip", "-n", ns, "addr", "add", address + "/24", "dev", dev)
            run("ip", "-n", ns, "link", "set", dev, "up")
            run("ip", "-n", ns, "link", "set", "lo", "up")
        run("ip", "-n", self.b, "addr", "add", FRIEND_ADDRESS + "/24", "dev", self.vb)
        return self

    def enter(self, ns):
        """Context in which new sockets belong to namespace ns."""
        link = self

        class Inside:
            def __enter__(self):
                fd = os.open("/run/netns/" + ns, os.O_RDONLY)
                try:
                    if LIBC.setns(fd, CLONE_NEWNET) != 0:
                        raise Failure("setns failed: errno %d" % ctypes.get_errno())
                finally:
                    os.close(fd)

            def __exit__(self, *exc):
                LIBC.setns(link.own, CLONE_NEWNET)
        return Inside()

    def cut(self, ns, dev):
        run("ip", "-n", ns, "link", "set", dev, "down")

    def restore(self, ns, dev):
        run("ip", "-n", ns, "link", "set", dev, "up")

    def drop_all(self, ns, dev):
        """Drops every packet on dev in ns silently (no FIN, no RST, no ICMP) until keep_all()."""
        rules = ("table inet cut {\n"
                 " chain input { type filter hook input priority 0; iifname \"%s\" drop; }\n"
                 " chain output { type filter hook output priority 0; oifname \"%s\" drop; }\n"
                 "}\n" % (dev, dev))
        done = subprocess.run(["ip", "netns", "exec", ns, "nft", "-f", "-"], input=rules, text=True,
                              capture_output=True, timeout=30)
        if done.returncode != 0:
            raise Failure("nft: " + done.stderr.strip())

    def keep_all(self, ns):
        run("ip", "netns", "exec", ns, "nft", "delete", "table", "inet", "cut")

    def close(self):
        for ns in self.made:
            run("ip", "netns", "del", ns, check=False)
        os.close(self.own)


def start_program(link, ns, binary, arguments, settings=None, display=None):
    program = realprocess.Program(binary, arguments, settings=settings,
                                  platform="xcb" if display else "offscreen", display=display)
    log_path = "%s-%s-%s-%d.log" % (LOG_PREFIX, ns, arguments[0], len(LOGS))
    LOGS.append(log_path)
    with open(log_path, "w") as output:
        program.proc = subprocess.Popen(["ip", "netns", "exec", ns, program.path, *arguments], cwd=program.folder,
                                        env=program.env, stdout=output, stderr=subprocess.STDOUT)
    return program


def connect(link, ns, address, timeout=40, source=""):
    deadline = time.monotonic() + timeout
    while True:
        with link.enter(ns):
            try:
                return socket.create_connection((address, PORT), timeout=2, source_address=(source, 0))
            except OSError:
                if time.monotonic() > deadline:
                    raise Failure("nothing listens on %s:%d in %s" % (address, PORT, ns))
        time.sleep(0.1)


class RawClient:
    """A protocol client on a plain socket."""

    def __init__(self, sock, name):
        self.sock = sock
        self.name = name
        self.sock.setblocking(False)
        self.buf = b""
        self.slot = 0

    def send(self, data):
        self.sock.setblocking(True)
        self.sock.sendall(data)
        self.sock.setblocking(False)

    def messages(self, wait):
        """The messages that arrive within wait seconds (at least one poll)."""
        sel = selectors.DefaultSelector()
        sel.register(self.sock, selectors.EVENT_READ)
        got = []
        end = time.monotonic() + wait
        while True:
            if sel.select(max(0.0, end - time.monotonic())):
                data = self.sock.recv(65536)
                if not data:
                    raise Failure("%s: the connection closed" % self.name)
                self.buf += data
                *done, self.buf = self.buf.split(TERM)
                got += [m for m in done if m]
                for message in done:
                    if message.startswith(b"CMD_sendlogininfo+"):
                        self.slot = int(message.split(b"+")[1])
                        self.send(b"CMD_logininfo+%d+1.0.6+%s" % (self.slot, self.name.encode()) + TERM)
            if got or time.monotonic() >= end:
                sel.close()
                return got

    def wait_for(self, predicate, timeout, what):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for message in self.messages(deadline - time.monotonic()):
                if predicate(message):
                    return message
        raise Failure("%s: no %s within %ds" % (self.name, what, timeout))


# ---- cases -----------------------------------------------------------------

def joiner_vanishes(binary, link):
    host = start_program(link, link.a, binary, ["Host", "127.0.0.1", "true"])
    try:
        watcher = RawClient(connect(link, link.a, "127.0.0.1"), "Watcher")
        watcher.wait_for(lambda m: m.startswith(b"CMD_newplayerinfo+") and m.endswith(b"Watcher"), 20, "login")
        victim = RawClient(connect(link, link.b, HOST_ADDRESS), "Victim")
        victim.wait_for(lambda m: m.startswith(b"CMD_existingplayers+"), 20, "roster")
        slot = victim.slot
        watcher.wait_for(lambda m: m == b"CMD_newplayerinfo+%d+Victim" % slot, 20, "the victim's arrival")
        link.cut(link.b, link.vb)
        cut = time.monotonic()
        log("cut the joiner's side of the link; the victim holds slot", slot)
        watcher.wait_for(lambda m: m == b"CMD_playerdisconnected+%d+Victim" % slot, NOTICE_LIMIT,
                         "CMD_playerdisconnected for the vanished player")
        log("the host noticed after %.1f s" % (time.monotonic() - cut))
        if host.proc.poll() is not None:
            raise Failure("the host ended")
        victim.sock.close()
    finally:
        host.stop()


def accept_login(listener, slot, timeout):
    """A raw host's side of a joining copy's connection: the login request for slot and its answer."""
    listener.settimeout(timeout)
    try:
        conn, _ = listener.accept()
    except socket.timeout:
        raise Failure("the joining copy did not connect within %d s" % timeout)
    host = RawClient(conn, "RawHost")
    host.send(b"CMD_sendlogininfo+%d" % slot + TERM)
    host.wait_for(lambda m: m == b"CMD_logininfo+%d+1.0.6+Joiner" % slot, 20, "login from the joining copy")
    return host


def reset(sock):
    """Closes a connection with a reset, as a broken link or a rebooted router ends it."""
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
    sock.close()


def check_retry_pauses(listener, lost):
    """Accepts the joining copy's next attempts and resets each once it has logged in (a reset
    before the copy has seen its connection made lets Qt try the address a second time at
    once); their pauses must follow the schedule."""
    times = [lost]
    for pause in RETRY_PAUSES:
        try:
            attempt = accept_login(listener, 3, pause + 5)
        except Failure:
            raise Failure("no attempt %d s after the last" % pause)
        times.append(time.monotonic())
        reset(attempt.sock)
    pauses = [round(b - a, 2) for a, b in zip(times, times[1:])]
    log("pauses between the attempts after a reset:", pauses)
    if any(abs(seen - pause) > PAUSE_SLACK for seen, pause in zip(pauses, RETRY_PAUSES)):
        raise Failure("attempts came after %r s, not %r s" % (pauses, RETRY_PAUSES))


def host_vanishes(binary, link):
    with link.enter(link.a):
        listener = socket.create_server((HOST_ADDRESS, PORT))
    joiner = start_program(link, link.b, binary, ["Joiner", HOST_ADDRESS, "false"])
    try:
        host = accept_login(listener, 2, 20)
        host.send(b"CMD_newplayerinfo+2+Joiner" + TERM)
        time.sleep(1)
        link.cut(link.a, link.va)
        cut = time.monotonic()
        log("cut the host's side of the link")
        try:
            joiner.proc.wait(timeout=CUT_SECONDS)
            raise Failure("the joining copy ended %.1f s after its host vanished (status %d)"
                          % (time.monotonic() - cut, joiner.proc.returncode))
        except subprocess.TimeoutExpired:
            pass
        link.restore(link.a, link.va)
        back = time.monotonic()
        log("the joining copy still runs; the link is back")
        again = accept_login(listener, 2, RETURN_LIMIT)
        log("the joining copy logged in again %.1f s after the link's return" % (time.monotonic() - back))
        again.send(b"CMD_newplayerinfo+2+Joiner" + TERM)
        time.sleep(0.5)
        host.sock.close()
        reset(again.sock)
        check_retry_pauses(listener, time.monotonic())
        if joiner.proc.poll() is not None:
            raise Failure("the joining copy ended")
    finally:
        joiner.stop()
        listener.close()


class Relay(threading.Thread):
    """Listens on B's loopback and forwards to the host across the link, holding
    every chunk RELAY_HOLD seconds in each direction."""

    def __init__(self, link):
        super().__init__(daemon=True)
        self.link = link
        with link.enter(link.b):
            self.listener = socket.create_server(("127.0.0.1", PORT))
        self.stopping = False
        self.chunks = 0

    def run(self):
        self.listener.settimeout(30)
        try:
            inner, _ = self.listener.accept()
        except OSError:
            return
        # The main thread set the namespace for its sockets; this thread's own
        # namespace is still the original one, so enter B here too.
        fd = os.open("/run/netns/" + self.link.b, os.O_RDONLY)
        LIBC.setns(fd, CLONE_NEWNET)
        os.close(fd)
        outer = socket.create_connection((HOST_ADDRESS, PORT), timeout=20)
        for s in (inner, outer):
            s.setblocking(False)
            s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        peer = {inner: outer, outer: inner}
        sel = selectors.DefaultSelector()
        sel.register(inner, selectors.EVENT_READ)
        sel.register(outer, selectors.EVENT_READ)
        held = []  # (due, order, destination, bytes)
        order = 0
        while not self.stopping:
            wait = 0.05 if not held else max(0.0, min(0.05, held[0][0] - time.monotonic()))
            for key, _ in sel.select(wait):
                try:
                    data = key.fileobj.recv(65536)
                except BlockingIOError:
                    continue
                except OSError:
                    data = b""
                if not data:
                    self.stopping = True
                    break
                order += 1
                heapq.heappush(held, (time.monotonic() + RELAY_HOLD, order, peer[key.fileobj], data))
                self.chunks += 1
            while held and held[0][0] <= time.monotonic():
                _, _, destination, data = heapq.heappop(held)
                destination.setblocking(True)
                destination.sendall(data)
                destination.setblocking(False)
        sel.close()
        inner.close()
        outer.close()

    def stop(self):
        self.stopping = True
        self.listener.close()
        self.join(timeout=5)


def add_loss(link):
    rules = ("table inet lossy {\n"
             " chain input { type filter hook input priority 0; iifname \"%s\" numgen random mod 100 < %d counter drop; }\n"
             " chain output { type filter hook output priority 0; oifname \"%s\" numgen random mod 100 < %d counter drop; }\n"
             "}\n" % (link.va, LOSS_PERCENT, link.va, LOSS_PERCENT))
    done = subprocess.run(["ip", "netns", "exec", link.a, "nft", "-f", "-"], input=rules, text=True,
                          capture_output=True, timeout=30)
    if done.returncode != 0:
        raise Failure("nft: " + done.stderr.strip())


def dropped_packets(link):
    listing = run("ip", "netns", "exec", link.a, "nft", "list", "table", "inet", "lossy").stdout
    return sum(int(line.split("packets")[1].split()[0]) for line in listing.splitlines() if "packets" in line)


def find_window(display, program, whose):
    """The main window of a copy on the display."""
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        window = display.xdotool("search", "--all", "--onlyvisible", "--pid", str(program.proc.pid),
                                 "--name", "^HangMan$").split("\n")[0]
        if window:
            return window
        time.sleep(0.2)
    raise Failure(whose + " window never showed")


def start_game(display, window, client):
    """Starts a game from the host's window with the options its settings hold; client sees it start."""
    for _ in range(3):
        display.xdotool("windowactivate", "--sync", window, timeout=5)
        display.xdotool("mousemove", "--window", window, "281", "53", "click", "1")
        time.sleep(1.5)
        dialog = display.xdotool("search", "--onlyvisible", "--name", "Game Start$").split("\n")[0]
        if dialog:
            display.xdotool("windowactivate", "--sync", dialog, timeout=5)
            display.xdotool("key", "--window", dialog, "Return")
        try:
            client.wait_for(lambda m: m.startswith(b"CMD_startgame+"), 4, "start")
            log("game started")
            return
        except Failure:
            pass
    raise Failure("could not start a game from the host's window")


def lossy_game(binary, link):
    for tool in ("nft", "Xvfb", "openbox", "xdotool"):
        if not shutil.which(tool):
            raise Skip(tool + " is not installed")
    add_loss(link)
    display = realprocess.Display()
    if not display.start():
        raise Skip("Xvfb or openbox missing")
    relay = Relay(link)
    relay.start()
    host = start_program(link, link.a, binary, ["Host", "127.0.0.1", "true"], display=display.name,
                         settings="[hangman]\nPlaytoscore=50\nTimeperturn=20\nChoosecat=0\nBotspeed=1000\n")
    try:
        connect(link, link.a, "127.0.0.1").close()
        window = find_window(display, host, "the host's")
        with link.enter(link.b):
            bob = RawClient(socket.create_connection(("127.0.0.1", PORT), timeout=10), "Bob")
        bob.wait_for(lambda m: m == b"CMD_newplayerinfo+2+Bob", 20, "its own login")
        start_game(display, window, bob)
        play(bob, display, window)
        log("relayed %d chunks; nftables dropped %d packets" % (relay.chunks, dropped_packets(link)))
        if host.proc.poll() is not None:
            raise Failure("the host ended")
    finally:
        relay.stop()
        host.stop()
        display.stop()


def play(bob, display, window):
    """Bob picks letters on his turns until somebody wins; the host watches."""
    used = set()
    watching = False
    watch_tries = 0
    picks = 0
    deadline = time.monotonic() + GAME_LIMIT
    next_watch_try = time.monotonic() + 1
    while time.monotonic() < deadline:
        if not watching and watch_tries < 4 and time.monotonic() >= next_watch_try:
            watch_tries += 1
            next_watch_try = time.monotonic() + 4
            display.xdotool("windowactivate", "--sync", window, timeout=5)
            display.xdotool("mousemove", "--window", window, "72", "9", "click", "1")
            time.sleep(0.5)
            display.xdotool("key", "Up")
            display.xdotool("key", "Return")
        for message in bob.messages(0.2):
            name, _, rest = message.partition(b"+")
            fields = rest.split(b"+")
            if name == b"CMD_winner":
                log("winner %s after %d picks by Bob" % (rest.decode(errors="replace"), picks))
                return
            if name == b"CMD_justwatching" and fields[0] == b"1":
                watching = fields[1] == b"1"
            elif name == b"CMD_loadword":
                used = set()
            elif name in (b"CMD_foundletter", b"CMD_addman"):
                used.add(int(fields[1]))
            if (name == b"CMD_nextplayer" and fields[0] == b"2") or (
                    name == b"CMD_foundletter" and fields[0] == b"2" and b"*" in fields[10]):
                letter = next(c - 96 for c in LETTERS if c - 96 not in used)
                used.add(letter)
                picks += 1
                bob.send(b"CMD_selectletter+2+%d+" % letter + TERM)
    raise Failure("no winner within %d s (%d picks by Bob, host watching: %s)" % (GAME_LIMIT, picks, watching))


class TableWatch:
    """A raw watcher's view of the game: whose turn, the letters used, each seat's score."""

    def __init__(self, watcher):
        self.watcher = watcher
        self.turn = 0
        self.used = set()
        self.scores = {}
        self.finds = []  # (seat, score) of every find, in order

    def follow(self, wait):
        """Takes the messages of the next wait seconds; returns them."""
        got = self.watcher.messages(wait)
        for message in got:
            name, _, rest = message.partition(b"+")
            fields = rest.split(b"+")
            if name == b"CMD_loadword":
                self.used = set()
            elif name == b"CMD_nextplayer":
                self.turn = int(fields[0])
            elif name in (b"CMD_foundletter", b"CMD_addman"):
                self.used.add(int(fields[1]))
                self.turn = 0
            if name == b"CMD_foundletter":
                seat, score = int(fields[0]), int(fields[5])
                self.scores[seat] = score
                self.finds.append((seat, score))
                if b"*" in fields[10]:
                    self.turn = seat
        return got


def click_tile(display, window, letter):
    """Clicks letter 1..26 on the letter panel of a main window (at its usual size, or centred in a larger one)."""
    size = display.xdotool("getwindowgeometry", "--shell", window)
    values = dict(line.split("=") for line in size.splitlines() if "=" in line)
    dx, dy = (int(values.get("WIDTH", 712)) - 712) // 2, (int(values.get("HEIGHT", 524)) - 524) // 2
    x, y = 37 + dx + 40 * ((letter - 1) % 6), 323 + dy + 40 * ((letter - 1) // 6)
    display.xdotool("windowraise", window, timeout=5)
    display.xdotool("mousemove", "--window", window, str(x), str(y), "click", "1")


def find_on_own_turn(table, display, window, seat, limit, what):
    """Clicks a letter in the window on each of seat's turns until it finds one; the score it made."""
    finds = len(table.finds)
    deadline = time.monotonic() + limit
    clicked_turn = None
    while time.monotonic() < deadline:
        table.follow(0.3)
        for found_seat, score in table.finds[finds:]:
            if found_seat == seat:
                return score
        finds = len(table.finds)
        if table.turn == seat and clicked_turn != len(table.used):
            clicked_turn = len(table.used)
            time.sleep(0.3)
            click_tile(display, window, next(c - 96 for c in LETTERS if c - 96 not in table.used))
    raise Failure("no find by seat %d within %d s (%s)" % (seat, limit, what))


def cut_until_gone(link, follow, seat, after_cut=None):
    """Drops everything on B's end of the link for CUT_SECONDS, and on until the host has let
    Bea go (it notices only once its own messages go unanswered for 30 s), then lets it through.
    after_cut runs once the drops are in place."""
    link.drop_all(link.b, link.vb)
    if after_cut:
        after_cut()
    cut = time.monotonic()
    left = False
    while time.monotonic() < cut + CUT_SECONDS or (not left and time.monotonic() < cut + NOTICE_LIMIT):
        left = b"CMD_playerdisconnected+%d+Bea" % seat in follow(0.5) or left
    if not left:
        raise Failure("the host did not see Bea go within %d s" % NOTICE_LIMIT)
    link.keep_all(link.b)
    log("the link is back after %.1f s" % (time.monotonic() - cut))


def joiner_returns(binary, link):
    for tool in ("nft", "Xvfb", "openbox", "xdotool"):
        if not shutil.which(tool):
            raise Skip(tool + " is not installed")
    display = realprocess.Display()
    if not display.start():
        raise Skip("Xvfb or openbox missing")
    settings = "[hangman]\nPlaytoscore=500\nTimeperturn=10\nChoosecat=0\nBotspeed=500\nOpenPortOnRouter=false\n"
    host = start_program(link, link.a, binary, ["Host", "127.0.0.1", "true"], settings=settings, display=display.name)
    bea = None
    try:
        connect(link, link.a, "127.0.0.1").close()
        host_window = find_window(display, host, "the host's")
        bea = start_program(link, link.b, binary, ["Bea", HOST_ADDRESS, "false"], display=display.name)
        bea_window = find_window(display, bea, "Bea's")
        # Her letter panel below the host's window, where no other window covers it.
        display.xdotool("windowmove", "--sync", bea_window, "300", "220", timeout=5)
        time.sleep(1)
        watcher = RawClient(connect(link, link.a, "127.0.0.1"), "Watcher")
        is_bea = lambda m: (m.startswith(b"CMD_newplayerinfo+") or m.startswith(b"CMD_existingplayers+")) \
            and m.endswith(b"+Bea")
        seat = int(watcher.wait_for(is_bea, 30, "Bea in the roster").split(b"+")[1])
        start_game(display, host_window, watcher)
        # The watcher's seat is then played by the computer, so the turns come round sooner.
        watcher.send(b"CMD_justwatch+%d+1" % watcher.slot + TERM)
        table = TableWatch(watcher)
        score = find_on_own_turn(table, display, bea_window, seat, 120, "before the cut")
        log("Bea holds %d points in seat %d; B's end of the link drops everything now" % (score, seat))

        cut_until_gone(link, lambda wait: table.follow(wait), seat)
        back = time.monotonic()
        returned = None
        while returned is None and time.monotonic() < back + RETURN_LIMIT:
            returned = next((m for m in table.follow(0.2) if is_bea(m)), None)
        if returned is None:
            raise Failure("Bea was not back within %d s of the link's return" % RETURN_LIMIT)
        if returned != b"CMD_newplayerinfo+%d+Bea" % seat:
            raise Failure("Bea came back as %r, not in seat %d" % (returned, seat))
        log("Bea is back in seat %d %.1f s after the link's return" % (seat, time.monotonic() - back))
        kept = table.scores.get(seat, score)
        if kept < score:
            raise Failure("Bea's seat fell from %d to %d points" % (score, kept))
        again = find_on_own_turn(table, display, bea_window, seat, 90, "after her return")
        if again <= kept:
            raise Failure("Bea's find after her return gave %d points, not more than her %d" % (again, kept))
        log("Bea's next find took her from %d to %d points" % (kept, again))
        watcher.sock.close()
    finally:
        if bea:
            bea.stop()
        host.stop()
        display.stop()


def first_message(sock, timeout):
    """The first message on a fresh connection, and whether the host closed it after."""
    sock.settimeout(timeout)
    data = b""
    try:
        while TERM not in data:
            chunk = sock.recv(4096)
            if not chunk:
                break
            data += chunk
        message = data.split(TERM)[0]
        sock.settimeout(1)
        closed = message == b"CMD_full+" and sock.recv(4096) == b""
    except socket.timeout:
        return data, False
    return message, closed


def crowded_address(binary, link):
    host = start_program(link, link.a, binary, ["Host", "127.0.0.1", "true"],
                         settings="[hangman]\nOpenPortOnRouter=false\n")
    crowd = []
    try:
        for _ in range(CROWD):
            crowd.append(connect(link, link.b, HOST_ADDRESS, source=JOINER_ADDRESS))
        answers = [first_message(sock, 10) for sock in crowd]
        waiting = [m for m, _ in answers if m.startswith(b"CMD_sendlogininfo+")]
        refused = [closed for m, closed in answers if m == b"CMD_full+"]
        log("of %d connections from %s, %d wait for their login and %d were refused"
            % (CROWD, JOINER_ADDRESS, len(waiting), len(refused)))
        if len(waiting) != 2 or len(refused) != CROWD - 2 or not all(refused):
            raise Failure("expected 2 waiting and %d refused and closed, got %r" % (CROWD - 2, answers))
        friend = RawClient(connect(link, link.b, HOST_ADDRESS, source=FRIEND_ADDRESS), "Friend")
        friend.wait_for(lambda m: m.startswith(b"CMD_newplayerinfo+") and m.endswith(b"+Friend"), 20, "login")
        if not 1 <= friend.slot <= 6:
            raise Failure("the friend got slot %d, not a seat" % friend.slot)
        log("the friend from %s sits in seat %d" % (FRIEND_ADDRESS, friend.slot))
        friend.sock.close()
    finally:
        for sock in crowd:
            sock.close()
        host.stop()


def restarted_joiner(binary, link):
    host = start_program(link, link.a, binary, ["Host", "127.0.0.1", "true"],
                         settings="[hangman]\nOpenPortOnRouter=false\n")
    bea = None
    try:
        watcher = RawClient(connect(link, link.a, "127.0.0.1"), "Watcher")
        watcher.wait_for(lambda m: m.startswith(b"CMD_newplayerinfo+") and m.endswith(b"+Watcher"), 20, "login")
        is_bea = lambda m: m.startswith(b"CMD_newplayerinfo+") and m.endswith(b"+Bea")
        bea = start_program(link, link.b, binary, ["Bea", HOST_ADDRESS, "false"])
        seat = int(watcher.wait_for(is_bea, 30, "Bea's arrival").split(b"+")[1])
        bea.proc.kill()
        bea.proc.wait(timeout=10)
        bea.stop()
        watcher.wait_for(lambda m: m == b"CMD_playerdisconnected+%d+Bea" % seat, 20, "Bea's departure")
        log("Bea's copy was killed in seat", seat, "and starts again")
        bea = start_program(link, link.b, binary, ["Bea", HOST_ADDRESS, "false"])
        back = watcher.wait_for(is_bea, 30, "Bea's return")
        if back != b"CMD_newplayerinfo+%d+Bea" % seat:
            raise Failure("Bea came back as %r, not in seat %d" % (back, seat))
        log("Bea is back in seat", seat)
        watcher.sock.close()
    finally:
        if bea:
            bea.stop()
        host.stop()


def early_return(binary, link):
    host = start_program(link, link.a, binary, ["Host", "127.0.0.1", "true"],
                         settings="[hangman]\nOpenPortOnRouter=false\n")
    try:
        watcher = RawClient(connect(link, link.a, "127.0.0.1"), "Watcher")
        watcher.wait_for(lambda m: m.startswith(b"CMD_newplayerinfo+") and m.endswith(b"+Watcher"), 20, "login")
        is_bea = lambda m: m.startswith(b"CMD_newplayerinfo+") and m.endswith(b"+Bea")
        bea = RawClient(connect(link, link.b, HOST_ADDRESS), "Bea")
        bea.wait_for(is_bea, 20, "her login")
        seat = int(watcher.wait_for(is_bea, 20, "Bea's arrival").split(b"+")[1])
        link.drop_all(link.b, link.vb)
        # Closed with a reset that the cut link drops: the host cannot know.
        bea.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        bea.sock.close()
        watcher.send(b"CMD_chat+%d+are you there?|clBlack" % watcher.slot + TERM)
        time.sleep(3)   # the host sends the line to Bea again and again, unanswered
        link.keep_all(link.b)
        again = RawClient(connect(link, link.b, HOST_ADDRESS), "Bea")
        seen = []
        deadline = time.monotonic() + RETURN_LIMIT
        while not any(is_bea(m) for m in seen) and time.monotonic() < deadline:
            again.messages(0.1)   # she answers every login request
            seen += watcher.messages(0.1)
        if not any(is_bea(m) for m in seen):
            raise Failure("Bea was not back within %d s: %r" % (RETURN_LIMIT, seen))
        if b"CMD_playerdisconnected+%d+Bea" % seat not in seen:
            raise Failure("the host did not let Bea's old connection go: %r" % seen)
        back = next(m for m in seen if is_bea(m))
        if back != b"CMD_newplayerinfo+%d+Bea" % seat:
            raise Failure("Bea came back as %r, not in seat %d" % (back, seat))
        log("Bea's old connection ended and she is back in seat", seat)
        again.sock.close()
        watcher.sock.close()
    finally:
        host.stop()


CASES = {"joiner-vanishes": joiner_vanishes, "host-vanishes": host_vanishes, "lossy-game": lossy_game,
         "crowded-address": crowded_address, "restarted-joiner": restarted_joiner,
         "joiner-returns": joiner_returns, "early-return": early_return}


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in CASES:
        print(__doc__)
        return 2
    binary = os.path.abspath(sys.argv[1])
    link = Link()
    try:
        link.create()
        CASES[sys.argv[2]](binary, link)
        log("PASS", sys.argv[2])
        return 0
    except Skip as reason:
        print("SKIP:", reason, flush=True)
        return SKIP
    except Failure as failure:
        log("FAIL", sys.argv[2] + ":", failure)
        for path in LOGS:
            with open(path, errors="replace") as output:
                print("---- output of", path, "(last lines)\n" + "".join(output.readlines()[-30:]))
        return 1
    finally:
        link.close()
        for path in LOGS:
            os.remove(path)


if __name__ == "__main__":
    sys.exit(main())
