#!/usr/bin/env python3
"""Real copies of the game across a real (virtual) network link.

Two network namespaces made for this run only, joined by a veth pair
(192.0.2.1 on side A, 192.0.2.2 on side B; nothing leaves the namespaces):

  joiner-vanishes  a hosting copy in A, a raw client logged in from B and a
                   watcher on A's loopback; B's end of the link is cut silently
                   (no FIN, no RST). The watcher must get "CMD_playerdisconnected"
                   for the vanished client within 60 s.
  host-vanishes    a raw host in A and a joining copy in B; A's end of the link
                   is cut silently. The joining copy must end by itself within 60 s.
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

Usage: live_network.py PATH/TO/hangman CASE
Exit status: 0 pass, 1 fail, 77 skipped (not root, no namespaces, or for
lossy-game no nft, Xvfb, openbox or xdotool).
"""

import ctypes
import heapq
import os
import selectors
import shutil
import socket
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


def host_vanishes(binary, link):
    with link.enter(link.a):
        listener = socket.create_server((HOST_ADDRESS, PORT))
    joiner = start_program(link, link.b, binary, ["Joiner", HOST_ADDRESS, "false"])
    try:
        listener.settimeout(20)
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            raise Failure("the joining copy never connected")
        host = RawClient(conn, "RawHost")
        host.send(b"CMD_sendlogininfo+2" + TERM)
        host.wait_for(lambda m: m.startswith(b"CMD_logininfo+2+"), 20, "login from the joining copy")
        host.send(b"CMD_newplayerinfo+2+Joiner" + TERM)
        time.sleep(1)
        link.cut(link.a, link.va)
        cut = time.monotonic()
        log("cut the host's side of the link")
        try:
            joiner.proc.wait(timeout=NOTICE_LIMIT)
        except subprocess.TimeoutExpired:
            raise Failure("the joining copy still runs %d s after its host vanished" % NOTICE_LIMIT)
        log("the joining copy ended by itself after %.1f s (status %d)"
            % (time.monotonic() - cut, joiner.proc.returncode))
        conn.close()
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
        window = ""
        deadline = time.monotonic() + 20
        while not window and time.monotonic() < deadline:
            window = display.xdotool("search", "--onlyvisible", "--name", "^HangMan$").split("\n")[0]
            time.sleep(0.2)
        if not window:
            raise Failure("the host's window never showed")
        with link.enter(link.b):
            bob = RawClient(socket.create_connection(("127.0.0.1", PORT), timeout=10), "Bob")
        bob.wait_for(lambda m: m == b"CMD_newplayerinfo+2+Bob", 20, "its own login")
        started = False
        for _ in range(3):
            display.xdotool("mousemove", "--window", window, "281", "53", "click", "1")
            time.sleep(1.5)
            dialog = display.xdotool("search", "--onlyvisible", "--name", "Game Start$").split("\n")[0]
            if dialog:
                display.xdotool("windowactivate", "--sync", dialog, timeout=5)
                display.xdotool("key", "--window", dialog, "Return")
            try:
                bob.wait_for(lambda m: m.startswith(b"CMD_startgame+"), 4, "start")
                started = True
                break
            except Failure:
                pass
        if not started:
            raise Failure("could not start a game from the host's window")
        log("game started")
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


CASES = {"joiner-vanishes": joiner_vanishes, "host-vanishes": host_vanishes, "lossy-game": lossy_game,
         "crowded-address": crowded_address, "restarted-joiner": restarted_joiner}


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
