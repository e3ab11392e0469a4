#!/usr/bin/env python3
"""A real host playing with its own word folder.

Checks the command line first: "--words" alone or with a missing folder ends
with a message on standard error and exit status 2. Then starts a real hosting
copy of the game with "--words FOLDER Host 127.0.0.1 true" on a private Xvfb
display with openbox (its settings file names another folder, which the
command line must win over). Its window is minimised and a second copy is
started with a folder that does not exist: the single-instance check comes
first, so the second copy only brings the first forward and ends with status 0.
Then it lets two raw protocol clients log in, starts a
game from the host's window with xdotool and sets the host to "Just Watch".
The raw clients pick letters on their turns; over several rounds every
CMD_loadword mask, seen by both clients, must be the mask of a word of the
folder's list for the category announced, and every word revealed at the end of
a round (completed, or named at the seventh miss) must be one of them.

Runs in a private network namespace where the machine allows it, so port 7772
is its own. Exit codes: 0 pass, 1 fail, 77 skipped (no Xvfb, openbox or xdotool).
Only the Python standard library is used.
"""

import os
import selectors
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import realprocess  # noqa: E402
from steps import missing_tools, something_listens  # noqa: E402

PORT = realprocess.PORT
TERM = b"\xff"
SKIP = 77
ROUNDS = 5
PLAY_SECONDS = 200
FILES = ["general.txt", "holiday.txt", "food.txt", "entertainment.txt", "phrases.txt"]
LETTER_ORDER = "etaoinsrhldcumfpgwybvkxjqz"

FOLDER_WORDS = {
    "general.txt": ["quokka burrow", "zither", "Wobbly Jelly Bean", "knapsack", "pinwheel", "crumpet tin",
                    "jackdaw", "marzipan pig", "yodel", "bubble wrap", "topsy turvy", "hubbub"],
    "holiday.txt": ["maypole dance", "sparkler", "yuletide", "bonfire night", "kite festival", "sandcastle",
                    "pancake day", "lantern walk", "snowball fight", "harvest supper"],
    "food.txt": ["kedgeree", "quince jelly", "dumpling", "Jam Roly Poly", "kumquat", "gumbo", "flapjack",
                 "bubble and squeak", "pavlova", "wonton soup"],
    "entertainment.txt": ["kazoo band", "hula hoop", "yoyo", "juggling act", "ventriloquist", "zoetrope",
                          "whack a mole", "pinball", "tiddlywinks", "hopscotch"],
    "phrases.txt": ["happy as a clam", "by hook or by crook", "in a jiffy", "quick as a wink", "full of beans",
                    "over the moon", "zip it", "cool as a cucumber"],
}
# Comments, blanks and lines the reader skips (and, per file, a repeat of its first entry):
# none of them may ever be drawn. The accented letter, in Latin-1, makes each file invalid UTF-8.
EXTRA_LINES = "# comment line\n\n   \nr2d2\nx\ncaf\xe9\n"


class Failure(Exception):
    pass


START = time.monotonic()


def log(*parts):
    print("[words %6.2f]" % (time.monotonic() - START), *parts, flush=True)


def mask_of(word):
    return "".join(c if c in " '" else "*" for c in word)


def write_folder(path, words):
    os.makedirs(path)
    for name, entries in words.items():
        with open(os.path.join(path, name), "w", encoding="latin-1") as f:
            f.write("\n".join(entries) + "\n" + EXTRA_LINES + entries[0].upper() + "\n")


def check_command_line(binary, workdir):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=os.path.join(workdir, "runtime"))
    for arguments, expected in ((["--words"], "--words"),
                                (["--words", os.path.join(workdir, "missing"), "Host", "127.0.0.1", "true"],
                                 "not found")):
        done = subprocess.run([binary, *arguments], env=env, capture_output=True, timeout=30)
        stderr = done.stderr.decode(errors="replace")
        if done.returncode != 2 or expected not in stderr:
            raise Failure("hangman %s: exit %d, stderr %r" % (" ".join(arguments), done.returncode, stderr))
        log("hangman %s -> exit 2: %s" % (" ".join(arguments), stderr.strip()))


