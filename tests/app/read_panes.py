#!/usr/bin/env python3
"""Reads the running Brindlewick window through AT-SPI, as a screen reader or a UI-automation tool
does, and drives it the same way: presses buttons through their actions, clicks a row and presses
Delete through the registry's device events, selects a row through the table interface, and opens the
panes' context menus with the Menu key and presses their entries or clicks them.
Exits non-zero, saying what it missed, when any of it cannot be read or does not hold."""
import filecmp
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi

TOOLTIP = ("Double-click item to remove it. Move | line to right and out of window to reveal full names.\n"
           "Click the right mouse button on the list to open its menu.")
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
DOWN_KEYSYM = 0xFF54
TAB_KEYSYM = 0xFF09
ESCAPE_KEYSYM = 0xFF1B
MENU_KEYSYM = 0xFF67


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


def count(pane):
    """What the pane's header cell (its first child, which an empty table has too) says of its count."""
    header = pane.getChildAtIndex(0)
    return header.description if header.getRole() == pyatspi.ROLE_TABLE_COLUMN_HEADER else None


def status_bar(app):
    return next(a for a in controls(app) if a.getRole() == pyatspi.ROLE_STATUS_BAR)


def result_line(app):
    """The result line: the status bar's accessible name."""
    return status_bar(app).name


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
        check(count(pane) == "0 items", f"{name}'s header counts 0 items")

    buttons = [a for a in everything if a.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    check(sorted(b.name for b in buttons) == CAPTIONS, "the 22 buttons are named by their captions")
    check(all(b.description for b in buttons), "the 22 buttons are described by their tooltips")
    check(all("the last copy of each repeated item stays" in b.description
              for b in buttons if "(All Occurrences)" in b.name), "the All Occurrences buttons say the last copy stays")
    bars = [a for a in everything if a.getRole() == pyatspi.ROLE_STATUS_BAR]
    check(len(bars) == 1, "one status bar, the result line")
    check(not any(a.getRole() == pyatspi.ROLE_PROGRESS_BAR for a in everything), "no progress bar that reads 0")

    list1, list2 = panes["List 1:"], panes["List 2:"]
    samples = sorted((b for b in buttons if b.name == "Load Sample/Example Data"), key=lambda b: centre(b)[0])
    for button in samples:
        button.queryAction().doAction(0)
    wait_for(lambda: rows(list1), ["orange", "black", "purple"], "List 1 rows after Load Sample/Example Data")
    wait_for(lambda: rows(list2), ["red", "orange", "Purple"], "List 2 rows after Load Sample/Example Data")
    for name, pane in panes.items():
        check(pane.queryTable().getColumnHeader(0).name == name, f"{name}'s column header cell reads {name}")
        wait_for(lambda: count(pane), "3 items", f"{name}'s count after Load Sample/Example Data")
    wait_for(lambda: result_line(app), "Load Sample/Example Data: 3 items added to List 2",
             "the result line after the sample data")

    x, y = centre(list2.queryTable().getAccessibleAt(1, 0))
    pyatspi.Registry.generateMouseEvent(x, y, pyatspi.MOUSE_B1C)
    wait_for(lambda: list(list2.queryTable().getSelectedRows()), [1], "List 2's selected row after a click")
    selected = list2.queryTable().getAccessibleAt(1, 0)
    check(selected.name == "orange" and selected.getState().contains(pyatspi.STATE_SELECTED),
          "the clicked row reads orange and is selected")
    pyatspi.Registry.generateKeyboardEvent(DELETE_KEYSYM, None, pyatspi.KEY_SYM)
    wait_for(lambda: rows(list2), ["red", "Purple"], "List 2 rows after Delete")
    wait_for(lambda: count(list2), "2 items", "List 2's count after Delete")
    wait_for(lambda: result_line(app), "Remove Item: 1 removed from List 2 \u00b7 2 left",
             "the result line after Delete")
    # Each list command that needs no typed text sets the line; these find nothing to remove here.
    for button, title in (("Remove Blanks From List 2", "Remove Blanks"),
                          ("Remove List 2 Dupes Except First Occurrence", "Remove Dupes Except First"),
                          ("Remove All List 2 Dupes (All Occurrences)", "Remove All Dupes"),
                          ("Remove Matches (List 1 From List 2)", "Remove Matches")):
        next(b for b in buttons if b.name == button).queryAction().doAction(0)
        wait_for(lambda: result_line(app), f"{title}: nothing removed from List 2",
                 f"the result line after {button}")

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
    wait_for(lambda: count(list1), "0 items", "List 1's count after Clear List")

    # The context menu and its entries are found from the application, and pressed.
    # The button is held until the menu shows, as a hand holds it: released at once, the pointer would
    # pass into the menu before the menu takes it, and the window manager, whose focus follows the
    # pointer, would take the focus from the window, which closes the menu a moment later.
    x, y = centre(list2.queryTable().getAccessibleAt(0, 0))
    pyatspi.Registry.generateMouseEvent(x, y, "b3p")
    entry = poll(lambda: next((a for a in controls(app) if a.getRole() == pyatspi.ROLE_MENU_ITEM
                               and a.name == "Copy All"), None))
    pyatspi.Registry.generateMouseEvent(x, y, "b3r")
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
    check(result_line(app) == "Clear List: 2 removed from List 1 \u00b7 0 left",
          "a command that ends at a message leaves the result line as it was")
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


def path_to_list1(app):
    """The child indexes from the application down to List 1."""
    pending = [(app, [])]
    while pending:
        node, path = pending.pop()
        if node.getRole() == pyatspi.ROLE_TABLE:
            if node.name == "List 1:":
                return path
            continue
        pending.extend((child, path + [i]) for i, child in enumerate(node) if child is not None)
    raise CheckFailed("no List 1 to find")


def answers_during_load(program, list_file, rows_loaded):
    """A second program, started with a long list on its command line, loads it at once: every
    question asked while it loads is answered within 100 ms, from finding the application to List 1's
    row count. The way to List 1 is learnt from the program already running, so it takes a few
    questions only and they fall into the load."""
    path = path_to_list1(find_application(os.path.basename(program)))
    folder = tempfile.mkdtemp()
    name = "brindlewick-loading"
    os.symlink(os.path.abspath(program), os.path.join(folder, name))
    loading = subprocess.Popen([os.path.join(folder, name), list_file],
                               env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
    longest, asked_loading, rows = 0.0, 0, None

    def ask(question):
        nonlocal longest
        start = time.monotonic()
        answer = question()
        longest = max(longest, time.monotonic() - start)
        return answer

    try:
        deadline = time.monotonic() + 20
        app = None
        while app is None and time.monotonic() < deadline:
            app = next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == name), None)
            time.sleep(0.01)
        check(app is not None, f"the loading program {name} is on the AT-SPI bus")
        pane = app
        for index in path:
            pane = ask(lambda: pane.getChildAtIndex(index))
        check(ask(lambda: pane.name) == "List 1:", "List 1 found while the list loads")
        table = ask(lambda: pane.queryTable())
        while time.monotonic() < deadline:
            rows = ask(lambda: table.nRows)
            if rows == rows_loaded:
                break
            asked_loading += 1
            time.sleep(0.005)
    finally:
        loading.kill()
        loading.wait()
        shutil.rmtree(folder)
    check(rows == rows_loaded, f"List 1 holds the {rows_loaded} lines loaded ({rows})")
    check(asked_loading > 0, f"List 1's row count was asked while the list loaded ({asked_loading} times)")
    check(longest < 0.1, f"every question asked during the load is answered within 100 ms ({longest * 1000:.0f} ms)")


