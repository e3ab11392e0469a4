#!/usr/bin/env python3
"""A screen reader's way into a real copy of the game, through AT-SPI.

The program runs as a solo game on a private X display, in a private D-Bus
session (with its own accessibility bus) and a private network namespace (the
game's port 7772 is its own there). Through AT-SPI alone the test presses the
board's START GAME button and the game start window's START GAME button, waits
until a letter tile is available (the computer players may have taken any
given letter before the first turn comes round), presses it, and checks that
the tile is gone from the board as after a click.

Usage: atspi_tile.py PATH/TO/hangman

Exit status 77: the tools are missing (Xvfb, dbus-run-session, at-spi2-core,
python3-pyatspi) or no private network namespace can be made here.
"""

import os
import shutil
import subprocess
import sys
import tempfile
from steps import Failure, log, missing_tools, wait_for

SKIP = 77
STEP_TIMEOUT = 60          # seconds for each wait below
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
INNER = "--inner"


def python_with_pyatspi():
    """This interpreter, or Debian's own one where the bindings are installed."""
    for python in (sys.executable, "/usr/bin/python3"):
        try:
            subprocess.run([python, "-c", "import pyatspi"], check=True, capture_output=True, timeout=30)
            return python
        except (subprocess.SubprocessError, OSError):
            continue
    return None


def missing_requirements():
    missing = missing_tools("Xvfb", "dbus-run-session", "unshare", "ip")
    if not os.path.exists(BUS_LAUNCHER):
        missing.append("at-spi2-core")
    if python_with_pyatspi() is None:
        missing.append("python3-pyatspi")
    return missing


def outer(binary):
    missing = missing_requirements()
    if missing:
        print("SKIP: missing " + ", ".join(missing))
        return SKIP
    if subprocess.run(["unshare", "--net", "true"], capture_output=True, timeout=30).returncode != 0:
        print("SKIP: cannot create a private network namespace here")
        return SKIP
    script = os.path.abspath(__file__)
    inner = (f"ip link set lo up && exec dbus-run-session -- "
             f"'{python_with_pyatspi()}' '{script}' {INNER} '{os.path.abspath(binary)}'")
    try:
        return subprocess.run(["unshare", "--net", "sh", "-c", inner], timeout=4 * STEP_TIMEOUT).returncode
    except subprocess.TimeoutExpired:
        print("FAIL: the test did not end in time")
        return 1


def start_display(work):
    """Xvfb on a display number it picks itself."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=open(f"{work}/xvfb.log", "w"))
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        xvfb.kill()
        raise Failure("Xvfb did not start")
    return xvfb, f":{number}"


def showing(accessible, pyatspi):
    return accessible.getState().contains(pyatspi.STATE_SHOWING)


def find_showing(root, role, name, pyatspi):
    return pyatspi.utils.findDescendant(
        root, lambda a: a is not None and a.getRoleName() == role and a.name == name and showing(a, pyatspi))


def is_letter(name):
    return name is not None and len(name) == 1 and "A" <= name <= "Z"


def press(accessible):
    action = accessible.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    if "press" not in names:
        raise Failure(f"{accessible.name!r} has no press action, only {names}")
    action.doAction(names.index("press"))


def inner(binary):
    work = tempfile.mkdtemp(prefix="hangman-atspi-")
    processes = []
    try:
        xvfb, display = start_display(work)
        processes.append(xvfb)
        log(f"Xvfb on {display}")
        program = os.path.join(work, "hangman")
        shutil.copy2(binary, program)
        runtime = os.path.join(work, "run")
        os.makedirs(runtime, mode=0o700)
        env = dict(os.environ, DISPLAY=display, HOME=work, XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        os.environ.update(DISPLAY=display, XDG_RUNTIME_DIR=runtime)
        game = subprocess.Popen([program], cwd=work, env=env, stdout=open(f"{work}/hangman.log", "w"),
                                stderr=subprocess.STDOUT)
        processes.append(game)

        import pyatspi
        desktop = pyatspi.Registry.getDesktop(0)

        def game_app():
            for index in range(desktop.childCount):
                app = desktop.getChildAtIndex(index)
                if app is not None and find_showing(app, "push button", "START GAME", pyatspi):
                    return app
            return None

        app = wait_for("the game on the accessibility bus", game_app, STEP_TIMEOUT, 0.2, Exception)
        log(f"found the program on the accessibility bus as {app.name!r}")
        press(find_showing(app, "push button", "START GAME", pyatspi))

        def dialog_start():
            for index in range(app.childCount):
                window = app.getChildAtIndex(index)
                if window is not None and "Game Start" in (window.name or "") and showing(window, pyatspi):
                    return find_showing(window, "push button", "START GAME", pyatspi)
            return None

        press(wait_for("the game start window", dialog_start, STEP_TIMEOUT, 0.2, Exception))
        log("game started")

        def available_tile():
            return pyatspi.utils.findDescendant(
                app, lambda a: a is not None and a.getRoleName() == "push button" and is_letter(a.name)
                and showing(a, pyatspi) and a.getState().contains(pyatspi.STATE_ENABLED))

        tile = wait_for("a letter tile to become available", available_tile, STEP_TIMEOUT, 0.2, Exception)
        letter = tile.name
        log(f"tile {letter} is available: pressing it")
        press(tile)
        wait_for(f"tile {letter} to be picked", lambda: not showing(tile, pyatspi), STEP_TIMEOUT, 0.2, Exception)
        log(f"tile {letter} was picked")
        print("1 passed, 0 failed")
        return 0
    except Failure as failure:
        print(f"FAIL: {failure}")
        for name in ("hangman.log", "xvfb.log"):
            path = os.path.join(work, name)
            if os.path.exists(path):
                print(f"---- {name}\n" + open(path, errors="replace").read()[-3000:])
        return 1
    finally:
        for process in reversed(processes):
            process.terminate()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == INNER:
        return inner(sys.argv[2])
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    return outer(sys.argv[1])


if __name__ == "__main__":
    sys.exit(main())
