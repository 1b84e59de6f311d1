#pragma once

#include <array>

// What the benchmark measures. Every command works on List 1; the two-list commands take List 2 as
// the reference. `job` names the same work in the end-to-end comparison with command-line tools.
struct BenchCommand {
    enum class Kind { Load, Save, Routine, Paste, CopyAll, PasteFromX, CopyAllToX };
    const char* name;
    const char* job;  // nullptr: not a job of its own
    Kind kind;
    int button;
    bool usesList2;
    bool typesText;
};

inline constexpr std::array<BenchCommand, 13> kBenchCommands{{
    {"load", nullptr, BenchCommand::Kind::Load, 3, false, false},
    {"save", nullptr, BenchCommand::Kind::Save, 20, false, false},
    {"remove matches", "minus", BenchCommand::Kind::Routine, 19, true, false},
    {"keep only matches", "keep", BenchCommand::Kind::Routine, 15, true, false},
    {"dupes keep first", "first", BenchCommand::Kind::Routine, 4, false, false},
    {"dupes keep last", "last", BenchCommand::Kind::Routine, 7, false, false},
    {"remove blanks", "blanks", BenchCommand::Kind::Routine, 18, false, false},
    {"items with", "with", BenchCommand::Kind::Routine, 17, false, true},
    {"items without", "without", BenchCommand::Kind::Routine, 16, false, true},
    // The list's text on the clipboard (this process's own), pasted into the pane; copied back out.
    {"paste", nullptr, BenchCommand::Kind::Paste, 0, false, false},
    {"copy all", nullptr, BenchCommand::Kind::CopyAll, 0, false, false},
    // Only under an X server: the text comes from another program (xclip), or goes to it.
    {"paste from xclip", nullptr, BenchCommand::Kind::PasteFromX, 0, false, false},
    {"copy all to xclip", nullptr, BenchCommand::Kind::CopyAllToX, 0, false, false},
}};
