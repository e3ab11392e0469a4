#!/usr/bin/env python3
"""The command line reaches the game untouched.

A hosting copy of the real program is started with a player name that Qt
would take for one of its own options ("-platform", "-reverse", "-style"), or
that the game itself takes for one in front of the launcher's arguments
("--words"), and an address other than this machine's. A raw client then logs in on port 7772
and must be told of the host's own player under exactly that name, which also
shows that the host connected its own client to 127.0.0.1 whatever address it
was given. The hosting copy must also open its connection to the launcher
(127.0.0.1, port 9001), and end with status 0 when asked to.

Everything runs in a private network namespace (the script starts itself again
under "unshare --net"), so port 7772 is its own. The program draws offscreen.
Usage: command_line.py PATH/TO/hangman    Exit status 77: no network namespace.
"""

import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77
GAME_PORT = 7772
LAUNCHER_PORT = 9001
TERM = b"\xff"
NAMES = ["-platform", "-reverse", "-style", "--words"]
FOREIGN_ADDRESS = "192.0.2.1"  # never reachable from inside the namespace
START_TIMEOUT = 15
EXIT_TIMEOUT = 10


class Failure(Exception):
    pass


def isolated():
    return os.environ.get("HANGMAN_COMMAND_LINE_ISOLATED") == "1"


def run_isolated():
    if shutil.which("unshare") is None or subprocess.run(["unshare", "--net", "true"],
                                                         capture_output=True).returncode != 0:
        print("SKIP: cannot create a private network namespace")
        return SKIP
    env = dict(os.environ, HANGMAN_COMMAND_LINE_ISOLATED="1")
    return subprocess.call(["unshare", "--net", "sh", "-c", 'ip link set lo up && exec "$0" "$@"',
                            sys.executable, os.path.abspath(__file__), *sys.argv[1:]], env=env)


def connect(port, deadline):
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=1)
        except OSError:
            if time.monotonic() > deadline:
                raise Failure(f"nothing listens on port {port}")
            time.sleep(0.1)


def read_message(sock, pending, deadline):
    """Returns the next whole message (without its terminator) and what follows it."""
    while TERM not in pending:
        if time.monotonic() > deadline:
            raise Failure(f"timed out; last bytes {pending!r}")
        sock.settimeout(max(0.1, deadline - time.monotonic()))
        try:
            chunk = sock.recv(4096)
        except socket.timeout:
            continue
        if not chunk:
            raise Failure(f"connection closed; last bytes {pending!r}")
        pending += chunk
    message, _, rest = pending.partition(TERM)
    return message, rest


def log_in_and_find(sock, name, deadline):
    """Logs in as a spectator-to-be and waits to hear of a player called name."""
    pending = b""
    heard = []
    while True:
        message, pending = read_message(sock, pending, deadline)
        heard.append(message)
        fields = message.split(b"+")
        if fields[0] == b"CMD_sendlogininfo":
            sock.sendall(b"CMD_logininfo+" + fields[1] + b"+1.0.6+Probe" + TERM + TERM)
        elif fields[0] in (b"CMD_existingplayers", b"CMD_newplayerinfo") and b"+".join(fields[2:]) == name.encode():
            return
        if time.monotonic() > deadline:
            raise Failure(f"never heard of a player {name!r}: {heard!r}")


def host_under(binary, folder, name):
    program = os.path.join(folder, "hangman")
    shutil.copy2(binary, program)
    launcher = socket.socket()
    launcher.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    launcher.bind(("127.0.0.1", LAUNCHER_PORT))
    launcher.listen(1)
    launcher.settimeout(START_TIMEOUT)
    runtime = os.path.join(folder, "runtime")  # a lock of its own: no other copy on the machine is met
    os.mkdir(runtime, 0o700)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime)
    log = open(os.path.join(folder, "output.txt"), "wb")
    process = subprocess.Popen([program, name, FOREIGN_ADDRESS, "true"], cwd=folder, env=env,
                               stdout=log, stderr=subprocess.STDOUT)
    client = None
    try:
        deadline = time.monotonic() + START_TIMEOUT
        client = connect(GAME_PORT, deadline)
        log_in_and_find(client, name, deadline)
        try:
            launcher.accept()[0].close()
        except socket.timeout:
            raise Failure("the host never connected to the launcher on port 9001")
    finally:
        if client:
            client.close()
        launcher.close()
        if process.poll() is None:
            process.send_signal(signal.SIGTERM)
        try:
            code = process.wait(EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            code = "killed after a timeout"
        log.close()
    if code != 0:
        with open(os.path.join(folder, "output.txt"), "rb") as output:
            raise Failure(f"the host ended with {code}: {output.read()[-2000:]!r}")


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    if not isolated():
        return run_isolated()
    binary = os.path.abspath(sys.argv[1])
    failures = []
    for name in NAMES:
        folder = tempfile.mkdtemp(prefix="hangman-command-line-")
        try:
            host_under(binary, folder, name)
            print(f"ok: hosting as {name!r}")
        except Failure as failure:
            failures.append(f"{name!r}: {failure}")
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
