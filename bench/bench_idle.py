#!/usr/bin/env python3
"""Idle processor use and resident memory of a solo game.

Starts `hangman` with no arguments (the host and its client in one process,
offscreen), lets it settle, then measures the processor time it uses over
30 seconds with nothing happening (utime + stime from /proc/PID/stat) as a
share of one core; aim: under 0.5 %. Then reads its resident memory one minute
after start-up.

    python3 bench/bench_idle.py build-perf/hangman [--seconds 30]
"""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import realprocess  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--seconds", type=float, default=30)
    parser.add_argument("--settle", type=float, default=5)
    args = parser.parse_args()
    realprocess.isolate()
    print("machine:", realprocess.machine())
    program = realprocess.Program(os.path.abspath(args.binary)).start()
    try:
        if not program.wait_listening():
            print("the solo game never listened")
            return 1
        time.sleep(args.settle)
        cpu0, ns0, t0 = program.cpu_seconds(), program.main_thread_ns(), time.monotonic()
        time.sleep(args.seconds)
        cpu1, ns1, t1 = program.cpu_seconds(), program.main_thread_ns(), time.monotonic()
        tick = 1.0 / os.sysconf("SC_CLK_TCK")
        print("idle solo game: utime+stime %.2f s in %.1f s = %.2f %% of one core (aim < 0.5 %%; one tick is %.2f %%)"
              % (cpu1 - cpu0, t1 - t0, 100.0 * (cpu1 - cpu0) / (t1 - t0), 100.0 * tick / (t1 - t0)))
        print("  its main thread ran %.1f ms = %.3f %% of one core" % ((ns1 - ns0) / 1e6, 100.0 * (ns1 - ns0) / 1e9 / (t1 - t0)))
        remaining = 60 - (time.monotonic() - program.started)
        if remaining > 0:
            time.sleep(remaining)
        if program.proc.poll() is not None:
            print("the solo game ended by itself")
            return 1
        print("resident memory of the solo game after %.0f s: %.1f MiB"
              % (time.monotonic() - program.started, program.rss_kib() / 1024))
    finally:
        program.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
