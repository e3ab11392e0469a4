#!/usr/bin/env python3
"""Start-up time of a solo game to its first shown window.

On a private Xvfb display with openbox, starts `hangman` with no arguments and
measures the time from starting the process until its main window is mapped
and viewable (found by `xdotool search --onlyvisible`, polled every 10 ms), and
until the game server takes connections. Several runs; prints the median and
the fastest.

    python3 bench/bench_startup.py build-perf/hangman [--runs 7]
"""

import argparse
import os
import socket
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import realprocess  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    realprocess.isolate()
    print("machine:", realprocess.machine())
    display = realprocess.Display()
    if not display.start():
        print("SKIP: Xvfb or openbox missing")
        return 77
    shown, listening = [], []
    try:
        for run in range(args.runs):
            program = realprocess.Program(os.path.abspath(args.binary), platform="xcb", display=display.name)
            program.start()
            try:
                window_at = listen_at = None
                deadline = time.monotonic() + 30
                while time.monotonic() < deadline and (window_at is None or listen_at is None):
                    if listen_at is None:
                        try:
                            socket.create_connection(("127.0.0.1", realprocess.PORT), timeout=0.2).close()
                            listen_at = time.monotonic()
                        except OSError:
                            pass
                    if window_at is None and display.xdotool("search", "--onlyvisible", "--name", "^HangMan$"):
                        window_at = time.monotonic()
                    time.sleep(0.01)
                if window_at is None:
                    print("run %d: the window never showed" % (run + 1))
                    return 1
                shown.append(window_at - program.started)
                listening.append((listen_at or window_at) - program.started)
                print("run %d: window shown after %.0f ms, listening after %.0f ms"
                      % (run + 1, shown[-1] * 1000, listening[-1] * 1000))
            finally:
                program.stop()
    finally:
        display.stop()
    print("start-up to the first shown window: median %.0f ms, fastest %.0f ms (%d runs)"
          % (statistics.median(shown) * 1000, min(shown) * 1000, len(shown)))
    print("start-up to the server listening: median %.0f ms" % (statistics.median(listening) * 1000))
    return 0


if __name__ == "__main__":
    sys.exit(main())
