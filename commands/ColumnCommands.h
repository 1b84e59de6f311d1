#pragma once

#include <QString>

struct CommandContext;

// The pane menu's Match On entries: whether the list commands compare a pane's whole items or one
// column of them (a CSV or tab-separated export), and what the pane's header says of that choice.
// A choice holds from the next command on; a command that runs keeps the one it started with.
namespace ColumnCommands {

// Match On > Whole Item: the choice at every start.
void matchWholeItems(CommandContext& context, int listNumber);
// Match On > Column...: the column dialog, with the pane's first items for its preview; Cancel
// leaves the choice as it was.
void chooseColumn(CommandContext& context, int listNumber);
// The column dialog reads the pane's items: not while a command changes them.
bool canChooseColumn(const CommandContext& context, int listNumber);
// "column 2, email" (the header item's name of the column, where there is one), "column 2"; empty
// for whole items.
QString headerNote(const CommandContext& context, int listNumber);

}  // namespace ColumnCommands
