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

// Statement numbers.
constexpr int kClearLine = 100;
constexpr int kFirstSampleLine = 100;
constexpr int kSampleLineStep = 2;
}  // namespace

namespace PaneCommands {

void clearList(CommandContext& context, int listNumber, const QString& origin) {
    Procedure p(context.reporter, origin);
    ListPane& pane = context.pane(listNumber);
    p.run(kClearLine, [&] {
        if (!paneInUse(context.window)) pane.clear();
    });
}

void loadSampleData(CommandContext& context, int listNumber, const QString& origin) {
    static constexpr std::array<const char*, 3> kList1{"orange", "black", "purple"};
    static constexpr std::array<const char*, 3> kList2{"red", "orange", "Purple"};
    const auto& items = listNumber == 1 ? kList1 : kList2;
    Procedure p(context.reporter, origin);
    ListPane& pane = context.pane(listNumber);
    int line = kFirstSampleLine;
    for (const char* item : items) {
        p.run(line, [&] { pane.append(QByteArrayView(item)); });
        line += kSampleLineStep;
    }
}

void removeSelected(CommandContext& context, int listNumber, int selectedPosition) {
    if (!canRemoveSelected(context, listNumber, selectedPosition)) return;
    context.pane(listNumber).removeAt(selectedPosition);
}

bool canRemoveSelected(const CommandContext& context, int listNumber, int selectedPosition) {
    const ListPane& pane = context.pane(listNumber);
    if (paneInUse(context.window)) return false;
    if (pane.count() == 0) return false;
    return selectedPosition >= 1 && selectedPosition <= pane.count();
}

}  // namespace PaneCommands
