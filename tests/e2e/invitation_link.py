#!/usr/bin/env python3
"""Invitation links opened by the desktop: hangman://HOST starts the launcher.

The build is installed into a temporary prefix, whose share/ becomes
XDG_DATA_HOME (with the installed desktop entries, indexed by
update-desktop-database) and whose mimeapps.list names the launcher for
x-scheme-handler/hangman. The installed game is replaced by a stand-in that
writes its arguments down, so nothing joins anything. Under Xvfb with openbox:

- `xdg-open hangman://127.0.0.1` starts the launcher with the address filled
  in and the name remembered from last time; Enter joins: the stand-in gets
  "Ann 127.0.0.1 false";
- links it cannot read (no host, blanks, another port, over 300 characters)
  start the launcher with a message saying why, and start no game.

HANGMAN_SCREENSHOTS=DIR writes DIR/invitation_link.png of the launcher as the
link opened it. Usage: invitation_link.py BUILD_DIR. Exit status 77: Xvfb,
openbox, xdotool, xdg-open or update-desktop-database is missing.
"""

import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import realprocess  # noqa: E402
from portmap import Processes, read, shoot  # noqa: E402
from steps import Failure, cannot_start, log, run_in_folder, wait_for  # noqa: E402

STARTED_WITHIN = 30
LOBBY_TITLE = "^The Vorlix Lobby$"
STAND_IN = """#!/bin/sh
printf '%s\\n' "$@" > "$(dirname "$0")/joined.txt"
"""
REFUSED = {
    "hangman://": "names no host",
    "hangman://two words": "holds blanks",
    "hangman://10.0.0.2:7773": "names port 7773",
    "hangman://" + "a" * 300 + ".org": "longer than 300 characters",
}


class LinkTest:
    def __init__(self, build, work):
        self.build, self.work = build, work
        self.procs = Processes()
        self.shots = os.environ.get("HANGMAN_SCREENSHOTS")

    def install(self):
        prefix = os.path.join(self.work, "usr")
        done = subprocess.run(["cmake", "--install", self.build, "--prefix", prefix], capture_output=True, text=True,
                              timeout=120)
        if done.returncode != 0:
            raise Failure(f"cmake --install failed: {done.stderr[-2000:]}")
        self.games = os.path.join(prefix, "games")
        with open(os.path.join(self.games, "hangman"), "w") as f:
            f.write(STAND_IN)
        os.chmod(os.path.join(self.games, "hangman"), 0o755)
        with open(os.path.join(self.games, "vorlixlobby.ini"), "w") as f:
            f.write("[lobby]\r\nName=Ann\r\nServer=10.9.9.9\r\nHost=true\r\n")
        applications = os.path.join(prefix, "share", "applications")
        subprocess.run(["update-desktop-database", applications], check=True, timeout=30)
        config = os.path.join(self.work, "config")
        os.makedirs(config)
        with open(os.path.join(config, "mimeapps.list"), "w") as f:
            f.write("[Default Applications]\nx-scheme-handler/hangman=example.vorlix.lobby.desktop\n")
        runtime = os.path.join(self.work, "runtime")
        os.makedirs(runtime, mode=0o700)
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("QT_", "XDG_", "WAYLAND", "DBUS_", "DESKTOP_SESSION", "KDE_", "GNOME_"))}
        self.env.update(XDG_DATA_HOME=os.path.join(prefix, "share"), XDG_DATA_DIRS=os.path.join(self.work, "none"),
                        XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime, TMPDIR=runtime,
                        HOME=self.work, PATH=self.games + os.pathsep + os.environ.get("PATH", ""),
                        QT_QPA_PLATFORM="xcb")

    def start_display(self):
        self.fb_folder = os.path.join(self.work, "fb")
        os.makedirs(self.fb_folder)
        self.display = realprocess.Display()
        self.env["DISPLAY"] = self.display.start(self.fb_folder)

    def xdotool(self, *args):
        done = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=10)
        return done.stdout.strip() if done.returncode == 0 else None

    def open_link(self, link, name):
        """xdg-open on the link; returns the opener (it runs as long as the launcher) and its log."""
        log_path = os.path.join(self.work, f"{name}.log")
        opener = self.procs.start(["xdg-open", link], open(log_path, "w"), env=self.env)
        window = wait_for("the launcher's window", lambda: self.xdotool("search", "--onlyvisible", "--name",
                                                                         LOBBY_TITLE), STARTED_WITHIN)
        return opener, log_path, window.split()[0]

    def close(self, opener):
        os.killpg(opener.pid, signal.SIGTERM)
        opener.wait(10)
        wait_for("the launcher to close", lambda: not self.xdotool("search", "--onlyvisible", "--name", LOBBY_TITLE),
                 STARTED_WITHIN)

    def joined(self):
        return read(os.path.join(self.games, "joined.txt"))

    def good_link(self):
        opener, log_path, window = self.open_link("hangman://127.0.0.1", "good")
        wait_for("the launcher to take the link", lambda: "invited to 127.0.0.1" in read(log_path), STARTED_WITHIN)
        if self.shots:
            time.sleep(0.5)
            shoot(os.path.join(self.fb_folder, "Xvfb_screen0"), os.path.join(self.shots, "invitation_link.png"))
        self.xdotool("windowactivate", "--sync", window)
        self.xdotool("key", "--clearmodifiers", "Return")
        joined = wait_for("the game to be started", self.joined, STARTED_WITHIN)
        if joined != "Ann\n127.0.0.1\nfalse\n":
            raise Failure(f"the game was started with {joined!r}")
        log("hangman://127.0.0.1: the launcher filled in the address, Enter joined as Ann")
        self.close(opener)
        os.remove(os.path.join(self.games, "joined.txt"))

    def bad_links(self):
        for number, (link, reason) in enumerate(REFUSED.items()):
            opener, log_path, _ = self.open_link(link, f"bad{number}")
            line = wait_for(f"the launcher's message for {link[:40]}", lambda: next(
                (l for l in read(log_path).splitlines() if "vorlix-lobby: This" in l), None), STARTED_WITHIN)
            if reason not in line:
                raise Failure(f"{link[:40]}: the message does not say '{reason}': {line}")
            time.sleep(0.5)
            if self.joined() or "invited" in read(log_path):
                raise Failure(f"{link[:40]}: the link was taken: {read(log_path)}")
            log(f"{link[:40]}: refused: {line}")
            self.close(opener)
            if os.path.exists(os.path.join(self.games, "joined.txt")):
                os.remove(os.path.join(self.games, "joined.txt"))

    def main(self):
        self.install()
        self.start_display()
        try:
            self.good_link()
            self.bad_links()
        finally:
            self.display.stop()


def main():
    status = cannot_start(__doc__, ("Xvfb", "openbox", "xdotool", "xdg-open", "update-desktop-database", "cmake"))
    if status is not None:
        return status
    binary = os.path.abspath(sys.argv[1])
    return run_in_folder("hangman-link-", lambda work: LinkTest(binary, work), "invitation links: passed")


if __name__ == "__main__":
    sys.exit(main())
