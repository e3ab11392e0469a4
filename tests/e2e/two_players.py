#!/usr/bin/env python3
"""Two real copies of the game play one whole game against each other.

A hosting copy ("Ann") and a joining copy ("Bob") run on a private X display
with a window manager. The game is started through the host's START GAME
button and the game start window, then both players pick letters with the
keyboard until somebody wins: every copy writes its tally file when a game
ends, which is how the end is noticed. Both windows are then closed the way a
user closes them and both processes must end with status 0.

Usage: two_players.py PATH/TO/hangman

Screenshots go to a "shots" folder inside the work folder, which is kept when
the test fails or when HANGMAN_E2E_KEEP=1 is set. Exit status 77 means the
tools to run it (Xvfb, xdotool, openbox) are not installed.
"""

import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import realprocess  # noqa: E402
from steps import T0, Failure, log, missing_tools, wait_for  # noqa: E402

SKIP = 77
PORT = 7772
SCREEN = (1600, 700)
BOARD_SIZE = (700, 474)
START_BUTTON = (226 + 51, 5 + 14)      # centre of the board's START GAME button
WORD_AREA = (350, 160)                 # an empty spot of the board: gives it the focus
LETTERS = "earotnislhcdumpgybkwfvjzxq"  # by how many of the game's words hold them
KEY_DELAY_MS = 12
GAME_TIME_LIMIT = 200                  # seconds for the whole game (usually about 70)
TALLY = "hangmantally.tld"


# ---- sockets of port 7772, read from /proc --------------------------------

def tcp_entries():
    """(local port, remote port, state, inode) of every IPv4/IPv6 TCP socket."""
    entries = []
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        try:
            with open(table) as f:
                lines = f.readlines()[1:]
        except OSError:
            continue
        for line in lines:
            fields = line.split()
            local_port = int(fields[1].rsplit(":", 1)[1], 16)
            remote_port = int(fields[2].rsplit(":", 1)[1], 16)
            entries.append((local_port, remote_port, fields[3], fields[9]))
    return entries


def socket_inodes(pid):
    inodes = set()
    try:
        for fd in os.listdir(f"/proc/{pid}/fd"):
            try:
                target = os.readlink(f"/proc/{pid}/fd/{fd}")
            except OSError:
                continue
            if target.startswith("socket:["):
                inodes.add(target[8:-1])
    except OSError:
        pass
    return inodes


LISTEN, ESTABLISHED = "0A", "01"


def display_in_use(number):
    """Whether an X server may already use this display number."""
    socket = f"/tmp/.X11-unix/X{number}"
    try:
        with open("/proc/net/unix") as f:
            paths = {line.split()[-1] for line in f.readlines()[1:] if len(line.split()) >= 8}
    except OSError:
        paths = set()
    return socket in paths or "@" + socket in paths or os.path.exists(socket) or \
        os.path.exists(f"/tmp/.X{number}-lock")


def port_listener_exists():
    return any(lp == PORT and st == LISTEN for lp, _, st, _ in tcp_entries())


def listens_on_port(pid):
    mine = socket_inodes(pid)
    return any(lp == PORT and st == LISTEN and ino in mine for lp, _, st, ino in tcp_entries())


def connected_to_port(pid):
    mine = socket_inodes(pid)
    return any(rp == PORT and st == ESTABLISHED and ino in mine for _, rp, st, ino in tcp_entries())


# ---- the test ---------------------------------------------------------------

