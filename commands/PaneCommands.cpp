#include "commands/PaneCommands.h"

#include "commands/ColumnCommands.h"
#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/WindowState.h"
#include "store/CommandContext.h"
#include "store/ListPane.h"
#include "store/PaneChange.h"
#include "store/ResultLine.h"

#include <array>

namespace {
// Clear, single removal, undo and redo leave the panes alone while any command runs long work (the
// count the wait pointer shows) or Busy is set, and their own pane while a command changes it.
bool mustLeaveAlone(const WindowState& window, int listNumber) {
    return window.commandRunning() || window.busy() || window.inUse(listNumber);
}

// Undo or redo, and the result line that says what it brought back or took out.
void stepThroughHistory(CommandContext& context, int listNumber, ResultLine::Step which,
                        void (ListPane::*step)()) {
    ListPane& pane = context.pane(listNumber);
    const int before = pane.count();
    (pane.*step)();
    context.window.setLastResult(ResultLine::history(which, listNumber, before, pane.count()));
}

// Statement numbers.
constexpr int kClearLine = 100;
constexpr int kFirstSampleLine = 100;
constexpr int kSampleLineStep = 2;
}  // namespace

namespace PaneCommands {

void clearList(CommandContext& context, int listNumber, const QString& origin, const QString& title) {
    Procedure p(context.reporter, origin);
    ListPane& pane = context.pane(listNumber);
    p.run(kClearLine, [&] {
        if (mustLeaveAlone(context.window, listNumber)) return;
        const int before = pane.count();
        pane.clear();
        context.window.setLoadedFrom(listNumber, {});
        context.window.setLastResult(ResultLine::removed(title, listNumber, before, 0));
    });
}

void loadSampleData(CommandContext& context, int listNumber, const QString& origin, const QString& title) {
    static constexpr std::array<const char*, 3> kList1{"orange", "black", "purple"};
    static constexpr std::array<const char*, 3> kList2{"red", "orange", "Purple"};
    // Items appended into a list that a command is still changing would land among its items. The
    // three items are one step, also when one of them fails.
    // One click brings them back, so they are no work to lose on closing.
    const PaneChange change(context, listNumber, StepKind::Restorable);
    if (!change) return;
    const auto& items = listNumber == 1 ? kList1 : kList2;
    Procedure p(context.reporter, origin);
    int line = kFirstSampleLine;
    for (const char* item : items) {
        p.run(line, [&] { change.pane().append(QByteArrayView(item)); });
        line += kSampleLineStep;
    }
    context.window.setLastResult(
        ResultLine::added(title, listNumber, change.countBefore(), change.pane().count()));
}

void removeSelected(CommandContext& context, int listNumber, int selectedPosition) {
    if (!canRemoveSelected(context, listNumber, selectedPosition)) return;
    ListPane& pane = context.pane(listNumber);
    const int before = pane.count();
    pane.removeAt(selectedPosition);
    context.window.setLastResult(
        ResultLine::removed(QStringLiteral("Remove Item"), listNumber, before, pane.count()));
}

bool canRemoveSelected(const CommandContext& context, int listNumber, int selectedPosition) {
    const ListPane& pane = context.pane(listNumber);
    if (mustLeaveAlone(context.window, listNumber)) return false;
    if (pane.count() == 0) return false;
    return selectedPosition >= 1 && selectedPosition <= pane.count();
}

void undo(CommandContext& context, int listNumber) {
    if (canUndo(context, listNumber))
        stepThroughHistory(context, listNumber, ResultLine::Step::Undo, &ListPane::undo);
}

void redo(CommandContext& context, int listNumber) {
    if (canRedo(context, listNumber))
        stepThroughHistory(context, listNumber, ResultLine::Step::Redo, &ListPane::redo);
}

bool canUndo(const CommandContext& context, int listNumber) {
    return !mustLeaveAlone(context.window, listNumber) && context.pane(listNumber).canUndo();
}

bool canRedo(const CommandContext& context, int listNumber) {
    return !mustLeaveAlone(context.window, listNumber) && context.pane(listNumber).canRedo();
}

bool mayClose(CommandContext& context, const std::function<bool(int listNumber)>& save) {
    for (int list = 1; list <= 2; ++list) {
        // An empty pane has nothing to lose.
        const ListPane& pane = context.pane(list);
        if (pane.count() == 0 || !pane.hasUnsavedWork()) continue;
        const QString text =
            QStringLiteral("List %1 has changes that have not been saved. Save them before closing?")
                .arg(list);
        switch (context.dialogs.message(text, context.window.appTitle(), Dialogs::Buttons::SaveCloseCancel,
                                        Dialogs::Icon::Warning)) {
            case Dialogs::Answer::Close:
                continue;
            case Dialogs::Answer::Save:
                // A save that was cancelled or failed keeps the window open: the work is still there.
                if (save(list)) continue;
                return false;
            default:
                return false;
        }
    }
    return true;
}

QString headerNote(const CommandContext& context, int listNumber) {
    QStringList parts{ResultLine::loadedFrom(context.window.loadedFrom(listNumber)),
                      ColumnCommands::headerNote(context, listNumber)};
    parts.removeAll(QString());
    return parts.join(QStringLiteral(" \u00B7 "));
}

QString headerTip(const CommandContext& context, int listNumber) {
    // A tooltip is for reading: a few paths, each within a line.
    constexpr qsizetype kShownPaths = 10;
    constexpr qsizetype kPathChars = 300;
    const QStringList& paths = context.window.loadedFrom(listNumber);
    QStringList lines;
    for (const QString& path : paths.first(std::min(paths.size(), kShownPaths)))
        lines.append(path.size() > kPathChars ? QStringLiteral("\u2026") + path.right(kPathChars) : path);
    if (paths.size() > kShownPaths)
        lines.append(QStringLiteral("and %1 more").arg(paths.size() - kShownPaths));
    return lines.join(u'\n');
}

}  // namespace PaneCommands