class Client:
    """A raw protocol client that plays its own turns."""

    def __init__(self, name, selector):
        self.name = name
        self.sock = socket.create_connection(("127.0.0.1", PORT), timeout=5)
        self.sock.setblocking(False)
        self.buf = b""
        self.slot = 0
        self.used = set()
        self.selector = selector
        selector.register(self.sock, selectors.EVENT_READ, self)

    def send(self, data):
        self.sock.setblocking(True)
        self.sock.settimeout(5)
        self.sock.sendall(data)
        self.sock.setblocking(False)

    def messages(self):
        try:
            data = self.sock.recv(65536)
        except BlockingIOError:
            return []
        if not data:
            raise Failure("%s: the host closed the connection" % self.name)
        parts = (self.buf + data).split(TERM)
        self.buf = parts.pop()
        return [p for p in parts if p]

    def pick(self):
        for c in LETTER_ORDER:
            number = ord(c) - 96
            if number not in self.used:
                self.send(b"CMD_selectletter+%d+%d+" % (self.slot, number) + TERM)
                return

    def close(self):
        try:
            self.selector.unregister(self.sock)
        except (KeyError, ValueError):
            pass
        self.sock.close()


class Game:
    def __init__(self, words):
        self.lists = {i: {" ".join(w.lower().split()) for w in words[name]} for i, name in enumerate(FILES)}
        self.masks = {i: {mask_of(w) for w in self.lists[i]} for i in self.lists}
        self.rounds = {}       # client name -> [(mask, category)]
        self.category = None
        self.revealed = []
        self.faults = []
        self.host_watching = False
        self.started = False

    def fault(self, text):
        log("FAULT:", text)
        self.faults.append(text)

    def handle(self, client, message):
        name, _, args = message.partition(b"+")
        fields = args.split(b"+")
        if name == b"CMD_sendlogininfo":
            client.slot = int(fields[0])
            client.send(b"CMD_logininfo+%d+1.0.6+%s" % (client.slot, client.name.encode()) + TERM)
        elif name == b"CMD_startgame":
            self.started = True
        elif name == b"CMD_justwatching" and fields[0] == b"1":
            self.host_watching = fields[1] == b"1"
        elif name == b"CMD_loadword":
            mask, category = fields[0].decode("latin-1"), int(fields[1])
            client.used = set()
            self.rounds.setdefault(client.name, []).append((mask, category))
            if client.name == "Ann":
                self.category = category
                log("round %d: category %d, mask %r" % (len(self.rounds["Ann"]), category, mask))
            if category not in self.masks or mask not in self.masks[category]:
                self.fault("%s: mask %r is no folder word's of category %d" % (client.name, mask, category))
        elif name == b"CMD_nextplayer":
            if int(fields[0]) == client.slot:
                client.pick()
        elif name == b"CMD_error":
            client.pick()
        elif name == b"CMD_foundletter":
            client.used.add(int(fields[1]))
            mask = fields[10].decode("latin-1")
            if int(fields[0]) == client.slot and "*" in mask:
                client.pick()
            if client.name == "Ann" and "*" not in mask:
                self.reveal(mask)
        elif name == b"CMD_addman":
            client.used.add(int(fields[1]))
            if client.name == "Ann" and fields[3] == b"7":
                self.reveal(fields[4].decode("latin-1"))

    def reveal(self, word):
        log("revealed %r" % word)
        self.revealed.append(word)
        if self.category is None or word not in self.lists.get(self.category, set()):
            self.fault("revealed word %r is not in the folder's list of category %s" % (word, self.category))


