#include "listops/ListCommands.h"

#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/WindowState.h"
#include "listops/List.h"
#include "panes/CommandContext.h"
#include "panes/ListPane.h"
#include "panes/PaneChange.h"
#include "panes/ResultLine.h"
#include "panes/StorePane.h"

#include <optional>

namespace {

using namespace ListCommands;

// The statement numbers of the three forms. The forms share one sequence and differ in which
// statements they have (0: none) and where the later ones stand.
struct Lines {
    int testBusy = 100;
    int setBusy = 102;
    int testTarget = 104;
    int testReference = 0;
    int askText = 0;
    int testAnswer = 0;
    int setWait = 0;
    int call = 0;
    int setDefault = 0;
    int referenceEmpty = 0;
    int targetEmpty = 0;
    int clearBusy = 0;
};

constexpr Lines kTwoList{.testReference = 106,
                         .setWait = 108,
                         .call = 110,
                         .setDefault = 112,
                         .referenceEmpty = 114,
                         .targetEmpty = 116,
                         .clearBusy = 118};
constexpr Lines kPrompt{.askText = 106,
                        .testAnswer = 108,
                        .setWait = 110,
                        .call = 112,
                        .setDefault = 114,
                        .targetEmpty = 116,
                        .clearBusy = 118};
constexpr Lines kOneList{
    .setWait = 106, .call = 108, .setDefault = 110, .targetEmpty = 112, .clearBusy = 114};

const Lines& linesOf(const Routine& routine) {
    if (std::holds_alternative<TwoListRoutine>(routine)) return kTwoList;
    if (std::holds_alternative<PromptRoutine>(routine)) return kPrompt;
    return kOneList;
}

// One run of a list command's Click handler.
class Click {
public:
    Click(CommandContext& context, const Command& command, const QString& origin)
        : m_c(context),
          m_command(command),
          m_lines(linesOf(command.routine)),
          m_proc(context.reporter, origin),
          m_options(context.window.compareOptions()) {}

    void run() {
        // A target that another command is changing is left alone before anything looks at its items.
        PaneChange change(m_c, targetList());
        if (!change || refused()) return;
        setBusy(m_lines.setBusy, true);
        if (!hasItems(m_lines.testTarget, target()))
            show(m_lines.targetEmpty, m_command.targetEmpty);
        else if (m_lines.testReference && !hasItems(m_lines.testReference, reference()))
            show(m_lines.referenceEmpty, m_command.referenceEmpty);
        else if (const std::optional<QString> text = askText())
            callRoutine(change, *text);
        setBusy(m_lines.clearBusy, false);
    }

private:
    int targetList() const { return m_command.target; }
    int referenceList() const { return 3 - m_command.target; }
    bool usesReference() const { return std::holds_alternative<TwoListRoutine>(m_command.routine); }
    ListPane& target() const { return m_c.pane(targetList()); }
    ListPane& reference() const { return m_c.pane(referenceList()); }

    // Busy, or a reference that another command is still changing: the command leaves everything
    // alone. A failing test counts as refused.
    bool refused() {
        return m_proc.test(m_lines.testBusy, [&] {
            const WindowState& w = m_c.window;
            return w.busy() || (usesReference() && w.inUse(referenceList()));
        });
    }

    bool hasItems(int line, const ListPane& pane) {
        return m_proc.test(line, [&] { return pane.count() > 0; });
    }
    void setBusy(int line, bool busy) {
        m_proc.run(line, [&] { m_c.window.setBusy(busy); });
    }
    void show(int line, const char* text) {
        m_proc.run(line, [&] { m_c.dialogs.message(QString::fromLatin1(text), m_c.window.appTitle()); });
    }

    // The prompt form's text; nothing when the answer is empty (Cancel, or OK on an empty field).
    // The other forms ask for nothing and go on.
    std::optional<QString> askText() {
        if (!m_lines.askText) return QString();
        QString answer;
        m_proc.run(m_lines.askText, [&] {
            answer = m_c.dialogs.input(QStringLiteral("Enter string: "), m_c.window.appTitle());
        });
        if (m_proc.test(m_lines.testAnswer, [&] { return answer.isEmpty(); })) return std::nullopt;
        return answer;
    }

    void callRoutine(PaneChange& change, const QString& text) {
        m_proc.run(m_lines.setWait, [&] { change.showWait(); });
        const List::RoutineServices services{m_c.reporter, m_c.yielder, m_c.progress, m_options};
        m_proc.run(m_lines.call, [&] {
            if (const auto* routine = std::get_if<TwoListRoutine>(&m_command.routine)) {
                // The reference as it is now: it stays free for saves, loads and sample data, and
                // what they append meanwhile is not compared.
                const StorePane referenceNow(reference().snapshot());
                (*routine)(target(), referenceNow, services);
            } else if (const auto* routine = std::get_if<PromptRoutine>(&m_command.routine)) {
                (*routine)(target(), text, services);
            } else {
                std::get<OneListRoutine>(m_command.routine)(target(), services);
            }
        });
        m_proc.run(m_lines.setDefault, [&] { change.restoreWait(); });
        showResult(change, text);
    }

    void showResult(const PaneChange& change, const QString& text) {
        const QString title = QString::fromLatin1(m_command.title);
        const QString command = m_lines.askText ? ResultLine::withText(title, text) : title;
        const CompareOptions heeded{m_options.ignoreCase && m_command.heeds.ignoreCase,
                                    m_options.ignoreSpaces && m_command.heeds.ignoreSpaces};
        m_c.window.setLastResult(ResultLine::listCommand(command, targetList(), change.countBefore(),
                                                         change.pane().count(), heeded));
    }

    CommandContext& m_c;
    const Command& m_command;
    const Lines& m_lines;
    Procedure m_proc;
    // As the command started: toggling an option while it waits for its text or runs changes nothing.
    const CompareOptions m_options;
};

}  // namespace

namespace ListCommands {

void click(CommandContext& context, const Command& command, const QString& origin) {
    Click(context, command, origin).run();
}

}  // namespace ListCommands