class Session:
    def __init__(self, binary, work):
        self.binary = binary
        self.work = work
        self.shots = os.path.join(work, "shots")
        os.makedirs(self.shots)
        self.processes = []   # every process started here, ended in close()
        self.env = None
        self.have_import = shutil.which("import") is not None
        self.shot_count = 0

    # -- processes
    def start(self, args, name, cwd=None, env=None, **kwargs):
        out = open(os.path.join(self.work, name + ".log"), "w")
        process = subprocess.Popen(args, cwd=cwd, env=env or self.env, stdout=out, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, **kwargs)
        out.close()
        self.processes.append(process)
        return process

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(5)

    # -- X helpers
    def xdo(self, *args, check=True, timeout=15):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True,
                                timeout=timeout)
        if check and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
        return result.stdout

    def windows(self, pid, name):
        out = self.xdo("search", "--all", "--onlyvisible", "--pid", pid, "--name", name, check=False)
        return [int(w) for w in out.split()]

    def window_shown(self, player):
        return player.window in self.windows(player.process.pid, "^HangMan$")

    def geometry(self, window):
        values = {}
        for line in self.xdo("getwindowgeometry", "--shell", window).splitlines():
            key, _, value = line.partition("=")
            values[key] = int(value)
        return values["WIDTH"], values["HEIGHT"]

    def screenshot(self, label):
        if not self.have_import:
            return None
        self.shot_count += 1
        path = os.path.join(self.shots, f"{self.shot_count:02d}-{label}.png")
        subprocess.run(["import", "-window", "root", path], env=self.env, capture_output=True, timeout=30)
        log(f"screenshot {path}")
        return path

    # -- display
    def start_display(self):
        """Xvfb on a display number of its own, then openbox. Lock files in /tmp are not
        trusted (on a shared machine other programs remove them): a number is taken only
        when nothing listens on its socket, and the server that answers there must have
        this test's unusual screen size."""
        first = 100 + os.getpid() % 800
        for number in range(first, first + 20):
            if display_in_use(number):
                continue
            xvfb = self.start(["Xvfb", f":{number}", "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
                              f"xvfb-{number}", env=os.environ.copy())
            env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "XDG_", "WAYLAND"))}
            env.update(DISPLAY=f":{number}", QT_QPA_PLATFORM="xcb")
            self.env = env
            deadline = time.monotonic() + 15
            while xvfb.poll() is None and time.monotonic() < deadline:
                if self.xdo("getdisplaygeometry", check=False).split() == [str(SCREEN[0]), str(SCREEN[1])]:
                    break
                time.sleep(0.1)
            else:
                if xvfb.poll() is None:
                    xvfb.kill()
                    xvfb.wait(5)
                continue
            break
        else:
            self.env = None
            raise Failure("could not start Xvfb on any of 20 display numbers")
        display = self.env["DISPLAY"]
        log(f"Xvfb on {display}")
        with open(os.path.join(self.work, "openbox.log"), "w") as openbox_log:
            self.processes.append(realprocess.start_window_manager(self.env, openbox_log))

    # -- players
    def start_player(self, name, args):
        folder = os.path.join(self.work, name.lower())
        runtime = os.path.join(self.work, name.lower() + "-runtime")
        os.makedirs(folder)
        os.makedirs(runtime)
        os.chmod(runtime, stat.S_IRWXU)
        program = os.path.join(folder, "hangman")
        shutil.copy2(self.binary, program)
        with open(os.path.join(folder, "vorlixlobby.ini"), "w") as f:
            f.write("[hangman]\nPlaytoscore=50\nOpenPortOnRouter=false\n")
        env = dict(self.env, XDG_RUNTIME_DIR=runtime, HOME=folder)
        process = self.start([program, *args], name, cwd=folder, env=env)
        window = wait_for(f"{name}'s main window",
                          lambda: process.poll() is None and self.windows(process.pid, "^HangMan$"), 30)[0]
        log(f"{name}: pid {process.pid}, window {window}")
        return Player(name, folder, process, window)

    def focus_board(self, player, *then):
        """Activates the player's window and clicks an empty part of the board, then runs the
        xdotool commands in then, all in one xdotool call."""
        bx, by = player.board
        self.xdo("windowactivate", "--sync", player.window,
                 "mousemove", "--window", player.window, bx + WORD_AREA[0], by + WORD_AREA[1], "click", "1", *then)

    def check_alive(self, *players):
        for player in players:
            if player.process.poll() is not None:
                raise Failure(f"{player.name}'s program ended with status {player.process.returncode}")
            if not self.window_shown(player):
                raise Failure(f"{player.name}'s main window is no longer shown")


class Player:
    MENU_BAR = 23  # the main window's menu bar above the centred board (measured at 96 DPI)

    def __init__(self, name, folder, process, window):
        self.name, self.folder, self.process, self.window = name, folder, process, window
        self.board = (0, 0)

    def find_board(self, width, height):
        """The board is centred in the main window below the menu bar."""
        self.board = (width - BOARD_SIZE[0]) // 2, self.MENU_BAR + (height - self.MENU_BAR - BOARD_SIZE[1]) // 2

    def tally(self):
        return os.path.join(self.folder, TALLY)

    def game_recorded(self):
        path = self.tally()
        return os.path.exists(path) and os.path.getsize(path) > 0


