#!/usr/bin/python3
"""The AT client of `bench/benchmark --accessible`: stands in for a screen reader beside the benchmark.

It connects to the accessibility bus and listens to every object, focus and window event, so the
program sends them all; for each event it asks what a screen reader asks (the source's role and name,
a value's new value, a pane's row count and selected row). When the benchmark asks (a file
"at-probe-request" in the data folder holding List 1's item count), it times its questions to the idle
window: List 1's row count and three rows in its middle, a fresh three rows each time, and answers in
"at-probe-result". Asked in "at-probe-during", it asks List 1's row count again and again while
the benchmark loads a list (from "at-probe-asking", which it writes, to "at-probe-stop") and times the
answers given while the load ran. It writes "at-client-ready" once it listens.

    /usr/bin/python3 bench/at_client.py DATA_FOLDER [APPLICATION_NAME]
"""
import os
import signal
import statistics
import sys
import time

import pyatspi
from gi.repository import GLib

ROUNDS = 20


class Client:
    def __init__(self, folder, application):
        self.folder = folder
        self.application = application
        self.events = 0
        self.questions = 0
        self.failures = 0

    def path(self, name):
        return os.path.join(self.folder, name)

    def on_event(self, event):
        # Sent for the objects of a program that has ended: nothing left to ask.
        if event.type.startswith("object:state-changed:defunct"):
            return
        self.events += 1
        try:
            source = event.source
            role = source.getRole()
            source.name
            self.questions += 2
            if event.type.startswith("object:property-change:accessible-value"):
                source.queryValue().currentValue
                self.questions += 1
            elif role == pyatspi.ROLE_TABLE:
                table = source.queryTable()
                table.nRows
                table.getSelectedRows()
                self.questions += 2
        except Exception:
            self.failures += 1

    def find_list1(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.name != self.application:
                continue
            pending = [app]
            while pending:
                node = pending.pop()
                if node.getRole() == pyatspi.ROLE_TABLE:
                    if node.name == "List 1:":
                        return node
                    continue
                pending.extend(child for child in node if child is not None)
        return None

    def time_questions(self, items):
        pane = self.find_list1()
        if pane is None:
            return f"no pane named List 1: in {self.application}"
        table = pane.queryTable()
        deadline = time.monotonic() + 10
        while table.nRows != items and time.monotonic() < deadline:
            time.sleep(0.05)
        if table.nRows != items:
            return f"List 1 holds {table.nRows} rows, not {items}"
        times = []
        for k in range(ROUNDS):
            start = time.perf_counter()
            rows = table.nRows
            middle = rows // 2 + 3 * k
            texts = [table.getAccessibleAt(row, 0).name for row in (middle - 1, middle, middle + 1)]
            times.append((time.perf_counter() - start) * 1000)
            if not all(isinstance(text, str) for text in texts):
                return "a row could not be read"
        return (f"row count and 3 rows in the middle of List 1 ({items} rows): median "
                f"{statistics.median(times):.1f} ms, longest {max(times):.1f} ms ({ROUNDS} asks)")

    def time_during_work(self, items):
        """Asks List 1's row count again and again from the moment the benchmark may start its work
        (a load of items into the empty List 1) until it says it has ended."""
        pane = self.find_list1()
        if pane is None:
            return f"no pane named List 1: in {self.application}"
        table = pane.queryTable()
        stop = self.path("at-probe-stop")
        times, during = [], []
        open(self.path("at-probe-asking"), "w").close()
        deadline = time.monotonic() + 600
        while not os.path.exists(stop) and time.monotonic() < deadline:
            start = time.perf_counter()
            rows = table.nRows
            took = (time.perf_counter() - start) * 1000
            times.append(took)
            if rows < items:
                during.append(took)
            time.sleep(0.005)
        os.remove(stop)
        if not during:
            return f"List 1's row count during a load of {items} items: the load ended before an answer"
        return (f"List 1's row count during a load of {items} items: median {statistics.median(during):.1f} ms, "
                f"longest {max(during):.1f} ms ({len(during)} asks while loading)")

    def answer(self, request, ask):
        path = self.path(request)
        if not os.path.exists(path):
            return
        with open(path) as f:
            items = int(f.read().strip() or 0)
        os.remove(path)
        answer = ask(items)
        with open(self.path("at-probe-result.new"), "w") as f:
            f.write(answer + "\n")
        os.replace(self.path("at-probe-result.new"), self.path("at-probe-result"))

    def poll(self):
        self.answer("at-probe-request", self.time_questions)
        self.answer("at-probe-during", self.time_during_work)
        return True

    def stop(self):
        print(f"AT client: {self.events} events received, {self.questions} questions answered about them, "
              f"{self.failures} events whose questions failed (source gone, or no answer in time)", flush=True)
        pyatspi.Registry.stop()
        return False


def main():
    client = Client(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "brindlewick_bench")
    pyatspi.Registry.registerEventListener(client.on_event, "object:", "focus:", "window:")
    GLib.timeout_add(50, client.poll)
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, client.stop)
    open(client.path("at-client-ready"), "w").close()
    pyatspi.Registry.start()


if __name__ == "__main__":
    main()
