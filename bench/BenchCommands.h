#pragma once

#include "core/CompareOptions.h"

#include <array>

// What the benchmark measures. Every command works on List 1; the two-list commands take List 2 as
// the reference. Undo and redo rows time taking one step of List 1 back, or making it again. `job`
// names the same work in the end-to-end comparison with command-line tools.
struct BenchCommand {
    enum class Kind {
        Load,
        Save,
        Routine,
        Paste,
        CopyAll,
        PasteFromX,
        CopyAllToX,
        Sample,
        Undo,
        Redo,
        MenuEntry
    };
    // For undo and redo: the step that they take back or make again, made before the measurement.
    enum class Step { None, Load, LoadAgain, Routine, Sample, Clear, Delete };
    const char* name;
    const char* job;  // nullptr: not a job of its own
    Kind kind;
    int button;
    bool usesList2;
    bool typesText;
    Step step = Step::None;
    // The window's compare options while a routine runs.
    CompareOptions compare = {};
    // For menu entries: the object name of the pane's action.
    const char* entry = nullptr;
};

inline constexpr CompareOptions kIgnoreCase{true, false};
inline constexpr CompareOptions kIgnoreSpaces{false, true};
inline constexpr CompareOptions kIgnoreBoth{true, true};

inline constexpr std::array<BenchCommand, 57> kBenchCommands{{
    {"load", nullptr, BenchCommand::Kind::Load, 3, false, false},
    {"save", nullptr, BenchCommand::Kind::Save, 20, false, false},
    {"remove matches", "minus", BenchCommand::Kind::Routine, 19, true, false},
    {"keep only matches", "keep", BenchCommand::Kind::Routine, 15, true, false},
    {"dupes keep first", "first", BenchCommand::Kind::Routine, 4, false, false},
    {"dupes keep last", "last", BenchCommand::Kind::Routine, 7, false, false},
    {"remove blanks", "blanks", BenchCommand::Kind::Routine, 18, false, false},
    {"items with", "with", BenchCommand::Kind::Routine, 17, false, true},
    {"items without", "without", BenchCommand::Kind::Routine, 16, false, true},
    // The routines again with each compare option and both (ASCII lists: no Unicode work).
    {"remove matches (case)", nullptr, BenchCommand::Kind::Routine, 19, true, false, BenchCommand::Step::None,
     kIgnoreCase},
    {"keep only matches (case)", nullptr, BenchCommand::Kind::Routine, 15, true, false,
     BenchCommand::Step::None, kIgnoreCase},
    {"dupes keep first (case)", nullptr, BenchCommand::Kind::Routine, 4, false, false,
     BenchCommand::Step::None, kIgnoreCase},
    {"dupes keep last (case)", nullptr, BenchCommand::Kind::Routine, 7, false, false,
     BenchCommand::Step::None, kIgnoreCase},
    {"remove blanks (case)", nullptr, BenchCommand::Kind::Routine, 18, false, false, BenchCommand::Step::None,
     kIgnoreCase},
    {"items with (case)", nullptr, BenchCommand::Kind::Routine, 17, false, true, BenchCommand::Step::None,
     kIgnoreCase},
    {"items without (case)", nullptr, BenchCommand::Kind::Routine, 16, false, true, BenchCommand::Step::None,
     kIgnoreCase},
    {"remove matches (spaces)", nullptr, BenchCommand::Kind::Routine, 19, true, false,
     BenchCommand::Step::None, kIgnoreSpaces},
    {"keep only matches (spaces)", nullptr, BenchCommand::Kind::Routine, 15, true, false,
     BenchCommand::Step::None, kIgnoreSpaces},
    {"dupes keep first (spaces)", nullptr, BenchCommand::Kind::Routine, 4, false, false,
     BenchCommand::Step::None, kIgnoreSpaces},
    {"dupes keep last (spaces)", nullptr, BenchCommand::Kind::Routine, 7, false, false,
     BenchCommand::Step::None, kIgnoreSpaces},
    {"remove blanks (spaces)", nullptr, BenchCommand::Kind::Routine, 18, false, false,
     BenchCommand::Step::None, kIgnoreSpaces},
    {"items with (spaces)", nullptr, BenchCommand::Kind::Routine, 17, false, true, BenchCommand::Step::None,
     kIgnoreSpaces},
    {"items without (spaces)", nullptr, BenchCommand::Kind::Routine, 16, false, true,
     BenchCommand::Step::None, kIgnoreSpaces},
    {"remove matches (case+spaces)", nullptr, BenchCommand::Kind::Routine, 19, true, false,
     BenchCommand::Step::None, kIgnoreBoth},
    {"keep only matches (case+spaces)", nullptr, BenchCommand::Kind::Routine, 15, true, false,
     BenchCommand::Step::None, kIgnoreBoth},
    {"dupes keep first (case+spaces)", nullptr, BenchCommand::Kind::Routine, 4, false, false,
     BenchCommand::Step::None, kIgnoreBoth},
    {"dupes keep last (case+spaces)", nullptr, BenchCommand::Kind::Routine, 7, false, false,
     BenchCommand::Step::None, kIgnoreBoth},
    {"remove blanks (case+spaces)", nullptr, BenchCommand::Kind::Routine, 18, false, false,
     BenchCommand::Step::None, kIgnoreBoth},
    {"items with (case+spaces)", nullptr, BenchCommand::Kind::Routine, 17, false, true,
     BenchCommand::Step::None, kIgnoreBoth},
    {"items without (case+spaces)", nullptr, BenchCommand::Kind::Routine, 16, false, true,
     BenchCommand::Step::None, kIgnoreBoth},
    // Entries of List 1's context menu.
    {"sort a to z",
     "sort",
     BenchCommand::Kind::MenuEntry,
     0,
     false,
     false,
     BenchCommand::Step::None,
     {},
     "actionSortAToZ"},
    {"keep items once",
     nullptr,
     BenchCommand::Kind::MenuEntry,
     0,
     false,
     false,
     BenchCommand::Step::None,
     {},
     "actionKeepOnlyOnce"},
    {"copy only in this",
     nullptr,
     BenchCommand::Kind::MenuEntry,
     0,
     true,
     false,
     BenchCommand::Step::None,
     {},
     "actionCopyOnlyInThis"},
    {"copy in both",
     nullptr,
     BenchCommand::Kind::MenuEntry,
     0,
     true,
     false,
     BenchCommand::Step::None,
     {},
     "actionCopyInBoth"},
    {"copy each once",
     nullptr,
     BenchCommand::Kind::MenuEntry,
     0,
     true,
     false,
     BenchCommand::Step::None,
     {},
     "actionCopyEachOnce"},
    // The list tools that rewrite texts, keep repeats, count, and filter by a regular expression
    // (the search text as the pattern).
    {"trim spaces",
     nullptr,
     BenchCommand::Kind::MenuEntry,
     0,
     false,
     false,
     BenchCommand::Step::None,
     {},
     "actionTrimSpaces"},
    {"keep repeated",
     nullptr,
     BenchCommand::Kind::MenuEntry,
     0,
     false,
     false,
     BenchCommand::Step::None,
     {},
     "actionKeepOnlyRepeated"},
    {"copy with counts",
     nullptr,
     BenchCommand::Kind::MenuEntry,
     0,
     false,
     false,
     BenchCommand::Step::None,
     {},
     "actionCopyWithCounts"},
    {"remove regex",
     nullptr,
     BenchCommand::Kind::MenuEntry,
     0,
     false,
     true,
     BenchCommand::Step::None,
     {},
     "actionRemoveMatching"},
    {"keep regex",
     nullptr,
     BenchCommand::Kind::MenuEntry,
     0,
     false,
     true,
     BenchCommand::Step::None,
     {},
     "actionKeepOnlyMatching"},
    // The list's text on the clipboard (this process's own), pasted into the pane; copied back out.
    {"paste", nullptr, BenchCommand::Kind::Paste, 0, false, false},
    {"copy all", nullptr, BenchCommand::Kind::CopyAll, 0, false, false},
    // Only under an X server: the text comes from another program (xclip), or goes to it.
    {"paste from xclip", nullptr, BenchCommand::Kind::PasteFromX, 0, false, false},
    {"copy all to xclip", nullptr, BenchCommand::Kind::CopyAllToX, 0, false, false},
    // Three items appended to a loaded pane: the history must not make it copy the pane.
    {"sample data", nullptr, BenchCommand::Kind::Sample, 21, false, false},
    {"undo matches", nullptr, BenchCommand::Kind::Undo, 19, true, false, BenchCommand::Step::Routine},
    {"redo matches", nullptr, BenchCommand::Kind::Redo, 19, true, false, BenchCommand::Step::Routine},
    {"undo load", nullptr, BenchCommand::Kind::Undo, 3, false, false, BenchCommand::Step::Load},
    {"redo load", nullptr, BenchCommand::Kind::Redo, 3, false, false, BenchCommand::Step::Load},
    // The list appended to itself, and three items appended: undo and redo swap whole snapshots,
    // whatever the step changed.
    {"undo load again", nullptr, BenchCommand::Kind::Undo, 3, false, false, BenchCommand::Step::LoadAgain},
    {"redo load again", nullptr, BenchCommand::Kind::Redo, 3, false, false, BenchCommand::Step::LoadAgain},
    {"undo sample data", nullptr, BenchCommand::Kind::Undo, 21, false, false, BenchCommand::Step::Sample},
    {"redo sample data", nullptr, BenchCommand::Kind::Redo, 21, false, false, BenchCommand::Step::Sample},
    {"undo clear", nullptr, BenchCommand::Kind::Undo, 1, false, false, BenchCommand::Step::Clear},
    {"redo clear", nullptr, BenchCommand::Kind::Redo, 1, false, false, BenchCommand::Step::Clear},
    // The first item: the step holds the block it was in.
    {"undo delete", nullptr, BenchCommand::Kind::Undo, 0, false, false, BenchCommand::Step::Delete},
    {"redo delete", nullptr, BenchCommand::Kind::Redo, 0, false, false, BenchCommand::Step::Delete},
}};
