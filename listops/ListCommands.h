#pragma once

#include "core/CompareOptions.h"

#include <QString>

#include <variant>

class ListPane;
class ListReader;
struct CommandContext;
namespace List {
struct RoutineServices;
}

// The fourteen list-operation commands. Each is one row of the window's command table: the pane it
// rewrites, the routine, and the messages for an empty pane; the routine's type picks the form.
namespace ListCommands {

using TwoListRoutine = void (*)(ListPane& target, const ListReader& reference, const List::RoutineServices&);
using PromptRoutine = void (*)(ListPane& target, const QString& text, const List::RoutineServices&);
using OneListRoutine = void (*)(ListPane& target, const List::RoutineServices&);
using Routine = std::variant<TwoListRoutine, PromptRoutine, OneListRoutine>;

struct Command {
    // The list number of the target; a two-list command's reference is the other list.
    int target = 1;
    // What the result line calls the command: "Remove Matches".
    const char* title = "";
    Routine routine;
    const char* targetEmpty = nullptr;
    const char* referenceEmpty = nullptr;
    // The compare options that change what the routine does (each true where it does): the result
    // line names only those.
    CompareOptions heeds{true, true};
};

// The Click handler of a list-operation button; `origin` is its error-report origin. It does nothing
// while Busy is set or while its target or reference pane is in use, and holds its target while it
// runs; a two-list command reads its reference as it was when the routine started. Once its routine
// has run it sets the window's result line, with the compare options in force when it started that
// it heeds.
void click(CommandContext& context, const Command& command, const QString& origin);

}  // namespace ListCommands
