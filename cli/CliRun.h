#pragma once

class MemoryProbe;
class QIODevice;
struct Invocation;

// Runs one command as brindlewick-cli does: loads the lists with the window's reader, runs the
// window's routine, writes the result with the window's writer. Failures go to `errors` as one line
// each, naming the file and the reason.
namespace CliRun {

enum ExitStatus : int { Success = 0, Failure = 1, UsageError = 2 };

struct Streams {
    QIODevice& input;
    QIODevice& output;
    QIODevice& errors;
    // The memory left for the lists, which a file too large for it is refused against.
    const MemoryProbe& memory;
};

ExitStatus run(const Invocation& invocation, const Streams& streams);

}  // namespace CliRun
