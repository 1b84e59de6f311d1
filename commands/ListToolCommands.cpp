#include "commands/ListToolCommands.h"

#include "core/ErrorReport.h"
#include "core/Services.h"
#include "core/WindowState.h"
#include "listfiles/ListText.h"
#include "listops/List.h"
#include "panes/CommandContext.h"
#include "panes/ListPane.h"
#include "panes/PaneChange.h"
#include "panes/PaneHistory.h"

#include <QLocale>
#include <QScopeGuard>

namespace {

using ListToolCommands::Change;
using ListTools::Compared;

// Statement numbers (the error report shows them).
namespace ChangeLine {
enum : int { SetBusy = 100, SetWait = 102, Call = 104, SetDefault = 106, Result = 108, ClearBusy = 110 };
}
namespace CopyLine {
enum : int { SetWait = 100, Snapshot = 102, Collect = 104, Join = 106, SetText = 108, SetDefault = 110 };
}

const QString kDot = QStringLiteral(" \u00B7 ");

QString listName(int list) {
    return QStringLiteral("List %1").arg(list);
}

QString items(qint64 count) {
    return QLocale().toString(count) + (count == 1 ? QStringLiteral(" item") : QStringLiteral(" items"));
}

QString optionsNote(const CompareOptions& options) {
    if (options.ignoreCase && options.ignoreSpaces) return kDot + QStringLiteral("ignoring case and spaces");
    if (options.ignoreCase) return kDot + QStringLiteral("ignoring case");
    if (options.ignoreSpaces) return kDot + QStringLiteral("ignoring spaces");
    return {};
}

QString changeResult(Change which, int list, qint64 before, qint64 after, const CompareOptions& options) {
    const QString command = ListToolCommands::caption(which).remove(QLatin1Char('&'));
    if (which != Change::KeepOnlyOnce)
        return command + QStringLiteral(": ") + items(after) + QStringLiteral(" in ") + listName(list);
    if (after >= before)
        return command + QStringLiteral(": nothing removed from ") + listName(list) + optionsNote(options);
    return command + QStringLiteral(": ") + QLocale().toString(before - after) +
           QStringLiteral(" removed from ") + listName(list) + kDot + QLocale().toString(after) +
           QStringLiteral(" left") + optionsNote(options);
}

QString copyResult(const QString& command, int list, qint64 copied, const QString& note = {}) {
    if (copied == 0) return command + QStringLiteral(": nothing to copy from ") + listName(list) + note;
    return command + QStringLiteral(": ") + items(copied) + QStringLiteral(" copied from ") + listName(list) +
           note;
}

void runChange(ListPane& pane, Change which, const CompareOptions& options, const List::RoutineServices& s) {
    switch (which) {
        case Change::SortAToZ:
            return ListTools::sort(pane, ListSort::Direction::AToZ, s);
        case Change::SortZToA:
            return ListTools::sort(pane, ListSort::Direction::ZToA, s);
        case Change::KeepOnlyOnce:
            return ListTools::keepOnlyItemsThatOccurOnce(pane, options, s);
    }
}

// Puts `result` on the clipboard as Copy All puts a list there, under the wait pointer; an empty
// result leaves the clipboard alone. Says how many items went in the result line.
template <class Collect>
void copyToClipboard(CommandContext& context, int listNumber, Clipboard& clipboard, const QString& origin,
                     const QString& command, const QString& note, Collect&& collect) {
    Procedure p(context.reporter, origin);
    RunningCommand running(context.window);
    p.run(CopyLine::SetWait, [&] { running.start(); });
    ItemStore result;
    QByteArray text;
    const bool collected = p.run(CopyLine::Collect, [&] { result = collect(); });
    if (collected && !result.isEmpty() &&
        p.run(CopyLine::Join, [&] { text = ListText::join(result, context.yielder); }) &&
        p.run(CopyLine::SetText, [&] { clipboard.setUtf8Text(text); }))
        context.window.setLastResult(copyResult(command, listNumber, result.count(), note));
    else if (collected && result.isEmpty())
        context.window.setLastResult(copyResult(command, listNumber, 0, note));
    p.run(CopyLine::SetDefault, [&] { running.end(); });
}

}  // namespace