def expect_result(expected, pane_count):
    """The result line and List 1's count, after a step the shell script took."""
    app = find_application(sys.argv[1])
    list1 = next(a for a in controls(app) if a.getRole() == pyatspi.ROLE_TABLE and a.name == "List 1:")
    wait_for(lambda: result_line(app), expected, "the result line")
    wait_for(lambda: count(list1), pane_count, "List 1's count")


def clipboard():
    return subprocess.run(["xclip", "-selection", "clipboard", "-o"], capture_output=True, timeout=5).stdout


def popups(app):
    return [child for child in app if child is not None and child.getRole() == pyatspi.ROLE_POPUP_MENU]


def focus(pane):
    """Gives the pane the focus. The window manager's focus follows the pointer: where the pane does not
    take it (a dialog that just closed may have left the window without it), the pointer comes onto
    the pane from outside the window, and the pane is asked again."""
    def focused():
        return True if pane.getState().contains(pyatspi.STATE_FOCUSED) else None
    for _ in range(3):
        pane.queryComponent().grabFocus()
        if poll(focused, seconds=1.0):
            break
        x, y = centre(pane)
        pyatspi.Registry.generateMouseEvent(0, 0, "abs")
        pyatspi.Registry.generateMouseEvent(x, y, "abs")
        time.sleep(0.3)
    wait_for(lambda: pane.getState().contains(pyatspi.STATE_FOCUSED), True, f"{pane.name} has the focus")


