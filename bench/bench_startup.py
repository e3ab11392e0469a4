#!/usr/bin/env python3
"""Start-up time and memory of a solo game against a bare Qt window.

On a private Xvfb display with openbox, starts `hangman` with no arguments and
the bare Qt Widgets program `bench_barewindow` (one empty 712 x 524 main window,
built from bench/bench_barewindow.cpp) alternately, and measures the time from
starting the process until its main window is mapped and viewable (found by
`bench_mapwatch`, which starts the program and watches the display for the
window becoming viewable; without it `xdotool search --onlyvisible` is polled
every 10 ms); for the game also until its server takes connections. Prints both medians and their ratio, and likewise the
processor time each used until its window showed (all threads, from
/proc/PID/task/*/schedstat), which a busy machine disturbs less than the time.

Then starts the two side by side for a minute, several times (three by default:
one reading moves by 0.2 MiB from run to run), and reads their resident and
proportional memory (VmRSS from /proc/PID/status, Pss from
/proc/PID/smaps_rollup) 5 s and 60 s after start; prints each run and the
medians.

With --reference, a second build of the game (an older commit, say) is started
in the same runs, in turn with the other two, and its figures are printed beside
the game's; in the memory runs it takes its own turn beside a bare window, since
two games cannot both listen on the game port.

    python3 bench/bench_startup.py build-perf/hangman [--bare build-perf/bench/bench_barewindow]
                                   [--reference BEFORE/hangman]
                                   [--runs 9] [--minute 60] [--memory-runs 3]
"""

import argparse
import os
import socket
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import realprocess  # noqa: E402

GAME_TITLE = "^HangMan$"
BARE_TITLE = "^BareWindow$"
TIMEOUT_SECONDS = 30
POLL_SECONDS = 0.01
SHORT_SECONDS = 5


def processor_seconds(pid):
    """Processor time of all the process's threads so far (from /proc/PID/task/*/schedstat)."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as stat:
                total += int(stat.read().split()[0])
        except OSError:
            pass
    return total / 1e9


def time_to_window(binary, title, display, wait_for_server, mapwatch=None):
    """Seconds until the window is shown, processor seconds used until then and,
    if asked, seconds until the server listens."""
    program = realprocess.Program(binary, platform="xcb", display=display.name)
    program.start(launcher=(mapwatch, title.strip("^$")) if mapwatch else ())
    try:
        if mapwatch:
            window, processor = watched_window(program)
        else:
            window, processor = polled_window(program, title, display)
        if window is None:
            return None, None, None
        listen = (time_to_listening(program) or window) if wait_for_server else window
        return window, processor, listen
    finally:
        program.stop()


def watched_window(program):
    """The map watcher's reading: it sees the window the moment it becomes viewable."""
    line = program.proc.stdout.readline().decode().split()
    if len(line) != 3:
        return None, None
    return float(line[1]) / 1000, float(line[2]) / 1000


def polled_window(program, title, display):
    """Polls xdotool every 10 ms; the processor time is read after xdotool answers."""
    deadline = time.monotonic() + TIMEOUT_SECONDS
    while time.monotonic() < deadline:
        if display.xdotool("search", "--onlyvisible", "--name", title):
            return time.monotonic() - program.started, processor_seconds(program.proc.pid)
        time.sleep(POLL_SECONDS)
    return None, None


def time_to_listening(program):
    deadline = time.monotonic() + TIMEOUT_SECONDS
    while time.monotonic() < deadline:
        try:
            socket.create_connection(("127.0.0.1", realprocess.PORT), timeout=0.2).close()
            return time.monotonic() - program.started
        except OSError:
            time.sleep(POLL_SECONDS)
    return None


def memory_of(program):
    """(RSS, PSS) in KiB."""
    pss = 0
    with open("/proc/%d/smaps_rollup" % program.proc.pid) as rollup:
        for line in rollup:
            if line.startswith("Pss:"):
                pss = int(line.split()[1])
    return program.rss_kib(), pss


def memory_side_by_side(binaries, display, seconds):
    """{name: [(seconds, RSS, PSS)]} at SHORT_SECONDS and `seconds` after start, for
    programs started together; None when one of them ended by itself."""
    programs = {name: realprocess.Program(binary, platform="xcb", display=display.name)
                for name, binary in binaries.items()}
    samples = {name: [] for name in programs}
    try:
        for program in programs.values():
            program.start()
        started = min(program.started for program in programs.values())
        for at in (SHORT_SECONDS, seconds):
            time.sleep(max(0.0, started + at - time.monotonic()))
            for name, program in programs.items():
                if program.proc.poll() is not None:
                    print("the %s ended by itself" % name)
                    return None
                samples[name].append((at, *memory_of(program)))
    finally:
        for program in programs.values():
            program.stop()
    return samples


