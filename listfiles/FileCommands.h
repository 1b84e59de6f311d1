#pragma once

struct CommandContext;

// "Load Data From File" and "Save Data To File" of either pane.
namespace FileCommands {

// PushButton3_Click (List 1) and PushButton14_Click (List 2).
void load(CommandContext& context, int listNumber);
// PushButton20_Click (List 1) and PushButton13_Click (List 2).
void save(CommandContext& context, int listNumber);

}  // namespace FileCommands
