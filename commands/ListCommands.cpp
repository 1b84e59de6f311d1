#include "commands/ListCommands.h"

#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/Progress.h"
#include "core/RunTimeError.h"
#include "core/WindowState.h"
#include "listops/List.h"
#include "listops/ListTools.h"
#include "store/CommandContext.h"
#include "store/ListPane.h"
#include "store/PaneChange.h"
#include "store/ResultLine.h"
#include "store/StorePane.h"

#include <QScopeGuard>

#include <array>
#include <optional>

namespace {

using namespace ListCommands;
using ResultLine::Tells;

// Searching for a text heeds letter case only; a blank is blank whatever the case.
constexpr CompareOptions kCaseOnly{true, false};
constexpr CompareOptions kSpacesOnly{false, true};
constexpr CompareOptions kBoth{true, true};

constexpr CompareOptions kNeither{false, false};

constexpr std::array<Command, 14> kCommands{{
    {Id::RemoveMatches, "Remove Matches", TwoListRoutine(List::SubtractSecondListFromFirstList),
     Tells::Removed, nullptr, nullptr, "remove-matches",
     "removes the items of LIST that also occur in REFERENCE"},
    {Id::KeepOnlyMatches, "Keep Only Matches", TwoListRoutine(List::KeepOnlyMatchesInList), Tells::Removed,
     nullptr, nullptr, "keep-matches", "keeps only the items of LIST that also occur in REFERENCE"},
    {Id::RemoveDupesExceptFirst, "Remove Dupes Except First", OneListRoutine(List::RemoveDupesExceptFirst),
     Tells::Removed, nullptr, nullptr, "dedupe-first",
     "removes every repeat of an item, keeping its first occurrence"},
    {Id::RemoveAllDupes, "Remove All Dupes", OneListRoutine(List::RemoveDupesAll), Tells::Removed, nullptr,
     nullptr, "dedupe-last", "removes every repeat of an item, keeping its last occurrence"},
    {Id::RemoveBlanks, "Remove Blanks", OneListRoutine(List::RemoveBlanksFromList), Tells::Removed, nullptr,
     nullptr, "remove-blanks", "removes the empty items", kSpacesOnly},
    {Id::RemoveItemsWith, "Remove Items With", PromptRoutine(List::RemoveItemsWith), Tells::Removed, nullptr,
     nullptr, "remove-with", "removes the items that contain TEXT", kCaseOnly},
    {Id::RemoveItemsWithout, "Remove Items Without", PromptRoutine(List::RemoveItemsWithout), Tells::Removed,
     nullptr, nullptr, "remove-without", "removes the items that do not contain TEXT", kCaseOnly},
    {Id::SortAToZ, "Sort A to Z", OneListRoutine(ListTools::SortAToZ), Tells::Count, "actionSortAToZ",
     "&Sort A to Z", "sort", "sorts the items A to Z (with --reverse, Z to A)"},
    // The command line's sort with --reverse.
    {Id::SortZToA, "Sort Z to A", OneListRoutine(ListTools::SortZToA), Tells::Count, "actionSortZToA",
     "Sort &Z to A"},
    {Id::KeepOnlyOnce, "Keep Only Items That Occur Once",
     OneListRoutine(ListTools::KeepOnlyItemsThatOccurOnce), Tells::Removed, "actionKeepOnlyOnce",
     "&Keep Only Items That Occur Once", "unique-only",
     "removes every item whose text occurs more than once"},
    {Id::KeepOnlyRepeated, "Keep Only Repeated Items", OneListRoutine(ListTools::KeepOnlyRepeatedItems),
     Tells::Removed, "actionKeepOnlyRepeated", "Keep Only Repeated &Items", "repeated",
     "keeps the first copy of each item that occurs more than once"},
    // Trims the whole item whatever is compared: the options change nothing of what it does.
    {Id::TrimSpaces, "Trim Spaces", OneListRoutine(ListTools::TrimSpaces), Tells::Changed, "actionTrimSpaces",
     "&Trim Spaces Around Items", "trim", "removes white space at the start and end of every item", kNeither},
    {Id::RemoveMatching, "Remove Items Matching", PromptRoutine(ListTools::RemoveItemsMatching),
     Tells::Removed, "actionRemoveMatching", "Remove Items &Matching a Regular Expression\u2026",
     "remove-regex", "removes the items that PATTERN (a regular expression) matches", kBoth,
     "Enter a regular expression: "},
    {Id::KeepOnlyMatching, "Keep Only Items Matching", PromptRoutine(ListTools::KeepOnlyItemsMatching),
     Tells::Removed, "actionKeepOnlyMatching", "Keep Only Items Matching a Re&gular Expression\u2026",
     "keep-regex", "keeps only the items that PATTERN (a regular expression) matches", kBoth,
     "Enter a regular expression: "},
}};

// command(Id) finds a row by its place.
constexpr bool inIdOrder() {
    for (size_t i = 0; i < kCommands.size(); ++i)
        if (size_t(kCommands[i].id) != i) return false;
    return true;
}
static_assert(inIdOrder());

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
    Click(CommandContext& context, const Command& command, int target, const QString& origin,
          const Messages& messages)
        : m_c(context),
          m_command(command),
          m_target(target),
          m_messages(messages),
          m_lines(linesOf(command.routine)),
          m_proc(context.reporter, origin),
          m_options(context.window.compareOptions()),
          m_targetMatch(context.window.matchOn(target)),
          m_referenceMatch(context.window.matchOn(3 - target)) {}

