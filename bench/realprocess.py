"""Helpers for the benchmarks that drive real copies of the program.

Each copy runs from its own temporary folder (its settings file and tally live
next to the program) with its own XDG_RUNTIME_DIR, so the single-instance lock
never meets another copy. Where the machine allows it the benchmark runs in a
private network namespace, so port 7772 is its own even while tests run.
"""

import fcntl
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

PORT = 7772


def isolate():
    """Runs the calling script again in a private network namespace when possible."""
    if os.environ.get("HANGMAN_BENCH_ISOLATED"):
        SIOCGIFFLAGS, SIOCSIFFLAGS, IFF_UP = 0x8913, 0x8914, 0x1
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            request = struct.pack("16sH14s", b"lo", 0, b"")
            flags = struct.unpack("16sH", fcntl.ioctl(s, SIOCGIFFLAGS, request)[:18])[1]
            fcntl.ioctl(s, SIOCSIFFLAGS, struct.pack("16sH14s", b"lo", flags | IFF_UP, b""))
        return
    if shutil.which("unshare") and subprocess.run(["unshare", "--net", "true"], capture_output=True).returncode == 0:
        env = dict(os.environ, HANGMAN_BENCH_ISOLATED="1")
        sys.exit(subprocess.call(["unshare", "--net", sys.executable, os.path.abspath(sys.argv[0]), *sys.argv[1:]],
                                 env=env))


def machine():
    model = "unknown"
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return "%d cores, %s, load %s" % (os.cpu_count() or 0, model, " ".join(open("/proc/loadavg").read().split()[:3]))


class Program:
    """A copy of the program in its own folder."""

    def __init__(self, binary, arguments=(), settings=None, platform="offscreen", display=None):
        self.folder = tempfile.mkdtemp(prefix="hangman-bench-")
        runtime = os.path.join(self.folder, "runtime")
        os.mkdir(runtime, 0o700)
        os.mkdir(os.path.join(self.folder, "home"))
        self.path = os.path.join(self.folder, "hangman")
        shutil.copy2(binary, self.path)
        if settings:
            with open(os.path.join(self.folder, "vorlixlobby.ini"), "w") as ini:
                ini.write(settings)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=runtime, HOME=os.path.join(self.folder, "home"),
                        QT_QPA_PLATFORM=platform)
        if display:
            self.env["DISPLAY"] = display
        self.arguments = list(arguments)
        self.proc = None

    def start(self, launcher=()):
        """Starts the copy; with a launcher (a program and its arguments that start the copy
        and pass signals on to it) the launcher's standard output is a pipe."""
        self.started = time.monotonic()
        self.proc = subprocess.Popen([*launcher, self.path, *self.arguments], cwd=self.folder, env=self.env,
                                     stdout=subprocess.PIPE if launcher else subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        return self

    def wait_listening(self, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                socket.create_connection(("127.0.0.1", PORT), timeout=1).close()
                return True
            except OSError:
                time.sleep(0.05)
        return False

    def cpu_seconds(self):
        with open("/proc/%d/stat" % self.proc.pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def main_thread_ns(self):
        """Processor time of the main thread, where the game runs, in nanoseconds."""
        with open("/proc/%d/schedstat" % self.proc.pid) as stat:
            return int(stat.read().split()[0])

    def rss_kib(self):
        with open("/proc/%d/status" % self.proc.pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=10)
        shutil.rmtree(self.folder, ignore_errors=True)


def start_window_manager(env, log=subprocess.DEVNULL, timeout=20):
    """Starts openbox on the display env names and returns it once it manages windows.

    Ready means xdotool can read the desktop property openbox sets; xdotool prints a
    desktop number even when no window manager runs, so its exit status is what counts.
    An openbox that ends before it is ready is started again, within the time-out."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        openbox = subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL, stderr=log)
        while openbox.poll() is None and time.monotonic() < deadline:
            if subprocess.run(["xdotool", "get_desktop"], env=env, capture_output=True, timeout=10).returncode == 0:
                return openbox
            time.sleep(0.05)
        if openbox.poll() is None:
            openbox.kill()
        openbox.wait(timeout=5)
        time.sleep(0.2)
    raise RuntimeError("openbox did not start on %s within %d s" % (env.get("DISPLAY"), timeout))


class Display:
    """A private Xvfb display with openbox, or None when they are missing."""

    def __init__(self):
        self.procs = []
        self.name = None

    def start(self, fbdir=None):
        """The display's name; with fbdir, Xvfb keeps its screen there as an XWD file."""
        if not all(shutil.which(tool) for tool in ("Xvfb", "openbox", "xdotool")):
            return None
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp"] + (["-fbdir", fbdir] if fbdir else []), pass_fds=(write_fd,),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        self.procs.append(xvfb)
        number = b""
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and not number.endswith(b"\n"):
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_fd)
        self.name = ":" + number.decode().strip()
        self.procs.append(start_window_manager(dict(os.environ, DISPLAY=self.name)))
        return self.name

    def xdotool(self, *args, timeout=10):
        try:
            done = subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=self.name),
                                  capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            return ""
        return done.stdout.decode(errors="replace").strip()

    def stop(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait(timeout=5)
