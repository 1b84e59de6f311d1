#pragma once

#include "core/CompareOptions.h"
#include "store/ResultLine.h"

#include <QLocale>
#include <QString>

#include <span>
#include <variant>

class ListPane;
class ListReader;
struct CommandContext;
namespace List {
struct RoutineServices;
struct RoutineOutcome;
}  // namespace List

// Every command that rewrites one pane with a routine: the window's list-operation buttons, the list
// tools of a pane's menu and brindlewick-cli all run them from one table and through one frame.
// A new list command is one row here plus its routine.
namespace ListCommands {

using TwoListRoutine = void (*)(ListPane& target, const ListReader& reference, const List::RoutineServices&);
using PromptRoutine = void (*)(ListPane& target, const QString& text, const List::RoutineServices&);
using OneListRoutine = void (*)(ListPane& target, const List::RoutineServices&);
using Routine = std::variant<TwoListRoutine, PromptRoutine, OneListRoutine>;

enum class Id {
    RemoveMatches,
    KeepOnlyMatches,
    RemoveDupesExceptFirst,
    RemoveAllDupes,
    RemoveBlanks,
    RemoveItemsWith,
    RemoveItemsWithout,
    SortAToZ,
    SortZToA,
    KeepOnlyOnce,
    KeepOnlyRepeated,
    TrimSpaces,
    RemoveMatching,
    KeepOnlyMatching,
};

// One list command: its routine and its texts.
struct Command {
    Id id;
    // What the result line calls it: "Remove Matches".
    const char* title;
    Routine routine;
    ResultLine::Tells tells = ResultLine::Tells::Removed;
    // Its entry in a pane's menu (object name, text with its accelerator); null for a button's command.
    const char* action = nullptr;
    const char* menuText = nullptr;
    // brindlewick-cli's name for it and what its help says; null: the command line offers it otherwise.
    const char* cliName = nullptr;
    const char* summary = nullptr;
    // The compare options that change what the routine does (each true where it does): the result
    // line names only those.
    CompareOptions heeds{true, true};
    // What the prompt form asks; null: "Enter string: ".
    const char* prompt = nullptr;

    bool takesText() const { return std::holds_alternative<PromptRoutine>(routine); }
    bool takesReference() const { return std::holds_alternative<TwoListRoutine>(routine); }
    // Of the options a command runs under, those it heeds.
    CompareOptions heeded(const CompareOptions& options) const {
        return {options.ignoreCase && heeds.ignoreCase, options.ignoreSpaces && heeds.ignoreSpaces};
    }
};

std::span<const Command> commands();
const Command& command(Id id);

// What a button says when its target or its reference holds no items; a menu entry, which is greyed
// out then, says nothing.
struct Messages {
    const char* targetEmpty = nullptr;
    const char* referenceEmpty = nullptr;
};

// Whether the command can start on that list now: no list command runs, the pane is free and holds
// items. The menus grey out an entry otherwise.
bool canRun(const CommandContext& context, int target);

// The frame every list command follows: nothing while Busy is set or its target or reference is in
// use; otherwise Busy, the held target, the wait pointer and one undo step for as long as it runs,
// the empty-pane messages, the prompt, the routine with the compare options as they were when it
// started, and the result line. `origin` is the handler's error-report origin.
void click(CommandContext& context, const Command& command, int target, const QString& origin,
           const Messages& messages = {});

// The result line of a run on `list` (0: the command line's one list) from `before` to `after` items,
// under the compare options it ran with.
QString resultLine(const Command& command, int list, qint64 before, qint64 after, const CompareOptions& ran,
                   const List::RoutineOutcome& outcome, const QString& text = {},
                   const QLocale& locale = QLocale());

// Runs the command's routine on panes of the caller's own, as the frame does: the command line's way.
void runRoutine(const Command& command, ListPane& target, const ListReader& reference, const QString& text,
                const List::RoutineServices& services);

}  // namespace ListCommands
