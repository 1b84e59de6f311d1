#pragma once

struct CommandContext;

// The commands that act on one pane without a list operation: Clear List, the sample data,
// removing the selected item by double-click or Delete, and undo and redo.
namespace PaneCommands {

// PushButton1_Click / PushButton2_Click.
void clearList(CommandContext& context, int listNumber);
// PushButton21_Click / PushButton22_Click.
void loadSampleData(CommandContext& context, int listNumber);
// ListViewN_DblClick, and ListViewN_KeyDown with key code 46. `selectedPosition` is 0 when no item
// is selected. Shows nothing and reports nothing.
void removeSelected(CommandContext& context, int listNumber, int selectedPosition);
// Undo and Redo of a pane (Ctrl+Z; Ctrl+Shift+Z and Ctrl+Y). Like Clear List they leave the pane
// alone while the wait pointer shows or a list operation runs, and the pane itself refuses while a
// command still has its step open. Show nothing and report nothing.
void undo(CommandContext& context, int listNumber);
void redo(CommandContext& context, int listNumber);

}  // namespace PaneCommands
