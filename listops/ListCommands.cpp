#include "listops/ListCommands.h"

#include "core/CommandContext.h"
#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/WindowState.h"
#include "listops/List.h"
#include "panes/ListPane.h"

#include <algorithm>
#include <array>
#include <variant>

namespace {

using TwoListRoutine = void (*)(ListPane&, const ListPane&, const List::RoutineServices&);
using PromptRoutine = void (*)(ListPane&, const QString&, const List::RoutineServices&);
using OneListRoutine = void (*)(ListPane&, const List::RoutineServices&);

// The routine's type decides the command's form: two lists, a typed text, or one list.
using Routine = std::variant<TwoListRoutine, PromptRoutine, OneListRoutine>;

struct Command {
    int button;
    int target;  // list number; a two-list command's reference is the other list
    Routine routine;
    const char* targetEmpty;
    const char* referenceEmpty;
};

const std::array<Command, 14> kCommands{{
    {19, 1, TwoListRoutine(List::SubtractSecondListFromFirstList), "You forgot to load List 1.",
     "You forgot to load List 2."},
    {12, 2, TwoListRoutine(List::SubtractSecondListFromFirstList), "You forgot to load in List 2.",
     "You forgot to load in List 1."},
    {15, 1, TwoListRoutine(List::KeepOnlyMatchesInList), "You forgot to load in List 1.",
     "You forgot to load in List 2."},
    {8, 2, TwoListRoutine(List::KeepOnlyMatchesInList), "You forgot to load in List 2.",
     "You forgot to load in List 1."},
    {17, 1, PromptRoutine(List::RemoveItemsWith), "You forgot to load in List 1.", nullptr},
    {16, 1, PromptRoutine(List::RemoveItemsWithout), "You forgot to load in List 1.", nullptr},
    {10, 2, PromptRoutine(List::RemoveItemsWith), "You forgot to load in List 2.", nullptr},
    {9, 2, PromptRoutine(List::RemoveItemsWithout), "You forgot to load in List 2.", nullptr},
    {18, 1, OneListRoutine(List::RemoveBlanksFromList), "You forgot to load in List 1.", nullptr},
    {11, 2, OneListRoutine(List::RemoveBlanksFromList), "You forgot to load in List 2.", nullptr},
    {4, 1, OneListRoutine(List::RemoveDupesExceptFirst), "You forgot to load in List 1.", nullptr},
    {5, 2, OneListRoutine(List::RemoveDupesExceptFirst), "You forgot to load in List 2.", nullptr},
    {7, 1, OneListRoutine(List::RemoveDupesAll), "You forgot to load in List 1.", nullptr},
    {6, 2, OneListRoutine(List::RemoveDupesAll), "You forgot to load in List 2.", nullptr},
}};

const Command* find(int button) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [&](const Command& c) { return c.button == button; });
    return it == kCommands.end() ? nullptr : &*it;
}

// One Click handler run: the context, the command's row and the handler's error report. The routine
// runs inside one undo step of its target.
class Click {
public:
    Click(CommandContext& context, const Command& command)
        : m_c(context),
          m_command(command),
          m_proc(context.reporter,
                 ErrorReporter::origin(QStringLiteral("Form1"),
                                       QStringLiteral("PushButton%1_Click").arg(command.button))) {}

    void operator()(TwoListRoutine routine);
    void operator()(PromptRoutine routine);
    void operator()(OneListRoutine routine);

private:
    ListPane& target() const { return m_c.pane(m_command.target); }
    ListPane& reference() const { return m_c.pane(3 - m_command.target); }
    List::RoutineServices services() const { return {m_c.reporter, m_c.yielder, m_c.progress}; }
    bool hasItems(int line, const ListPane& pane) {
        return m_proc.test(line, [&] { return pane.count() > 0; });
    }
    void setBusy(int line, bool busy) {
        m_proc.run(line, [&] { m_c.window.setBusy(busy); });
    }
    void setPointer(int line, WindowState::Pointer pointer) {
        m_proc.run(line, [&] { m_c.window.setMousePointer(pointer); });
    }
    void show(int line, const char* text) {
        m_proc.run(line, [&] { m_c.dialogs.message(QString::fromLatin1(text), m_c.window.appTitle()); });
    }
    // A failing test of Busy counts as set: the command then leaves everything alone.
    bool refused() {
        return m_proc.test(100, [&] { return m_c.window.busy(); });
    }

    CommandContext& m_c;
    const Command& m_command;
    Procedure m_proc;
};

void Click::operator()(TwoListRoutine routine) {
    if (refused()) return;
    setBusy(102, true);
    if (hasItems(104, target())) {
        if (hasItems(106, reference())) {
            setPointer(108, WindowState::WaitPointer);
            m_proc.run(110, [&] {
                const PaneStep step(target());
                routine(target(), reference(), services());
            });
            setPointer(112, WindowState::DefaultPointer);
        } else {
            show(114, m_command.referenceEmpty);
        }
    } else {
        show(116, m_command.targetEmpty);
    }
    setBusy(118, false);
}

void Click::operator()(PromptRoutine routine) {
    if (refused()) return;
    setBusy(102, true);
    if (hasItems(104, target())) {
        QString answer;
        m_proc.run(106, [&] {
            answer = m_c.dialogs.input(QStringLiteral("Enter string: "), m_c.window.appTitle());
        });
        // Cancel and OK on an empty field both answer "": the command then does nothing more.
        if (!m_proc.test(108, [&] { return answer.isEmpty(); })) {
            setPointer(110, WindowState::WaitPointer);
            m_proc.run(112, [&] {
                const PaneStep step(target());
                routine(target(), answer, services());
            });
            setPointer(114, WindowState::DefaultPointer);
        }
    } else {
        show(116, m_command.targetEmpty);
    }
    setBusy(118, false);
}

void Click::operator()(OneListRoutine routine) {
    if (refused()) return;
    setBusy(102, true);
    if (hasItems(104, target())) {
        setPointer(106, WindowState::WaitPointer);
        m_proc.run(108, [&] {
            const PaneStep step(target());
            routine(target(), services());
        });
        setPointer(110, WindowState::DefaultPointer);
    } else {
        show(112, m_command.targetEmpty);
    }
    setBusy(114, false);
}

}  // namespace

namespace ListCommands {

void click(CommandContext& context, int buttonNumber) {
    const Command* command = find(buttonNumber);
    if (!command) return;
    std::visit(Click(context, *command), command->routine);
}

}  // namespace ListCommands
