#pragma once

class MemoryProbe;
class ProgressClock;
class QIODevice;
struct Invocation;

// Runs one command as brindlewick-cli does: reads the lists with the window's reader, runs the
// window's routine, writes the result with the window's writer. The commands that decide item by
// item (the filters, and matching against a reference) stream LIST: they run the routine on one
// piece of it at a time and write what it keeps, so LIST may be of any size; the others hold the
// whole list. Failures go to `errors` as one line each, naming the file and the reason.
namespace CliRun {

enum ExitStatus : int { Success = 0, Failure = 1, UsageError = 2 };

struct Streams {
    QIODevice& input;
    QIODevice& output;
    QIODevice& errors;
    // The memory left for the lists, which a file too large for it is refused against, unless
    // --memory sets the budget.
    const MemoryProbe& memory;
    // Whether standard error is a terminal: a long job shows its progress there.
    bool errorsIsTerminal = false;
    // What paces the progress line; null: a steady clock.
    const ProgressClock* clock = nullptr;
};

// Whether the command reads LIST piece by piece.
bool streams(const Invocation& invocation);

ExitStatus run(const Invocation& invocation, const Streams& streams);

}  // namespace CliRun
