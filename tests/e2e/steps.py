"""What the end-to-end tests share: a failure, a log line with the time since
start, a bounded wait, the checks made before a test starts, and running a
test in a temporary folder that is removed afterwards."""

import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time


class Failure(Exception):
    pass


T0 = time.monotonic()


def log(text):
    print(f"[{time.monotonic() - T0:6.1f}s] {text}", flush=True)


def wait_for(what, predicate, timeout, interval=0.1, tolerate=()):
    """Polls predicate until it returns something true; bounded by timeout. An exception
    of a tolerated kind counts as not yet (say, an object that went away while read)."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = predicate()
        except tolerate:
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout}s waiting for {what}")
        time.sleep(interval)


def missing_tools(*tools):
    """The programs among tools that are not installed."""
    return [tool for tool in tools if shutil.which(tool) is None]


def something_listens(port):
    """Whether something already takes connections on 127.0.0.1:port."""
    try:
        socket.create_connection(("127.0.0.1", port), timeout=1).close()
        return True
    except OSError:
        return False


SKIP = 77


def namespaces_available():
    """Whether this process may make network namespaces (root with ip netns)."""
    if os.geteuid() != 0 or not shutil.which("ip"):
        return False
    probe = f"hm-probe-{os.getpid()}"
    ok = subprocess.run(["ip", "netns", "add", probe], capture_output=True, timeout=30).returncode == 0
    subprocess.run(["ip", "netns", "del", probe], capture_output=True, timeout=30)
    return ok


def cannot_start(usage, tools, namespaces=False):
    """The exit status when the test cannot run here (2: the command line wants one
    argument; SKIP: a tool or network namespaces are missing), else None."""
    if len(sys.argv) != 2:
        print(usage)
        return 2
    if namespaces and not namespaces_available():
        print("SKIP: cannot create network namespaces here (needs root and ip netns)")
        return SKIP
    missing = missing_tools(*tools)
    if missing:
        print(f"SKIP: missing {', '.join(missing)}")
        return SKIP
    return None


def run_in_folder(prefix, make_test, passed):
    """Runs make_test(folder).main() in a new temporary folder; the test's procs are closed
    after it. The folder is removed unless the test failed or HANGMAN_E2E_KEEP is set.
    Returns the exit status: 0 passed, 1 failed."""
    work = tempfile.mkdtemp(prefix=prefix)
    test = make_test(work)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        test.main()
        log(passed)
        return 0
    except Failure as failure:
        log(f"FAILED: {failure} (files kept in {work})")
        work = None
        return 1
    finally:
        test.procs.close()
        if work and not os.environ.get("HANGMAN_E2E_KEEP"):
            shutil.rmtree(work, ignore_errors=True)
