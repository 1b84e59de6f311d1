#!/usr/bin/env python3
"""Reads the running Brindlewick window through AT-SPI, as a screen reader or a UI-automation tool
does, and drives it the same way: presses buttons through their actions, clicks a row and presses
Delete through the registry's device events, and selects a row through the table interface.
Exits non-zero, saying what it missed, when any of it cannot be read or does not hold."""
import os
import signal
import subprocess
import sys
import time

import pyatspi

TOOLTIP = ("Double-click item to remove it. Move | line to right and out of window to reveal full names.")
CAPTIONS = sorted(
    ["Load Data From File", "Save Data To File", "Clear List", "Load Sample/Example Data"] * 2 + [
        "Remove List 1 Items With...", "Remove List 1 Items Without...", "Remove Blanks From List 1",
        "Remove Matches (List 2 From List 1)", "Keep Only Matches in List 2",
        "Remove List 1 Dupes Except First Occurrence", "Remove All List 1 Dupes (All Occurrences)",
        "Remove List 2 Items With...", "Remove List 2 Items Without...", "Remove Blanks From List 2",
        "Remove Matches (List 1 From List 2)", "Keep Only Matches in List 1",
        "Remove List 2 Dupes Except First Occurrence", "Remove All List 2 Dupes (All Occurrences)"
    ])
DELETE_KEYSYM = 0xFFFF
ESCAPE_KEYSYM = 0xFF1B


class CheckFailed(Exception):
    pass


def check(condition, what):
    if not condition:
        raise CheckFailed(what)
    print("ok:", what)


def wait_for(read, expected, what, seconds=10.0):
    """Polls until read() gives expected: the program answers events on its own time."""
    deadline = time.monotonic() + seconds
    value = None
    while time.monotonic() < deadline:
        try:
            value = read()
        except Exception as error:  # an object may vanish while the program changes
            value = error
        if value == expected:
            print("ok:", what, "=", expected)
            return
        time.sleep(0.1)
    raise CheckFailed(f"{what}: expected {expected!r}, read {value!r}")