namespace ListToolCommands {

bool canRun(const CommandContext& context, int listNumber) {
    const WindowState& w = context.window;
    return !w.busy() && !w.inUse(listNumber) && context.pane(listNumber).count() > 0;
}

void change(CommandContext& context, int listNumber, Change which, const QString& origin) {
    if (!canRun(context, listNumber)) return;
    PaneChange scope(context, listNumber);
    if (!scope) return;
    Procedure p(context.reporter, origin);
    WindowState& window = context.window;
    const CompareOptions options = window.compareOptions();
    ListPane& pane = scope.pane();
    const qint64 before = pane.count();
    p.run(ChangeLine::SetBusy, [&] { window.setBusy(true); });
    // Busy goes also when the command unwinds because the window closes.
    const auto clearBusy = qScopeGuard([&] { p.run(ChangeLine::ClearBusy, [&] { window.setBusy(false); }); });
    p.run(ChangeLine::SetWait, [&] { scope.showWait(); });
    const List::RoutineServices services{context.reporter, context.yielder, context.progress};
    p.run(ChangeLine::Call, [&] { runChange(pane, which, options, services); });
    p.run(ChangeLine::SetDefault, [&] { scope.restoreWait(); });
    p.run(ChangeLine::Result,
          [&] { window.setLastResult(changeResult(which, listNumber, before, pane.count(), options)); });
}

void copyCompared(CommandContext& context, int listNumber, Compared which, Clipboard& clipboard,
                  const QString& origin) {
    const int otherNumber = 3 - listNumber;
    // A list that another command is still changing would be compared half done.
    if (!canRun(context, listNumber) || context.window.inUse(otherNumber)) return;
    const CompareOptions options = context.window.compareOptions();
    const QString command = QStringLiteral("Copy Compared, ") + caption(which).remove(QLatin1Char('&'));
    copyToClipboard(context, listNumber, clipboard, origin, command, optionsNote(options), [&] {
        // Snapshots: the lists as they are now, whatever runs during the yields.
        const ItemStore list = context.pane(listNumber).snapshot();
        const ItemStore other = context.pane(otherNumber).snapshot();
        return ListTools::compared(list, other, which, options, context.yielder);
    });
}

bool canCopyRemoved(const CommandContext& context, int listNumber, const PaneHistory& history) {
    if (context.window.inUse(listNumber)) return false;
    const PaneHistory::Step* step = history.lastStep();
    // Fewer items after the step than before: it took some out. (A step that took items out and
    // appended as many or more is rare enough to be left to the entry's copy itself.)
    return step && step->after.count() < step->before.count();
}

void copyRemoved(CommandContext& context, int listNumber, const PaneHistory& history, Clipboard& clipboard,
                 const QString& origin) {
    if (!canCopyRemoved(context, listNumber, history)) return;
    // The step's own snapshots, copied (sharing their blocks): an undo during the yields cannot take them.
    const PaneHistory::Step step = *history.lastStep();
    copyToClipboard(
        context, listNumber, clipboard, origin, copyRemovedCaption().remove(QLatin1Char('&')), {}, [&] {
            return ListTools::removedBy(step.before, step.after, step.removedPositions, context.yielder);
        });
}

QString caption(Change which) {
    switch (which) {
        case Change::SortAToZ:
            return QStringLiteral("&Sort A to Z");
        case Change::SortZToA:
            return QStringLiteral("Sort &Z to A");
        case Change::KeepOnlyOnce:
            return QStringLiteral("&Keep Only Items That Occur Once");
    }
    return {};
}

QString caption(Compared which) {
    switch (which) {
        case Compared::OnlyInThis:
            return QStringLiteral("Items &Only in This List");
        case Compared::InBoth:
            return QStringLiteral("Items in &Both Lists");
        case Compared::EachOnce:
            return QStringLiteral("Items of Both Lists, &Each Once");
    }
    return {};
}

QString copyRemovedCaption() {
    return QStringLiteral("Copy Items the &Last Change Removed");
}

}  // namespace ListToolCommands