def open_menu(app, pane):
    """The pane's context menu, opened as a keyboard user opens it: the focus on the pane, the Menu key."""
    focus(pane)
    pyatspi.Registry.generateKeyboardEvent(MENU_KEYSYM, None, pyatspi.KEY_SYM)
    # The menu of the last opening may still be going away: this one is found by its entries.
    menu = poll(lambda: next(m for m in popups(app) if any(c is not None and c.name == "Copy All" for c in m)))
    check(menu is not None, f"the Menu key opens {pane.name}'s context menu")
    return menu


def entry(menu, path):
    """The entry at path, "Submenu/Entry" for an entry of a submenu. A menu just opened may still be
    telling the bus of its entries: they are looked for a few times."""
    def find():
        node = menu
        for depth, name in enumerate(path.split("/")):
            if depth:
                node = node.getChildAtIndex(0)  # a submenu's entry holds the submenu
            node = next((child for child in node if child is not None and child.name == name), None)
            if node is None:
                return None
        return node
    node = poll(find, seconds=3.0)
    if node is None:
        raise CheckFailed(f"no {path} in the menu")
    return node


def in_menu(app, pane, work):
    """Opens the pane's menu, hands it to work, closes it again with Escape; answers what work answers."""
    menu = open_menu(app, pane)
    try:
        return work(menu)
    finally:
        pyatspi.Registry.generateKeyboardEvent(ESCAPE_KEYSYM, None, pyatspi.KEY_SYM)
        wait_for(lambda: len(popups(app)), 0, "the menu closed")


def press(app, pane, *paths):
    """Presses the entries through their AT-SPI action, in one opening of the pane's menu."""
    def work(menu):
        for path in paths:
            item = entry(menu, path)
            # Paste asks the clipboard's owner again as the menu opens: its answer may come a moment later.
            check(poll(lambda: True if item.getState().contains(pyatspi.STATE_ENABLED) else None, seconds=3.0),
                  f"{path} is enabled")
            item.queryAction().doAction(0)
    in_menu(app, pane, work)


def states(app, pane, paths, state):
    """Which of the entries have the AT-SPI state."""
    return in_menu(app, pane, lambda menu: [entry(menu, path).getState().contains(state) for path in paths])


def fill(app, number, items):
    """Empties the pane with its Clear List button and pastes the items from the clipboard."""
    pane = next(a for a in controls(app) if a.getRole() == pyatspi.ROLE_TABLE and a.name == f"List {number}:")
    if rows(pane):
        clears = [a for a in controls(app) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == "Clear List"]
        sorted(clears, key=lambda b: centre(b)[0])[number - 1].queryAction().doAction(0)
        wait_for(lambda: rows(pane), [], f"List {number} after Clear List")
    # xclip serves the text from the background until the window copies.
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input="\n".join(items).encode(), timeout=5)
    press(app, pane, "Paste")
    wait_for(lambda: rows(pane), items, f"List {number} after Paste")
    return pane


def natural(text):
    """Natural order: digit runs by value, letters without case, the exact text last (no leading zeros here)."""
    parts = re.split(r"(\d+)", text)  # letters at even places, digit runs at odd ones
    return [int(part) if i % 2 else part.lower() for i, part in enumerate(parts)], text


