#include "listfiles/TransferCommands.h"

#include "core/CommandContext.h"
#include "core/CommonDialog.h"
#include "core/ErrorReport.h"
#include "core/Services.h"
#include "core/WindowState.h"
#include "listfiles/FileCommands.h"
#include "listfiles/ListDrop.h"
#include "listfiles/ListText.h"
#include "panes/ItemStore.h"
#include "panes/ListPane.h"

namespace {
QString paneOrigin(int listNumber, const char* event) {
    return ErrorReporter::origin(QStringLiteral("Form1"),
                                 QStringLiteral("ListView%1_").arg(listNumber) + QString::fromLatin1(event));
}

void setPointer(CommandContext& context, WindowState::Pointer pointer) {
    context.window.setMousePointer(pointer);
}

// Appends text to the pane as the load command appends a file: under the wait pointer, in batches
// between yields, testing neither Busy nor the pointer first. From statement `line` on.
template <class TextSource>
void appendLikeALoad(Procedure& p, CommandContext& context, int listNumber, int line, TextSource&& source) {
    ListPane& pane = context.pane(listNumber);
    p.run(line, [&] { setPointer(context, WindowState::WaitPointer); });
    QString text;
    p.run(line + 2, [&] { text = source(); });
    p.run(line + 4, [&] { ListText::append(text, pane, context.yielder); });
    p.run(line + 6, [&] { setPointer(context, WindowState::DefaultPointer); });
}
}  // namespace

namespace TransferCommands {

void copy(CommandContext& context, int listNumber, int selectedPosition, Clipboard& clipboard) {
    ListPane& pane = context.pane(listNumber);
    if (selectedPosition < 1 || selectedPosition > pane.count()) return;
    Procedure p(context.reporter, paneOrigin(listNumber, "Copy"));
    ItemStore item;
    QString text;
    p.run(100, [&] { item.append(pane.text(selectedPosition)); });
    if (p.run(102, [&] { text = ListText::join(item, context.yielder); }))
        p.run(104, [&] { clipboard.setText(text); });
}

void copyAll(CommandContext& context, int listNumber, Clipboard& clipboard) {
    ListPane& pane = context.pane(listNumber);
    if (pane.count() == 0) return;
    Procedure p(context.reporter, paneOrigin(listNumber, "CopyAll"));
    p.run(100, [&] { setPointer(context, WindowState::WaitPointer); });
    // A snapshot keeps the text equal to the list as it was now, whatever runs during the yields.
    ItemStore items;
    QString text;
    p.run(102, [&] { items = pane.snapshot(); });
    // A failed join must not empty the clipboard.
    if (p.run(104, [&] { text = ListText::join(items, context.yielder); }))
        p.run(106, [&] { clipboard.setText(text); });
    p.run(108, [&] { setPointer(context, WindowState::DefaultPointer); });
}

void paste(CommandContext& context, int listNumber, const Clipboard& clipboard) {
    Procedure p(context.reporter, paneOrigin(listNumber, "Paste"));
    appendLikeALoad(p, context, listNumber, 100, [&] { return clipboard.text(); });
}

void drop(CommandContext& context, int listNumber, const ListDrop& dropped) {
    switch (dropped.kind) {
        case ListDrop::Kind::Files:
            FileCommands::loadChosenFiles(context, listNumber, ChosenFiles::fromPaths(dropped.paths));
            break;
        case ListDrop::Kind::Text: {
            Procedure p(context.reporter, paneOrigin(listNumber, "OLEDragDrop"));
            appendLikeALoad(p, context, listNumber, 100, [&] { return dropped.text; });
            break;
        }
        case ListDrop::Kind::Refused:
            break;
    }
}

}  // namespace TransferCommands
