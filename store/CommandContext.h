#pragma once

class CommonDialog;
class Dialogs;
class ErrorReporter;
class ListPane;
class MemoryProbe;
class ProgressSink;
class WindowState;
class Yielder;

// What every command works with: the two panes and the window's shared parts. The window hands in
// its own; tests hand in scripted dialogs, recording progress and a yielder they drive.
struct CommandContext {
    ListPane& list1;
    ListPane& list2;
    WindowState& window;
    Dialogs& dialogs;
    ErrorReporter& reporter;
    Yielder& yielder;
    ProgressSink& progress;
    CommonDialog& commonDialog1;
    // The memory left for loading files; null for the system's own.
    const MemoryProbe* memory = nullptr;

    // List 1 or List 2 by number.
    ListPane& pane(int listNumber) const { return listNumber == 1 ? list1 : list2; }
};
