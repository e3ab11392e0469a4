#!/usr/bin/env python3
"""Typing into a real host's window goes to the chat until the board is chosen.

A hosting copy of the game ("Host") runs on a private X display with a window
manager, in a private network namespace (so port 7772 is its own); a raw
protocol client joins as seat 2, watches what the host relays and picks a
letter whenever its own turn comes. With xdotool, as a user at the keyboard:

1. right after start-up "hello" and Return, typed into the window, send a chat line;
2. the game is started with the START GAME button; during the host's own turn
   "zq" and Return send a chat line and pick no letter;
3. a click on the board chooses it: typed letters are then picked;
4. Escape goes back to the chat: "bye" and Return send a chat line and pick nothing.

Usage: chat_focus.py PATH/TO/hangman [--screenshot PNG]

--screenshot keeps a picture of the window right after start-up with text typed
into the chat input. Exit status 77: Xvfb, xdotool or openbox is missing.
"""

import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "bench"))
import realprocess  # noqa: E402
from steps import Failure, log, missing_tools, wait_for  # noqa: E402
from two_players import START_BUTTON, Session, listens_on_port  # noqa: E402

SKIP = 77
PORT = 7772
TERM = b"\xff"
LETTERS = "etaoinsrhldcumfpgwybvkxjqz"
KEY_DELAY_MS = 20
STEP_TIMEOUT = 30
SETTLE = 1.5  # seconds for picks and relays already on their way


class RawSeat:
    """A raw client at seat 2: records every message with the time it came, and
    picks the next letter of LETTERS whenever the turn is its own."""

    def __init__(self):
        self.sock = socket.create_connection(("127.0.0.1", PORT), timeout=5)
        self.sock.settimeout(0.5)
        self.messages = []
        self.lock = threading.Lock()
        self.slot = 0
        self.tried = 0
        self.running = True
        self.thread = threading.Thread(target=self.read, daemon=True)
        self.thread.start()

    def read(self):
        pending = b""
        while self.running:
            try:
                data = self.sock.recv(65536)
            except socket.timeout:
                continue
            except OSError:
                return
            if not data:
                return
            pending += data
            *complete, pending = pending.split(TERM)
            for message in complete:
                self.handle(message)

    def handle(self, message):
        with self.lock:
            self.messages.append(message)
        if message.startswith(b"CMD_sendlogininfo+"):
            self.slot = int(message.split(b"+")[1])
            self.sock.sendall(b"CMD_logininfo+%d+1.0.6+Raw" % self.slot + TERM + TERM)
        elif message == b"CMD_nextplayer+%d+" % self.slot or message.startswith(b"CMD_error+%d+" % self.slot):
            self.pick()
        elif message.startswith(b"CMD_foundletter+%d+" % self.slot) and self.slot:
            self.pick()

    def pick(self):
        if self.tried < len(LETTERS):
            letter = ord(LETTERS[self.tried]) - ord("a") + 1
            self.tried += 1
            self.sock.sendall(b"CMD_selectletter+%d+%d+" % (self.slot, letter) + TERM)

    def count(self, predicate):
        with self.lock:
            return sum(1 for message in self.messages if predicate(message))

    def seen(self, predicate):
        return self.count(predicate) > 0

    def close(self):
        self.running = False
        try:
            self.sock.close()
        except OSError:
            pass
        self.thread.join(5)


def host_line(text):
    return lambda message: message.startswith(b"CMD_chat+1+Host chats: " + text.encode() + b"|")


def host_pick(message):
    return message.startswith((b"CMD_foundletter+1+", b"CMD_addman+1+"))


def host_turn(message):
    return message == b"CMD_nextplayer+1+"


def type_line(session, window, text, send=True):
    session.xdo("windowactivate", "--sync", window, "type", "--delay", KEY_DELAY_MS, text)
    if send:
        session.xdo("key", "--delay", KEY_DELAY_MS, "Return")


def window_picture(session, window, path):
    """The window as a PNG, by ImageMagick's import or by scrot (the active window)."""
    if shutil.which("import"):
        command = ["import", "-window", str(window), path]
    elif shutil.which("scrot"):
        command = ["scrot", "--focused", "--overwrite", path]
    else:
        log("no screenshot: neither import nor scrot is installed")
        return
    subprocess.run(command, env=session.env, capture_output=True, timeout=30)
    log(f"screenshot {path}")


