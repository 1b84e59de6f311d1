#include "commands/ListToolCommands.h"

#include "commands/ListCommands.h"
#include "core/ErrorReport.h"
#include "core/Services.h"
#include "core/WindowState.h"
#include "listfiles/ListText.h"
#include "listops/List.h"
#include "store/CommandContext.h"
#include "store/ListPane.h"
#include "store/ResultLine.h"

#include <type_traits>

namespace {

using ListTools::Compared;

// Statement numbers (the error report shows them).
namespace CopyLine {
enum : int { SetWait = 100, Snapshot = 102, Collect = 104, Join = 106, SetText = 108, SetDefault = 110 };
}

QString copyResult(const QString& command, int list, qint64 copied, const QString& note = {}) {
    const QString from = QStringLiteral(" from List %1").arg(list);
    if (copied == 0) return command + QStringLiteral(": nothing to copy") + from + note;
    return command + QStringLiteral(": ") + ResultLine::items(copied) + QStringLiteral(" copied") + from +
           note;
}

// Puts `result` on the clipboard as Copy All puts a list there, under the wait pointer; an empty
// result leaves the clipboard alone. Says how many items went in the result line. `collect` answers
// a store of items, or the text itself with its number of lines.
template <class Collect>
void copyToClipboard(CommandContext& context, int listNumber, Clipboard& clipboard, const QString& origin,
                     const QString& command, const QString& note, Collect&& collect) {
    Procedure p(context.reporter, origin);
    RunningCommand running(context.window);
    p.run(CopyLine::SetWait, [&] { running.start(); });
    decltype(collect()) result;
    QByteArray text;
    qsizetype count = 0;
    bool joined = false;
    const bool collected = p.run(CopyLine::Collect, [&] { result = collect(); });
    if constexpr (std::is_same_v<decltype(result), ListTools::CountedText>) {
        count = result.lines;
        text = std::move(result.text);
        joined = true;
    } else {
        count = result.count();
        joined = collected && count > 0 &&
                 p.run(CopyLine::Join, [&] { text = ListText::join(result, context.yielder); });
    }
    if (collected && count > 0 && joined && p.run(CopyLine::SetText, [&] { clipboard.setUtf8Text(text); }))
        context.window.setLastResult(copyResult(command, listNumber, count, note));
    else if (collected && count == 0)
        context.window.setLastResult(copyResult(command, listNumber, 0, note));
    p.run(CopyLine::SetDefault, [&] { running.end(); });
}

}  // namespace

namespace ListToolCommands {

void copyCompared(CommandContext& context, int listNumber, Compared which, Clipboard& clipboard,
                  const QString& origin) {
    const int otherNumber = 3 - listNumber;
    // A list that another command is still changing would be compared half done.
    if (!ListCommands::canRun(context, listNumber) || context.window.inUse(otherNumber)) return;
    const CompareOptions options = context.window.compareOptions();
    const QString command = QStringLiteral("Copy Compared, ") + caption(which).remove(QLatin1Char('&'));
    copyToClipboard(context, listNumber, clipboard, origin, command, ResultLine::optionsNote(options), [&] {
        // Snapshots: the lists as they are now, whatever runs during the yields.
        const ItemStore list = context.pane(listNumber).snapshot();
        const ItemStore other = context.pane(otherNumber).snapshot();
        return ListTools::compared(list, other, which, options, context.yielder,
                                   context.window.matchOn(listNumber), context.window.matchOn(otherNumber));
    });
}

void copyWithCounts(CommandContext& context, int listNumber, Clipboard& clipboard, const QString& origin) {
    if (!ListCommands::canRun(context, listNumber)) return;
    const CompareOptions options = context.window.compareOptions();
    copyToClipboard(context, listNumber, clipboard, origin, copyWithCountsCaption().remove(QLatin1Char('&')),
                    ResultLine::optionsNote(options), [&] {
                        // A snapshot: the list as it is now, whatever runs during the yields.
                        const ItemStore list = context.pane(listNumber).snapshot();
                        return ListTools::countedText(list, options, context.yielder, ListText::kLineEnd,
                                                      context.window.matchOn(listNumber));
                    });
}

bool canCopyRemoved(const CommandContext& context, int listNumber) {
    if (context.window.inUse(listNumber)) return false;
    const std::optional<ListPane::Change> change = context.pane(listNumber).lastChange();
    // Fewer items after the step than before: it took some out. (A step that took items out and
    // appended as many or more is rare enough to be left to the entry's copy itself.)
    return change && change->after.count() < change->before.count();
}

void copyRemoved(CommandContext& context, int listNumber, Clipboard& clipboard, const QString& origin) {
    if (!canCopyRemoved(context, listNumber)) return;
    // The step's own snapshots, copied (sharing their blocks): an undo during the yields cannot take them.
    const ListPane::Change change = *context.pane(listNumber).lastChange();
    copyToClipboard(context, listNumber, clipboard, origin, copyRemovedCaption().remove(QLatin1Char('&')), {},
                    [&] {
                        return ListTools::removedBy(change.before, change.after, change.removedPositions,
                                                    context.yielder);
                    });
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

QString copyWithCountsCaption() {
    return QStringLiteral("Copy Items With Cou&nts");
}

QString copyRemovedCaption() {
    return QStringLiteral("Copy Items the &Last Change Removed");
}

}  // namespace ListToolCommands
