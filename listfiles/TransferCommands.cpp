#include "listfiles/TransferCommands.h"

#include "core/CommonDialog.h"
#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/Services.h"
#include "core/WindowState.h"
#include "listfiles/FileCommands.h"
#include "listfiles/ListDrop.h"
#include "listfiles/ListText.h"
#include "store/CommandContext.h"
#include "store/ItemStore.h"
#include "store/ListPane.h"
#include "store/PaneChange.h"
#include "store/ResultLine.h"

namespace {
// Statement numbers (the error report shows them).
namespace CopyLine {
enum : int { TakeItem = 100, Join = 102, SetText = 104 };
}
namespace CopyAllLine {
enum : int { SetWait = 100, Snapshot = 102, Join = 104, SetText = 106, SetDefault = 108 };
}
namespace AppendLine {
enum : int { SetWait = 100, TakeText = 102, Append = 104, SetDefault = 106 };
}

// Appends text to the pane as the load command appends a file: under the wait pointer, in batches
// between yields, as one undo step; like a load it leaves a pane that another command is changing
// alone, and does not wait for Busy. Gives the result line of `command`, or "" when it left the pane alone.
template <class TextSource>
QString appendLikeALoad(Procedure& p, CommandContext& context, int listNumber, const QString& command,
                        TextSource&& source) {
    PaneChange change(context, listNumber);
    if (!change) return {};
    p.run(AppendLine::SetWait, [&] { change.showWait(); });
    decltype(source()) text;
    p.run(AppendLine::TakeText, [&] { text = source(); });
    p.run(AppendLine::Append, [&] { ListText::append(text, change.pane(), context.yielder); });
    p.run(AppendLine::SetDefault, [&] { change.restoreWait(); });
    return ResultLine::added(command, listNumber, change.countBefore(), change.pane().count());
}
}  // namespace

namespace TransferCommands {

void copy(CommandContext& context, int listNumber, int selectedPosition, Clipboard& clipboard,
          const QString& origin) {
    ListPane& pane = context.pane(listNumber);
    if (selectedPosition < 1 || selectedPosition > pane.count()) return;
    Procedure p(context.reporter, origin);
    ItemStore item;
    QByteArray text;
    // A failed step must not leave an empty text on the clipboard.
    if (!p.run(CopyLine::TakeItem, [&] { item.append(pane.text(selectedPosition)); })) return;
    if (p.run(CopyLine::Join, [&] { text = ListText::join(item, context.yielder); }))
        p.run(CopyLine::SetText, [&] { clipboard.setUtf8Text(text); });
}

void copyAll(CommandContext& context, int listNumber, Clipboard& clipboard, const QString& origin) {
    ListPane& pane = context.pane(listNumber);
    // A list that another command is still changing would be copied half done.
    if (pane.count() == 0 || context.window.inUse(listNumber)) return;
    Procedure p(context.reporter, origin);
    RunningCommand running(context.window);
    p.run(CopyAllLine::SetWait, [&] { running.start(); });
    // A snapshot keeps the text equal to the list as it was now, whatever runs during the yields.
    ItemStore items;
    QByteArray text;
    p.run(CopyAllLine::Snapshot, [&] { items = pane.snapshot(); });
    // A failed join must not empty the clipboard.
    if (p.run(CopyAllLine::Join, [&] { text = ListText::join(items, context.yielder); }))
        p.run(CopyAllLine::SetText, [&] { clipboard.setUtf8Text(text); });
    p.run(CopyAllLine::SetDefault, [&] { running.end(); });
}

void paste(CommandContext& context, int listNumber, const Clipboard& clipboard, const QString& origin) {
    Procedure p(context.reporter, origin);
    bool answered = true;
    const QString result = appendLikeALoad(p, context, listNumber, QStringLiteral("Paste"), [&] {
        std::optional<QByteArray> text = clipboard.utf8Text(context.yielder);
        answered = text.has_value();
        return std::move(text).value_or(QByteArray());
    });
    if (!answered)
        context.dialogs.message(QStringLiteral("The clipboard did not answer. Nothing was pasted."),
                                context.window.appTitle(), Dialogs::Buttons::Ok, Dialogs::Icon::None);
    else if (!result.isEmpty())
        context.window.setLastResult(result);
}

void drop(CommandContext& context, int listNumber, const ListDrop& dropped, const DropOrigins& origins) {
    switch (dropped.kind) {
        case ListDrop::Kind::Files:
            FileCommands::loadChosenFiles(context, listNumber, ChosenFiles::fromPaths(dropped.paths),
                                          origins.files, QStringLiteral("Drop"));
            break;
        case ListDrop::Kind::Text: {
            Procedure p(context.reporter, origins.text);
            const QString result =
                appendLikeALoad(p, context, listNumber, QStringLiteral("Drop"), [&] { return dropped.text; });
            if (!result.isEmpty()) context.window.setLastResult(result);
            break;
        }
        case ListDrop::Kind::Refused:
            break;
    }
}

}  // namespace TransferCommands