def print_memory(name, binary, bare, display, args):
    """Runs the build beside a bare window args.memory_runs times and prints the differences."""
    differences = {0: [], 1: []}
    for run in range(args.memory_runs):
        memory = memory_side_by_side({name: binary, "bare": bare}, display, args.minute)
        if memory is None:
            return
        for index in range(2):
            at, game_rss, game_pss = memory[name][index]
            _, bare_rss, bare_pss = memory["bare"][index]
            differences[index].append((game_rss - bare_rss, game_pss - bare_pss))
            print("memory run %d after %.0f s: %s RSS %s PSS %s, bare window RSS %s PSS %s, "
                  "difference RSS %s PSS %s"
                  % (run + 1, at, name, mib(game_rss), mib(game_pss), mib(bare_rss), mib(bare_pss),
                     mib(game_rss - bare_rss), mib(game_pss - bare_pss)))
    for index, at in enumerate((SHORT_SECONDS, args.minute)):
        rss = [difference[0] for difference in differences[index]]
        pss = [difference[1] for difference in differences[index]]
        print("memory of the %s after %.0f s over the bare window: RSS median %s (%s to %s), PSS median %s (%d runs)"
              % (name, at, mib(statistics.median(rss)), mib(min(rss)), mib(max(rss)),
                 mib(statistics.median(pss)), len(rss)))


def ms(seconds):
    return "%.0f ms" % (seconds * 1000)


def mib(kib):
    return "%.1f MiB" % (kib / 1024)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--bare", help="the bare window program (default: bench/bench_barewindow beside the game)")
    parser.add_argument("--mapwatch", help="the map watcher (default: bench/bench_mapwatch beside the game; "
                        "without it xdotool is polled)")
    parser.add_argument("--reference", help="another build of the game, measured in the same runs")
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--minute", type=float, default=60, help="seconds until the second memory reading")
    parser.add_argument("--memory-runs", type=int, default=3, help="times the two run side by side for memory")
    args = parser.parse_args()
    game = os.path.abspath(args.binary)
    bare = os.path.abspath(args.bare or os.path.join(os.path.dirname(game), "bench", "bench_barewindow"))
    if not os.path.exists(bare):
        print("bare window program %s missing: cmake --build BUILD --target bench_barewindow" % bare)
        return 1
    mapwatch = os.path.abspath(args.mapwatch or os.path.join(os.path.dirname(game), "bench", "bench_mapwatch"))
    if not os.path.exists(mapwatch):
        print("map watcher %s missing, polling xdotool instead (reads the processor time late)" % mapwatch)
        mapwatch = None
    realprocess.isolate()
    print("machine:", realprocess.machine())
    display = realprocess.Display()
    if not display.start():
        print("SKIP: Xvfb or openbox missing")
        return 77
    games = {"game": game}
    if args.reference:
        games["reference"] = os.path.abspath(args.reference)
    names = [*games, "bare"]
    shown = {name: [] for name in names}
    processor = {name: [] for name in names}
    listening = {name: [] for name in games}
    try:
        for run in range(args.runs):
            # Rotate which one goes first, so none always meets a warmer cache.
            order = names[run % len(names):] + names[:run % len(names)]
            for which in order:
                if which in games:
                    window, used, listen = time_to_window(games[which], GAME_TITLE, display, True, mapwatch)
                else:
                    window, used, listen = time_to_window(bare, BARE_TITLE, display, False, mapwatch)
                if window is None:
                    print("run %d: the %s window never showed" % (run + 1, which))
                    return 1
                shown[which].append(window)
                processor[which].append(used)
                if which in games:
                    listening[which].append(listen)
            print("run %d: " % (run + 1) + ", ".join(
                "%s shown after %s (%s processor%s)" % (name, ms(shown[name][-1]), ms(processor[name][-1]),
                                                       ", listening after " + ms(listening[name][-1])
                                                       if name in games else "")
                for name in names))
        bare_median = statistics.median(shown["bare"])
        bare_processor = statistics.median(processor["bare"])
        for name in games:
            median = statistics.median(shown[name])
            print("start-up to the first shown window: %s median %s (fastest %s), bare window median %s "
                  "(fastest %s), ratio %.2f (%d runs each)"
                  % (name, ms(median), ms(min(shown[name])), ms(bare_median), ms(min(shown["bare"])),
                     median / bare_median, args.runs))
            used = statistics.median(processor[name])
            print("processor time until the first shown window: %s median %s, bare window median %s, ratio %.2f"
                  % (name, ms(used), ms(bare_processor), used / bare_processor))
            print("start-up to the %s's server listening: median %s" % (name, ms(statistics.median(listening[name]))))
        print("machine:", realprocess.machine())
        if args.minute <= 0:
            return 0
        for name, binary in games.items():
            print_memory(name, binary, bare, display, args)
        print("machine:", realprocess.machine())
    finally:
        display.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
