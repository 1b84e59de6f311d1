#pragma once

#include "listops/ListCommands.h"

#include <QString>

#include <span>
#include <variant>

// The commands of brindlewick-cli: each names a routine of module List, the same one the window's
// button runs, and what it takes on the command line.
namespace CliCommands {

// Not built into this program yet: the command is known, and refused with a message.
struct NotAvailable {};
using Routine = std::variant<NotAvailable, ListCommands::TwoListRoutine, ListCommands::PromptRoutine,
                             ListCommands::OneListRoutine>;

struct Command {
    const char* name;
    // What the result line on standard error calls it.
    const char* title;
    // The arguments as the help shows them.
    const char* arguments;
    const char* summary;
    Routine routine;

    // LIST, TEXT LIST and LIST REFERENCE: how many arguments follow the command.
    int argumentCount() const;
    bool takesText() const { return std::holds_alternative<ListCommands::PromptRoutine>(routine); }
    bool takesReference() const { return std::holds_alternative<ListCommands::TwoListRoutine>(routine); }
};

std::span<const Command> commands();
// The command of that name; null when there is none.
const Command* find(const QString& name);

}  // namespace CliCommands