def run(session, screenshot):
    session.start_display()
    host = session.start_player("Host", ["Host", "127.0.0.1", "true"])
    wait_for(f"the host to listen on port {PORT}", lambda: listens_on_port(host.process.pid), 15)
    raw = RawSeat()
    try:
        wait_for("the raw client's login", lambda: raw.seen(lambda m: m.startswith(b"CMD_newplayerinfo+2+")),
                 STEP_TIMEOUT)
        time.sleep(0.5)
        host.find_board(*session.geometry(host.window))

        # 1. A fresh window: what is typed is a chat line.
        if screenshot:
            type_line(session, host.window, "hello", send=False)
            time.sleep(0.3)
            window_picture(session, host.window, screenshot)
            session.xdo("windowactivate", "--sync", host.window, "key", "Return")
        else:
            type_line(session, host.window, "hello")
        wait_for('"hello" relayed as the host\'s chat line', lambda: raw.seen(host_line("hello")), STEP_TIMEOUT)
        log("typed into a fresh window: a chat line")

        # 2. Start a game from the board, then type during the host's own turn.
        bx, by = host.board
        session.xdo("windowactivate", "--sync", host.window, "mousemove", "--window", host.window,
                    bx + START_BUTTON[0], by + START_BUTTON[1], "click", "1")
        start_window = wait_for("the game start window",
                                lambda: session.windows(host.process.pid, "^HangMan - Game Start$"), 10)[0]
        session.xdo("windowactivate", "--sync", start_window, "key", "Return")
        wait_for("the host's own turn", lambda: raw.seen(host_turn), 60, 0.05)
        type_line(session, host.window, "zq")
        wait_for('"zq" relayed as a chat line', lambda: raw.seen(host_line("zq")), STEP_TIMEOUT)
        time.sleep(SETTLE)
        if raw.seen(host_pick):
            raise Failure("typing during the host's own turn picked a letter")
        log("typed during the own turn: a chat line, no letter picked")

        # 3. The board chosen with a click takes the letters (the turn is still the host's).
        session.focus_board(host, "type", "--delay", KEY_DELAY_MS, LETTERS)
        wait_for("a letter picked through the chosen board", lambda: raw.seen(host_pick), STEP_TIMEOUT)
        time.sleep(SETTLE)
        picks = raw.count(host_pick)
        log(f"the chosen board took the letter keys ({picks} picks)")

        # 4. Escape goes back to the chat.
        session.xdo("windowactivate", "--sync", host.window, "key", "Escape")
        wait_for("the host's turn again", lambda: raw.count(host_turn) >= 2, 90, 0.05)
        type_line(session, host.window, "bye")
        wait_for('"bye" relayed as a chat line', lambda: raw.seen(host_line("bye")), STEP_TIMEOUT)
        time.sleep(SETTLE)
        if raw.count(host_pick) != picks:
            raise Failure("typing after Escape picked a letter")
        log("after Escape: a chat line, no letter picked")
    finally:
        raw.close()


def stop_on_signal(number, _frame):
    raise Failure(f"stopped by signal {number}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("binary")
    parser.add_argument("--screenshot", help="where to keep the picture of the window after start-up")
    args = parser.parse_args()
    missing = missing_tools("Xvfb", "xdotool", "openbox")
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        return SKIP
    realprocess.isolate()
    signal.signal(signal.SIGTERM, stop_on_signal)
    work = tempfile.mkdtemp(prefix="hangman-chat-focus-")
    session = Session(os.path.abspath(args.binary), work)
    screenshot = os.path.abspath(args.screenshot) if args.screenshot else None
    try:
        run(session, screenshot)
    except (Failure, subprocess.TimeoutExpired, OSError) as error:
        print(f"FAILED: {error}", file=sys.stderr)
        if session.env:
            session.screenshot("failure")
        session.close()
        print(f"work folder kept: {work}", file=sys.stderr)
        return 1
    session.close()
    shutil.rmtree(work, ignore_errors=True)
    log("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
