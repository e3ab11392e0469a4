#!/usr/bin/env python3
"""Games on the local network, announced and found through real Avahi daemons.

Three network namespaces form one local network: "lobby" holds a bridge with
two veth pairs to "ann" and "cleo". Each namespace runs its own system bus
(dbus-daemon on a socket in a temporary folder) and its own avahi-daemon on
it. The lobby launcher runs under Xvfb in "lobby"; real copies of the game
host in "ann" and "cleo". The launcher writes its list to standard error
whenever it changes, which is what the test reads:

- Ann's game appears in the lobby's list within 5 s of Ann's host starting to
  announce, with one player, waiting, and Ann's IPv4 address on the network;
- when a player joins Ann's game (a raw client logging in from "lobby"), the
  entry shows two players within 5 s;
- with Cleo hosting too, both games are listed (HANGMAN_SCREENSHOTS=DIR writes
  DIR/lan_lobby_two_games.png of the launcher);
- within 5 s of Ann's host ending (SIGTERM), her game is gone from the list.

Traffic stays inside the three namespaces; every process and namespace is
removed at the end. Usage: lan_games.py BUILD_DIR. Exit status 77: namespaces
cannot be made here, or avahi-daemon, dbus-daemon, Xvfb, openbox or xdotool is missing.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import time

from portmap import Processes, read, run, shoot
from steps import Failure, cannot_start, log, run_in_folder, wait_for

GAME_PORT = 7772
SUBNET = "10.79.0"
ADDRESSES = {"ann": f"{SUBNET}.1", "cleo": f"{SUBNET}.2", "lobby": f"{SUBNET}.3"}
APPEARS_WITHIN = 5      # seconds, as a player would wait for a game to show up or go
STARTED_WITHIN = 30     # seconds for a daemon or a program to come up on a loaded machine
LIST_LINE = "Games on the network:"


class LocalNetwork:
    """The three namespaces joined by a bridge in the lobby's."""

    def __init__(self, tag):
        self.names = {role: f"hmlan-{role}-{tag}" for role in ADDRESSES}
        self.devices = {}
        self.made = []

    def __enter__(self):
        for role, ns in self.names.items():
            run("ip", "netns", "add", ns)
            self.made.append(ns)
            # No duplicate address detection: IPv6 link-local addresses are usable at once.
            for key in ("all", "default"):
                run("ip", "netns", "exec", ns, "sysctl", "-q", "-w", f"net.ipv6.conf.{key}.accept_dad=0")
            run("ip", "-n", ns, "link", "set", "lo", "up")
        lobby = self.names["lobby"]
        run("ip", "-n", lobby, "link", "add", "hmbr", "type", "bridge")
        for role in ("ann", "cleo"):
            inside, port = f"hm{role}0", f"hm{role}1"
            run("ip", "link", "add", inside, "netns", self.names[role], "type", "veth", "peer", "name", port,
                "netns", lobby)
            run("ip", "-n", lobby, "link", "set", port, "master", "hmbr", "up")
            self.up(role, inside)
        self.up("lobby", "hmbr")
        return self

    def up(self, role, device):
        ns = self.names[role]
        run("ip", "-n", ns, "addr", "add", f"{ADDRESSES[role]}/24", "dev", device)
        run("ip", "-n", ns, "link", "set", device, "up", "multicast", "on")
        self.devices[role] = device

    def __exit__(self, *exc):
        for ns in self.made:
            run("ip", "netns", "del", ns, check=False)

    def exec_in(self, role):
        return ["ip", "netns", "exec", self.names[role]]


