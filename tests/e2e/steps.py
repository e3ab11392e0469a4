"""What the end-to-end tests share: a failure, a log line with the time since
start, a bounded wait, and the checks made before a test starts."""

import shutil
import socket
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
