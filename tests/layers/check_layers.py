#!/usr/bin/env python3
"""Checks that every #include between the folders of src/ follows the layers
that ARCHITECTURE.md states, that the model code (src/net and src/client/model)
includes no header of Qt Widgets, and that the check itself notices a crossing.

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

# Which folders each folder's code may include from (besides itself). The
# client's model, client/model, is a layer of its own between net and board.
ALLOWED = {
    "net": set(),
    "client/model": {"net"},
    "server": {"net"},
    "board": {"net", "client/model"},
    "tally": set(),
    "windows": {"net", "board", "tally"},
    "client": {"net", "client/model", "server", "board", "tally", "windows"},
    "app": {"net", "client/model", "server", "board", "tally", "windows", "client"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/(?:(model)/)?', re.MULTILINE)
SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s+<([A-Za-z_/]+)(?:\.h)?>', re.MULTILINE)
# Code that runs without widgets: the protocol, the server's links, the client's game.
MODEL_FOLDERS = ["net", os.path.join("client", "model")]
QT_INCLUDE_ROOTS = ["/usr/include/x86_64-linux-gnu/qt6", "/usr/include/aarch64-linux-gnu/qt6", "/usr/include/qt6"]
# Besides every header of the installed Qt Widgets, the ones any Qt 6 has.
KNOWN_WIDGET_HEADERS = {"QWidget", "QApplication", "QLabel", "QMainWindow", "QPushButton", "QDialog", "QMessageBox"}


def widget_headers():
    names = set(KNOWN_WIDGET_HEADERS)
    for root in QT_INCLUDE_ROOTS:
        folder = os.path.join(root, "QtWidgets")
        if os.path.isdir(folder):
            names |= {n for n in os.listdir(folder) if n.startswith("Q") and "." not in n}
    return names


def folder_of(path, src):
    parts = os.path.relpath(path, src).split(os.sep)
    if parts[0] == "client" and len(parts) > 2 and parts[1] == "model":
        return "client/model"
    return parts[0]


def widget_includes(src):
    widgets = widget_headers()
    found = []
    for folder in MODEL_FOLDERS:
        for root, _, files in os.walk(os.path.join(src, folder)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(root, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for header in SYSTEM_INCLUDE.findall(f.read()):
                        if header.startswith("QtWidgets") or header in widgets:
                            found.append("%s includes the widget header <%s>" % (os.path.relpath(path, src), header))
    return found


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
                layer = folder_of(path, src)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for top, model in INCLUDE.findall(f.read()):
                        target = top + "/model" if top == "client" and model else top
                        if target != layer and target not in ALLOWED[layer]:
                            found.append("%s includes %s/" % (os.path.relpath(path, src), target))
    unknown = [d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)) and d not in ALLOWED]
    found += ["%s/ is a folder the layers do not name" % d for d in unknown]
    return found + widget_includes(src)


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
    planted = [
        (os.path.join("net", "protocol.h"), '#include "server/gameserver.h"', "net/ including server/"),
        (os.path.join("client", "model", "clientgame.h"), "#include <QLabel>",
         "the client's model including a widget header"),
        (os.path.join("client", "model", "clientgame.cpp"), '#include "client/mainwindow.h"',
         "the client's model including the main window"),
    ]
    with tempfile.TemporaryDirectory() as scratch:
        copy = os.path.join(scratch, "src")
        for path, include, what in planted:
            shutil.copytree(src, copy)
            with open(os.path.join(copy, path), "a") as f:
                f.write("\n" + include + "\n")
            if not crossings(copy):
                print("the check did not notice " + what)
                return 1
            shutil.rmtree(copy)
    print("layers: every include follows the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