class Daemons:
    """A system bus and an avahi-daemon for one namespace, configured in a folder of its own."""

    def __init__(self, net, role, folder, procs):
        self.net, self.role, self.folder, self.procs = net, role, folder, procs
        os.makedirs(folder)
        self.bus = f"unix:path={folder}/bus"

    def bus_config(self):
        with open("/usr/share/dbus-1/system.conf") as f:
            text = f.read()
        text = re.sub(r"\s*<user>.*?</user>", "", text)
        text = re.sub(r"\s*<pidfile>.*?</pidfile>", "", text)
        text = re.sub(r"<listen>.*?</listen>", f"<listen>{self.bus}</listen>", text)
        text = text.replace("<includedir>system.d</includedir>",
                            "<includedir>/usr/share/dbus-1/system.d</includedir>")
        path = os.path.join(self.folder, "bus.conf")
        with open(path, "w") as f:
            f.write(text)
        return path

    def avahi_config(self):
        path = os.path.join(self.folder, "avahi.conf")
        with open(path, "w") as f:
            f.write(f"[server]\nhost-name=hmlan-{self.role}-{os.getpid()}\nuse-ipv4=yes\nuse-ipv6=yes\n"
                    f"allow-interfaces={self.net.devices[self.role]}\nenable-dbus=yes\n"
                    "[wide-area]\nenable-wide-area=no\n"
                    "[publish]\npublish-workstation=no\npublish-hinfo=no\npublish-addresses=yes\n")
        return path

    def start(self):
        log_file = open(os.path.join(self.folder, "daemons.log"), "w")
        self.procs.start([*self.net.exec_in(self.role), "dbus-daemon", "--nofork", "--config-file", self.bus_config()],
                         log_file)
        wait_for(f"the {self.role} system bus", lambda: os.path.exists(self.bus.split("=", 1)[1]), STARTED_WITHIN)
        # Avahi keeps its pid file and socket in /run: a private one in this mount namespace.
        script = ("mount -t tmpfs none /run && mkdir -p /run/avahi-daemon && exec avahi-daemon "
                  f"--no-drop-root --no-chroot --no-rlimits -f {self.avahi_config()}")
        self.procs.start([*self.net.exec_in(self.role), "sh", "-c", script], log_file, env=self.env())
        wait_for(f"the {self.role} avahi-daemon", self.answers, STARTED_WITHIN, interval=0.2)

    def answers(self):
        probe = subprocess.run([*self.net.exec_in(self.role), "avahi-browse", "-t", "-p", "_hangman._tcp"],
                               env=self.env(), capture_output=True, timeout=10)
        return probe.returncode == 0

    def env(self, **more):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "XDG_", "WAYLAND", "DBUS_"))}
        env.update(DBUS_SYSTEM_BUS_ADDRESS=self.bus, **more)
        return env


