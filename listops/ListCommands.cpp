#include "listops/ListCommands.h"

#include "core/CommandContext.h"
#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/PaneGuard.h"
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

// One Click handler run: the context, the command's row and the handler's error report.
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
    int targetList() const { return m_command.target; }
    int referenceList() const { return 3 - m_command.target; }
    ListPane& target() const { return m_c.pane(targetList()); }
    ListPane& reference() const { return m_c.pane(referenceList()); }
    List::RoutineServices services() const { return {m_c.reporter, m_c.yielder, m_c.progress}; }
    bool hasItems(int line, const ListPane& pane) {
        return m_proc.test(line, [&] { return pane.count() > 0; });
    }
    void setBusy(int line, bool busy) {
        m_proc.run(line, [&] { m_c.window.setBusy(busy); });
    }
    void showWait(int line) {
        m_proc.run(line, [&] { m_wait.show(); });
    }
    void restorePointer(int line) {
        m_proc.run(line, [&] { m_wait.restore(); });
    }
    void show(int line, const char* text) {
        m_proc.run(line, [&] { m_c.dialogs.message(QString::fromLatin1(text), m_c.window.appTitle()); });
    }
    // Busy, or a pane that another command is still changing: the command leaves everything alone.
    // A failing test counts as refused.
    bool refused(bool usesReference) {
        return m_proc.test(100, [&] {
            const WindowState& w = m_c.window;
            return w.busy() || w.inUse(targetList()) || (usesReference && w.inUse(referenceList()));
        });
    }

    CommandContext& m_c;
    const Command& m_command;
    Procedure m_proc;
    WaitShare m_wait{m_c.window};
};

void Click::operator()(TwoListRoutine routine) {
    if (refused(true)) return;
    const PaneGuard targetHeld(m_c.window, targetList());
    const PaneGuard referenceHeld(m_c.window, referenceList());
    setBusy(102, true);
    if (hasItems(104, target())) {
        if (hasItems(106, reference())) {
            showWait(108);
            m_proc.run(110, [&] { routine(target(), reference(), services()); });
            restorePointer(112);
        } else {
            show(114, m_command.referenceEmpty);
        }
    } else {
        show(116, m_command.targetEmpty);
    }
    setBusy(118, false);
}

void Click::operator()(PromptRoutine routine) {
    if (refused(false)) return;
    const PaneGuard targetHeld(m_c.window, targetList());
    setBusy(102, true);
    if (hasItems(104, target())) {
        QString answer;
        m_proc.run(106, [&] {
            answer = m_c.dialogs.input(QStringLiteral("Enter string: "), m_c.window.appTitle());
        });
        // Cancel and OK on an empty field both answer "": the command then does nothing more.
        if (!m_proc.test(108, [&] { return answer.isEmpty(); })) {
            showWait(110);
            m_proc.run(112, [&] { routine(target(), answer, services()); });
            restorePointer(114);
        }
    } else {
        show(116, m_command.targetEmpty);
    }
    setBusy(118, false);
}

void Click::operator()(OneListRoutine routine) {
    if (refused(false)) return;
    const PaneGuard targetHeld(m_c.window, targetList());
    setBusy(102, true);
    if (hasItems(104, target())) {
        showWait(106);
        m_proc.run(108, [&] { routine(target(), services()); });
        restorePointer(110);
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
