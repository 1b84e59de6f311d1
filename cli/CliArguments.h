#pragma once

#include "core/CompareOptions.h"
#include "core/MatchOn.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace ListCommands {
struct Command;
}

// One command line of brindlewick-cli, understood.
struct Invocation {
    // What the window's copies put on the clipboard: only-in, in-both, union (Copy Compared) and count
    // (Copy Items With Counts). Written as a list is; no list command runs.
    enum class Copy { None, OnlyIn, InBoth, Union, Counts };

    // sort with --reverse is Sort Z to A. Null for a copy.
    const ListCommands::Command* command = nullptr;
    Copy copy = Copy::None;
    // remove-with and remove-without: the text to look for.
    QString text;
    // A path, or "-" for standard input.
    QString list;
    QString reference;
    // Empty or "-": standard output.
    QString output;
    bool crlf = false;
    bool stats = false;
    // No progress line on a terminal.
    bool quiet = false;
    // --memory: the memory the lists may take; nothing: what the system has left for the process.
    std::optional<qint64> memory;
    CompareOptions compare;
    // What of LIST's and REFERENCE's items is compared.
    MatchOn listMatch;
    MatchOn referenceMatch;

    bool takesReference() const;
    bool toStandardOutput() const { return output.isEmpty() || output == QLatin1String("-"); }
};

struct ParsedArguments {
    enum class Kind { Run, Help, Version, UsageError };
    Kind kind = Kind::UsageError;
    Invocation invocation;
    // UsageError: what is wrong, in one line.
    QString error;
};

namespace CliArguments {

// `arguments` as main() gets them, the program's name first.
ParsedArguments parse(const QStringList& arguments);
// What --help prints.
QString helpText();
// The short usage line that follows a usage error.
QString usageLine();
// A size as --memory takes it: bytes, or a number with K, M, G or T (powers of 1,024). Nothing for
// anything else, nor for 0.
std::optional<qint64> parseSize(const QString& text);

}  // namespace CliArguments