    void run() {
        // A target that another command is changing is left alone before anything looks at its items.
        PaneChange change(m_c, targetList());
        if (!change || refused()) return;
        setBusy(m_lines.setBusy, true);
        // Busy goes also when the command unwinds because the window closes.
        const auto clearBusy = qScopeGuard([&] { setBusy(m_lines.clearBusy, false); });
        if (!hasItems(m_lines.testTarget, target()))
            show(m_lines.targetEmpty, m_messages.targetEmpty);
        else if (m_lines.testReference && !hasItems(m_lines.testReference, reference()))
            show(m_lines.referenceEmpty, m_messages.referenceEmpty);
        else if (const std::optional<QString> text = askText())
            callRoutine(change, *text);
    }

private:
    int targetList() const { return m_target; }
    int referenceList() const { return 3 - m_target; }
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
        if (!text) return;
        m_proc.run(line, [&] { m_c.dialogs.message(QString::fromLatin1(text), m_c.window.appTitle()); });
    }

    // The prompt form's text; nothing when the answer is empty (Cancel, or OK on an empty field).
    // The other forms ask for nothing and go on.
    std::optional<QString> askText() {
        if (!m_lines.askText) return QString();
        QString answer;
        m_proc.run(m_lines.askText, [&] {
            const char* prompt = m_command.prompt ? m_command.prompt : "Enter string: ";
            answer = m_c.dialogs.input(QString::fromUtf8(prompt), m_c.window.appTitle());
        });
        if (m_proc.test(m_lines.testAnswer, [&] { return answer.isEmpty(); })) return std::nullopt;
        return answer;
    }

    void callRoutine(PaneChange& change, const QString& text) {
        m_proc.run(m_lines.setWait, [&] { change.showWait(); });
        const List::RoutineServices services{m_c.reporter,  m_c.yielder,      m_c.progress, m_options,
                                             m_targetMatch, m_referenceMatch, &m_outcome};
        const QString command = commandName(text);
        bool stopped = false;
        {
            const StoppableCommand stoppable(m_c.window, m_c.yielder, targetList(), command);
            m_proc.run(m_lines.call, [&] {
                // The reference as it is now: it stays free for saves, loads and sample data, and what
                // they append meanwhile is not compared.
                const StorePane referenceNow(m_command.takesReference() ? reference().snapshot()
                                                                        : ItemStore());
                // A routine changes its target in one step after its last yield, so a stop leaves
                // the target as it was and the change's step takes nothing to undo.
                try {
                    runRoutine(m_command, target(), referenceNow, text, services);
                } catch (const Stopped&) {
                    stopped = true;
                }
            });
        }
        m_proc.run(m_lines.setDefault, [&] {
            change.restoreWait();
            // The routine that would have set it back never got there.
            if (stopped) m_c.progress.setPercent(0);
        });
        if (stopped) {
            m_c.window.setLastResult(ResultLine::stopped(command, targetList()));
            return;
        }
        // A routine that could not use what it was given says why, and changed nothing.
        if (!m_outcome.refusal.isEmpty()) {
            m_proc.run(m_lines.setDefault,
                       [&] { m_c.dialogs.message(m_outcome.refusal, m_c.window.appTitle()); });
            return;
        }
        m_c.window.setLastResult(resultLine(m_command, targetList(), change.countBefore(),
                                            change.pane().count(), m_options, m_outcome,
                                            m_lines.askText ? text : QString()));
    }

    // What the result line calls the command: its title, with the text it was given.
    QString commandName(const QString& text) const {
        const QString title = QString::fromLatin1(m_command.title);
        return m_lines.askText ? ResultLine::withText(title, text) : title;
    }

    CommandContext& m_c;
    const Command& m_command;
    const int m_target;
    const Messages& m_messages;
    const Lines& m_lines;
    Procedure m_proc;
    // As the command started: toggling an option while it waits for its text or runs changes nothing.
    const CompareOptions m_options;
    const MatchOn m_targetMatch;
    const MatchOn m_referenceMatch;
    List::RoutineOutcome m_outcome;
};

}  // namespace

namespace ListCommands {

std::span<const Command> commands() {
    return kCommands;
}

const Command& command(Id id) {
    return kCommands[size_t(id)];
}

bool canRun(const CommandContext& context, int target) {
    const WindowState& w = context.window;
    return !w.busy() && !w.inUse(target) && context.pane(target).count() > 0;
}

void click(CommandContext& context, const Command& command, int target, const QString& origin,
           const Messages& messages) {
    Click(context, command, target, origin, messages).run();
}

QString resultLine(const Command& command, int list, qint64 before, qint64 after, const CompareOptions& ran,
                   const List::RoutineOutcome& outcome, const QString& text, const QLocale& locale) {
    const QString title = QString::fromLatin1(command.title);
    const QString named = text.isEmpty() ? title : ResultLine::withText(title, text);
    if (command.tells == Tells::Changed)
        return ResultLine::changed(named, list, outcome.changed, locale) +
               ResultLine::optionsNote(command.heeded(ran));
    return ResultLine::listCommand(named, command.tells, list, before, after, command.heeded(ran), locale);
}

void runRoutine(const Command& command, ListPane& target, const ListReader& reference, const QString& text,
                const List::RoutineServices& services) {
    if (const auto* two = std::get_if<TwoListRoutine>(&command.routine))
        (*two)(target, reference, services);
    else if (const auto* prompt = std::get_if<PromptRoutine>(&command.routine))
        (*prompt)(target, text, services);
    else
        std::get<OneListRoutine>(command.routine)(target, services);
}

}  // namespace ListCommands
