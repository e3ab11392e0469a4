#!/usr/bin/env python3
"""Checks that every #include between the folders of src/ follows the layers
that ARCHITECTURE.md states, and that the check itself notices a crossing.

    python3 tests/layers/check_layers.py [SRC_FOLDER]

With a folder: checks that tree and exits 1 on any crossing. Without one: checks
the project's src/, then a copy of it with one include moved across a layer,
which must be refused.
"""
import os
import re
import shutil
import sys
import tempfile

# Which folders each folder's code may include from (besides itself).
ALLOWED = {
    "net": set(),
    "server": {"net"},
    "board": {"net"},
    "tally": set(),
    "windows": {"net", "board", "tally"},
    "client": {"net", "server", "board", "tally", "windows"},
    "app": {"net", "server", "board", "tally", "windows", "client"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/', re.MULTILINE)


def crossings(src):
    found = []
    for folder in sorted(os.listdir(src)):
        if folder not in ALLOWED:
            continue
        for root, _, files in os.walk(os.path.join(src, folder)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(root, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for target in INCLUDE.findall(f.read()):
                        if target != folder and target not in ALLOWED[folder]:
                            found.append("%s includes %s/" % (os.path.relpath(path, src), target))
    unknown = [d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)) and d not in ALLOWED]
    found += ["%s/ is a folder the layers do not name" % d for d in unknown]
    return found


def main():
    if len(sys.argv) > 1:
        bad = crossings(sys.argv[1])
        for line in bad:
            print(line)
        return 1 if bad else 0
    src = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src")
    bad = crossings(src)
    if bad:
        print("includes that cross the layers:\n  " + "\n  ".join(bad))
        return 1
    with tempfile.TemporaryDirectory() as scratch:
        copy = os.path.join(scratch, "src")
        shutil.copytree(src, copy)
        with open(os.path.join(copy, "net", "protocol.h"), "a") as f:
            f.write('\n#include "server/gameserver.h"\n')
        if not crossings(copy):
            print("the check did not notice net/ including server/")
            return 1
    print("layers: every include follows the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