def poll(read, seconds=10.0):
    """The first value read() gives that is not None, or None when the time runs out."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            value = read()
        except Exception:
            value = None
        if value is not None:
            return value
        time.sleep(0.1)
    return None


def find_application(name):
    """The program's Qt application. Under Qt's GTK platform theme the process also holds GTK's own
    accessibility bridge, which registers a second, empty application of the same name."""
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name and app.get_toolkit_name() == "Qt" and app.childCount > 0:
                return app
        time.sleep(0.2)
    raise CheckFailed(f"no accessible application named {name!r} on the AT-SPI bus")


def controls(root):
    """Every accessible below root, but not the cells of tables: a pane may hold millions."""
    found, pending = [], [root]
    while pending:
        node = pending.pop()
        found.append(node)
        if node.getRole() != pyatspi.ROLE_TABLE:
            pending.extend(child for child in node if child is not None)
    return found


def rows(table):
    cells = table.queryTable()
    return [cells.getAccessibleAt(row, 0).name for row in range(cells.nRows)]


def centre(accessible):
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x + box.width // 2, box.y + box.height // 2


def main():
    app = find_application(sys.argv[1] if len(sys.argv) > 1 else "brindlewick")
    everything = controls(app)
    panes = {a.name: a for a in everything if a.getRole() == pyatspi.ROLE_TABLE}
    check(sorted(panes) == ["List 1:", "List 2:"], f"the panes are tables named List 1: and List 2: {sorted(panes)}")
    for name, pane in panes.items():
        check(pane.description == TOOLTIP, f"{name} is described by the tooltip")
        table = pane.queryTable()
        check(table.nColumns == 1 and table.getColumnDescription(0) == name, f"{name} has one column headed {name}")
        check(table.nRows == 0, f"{name} starts empty")

    buttons = [a for a in everything if a.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    check(sorted(b.name for b in buttons) == CAPTIONS, "the 22 buttons are named by their captions")
    bars = [a for a in everything if a.getRole() == pyatspi.ROLE_PROGRESS_BAR]
    check(len(bars) == 1, "one progress bar")
    value = bars[0].queryValue()
    check((value.currentValue, value.minimumValue, value.maximumValue) == (0, 0, 100), "the progress bar reads 0 of 0 to 100")

    list1, list2 = panes["List 1:"], panes["List 2:"]
    samples = sorted((b for b in buttons if b.name == "Load Sample/Example Data"), key=lambda b: centre(b)[0])
    for button in samples:
        button.queryAction().doAction(0)
    wait_for(lambda: rows(list1), ["orange", "black", "purple"], "List 1 rows after Load Sample/Example Data")
    wait_for(lambda: rows(list2), ["red", "orange", "Purple"], "List 2 rows after Load Sample/Example Data")
    for name, pane in panes.items():
        check(pane.queryTable().getColumnHeader(0).name == name, f"{name}'s column header cell reads {name}")

    x, y = centre(list2.queryTable().getAccessibleAt(1, 0))
    pyatspi.Registry.generateMouseEvent(x, y, pyatspi.MOUSE_B1C)
    wait_for(lambda: list(list2.queryTable().getSelectedRows()), [1], "List 2's selected row after a click")
    selected = list2.queryTable().getAccessibleAt(1, 0)
    check(selected.name == "orange" and selected.getState().contains(pyatspi.STATE_SELECTED),
          "the clicked row reads orange and is selected")
    pyatspi.Registry.generateKeyboardEvent(DELETE_KEYSYM, None, pyatspi.KEY_SYM)
    wait_for(lambda: rows(list2), ["red", "Purple"], "List 2 rows after Delete")

    # A tool selects through the table interface alone and drives Delete.
    check(list1.queryTable().addRowSelection(2), "List 1 takes a selection of row 3 through the table")
    wait_for(lambda: list(list1.queryTable().getSelectedRows()), [2], "List 1's selected row")
    list1.queryComponent().grabFocus()
    wait_for(lambda: list1.getState().contains(pyatspi.STATE_FOCUSED), True, "List 1 has the focus")
    pyatspi.Registry.generateKeyboardEvent(DELETE_KEYSYM, None, pyatspi.KEY_SYM)
    wait_for(lambda: rows(list1), ["orange", "black"], "List 1 rows after Delete")

    clear = sorted((b for b in buttons if b.name == "Clear List"), key=lambda b: centre(b)[0])[0]
    clear.queryAction().doAction(0)
    wait_for(lambda: rows(list1), [], "List 1 rows after its Clear List")

    # The context menu and its entries are found from the application, and pressed.
    x, y = centre(list2.queryTable().getAccessibleAt(0, 0))
    pyatspi.Registry.generateMouseEvent(x, y, "b3c")
    entry = poll(lambda: next((a for a in controls(app) if a.getRole() == pyatspi.ROLE_MENU_ITEM
                               and a.name == "Copy All"), None))
    check(entry is not None, "List 2's context menu lists Copy All")
    check(entry.getState().contains(pyatspi.STATE_ENABLED), "Copy All is enabled")
    entry.queryAction().doAction(0)
    wait_for(lambda: subprocess.run(["xclip", "-selection", "clipboard", "-o"], capture_output=True,
                                    timeout=5).stdout, b"red\nPurple\n", "the clipboard after Copy All from the menu")
    pyatspi.Registry.generateKeyboardEvent(ESCAPE_KEYSYM, None, pyatspi.KEY_SYM)

    # A message box keeps what Qt gives it: its text reads, its OK button presses.
    next(b for b in buttons if b.name == "Remove Blanks From List 1").queryAction().doAction(0)
    message = "You forgot to load in List 1."
    box = poll(lambda: next((a for a in controls(app) if a.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG)
                             and any(message in (n.name or "") for n in controls(a))), None))
    check(box is not None, f"a message box reads {message}")
    ok = next((n for n in controls(box) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "OK"), None)
    check(ok is not None, "the message box has an OK button")
    ok.queryAction().doAction(0)
    wait_for(lambda: any(a.getRole() == pyatspi.ROLE_ALERT for a in controls(app)), False, "the message box closed")
    print("the panes read through AT-SPI")


def longest_answer(table, seconds):
    """The longest the program took to answer a question, asked again and again for seconds."""
    longest, deadline = 0.0, time.monotonic() + seconds
    while time.monotonic() < deadline:
        start = time.monotonic()
        table.queryTable().nRows
        longest = max(longest, time.monotonic() - start)
        time.sleep(0.005)
    return longest


def clipboard_owner(text):
    """xclip holding text on the clipboard, once it holds it."""
    owner = subprocess.Popen(["xclip", "-selection", "clipboard", "-i", "-quiet"], stdin=subprocess.PIPE,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    owner.stdin.write(text)
    owner.stdin.close()
    time.sleep(0.5)
    return owner


def hung_clipboard():
    """Another program takes the clipboard and stops answering: the window keeps answering."""
    app = find_application(sys.argv[1])
    list1 = next(a for a in controls(app) if a.getRole() == pyatspi.ROLE_TABLE and a.name == "List 1:")
    owners = []
    try:
        owners.append(clipboard_owner(b"hung\n"))
        os.kill(owners[-1].pid, signal.SIGSTOP)
        longest = longest_answer(list1, 1.5)
        check(longest < 0.1, f"the window answers within 100 ms once a hung program took the clipboard "
                             f"({longest * 1000:.0f} ms)")

    finally:
        for owner in owners:
            owner.kill()


if __name__ == "__main__":
    try:
        hung_clipboard() if "--hung-clipboard" in sys.argv else main()
    except CheckFailed as failure:
        print("FAILED:", failure, file=sys.stderr)
        sys.exit(1)