def find_window(display, pattern, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = display.xdotool("search", "--onlyvisible", "--name", pattern)
        if found:
            return found.split()[0]
        time.sleep(0.2)
    return None


def wait_hidden(display, window, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if window not in display.xdotool("search", "--onlyvisible", "--name", "^HangMan$").split():
            return True
        time.sleep(0.2)
    return False


def check_second_copy(host, display, window, workdir):
    display.xdotool("windowminimize", window)
    if not wait_hidden(display, window, 10):
        raise Failure("the host's window could not be minimised")
    arguments = ["--words", os.path.join(workdir, "missing"), "Host", "127.0.0.1", "true"]
    done = subprocess.run([host.path, *arguments], cwd=host.folder, env=host.env, capture_output=True, timeout=30)
    stderr = done.stderr.decode(errors="replace")
    if done.returncode != 0 or "not found" in stderr:
        raise Failure("a second copy with %s: exit %d, stderr %r" % (" ".join(arguments), done.returncode, stderr))
    if find_window(display, "^HangMan$", 10) != window:
        raise Failure("the second copy did not bring the running copy's window forward")
    log("a second copy with a missing word folder brought the first forward and ended with status 0")


def pump(selector, game, seconds, done):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and not done():
        for key, _ in selector.select(timeout=0.2):
            client = key.data
            for message in client.messages():
                game.handle(client, message)
    return done()


def run(binary, workdir):
    check_command_line(binary, workdir)
    folder = os.path.join(workdir, "our words")
    write_folder(folder, FOLDER_WORDS)
    saved = os.path.join(workdir, "saved words")
    write_folder(saved, {name: ["saved folder word"] for name in FILES})
    settings = ("[hangman]\nPlaytoscore=999\nTimeperturn=5\nChoosecat=0\nBotspeed=1000\nWordfolder=%s\n"
                "[lobby]\nname=Host\n" % saved)

    display = realprocess.Display()
    host = None
    clients = []
    selector = selectors.DefaultSelector()
    game = Game(FOLDER_WORDS)
    try:
        if not display.start():
            raise Failure("Xvfb did not start")
        host = realprocess.Program(binary, ["--words", folder, "Host", "127.0.0.1", "true"], settings=settings,
                                   platform="xcb", display=display.name)
        host.start()
        if not host.wait_listening(30):
            raise Failure("the host never listened on port %d" % PORT)
        window = find_window(display, "^HangMan$", 20)
        if not window:
            raise Failure("the host's window never appeared")
        check_second_copy(host, display, window, workdir)
        for name in ("Ann", "Bob"):
            clients.append(Client(name, selector))
        if not pump(selector, game, 15, lambda: all(c.slot for c in clients)):
            raise Failure("the raw clients were not given slots")
        log("raw clients in slots", [c.slot for c in clients])
        time.sleep(1)

        for attempt in range(3):
            display.xdotool("mousemove", "--window", window, "281", "53", "click", "1")
            dialog = find_window(display, "Game Start$", 5)
            if dialog:
                display.xdotool("windowactivate", "--sync", dialog, timeout=5)
                display.xdotool("key", "--window", dialog, "Return")
            if pump(selector, game, 10, lambda: game.started):
                break
        else:
            raise Failure("could not start a game from the host's window")
        for attempt in range(3):
            display.xdotool("windowactivate", "--sync", window, timeout=5)
            display.xdotool("mousemove", "--window", window, "72", "9", "click", "1")
            time.sleep(0.5)
            display.xdotool("key", "Up")
            time.sleep(0.2)
            display.xdotool("key", "Return")
            if pump(selector, game, 5, lambda: game.host_watching):
                break
        else:
            log("the host did not switch to Just Watch; its turns will run out instead")

        shots = os.environ.get("HANGMAN_SCREENSHOTS")
        if shots and shutil.which("import") and pump(selector, game, 20, lambda: game.rounds.get("Ann")):
            os.makedirs(shots, exist_ok=True)
            subprocess.run(["import", "-window", window, os.path.join(shots, "e2e_host_word_folder.png")],
                           env=dict(os.environ, DISPLAY=display.name), timeout=20)

        enough = lambda: all(len(game.rounds.get(c.name, [])) >= ROUNDS for c in clients) and \
            len(game.revealed) >= ROUNDS - 1
        if not pump(selector, game, PLAY_SECONDS, enough):
            raise Failure("only %d rounds and %d revealed words in %d s"
                          % (len(game.rounds.get("Ann", [])), len(game.revealed), PLAY_SECONDS))
        if game.rounds["Ann"][:ROUNDS] != game.rounds["Bob"][:ROUNDS]:
            game.fault("the two clients saw different rounds")
        if host.proc.poll() is not None:
            raise Failure("the host died (code %s)" % host.proc.returncode)
    finally:
        for client in clients:
            client.close()
        if host is not None:
            host.stop()
        display.stop()
    return game


def main():
    if len(sys.argv) != 2:
        print("usage: word_folder.py HANGMAN_BINARY")
        return 2
    binary = os.path.abspath(sys.argv[1])
    # Runs this script again inside a private network namespace when the machine allows it;
    # inside, it brings the namespace's loopback up.
    realprocess.isolate()
    if os.environ.get("HANGMAN_BENCH_ISOLATED"):
        log("in a private network namespace")
    missing = missing_tools("Xvfb", "openbox", "xdotool")
    if missing:
        print("SKIP: %s not installed" % ", ".join(missing))
        return SKIP
    if something_listens(PORT):
        print("FAIL: something already listens on 127.0.0.1:%d" % PORT)
        return 1
    workdir = tempfile.mkdtemp(prefix="hangman-words-")
    os.mkdir(os.path.join(workdir, "runtime"), 0o700)
    try:
        game = run(binary, workdir)
    except Failure as error:
        print("FAIL:", error)
        return 1
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    if game.faults:
        print("FAILED:")
        for text in game.faults:
            print("  -", text)
        return 1
    print("PASS: %d rounds, all from the folder; revealed %s" % (len(game.rounds["Ann"]), ", ".join(game.revealed)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