class LanGamesTest:
    def __init__(self, build, work):
        self.build, self.work = build, work
        self.procs = Processes()
        self.shots = os.environ.get("HANGMAN_SCREENSHOTS")

    def program_folder(self, role):
        """A folder of the role's own holding copies of the programs, for its settings file."""
        folder = os.path.join(self.work, role, "program")
        os.makedirs(folder)
        for program in ("hangman", "vorlix-lobby", "hangman-sound.so"):
            shutil.copy2(os.path.join(self.build, program), folder)
        return folder

    def runtime_env(self, role, **more):
        runtime = os.path.join(self.work, role, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        return self.daemons[role].env(XDG_RUNTIME_DIR=runtime, TMPDIR=runtime, HOME=os.path.join(self.work, role),
                                      **more)

    def start_lobby(self):
        folder = self.program_folder("lobby")
        self.display = f":{300 + os.getpid() % 400}"
        fb = os.path.join(self.work, "fb")
        os.makedirs(fb)
        self.procs.start([*self.net.exec_in("lobby"), "Xvfb", self.display, "-screen", "0", "640x720x24",
                          "-nolisten", "tcp", "-fbdir", fb], open(os.path.join(self.work, "xvfb.log"), "w"))
        self.fb = os.path.join(fb, "Xvfb_screen0")
        wait_for("Xvfb", lambda: os.path.exists(self.fb), STARTED_WITHIN)
        env = self.runtime_env("lobby", DISPLAY=self.display, QT_QPA_PLATFORM="xcb")
        self.procs.start([*self.net.exec_in("lobby"), "openbox"], open(os.path.join(self.work, "openbox.log"), "w"),
                         env=env)
        wait_for("openbox", lambda: self.xdotool(env, "get_desktop") is not None, STARTED_WITHIN)
        self.lobby_log = os.path.join(self.work, "lobby.log")
        self.procs.start([*self.net.exec_in("lobby"), os.path.join(folder, "vorlix-lobby")],
                         open(self.lobby_log, "w"), env=env, cwd=folder)
        wait_for("the lobby's first list", lambda: self.listed() is not None, STARTED_WITHIN)
        wait_for("the lobby's window", lambda: self.xdotool(env, "search", "--onlyvisible", "--name", "Vorlix Lobby"),
                 STARTED_WITHIN)

    def xdotool(self, env, *args):
        """xdotool's output in the lobby's namespace, or None when it failed."""
        done = subprocess.run([*self.net.exec_in("lobby"), "xdotool", *args], env=env, capture_output=True, text=True,
                              timeout=10)
        return done.stdout.strip() if done.returncode == 0 else None

    def start_host(self, role, name):
        folder = self.program_folder(role)
        log_path = os.path.join(self.work, role, "host.log")
        host = self.procs.start([*self.net.exec_in(role), os.path.join(folder, "hangman"), name, "127.0.0.1", "true"],
                                open(log_path, "w"), env=self.runtime_env(role, QT_QPA_PLATFORM="offscreen"),
                                cwd=folder)
        wait_for(f"{name}'s host to announce", lambda: "Announcing this game" in read(log_path), STARTED_WITHIN)
        log(f"{name}'s host announces")
        return host, log_path

    def listed(self):
        """The lobby's latest list: {name: line}, or None before its first."""
        lines = [line for line in read(self.lobby_log).splitlines() if LIST_LINE in line]
        if not lines:
            return None
        text = lines[-1].split(LIST_LINE, 1)[1].strip()
        return {} if text == "none" else {entry.split(",")[0].strip(): entry.strip() for entry in text.split(";")}

    def expect_listed(self, what, check):
        since = time.monotonic()
        entries = wait_for(what, lambda: (lambda games: games if games is not None and check(games) else None)(
            self.listed()), APPEARS_WITHIN)
        log(f"after {time.monotonic() - since:.1f}s: {what}: {entries}")
        return entries

    def join_as_player(self, name):
        """A raw client in the lobby's namespace that logs in to Ann's game and stays."""
        script = ("import socket,sys,time\n"
                  f"s=socket.create_connection(('{ADDRESSES['ann']}',{GAME_PORT}),10)\n"
                  "data=b''\n"
                  "while b'\\xff' not in data: data+=s.recv(256)\n"
                  "slot=data.split(b'+')[1]\n"
                  f"s.sendall(b'CMD_logininfo+'+slot+b'+1.0.6+{name}\\xff\\xff')\n"
                  "time.sleep(120)\n")
        self.procs.start([*self.net.exec_in("lobby"), sys.executable, "-c", script],
                         open(os.path.join(self.work, "player.log"), "w"))

    def main(self):
        with LocalNetwork(os.getpid()) as self.net:
            try:
                self.daemons = {role: Daemons(self.net, role, os.path.join(self.work, role, "daemons"), self.procs)
                                for role in ADDRESSES}
                for daemons in self.daemons.values():
                    daemons.start()
                log("the three avahi-daemons run, each on its own system bus")
                self.start_lobby()
                self.scenario()
            finally:
                self.procs.close()

    def scenario(self):
        ann, _ = self.start_host("ann", "Ann")
        entries = self.expect_listed("Ann's game with one player", lambda games: "1 player" in games.get("Ann's game", ""))
        expect(f"at {ADDRESSES['ann']}" in entries["Ann's game"] and "waiting" in entries["Ann's game"],
               f"Ann's entry lacks her address or state: {entries}")
        self.join_as_player("Bob")
        self.expect_listed("Ann's game with two players", lambda games: "2 players" in games.get("Ann's game", ""))

        self.start_host("cleo", "Cleo")
        # Avahi may resolve Cleo's IPv6 address before her IPv4 one: her entry must gain it in time.
        self.expect_listed("both games, Cleo's with her address",
                           lambda games: "Ann's game" in games and f"at {ADDRESSES['cleo']}" in games.get("Cleo's game", ""))
        if self.shots:
            shoot(self.fb, os.path.join(self.shots, "lan_lobby_two_games.png"))

        os.kill(ann.pid, signal.SIGTERM)
        self.expect_listed("Ann's game gone", lambda games: "Ann's game" not in games and "Cleo's game" in games)
        ann.wait(10)


def expect(condition, text):
    if not condition:
        raise Failure(text)


def main():
    status = cannot_start(__doc__, ("avahi-daemon", "avahi-browse", "dbus-daemon", "Xvfb", "openbox", "xdotool"),
                          namespaces=True)
    if status is not None:
        return status
    binary = os.path.abspath(sys.argv[1])
    return run_in_folder("hangman-lan-", lambda work: LanGamesTest(binary, work),
                         "games on the network: passed, with the real avahi-daemon")


if __name__ == "__main__":
    sys.exit(main())
