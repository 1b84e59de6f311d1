#pragma once

#include <QString>

#include <functional>

struct CommandContext;

// The commands that act on one pane without a list operation: Clear List, the sample data,
// removing the selected item by double-click or Delete, and undo and redo. Each does nothing,
// silently, while its pane is in use; Clear, removal, undo and redo also while any command runs.
// Each that runs sets the window's result line.
namespace PaneCommands {

// PushButton1_Click / PushButton2_Click; `origin` is the handler's error-report origin, `title` what
// the result line calls the command (the button's caption).
void clearList(CommandContext& context, int listNumber, const QString& origin, const QString& title);
// PushButton21_Click / PushButton22_Click.
void loadSampleData(CommandContext& context, int listNumber, const QString& origin, const QString& title);
// ListViewN_DblClick, and ListViewN_KeyDown with key code 46. `selectedPosition` is 0 when no item
// is selected. Shows no message and reports nothing.
void removeSelected(CommandContext& context, int listNumber, int selectedPosition);
// Whether removeSelected would remove an item now: one is selected and the pane is not in use.
bool canRemoveSelected(const CommandContext& context, int listNumber, int selectedPosition);
// Undo and Redo of a pane (Ctrl+Z; Ctrl+Shift+Z and Ctrl+Y), left alone when Clear List would be;
// the pane itself also refuses while a command still has its step open. Show no message and report
// nothing.
void undo(CommandContext& context, int listNumber);
void redo(CommandContext& context, int listNumber);
// Whether undo or redo would change the pane now.
bool canUndo(const CommandContext& context, int listNumber);
bool canRedo(const CommandContext& context, int listNumber);
// Before the window closes: for each pane, in turn, that holds items with work that was never
// saved, asks whether to save it first (`save`, which answers whether the file now holds it), close
// anyway, or not close. True when the window may close: every such pane saved or let go.
bool mayClose(CommandContext& context, const std::function<bool(int listNumber)>& save);

// What the pane's header says beside its count: the file its items were last loaded from, then the
// column its commands compare ("cleaned.txt \u00B7 column 2, email"); empty when neither applies.
QString headerNote(const CommandContext& context, int listNumber);
// The header's tooltip: the paths of those files, one a line (a few, each cut to a line's length).
QString headerTip(const CommandContext& context, int listNumber);

}  // namespace PaneCommands
