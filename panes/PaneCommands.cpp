#include "panes/PaneCommands.h"

#include "core/CommandContext.h"
#include "core/ErrorReport.h"
#include "core/WindowState.h"
#include "panes/ListPane.h"

#include <array>

namespace {
// A pane must not change under a running list operation (Busy) or a load or save (wait pointer).
bool paneInUse(const WindowState& window) {
    return window.waiting() || window.busy();
}

QString formOrigin(const char* handler) {
    return ErrorReporter::origin(QStringLiteral("Form1"), QString::fromLatin1(handler));
}
}  // namespace

namespace PaneCommands {

void clearList(CommandContext& context, int listNumber) {
    Procedure p(context.reporter, formOrigin(listNumber == 1 ? "PushButton1_Click" : "PushButton2_Click"));
    ListPane& pane = context.pane(listNumber);
    p.run(100, [&] {
        if (!paneInUse(context.window)) pane.clear();
    });
}

void loadSampleData(CommandContext& context, int listNumber) {
    static constexpr std::array<const char*, 3> kList1{"orange", "black", "purple"};
    static constexpr std::array<const char*, 3> kList2{"red", "orange", "Purple"};
    const auto& items = listNumber == 1 ? kList1 : kList2;
    Procedure p(context.reporter, formOrigin(listNumber == 1 ? "PushButton21_Click" : "PushButton22_Click"));
    ListPane& pane = context.pane(listNumber);
    // The three items are one step, also when one of them fails.
    const PaneStep step(pane);
    int line = 100;
    for (const char* item : items) {
        p.run(line, [&] { pane.append(QByteArrayView(item)); });
        line += 2;
    }
}

void removeSelected(CommandContext& context, int listNumber, int selectedPosition) {
    ListPane& pane = context.pane(listNumber);
    if (paneInUse(context.window)) return;
    if (pane.count() == 0) return;
    if (selectedPosition < 1 || selectedPosition > pane.count()) return;
    pane.removeAt(selectedPosition);
}

void undo(CommandContext& context, int listNumber) {
    ListPane& pane = context.pane(listNumber);
    if (paneInUse(context.window)) return;
    pane.undo();
}

void redo(CommandContext& context, int listNumber) {
    ListPane& pane = context.pane(listNumber);
    if (paneInUse(context.window)) return;
    pane.redo();
}

}  // namespace PaneCommands