def once(items):
    return list(dict.fromkeys(items))


TOOLS_1 = ["item10", "item2", "Item1", "beta", "item2", "Alpha"]
TOOLS_2 = ["item2", "Alpha", "zeta", "zeta"]
NEED_ITEMS = ["Sort A to Z", "Sort Z to A", "Keep Only Items That Occur Once", "Copy Compared",
              "Copy Items the Last Change Removed"]
# (entry, List 1's items after it)
SORTS = (("Sort A to Z", sorted(TOOLS_1, key=natural)),
         ("Sort Z to A", sorted(TOOLS_1, key=natural, reverse=True)))
# (entry, the clipboard after it)
COPIES = (("Copy Compared/Items Only in This List", [x for x in TOOLS_1 if x not in TOOLS_2]),
          ("Copy Compared/Items in Both Lists", once(x for x in TOOLS_1 if x in TOOLS_2)),
          ("Copy Compared/Items of Both Lists, Each Once", once(TOOLS_1 + TOOLS_2)))


def lines(items):
    return "".join(item + "\n" for item in items).encode()


def list_tools(app):
    """The list tools of the pane's menu: off on an empty pane; each change gives the oracle's items and
    one Undo takes it back; each copy puts the oracle's items on the clipboard and changes no pane."""
    list2 = next(a for a in controls(app) if a.getRole() == pyatspi.ROLE_TABLE and a.name == "List 2:")
    check(rows(list2) == [], "List 2 is empty")
    for state in (pyatspi.STATE_ENABLED, pyatspi.STATE_SENSITIVE):
        check(states(app, list2, NEED_ITEMS, state) == [False] * len(NEED_ITEMS),
              f"on an empty pane {NEED_ITEMS} are off ({state})")
    list1 = fill(app, 1, TOOLS_1)
    fill(app, 2, TOOLS_2)
    for path, expected in SORTS:
        press(app, list1, path)
        wait_for(lambda: rows(list1), expected, f"List 1 after {path}")
        check(states(app, list1, ["Copy Items the Last Change Removed"], pyatspi.STATE_ENABLED) == [False],
              "a sort removed nothing to copy")
        press(app, list1, "Undo")
        wait_for(lambda: rows(list1), TOOLS_1, f"List 1 after one Undo of {path}")
    for path, expected in COPIES:
        press(app, list1, path)
        wait_for(clipboard, lines(expected), f"the clipboard after {path}")
        check(rows(list1) == TOOLS_1 and rows(list2) == TOOLS_2, f"{path} changed no pane")
    press(app, list1, "Keep Only Items That Occur Once")
    wait_for(lambda: rows(list1), [x for x in TOOLS_1 if TOOLS_1.count(x) == 1],
             "List 1 after Keep Only Items That Occur Once")
    press(app, list1, "Copy Items the Last Change Removed")
    wait_for(clipboard, lines(x for x in TOOLS_1 if TOOLS_1.count(x) > 1),
             "the clipboard after Copy Items the Last Change Removed")
    press(app, list1, "Undo")
    wait_for(lambda: rows(list1), TOOLS_1, "List 1 after one Undo of Keep Only Items That Occur Once")


def choose(app, pane, path):
    """Chooses the entry with a click, as a user does: the menu takes the click and closes (a press
    through the entry's action leaves the menu open)."""
    menu = open_menu(app, pane)
    item = entry(menu, path)
    check(item.getState().contains(pyatspi.STATE_ENABLED), f"{path} is enabled")
    x, y = centre(item)
    pyatspi.Registry.generateMouseEvent(x, y, pyatspi.MOUSE_B1C)
    wait_for(lambda: len(popups(app)), 0, f"the menu closed on {path}")


# (entry, List 1's items after it, from those before)
CHOSEN = (("Sort A to Z", lambda items: sorted(items, key=natural)),
          ("Sort Z to A", lambda items: sorted(items, key=natural, reverse=True)),
          ("Keep Only Items That Occur Once", lambda items: [x for x in items if items.count(x) == 1]))


