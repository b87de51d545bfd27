#!/usr/bin/env python3
"""Answers velk0's desktop boxes the way a screen reader user meets them:
through the accessibility tree (AT-SPI). Each argument is one box, in order:

    caption|text|buttons|answer

The box is the next zenity window that shows up; its title must be the
caption and one of its labels the text (a caption of * takes whatever box
comes, unchecked but for its buttons); its push buttons must be the buttons
(comma-separated, in any order). The answer is a button's name, pressed
through its AT-SPI action, or a key (Escape, Return) typed into the window.
Exits 1 with a line on the first box that is not as expected.
"""
import subprocess
import sys
import time

import pyatspi

WAIT_S = 30


def fail(message):
    print(f"ÉCHEC (bureau) : {message}", file=sys.stderr)
    sys.exit(1)


def descendants(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def next_box(done):
    """The first window of a zenity process not answered yet, with its pid."""
    deadline = time.monotonic() + WAIT_S
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            try:
                pid = app.get_process_id()
                if app.name != "zenity" or pid in done:
                    continue
                for window in app:
                    if window.getState().contains(pyatspi.STATE_SHOWING):
                        return pid, window
            except Exception:  # an application that has just ended
                continue
        time.sleep(0.1)
    fail(f"aucune boîte n'est apparue en {WAIT_S} s")


def answer(step, done):
    caption, text, buttons, action = step.split("|")
    pid, window = next_box(done)
    done.add(pid)
    found = {}
    labels = []
    for node in descendants(window):
        role = node.getRole()
        if role == pyatspi.ROLE_PUSH_BUTTON:
            found[node.name] = node
        elif role == pyatspi.ROLE_LABEL:
            labels.append(node.name)
    if caption != "*":
        if window.name != caption:
            fail(f"titre {window.name!r} au lieu de {caption!r}")
        if text not in labels:
            fail(f"texte {text!r} absent des étiquettes {labels!r}")
    if sorted(found) != sorted(buttons.split(",")):
        fail(f"boutons {sorted(found)!r} au lieu de {buttons!r}")
    if action in found:
        found[action].queryAction().doAction(0)
    else:
        window_ids = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                                     str(pid)], capture_output=True, text=True, timeout=WAIT_S)
        window_id = window_ids.stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window_id, "key", action],
                       check=True, timeout=WAIT_S)


def main():
    done = set()
    for step in sys.argv[1:]:
        answer(step, done)


main()