def play(session):
    # Another copy of the game on this machine would hold the port: wait for it to go.
    wait_for(f"port {PORT} to be free", lambda: not port_listener_exists(), 30, 0.5)
    session.start_display()

    ann = session.start_player("Ann", ["Ann", "127.0.0.1", "true"])
    wait_for(f"the host to listen on port {PORT}", lambda: listens_on_port(ann.process.pid), 15)
    bob = session.start_player("Bob", ["Bob", "127.0.0.1", "false"])
    wait_for("the joiner to connect", lambda: connected_to_port(bob.process.pid), 15)
    time.sleep(1.0)  # the login exchange and the roster messages
    session.xdo("windowmove", ann.window, 0, 30)
    session.xdo("windowmove", bob.window, SCREEN[0] // 2, 30)
    time.sleep(0.5)
    for player in (ann, bob):
        player.find_board(*session.geometry(player.window))
    session.check_alive(ann, bob)
    for player in (ann, bob):
        if os.path.exists(player.tally()):
            raise Failure(f"{player.name} has a tally file before any game was played")

    # Start the game from the host's board.
    bx, by = ann.board
    session.focus_board(ann, "mousemove", "--window", ann.window, bx + START_BUTTON[0], by + START_BUTTON[1],
                        "click", "1")
    start_window = wait_for("the game start window",
                            lambda: session.windows(ann.process.pid, "^HangMan - Game Start$"), 10)[0]
    session.screenshot("game-start-window")
    session.xdo("windowactivate", "--sync", start_window)
    session.xdo("key", "Return")
    wait_for("the game start window to close",
             lambda: not session.windows(ann.process.pid, "^HangMan - Game Start$"), 10)
    log("game started")

    deadline = time.monotonic() + GAME_TIME_LIMIT
    cycles = 0
    while not (ann.game_recorded() and bob.game_recorded()):
        if time.monotonic() > deadline:
            session.screenshot("timed-out")
            raise Failure(f"no winner within {GAME_TIME_LIMIT}s "
                          f"(tally files: Ann {ann.game_recorded()}, Bob {bob.game_recorded()})")
        session.check_alive(ann, bob)
        for player in (ann, bob):
            if ann.game_recorded() and bob.game_recorded():
                break
            session.focus_board(player, "type", "--delay", KEY_DELAY_MS, LETTERS)
        cycles += 1
        if cycles in (5, 25):
            session.screenshot(f"mid-game-{cycles}")
    log(f"game over after {cycles} turns of typing into both windows")

    time.sleep(1.5)  # the winner panel and the closing chat lines
    session.check_alive(ann, bob)
    session.screenshot("game-over")

    # Close both windows as a user does (the window manager's close, Alt+F4), the joiner first.
    for player in (bob, ann):
        session.xdo("windowactivate", "--sync", player.window)
        session.xdo("key", "alt+F4")
        try:
            status = player.process.wait(15)
        except subprocess.TimeoutExpired:
            session.screenshot(f"{player.name.lower()}-still-running")
            raise Failure(f"{player.name}'s program did not end after its window was closed")
        if status != 0:
            raise Failure(f"{player.name}'s program ended with status {status}")
        log(f"{player.name} ended with status 0")


def stop_on_signal(number, _frame):
    raise Failure(f"stopped by signal {number}")


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    binary = os.path.abspath(sys.argv[1])
    missing = missing_tools("Xvfb", "xdotool", "openbox")
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        return SKIP
    if not os.access(binary, os.X_OK):
        print(f"no program at {binary}", file=sys.stderr)
        return 1

    # A test driver that gives up on us sends SIGTERM: still end every process started here.
    signal.signal(signal.SIGTERM, stop_on_signal)
    work = tempfile.mkdtemp(prefix="hangman-two-players-")
    session = Session(binary, work)
    ok = False
    try:
        play(session)
        ok = True
    except (Failure, subprocess.TimeoutExpired) as error:
        print(f"FAILED: {error}", file=sys.stderr)
        if session.env:
            try:
                session.screenshot("failure")
            except (OSError, subprocess.TimeoutExpired):
                pass
    finally:
        session.close()
    if not ok:
        for name in ("ann", "bob"):
            path = os.path.join(work, name.capitalize() + ".log")
            if os.path.exists(path):
                with open(path, errors="replace") as f:
                    print(f"--- output of {name} ---\n{f.read()[-3000:]}", file=sys.stderr)
        print(f"work folder kept: {work}", file=sys.stderr)
        return 1
    if os.environ.get("HANGMAN_E2E_KEEP") == "1":
        log(f"passed in {time.monotonic() - T0:.1f}s; screenshots in {session.shots}")
    else:
        shutil.rmtree(work, ignore_errors=True)
        log(f"passed in {time.monotonic() - T0:.1f}s (HANGMAN_E2E_KEEP=1 keeps the screenshots)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