def chosen_twice(app):
    """Paste and each list tool that yields, clicked in the menu twice in a row: the window lives on and
    the items are the oracle's."""
    list1 = fill(app, 1, TOOLS_1)
    # Another program holds the clipboard: the paste waits for it between yields.
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=b"pasted\n", timeout=5)
    expected = TOOLS_1
    for path, rule in (("Paste", lambda items: items + ["pasted"]),) + CHOSEN:
        for turn in ("once", "twice"):
            expected = rule(expected)
            choose(app, list1, path)
            wait_for(lambda: rows(list1), expected, f"List 1 after {path} chosen {turn}")
    # The menu opens and closes again once the last command has ended: the window lives on.
    in_menu(app, list1, lambda menu: None)


OPTIONS = ["Compare/Ignore Letter Case", "Compare/Ignore Spaces Around Items"]
SPACED_1 = ["Apple", " apple", "BANANA\t", "", "  ", "cherry", "Cherry ", "date", "\tDATE"]
SPACED_2 = ["APPLE", " banana", "Fig"]


def first_of_each(items, key):
    seen = set()
    return [x for x in items if not (key(x) in seen or seen.add(key(x)))]


# (button, List 1's items after it from those before, compared by key); run one after another.
# Each command, what it leaves, and the options its result line names (those that change what it does).
IGNORING = (("Remove Blanks From List 1", lambda items, key: [x for x in items if key(x)], "ignoring spaces"),
            ("Remove List 1 Dupes Except First Occurrence", first_of_each, "ignoring case and spaces"),
            ("Remove Matches (List 2 From List 1)",
             lambda items, key: [x for x in items if key(x) not in {key(y) for y in SPACED_2}],
             "ignoring case and spaces"))


def compare_options(app):
    """The compare options, toggled in List 1's menu and read in both, and list commands under both."""
    panes = {a.name: a for a in controls(app) if a.getRole() == pyatspi.ROLE_TABLE}
    buttons = {a.name: a for a in controls(app) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON}
    for checked, menu in ((False, "List 1:"), (True, "List 1:"), (True, "List 2:")):
        check(states(app, panes[menu], OPTIONS, pyatspi.STATE_CHECKED) == [checked] * 2,
              f"{menu}'s menu reads {OPTIONS} {'checked' if checked else 'unchecked'}")
        if not checked:
            press(app, panes[menu], *OPTIONS)
    wait_for(lambda: status_bar(app).description, "Ignoring case and spaces",
             "the status bar says which options are on")
    list1 = fill(app, 1, SPACED_1)
    fill(app, 2, SPACED_2)
    expected = SPACED_1
    for button, rule, note in IGNORING:
        expected = rule(expected, lambda text: text.strip().lower())
        buttons[button].queryAction().doAction(0)
        wait_for(lambda: rows(list1), expected, f"List 1 after {button}, ignoring case and spaces")
        wait_for(lambda: result_line(app).endswith("\u00b7 " + note), True, f"the result line after {button}")
    press(app, panes["List 2:"], *OPTIONS)
    check(states(app, panes["List 1:"], OPTIONS, pyatspi.STATE_CHECKED) == [False] * 2,
          "both options are off again in List 1's menu once pressed in List 2's")
    wait_for(lambda: status_bar(app).description, "", "the status bar says no option is on")


def showing_dialog(app, title):
    return next(a for a in app if a is not None and a.getRole() == pyatspi.ROLE_DIALOG and a.name == title
                and a.getState().contains(pyatspi.STATE_SHOWING))


