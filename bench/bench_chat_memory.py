#!/usr/bin/env python3
"""Resident memory of a hosting copy while one raw client floods its chat.

A host ("hangman Host 127.0.0.1 true", offscreen) takes one raw client at seat 2,
which sends chat lines of --line-length characters (65,000 by default, close to
the longest message the host takes) as fast as the flood rule relays them (one
every 340 ms after its burst) for --seconds (120 by default), reading every
relay. The host's resident memory is read before the load, every 10 s and 5 s
after it. Side by side in the same run, each in a private network namespace of
its own (port 7772 is each one's own): the same build with the raw client
connected and silent, and with --reference another build (say, one from before a
change) under the same load.

Usage: bench_chat_memory.py PATH/TO/hangman [--reference PATH/TO/OTHER/hangman]
       [--seconds N] [--line-length N]
"""

import argparse
import json
import os
import socket
import subprocess
import sys
import time

import realprocess

TERM = b"\xff"
PACE = 0.34            # seconds between two lines after the burst: just under three a second
BURST = 10
SAMPLE_EVERY = 10      # seconds
SETTLE = 5             # seconds before the first and after the last reading


class RawClient:
    def __init__(self):
        self.sock = socket.create_connection(("127.0.0.1", realprocess.PORT), timeout=5)
        self.sock.setblocking(False)
        self.pending = b""
        self.slot = 0
        self.relays = 0

    def drain(self):
        """Reads what has come; answers the login; counts the relays of our own lines."""
        while True:
            try:
                data = self.sock.recv(1 << 20)
            except BlockingIOError:
                return
            if not data:
                raise RuntimeError("the host closed the raw client")
            self.pending += data
            *messages, self.pending = self.pending.split(TERM)
            for message in messages:
                if message.startswith(b"CMD_sendlogininfo+"):
                    self.slot = int(message.split(b"+")[1])
                    self.sock.setblocking(True)
                    self.sock.sendall(b"CMD_logininfo+%d+1.0.6+Raw" % self.slot + TERM + TERM)
                    self.sock.setblocking(False)
                elif message.startswith(b"CMD_chat+%d+" % self.slot):
                    self.relays += 1

    def wait(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.drain()
            time.sleep(0.01)

    def send_line(self, text):
        self.sock.setblocking(True)
        self.sock.sendall(b"CMD_chat+%d+" % self.slot + text + b"|clBlack" + TERM)
        self.sock.setblocking(False)


def measure(binary, loaded, seconds, line_length):
    """One host, in this process's own network namespace; returns its figures."""
    realprocess.isolate()
    host = realprocess.Program(binary, ["Host", "127.0.0.1", "true"],
                               settings="[hangman]\nOpenPortOnRouter=false\n").start()
    try:
        if not host.wait_listening():
            raise RuntimeError("the host never listened")
        raw = RawClient()
        raw.wait(SETTLE)
        if not raw.slot:
            raise RuntimeError("the raw client was never asked to log in")
        start = host.rss_kib()
        samples = []
        sent = 0
        began = time.monotonic()
        next_sample = began + SAMPLE_EVERY
        line = (b"%d " % line_length) + b"w" * line_length
        line = line[:line_length]
        while time.monotonic() - began < seconds:
            if loaded:
                raw.send_line(line)
                sent += 1
            raw.wait(0 if sent < BURST and loaded else PACE)
            if time.monotonic() >= next_sample:
                samples.append(host.rss_kib())
                next_sample += SAMPLE_EVERY
        raw.wait(SETTLE)
        return {"start": start, "end": host.rss_kib(), "samples": samples, "sent": sent, "relayed": raw.relays}
    finally:
        host.stop()


def mib(kib):
    return kib / 1024.0


def run_isolated(binary, loaded, seconds, line_length):
    """Starts one measurement in a network namespace of its own; returns the process."""
    command = [sys.executable, os.path.abspath(__file__), binary, "--measure", "load" if loaded else "idle",
               "--seconds", str(seconds), "--line-length", str(line_length)]
    if subprocess.run(["unshare", "--net", "true"], capture_output=True).returncode == 0:
        command = ["unshare", "--net", *command]
    env = dict(os.environ, HANGMAN_BENCH_ISOLATED="1") if command[0] == "unshare" else dict(os.environ)
    return subprocess.Popen(command, env=env, stdout=subprocess.PIPE, text=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("binary")
    parser.add_argument("--reference", help="another build of the program, under the same load")
    parser.add_argument("--seconds", type=float, default=120)
    parser.add_argument("--line-length", type=int, default=65000)
    parser.add_argument("--measure", choices=("load", "idle"), help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.measure:
        print(json.dumps(measure(os.path.abspath(args.binary), args.measure == "load", args.seconds,
                                 args.line_length)))
        return 0

    runs = [("this build, flooded", args.binary, True), ("this build, silent client", args.binary, False)]
    if args.reference:
        runs.append(("reference, flooded", args.reference, True))
    print("machine:", realprocess.machine())
    print("load: one raw client, lines of %d characters, %.0f s" % (args.line_length, args.seconds))
    started = [(label, run_isolated(os.path.abspath(binary), loaded, args.seconds, args.line_length))
               for label, binary, loaded in runs]
    failed = False
    print("%-28s %10s %10s %10s %7s %8s  samples (MiB)" % ("host", "start MiB", "end MiB", "growth", "sent",
                                                           "relayed"))
    for label, process in started:
        out, _ = process.communicate(timeout=args.seconds + 120)
        if process.returncode != 0 or not out.strip():
            print("%-28s failed (status %s)" % (label, process.returncode))
            failed = True
            continue
        figures = json.loads(out.strip().splitlines()[-1])
        print("%-28s %10.1f %10.1f %+10.1f %7d %8d  %s" % (
            label, mib(figures["start"]), mib(figures["end"]), mib(figures["end"] - figures["start"]),
            figures["sent"], figures["relayed"], " ".join("%.0f" % mib(kib) for kib in figures["samples"])))
    print("(load average now %s)" % " ".join(open("/proc/loadavg").read().split()[:3]))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
