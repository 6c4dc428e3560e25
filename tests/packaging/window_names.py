#!/usr/bin/python3
# Finds the Korvex-12 window on the accessibility bus, as a screen reader or a test robot
# would, and checks that every control it needs is there under its name. Exit status 0 when
# all are found.
import sys
import time

import pyatspi

WANTED = [
    ("push button", "OPEN"),
    ("combo box", "COM port"),
    ("text", "Password"),
    ("text", "Password read back"),
    ("text", "Alarm angle"),
    ("spin button", "Date"),
    ("spin button", "Time"),
    ("image", "Ready"),
    ("push button", "Read Alarm Record"),
]


def controls(node, found):
    found.add((node.getRoleName(), node.name))
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            controls(child, found)
    return found


deadline = time.time() + 20
while True:
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
    windows = [w for a in apps if a is not None for w in a if w is not None and w.name == "Korvex-12"]
    if windows or time.time() > deadline:
        break
    time.sleep(0.25)
if not windows:
    sys.exit("no window named Korvex-12 on the accessibility bus")
found = controls(windows[0], set())
missing = [w for w in WANTED if w not in found]
if missing:
    sys.exit("not found by name: %s" % missing)
print("the window and its %d named controls were found on the accessibility bus" % len(WANTED))