def press_under_dialog(app):
    """List 2's Save dialog is open and a screen reader presses a two-list command in the window
    beneath it, which the mouse cannot reach: nothing starts, and the dialog's Save, pressed, saves at
    once."""
    panes = {a.name: a for a in controls(app) if a.getRole() == pyatspi.ROLE_TABLE}
    buttons = [a for a in controls(app) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    list1, items2 = rows(panes["List 1:"]), rows(panes["List 2:"])
    sorted((b for b in buttons if b.name == "Save Data To File"), key=lambda b: centre(b)[0])[1] \
        .queryAction().doAction(0)
    dialog = poll(lambda: showing_dialog(app, "Save"))
    check(dialog is not None, "List 2's Save dialog opens")
    next(b for b in buttons if b.name == "Keep Only Matches in List 2").queryAction().doAction(0)
    folder = tempfile.mkdtemp()
    try:
        path = os.path.join(folder, "list 2.txt")
        save_through_dialog(app, dialog, path)
        with open(path, "rb") as saved:
            check(saved.read() == b"".join(item.encode() + b"\r\n" for item in items2), "the file holds List 2")
    finally:
        shutil.rmtree(folder)
    check(rows(panes["List 1:"]) == list1 and not result_line(app).startswith("Keep Only Matches"),
          "the command pressed beneath the dialog did not run")


EXPORT = ["name,email,signup_date", "Ann,ANN@x.org,2024", '"Lee, Al",al@z.org,2025', "Bob,bob@y.org,2026", "Cy"]
UNSUBSCRIBED = ["ann@x.org", "al@z.org", "name"]


def key(letter):
    pyatspi.Registry.generateKeyboardEvent(ord(letter), None, pyatspi.KEY_SYM)


def match_on_column(app):
    """A subscriber export less a plain list of addresses, ignoring case: List 1 matched on its email
    column through the menu and the column dialog, the header kept first and out of the comparison."""
    panes = {a.name: a for a in controls(app) if a.getRole() == pyatspi.ROLE_TABLE}
    list1 = fill(app, 1, EXPORT)
    fill(app, 2, UNSUBSCRIBED)
    press(app, list1, "Compare/Ignore Letter Case")
    # Match On > Column..., by its keys, as a keyboard user chooses it.
    open_menu(app, list1)
    key("o")
    key("c")
    dialog = poll(lambda: showing_dialog(app, "Match List 1 On a Column"))
    check(dialog is not None, "Match On > Column... opens the column dialog")
    # The window manager's focus follows the pointer: the dialog takes keys once the pointer is on it
    # and the window manager has given it the focus.
    x, y = centre(dialog)
    pyatspi.Registry.generateMouseEvent(x, y, "abs")
    subprocess.run(["xdotool", "search", "--sync", "--name", "Match List 1 On a Column", "windowfocus", "--sync"],
                   timeout=10, capture_output=True)

    def part(role, test=lambda n: True):
        # Read afresh: the dialog fills its lists anew as its choices change.
        return next(n for n in controls(dialog) if n.getRole() == role and test(n))
    part(pyatspi.ROLE_CHECK_BOX).queryAction().doAction(0)
    # The column list reads its choice ("1: name"); the separator list reads "Comma".
    def column():
        return part(pyatspi.ROLE_COMBO_BOX, lambda n: n.name[:1].isdigit())
    # The focus starts on the separator; the header box, then the column list follow. The dialog takes
    # keys once the window manager has given it the focus: Tab until the column list has it.
    def column_focused():
        return True if column().getState().contains(pyatspi.STATE_FOCUSED) else None
    for _ in range(8):
        if poll(column_focused, seconds=0.5):
            break
        pyatspi.Registry.generateKeyboardEvent(TAB_KEYSYM, None, pyatspi.KEY_SYM)
    wait_for(lambda: column().getState().contains(pyatspi.STATE_FOCUSED), True, "the column list has the focus")
    pyatspi.Registry.generateKeyboardEvent(DOWN_KEYSYM, None, pyatspi.KEY_SYM)
    def keys():
        preview = part(pyatspi.ROLE_TREE, lambda n: n.name == "Preview").queryTable()
        return [preview.getAccessibleAt(row, 1).name for row in range(preview.nRows)]
    wait_for(keys,
             ["(header: not compared)", "ANN@x.org", "al@z.org", "bob@y.org", ""], "the preview's keys")
    part(pyatspi.ROLE_PUSH_BUTTON, lambda n: n.name == "OK").queryAction().doAction(0)
    wait_for(lambda: count(list1), "5 items \u00b7 column 2, email", "List 1's header after the column dialog")
    next(b for b in controls(app) if b.getRole() == pyatspi.ROLE_PUSH_BUTTON
         and b.name == "Remove Matches (List 2 From List 1)").queryAction().doAction(0)
    wait_for(lambda: rows(list1), [EXPORT[0], EXPORT[3], EXPORT[4]], "List 1 after Remove Matches on its column")
    wait_for(lambda: result_line(app), "Remove Matches: 2 removed from List 1 \u00b7 3 left \u00b7 ignoring case",
             "the result line after Remove Matches on a column")
    press(app, list1, "Match On/Whole Item", "Compare/Ignore Letter Case")
    wait_for(lambda: count(list1), "3 items", "List 1's header back on whole items")


def save_through_dialog(app, dialog, path):
    """Types the path into the Save dialog, presses Save, and answers the "Done." box."""
    name = next(n for n in controls(dialog) if n.getRole() == pyatspi.ROLE_TEXT
                and n.getState().contains(pyatspi.STATE_EDITABLE))
    name.queryEditableText().setTextContents(path)
    next(n for n in controls(dialog) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "Save") \
        .queryAction().doAction(0)
    done = poll(lambda: next(a for a in app if a is not None and a.getRole() == pyatspi.ROLE_ALERT
                             and a.getState().contains(pyatspi.STATE_SHOWING)
                             and any(n.name == "Done." for n in controls(a))), seconds=60)
    check(done is not None, "the save says Done.")
    next(n for n in controls(done) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "OK") \
        .queryAction().doAction(0)


def save_list(app, number, path):
    """Saves List number to path through its Save button and the Save dialog."""
    buttons = [a for a in controls(app) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    sorted((b for b in buttons if b.name == "Save Data To File"), key=lambda b: centre(b)[0])[number - 1] \
        .queryAction().doAction(0)
    dialog = poll(lambda: showing_dialog(app, "Save"))
    check(dialog is not None, f"List {number}'s Save dialog opens")
    save_through_dialog(app, dialog, path)


def save_by_key(app):
    """Ctrl+S in List 1 opens its Save dialog; once "Done." is answered the bar says what was written
    where."""
    list1 = next(a for a in controls(app) if a.getRole() == pyatspi.ROLE_TABLE and a.name == "List 1:")
    items = rows(list1)
    focus(list1)
    subprocess.run(["xdotool", "key", "ctrl+s"], timeout=5)
    dialog = poll(lambda: showing_dialog(app, "Save"))
    check(dialog is not None, "Ctrl+S opens List 1's Save dialog")
    folder = tempfile.mkdtemp()
    try:
        path = os.path.join(folder, "cleaned.txt")
        save_through_dialog(app, dialog, path)
        with open(path, "rb") as saved:
            check(saved.read() == b"".join(item.encode() + b"\r\n" for item in items), "the file holds List 1")
    finally:
        shutil.rmtree(folder)
    wait_for(lambda: result_line(app), f"Save: {len(items)} items written to cleaned.txt", "the bar after the save")


CLEAN = ["  b ", "a", "b", "a", "c1", "a", "d2"]


def typed_into_prompt(app, text):
    """Answers the command's input box with the text."""
    box = poll(lambda: next(a for a in app if a is not None and a.getRole() == pyatspi.ROLE_DIALOG
                            and a.getState().contains(pyatspi.STATE_SHOWING)
                            and any(n.getRole() == pyatspi.ROLE_TEXT for n in controls(a))))
    check(box is not None, "the command asks for its pattern")
    next(n for n in controls(box) if n.getRole() == pyatspi.ROLE_TEXT).queryEditableText().setTextContents(text)
    next(n for n in controls(box) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "OK") \
        .queryAction().doAction(0)


def cleaning_tools(app):
    """Each cleaning entry of the pane's menu once, against an oracle."""
    list1 = fill(app, 1, CLEAN)
    press(app, list1, "Copy Items With Counts")
    wait_for(clipboard, lines(["3\ta", "1\t  b ", "1\tb", "1\tc1", "1\td2"]), "the clipboard after Copy Items With Counts")
    trimmed = [x.strip() for x in CLEAN]
    press(app, list1, "Trim Spaces Around Items")
    wait_for(lambda: rows(list1), trimmed, "List 1 after Trim Spaces Around Items")
    wait_for(lambda: result_line(app), "Trim Spaces: 1 item changed in List 1", "the result line after Trim Spaces")
    press(app, list1, "Keep Only Repeated Items")
    wait_for(lambda: rows(list1), ["b", "a"], "List 1 after Keep Only Repeated Items")
    press(app, list1, "Undo")
    wait_for(lambda: rows(list1), trimmed, "List 1 after one Undo of Keep Only Repeated Items")
    choose(app, list1, "Remove Items Matching a Regular Expression\u2026")
    typed_into_prompt(app, r"\d$")
    wait_for(lambda: rows(list1), [x for x in trimmed if not re.search(r"\d$", x)],
             "List 1 after Remove Items Matching \\d$")
    choose(app, list1, "Keep Only Items Matching a Regular Expression\u2026")
    typed_into_prompt(app, "^a")
    wait_for(lambda: rows(list1), ["a", "a", "a"], "List 1 after Keep Only Items Matching ^a")


def stop_long_command(list_file, items):
    """A long dedupe of the list loaded from list_file, stopped with Escape while it runs, leaves List 1
    as it was: the result line says so, and List 1 saved is the file again."""
    app = find_application(sys.argv[1])
    list1 = next(a for a in controls(app) if a.getRole() == pyatspi.ROLE_TABLE and a.name == "List 1:")
    wait_for(lambda: count(list1).split(" \u00b7 ")[0], items, "List 1's count after the load", seconds=60)
    # Found once: while the command runs, the window answers only between its steps.
    bar = status_bar(app)
    # The window takes the keys once the pointer is on it.
    x, y = centre(list1)
    pyatspi.Registry.generateMouseEvent(x, y, "abs")
    next(b for b in controls(app) if b.getRole() == pyatspi.ROLE_PUSH_BUTTON
         and b.name == "Remove List 1 Dupes Except First Occurrence").queryAction().doAction(0)
    # Escape until the command has ended: pressed before it starts or after it ends, Escape does
    # nothing; pressed while it runs, it stops it. (The dedupe takes about a second here.)
    deadline = time.monotonic() + 30
    while not bar.name.startswith("Remove Dupes Except First: ") or re.fullmatch(r".*: \d+%", bar.name):
        check(time.monotonic() < deadline, "the dedupe ends")
        pyatspi.Registry.generateKeyboardEvent(ESCAPE_KEYSYM, None, pyatspi.KEY_SYM)
        time.sleep(0.05)
    wait_for(lambda: result_line(app), "Remove Dupes Except First: stopped; List 1 unchanged",
             "the result line after Escape", seconds=30)
    check(count(list1).split(" \u00b7 ")[0] == items, f"List 1 still holds {items}")
    folder = tempfile.mkdtemp()
    try:
        path = os.path.join(folder, "list 1.txt")
        save_list(app, 1, path)
        check(filecmp.cmp(path, list_file, shallow=False), "List 1 saved is the file it was loaded from")
    finally:
        shutil.rmtree(folder)


def menus():
    app = find_application(sys.argv[1])
    list_tools(app)
    chosen_twice(app)
    compare_options(app)
    match_on_column(app)
    cleaning_tools(app)
    save_by_key(app)
    press_under_dialog(app)


if __name__ == "__main__":
    try:
        if "--during-load" in sys.argv:
            at = sys.argv.index("--during-load")
            answers_during_load(sys.argv[at + 1], sys.argv[at + 2], int(sys.argv[at + 3]))
        elif "--hung-clipboard" in sys.argv:
            hung_clipboard()
        elif "--stop" in sys.argv:
            at = sys.argv.index("--stop")
            stop_long_command(sys.argv[at + 1], sys.argv[at + 2])
        elif "--menus" in sys.argv:
            menus()
        elif "--result" in sys.argv:
            expect_result(sys.argv[sys.argv.index("--result") + 1], sys.argv[sys.argv.index("--count") + 1])
        else:
            main()
    except CheckFailed as failure:
        print("FAILED:", failure, file=sys.stderr)
        sys.exit(1)
