#pragma once

struct CommandContext;

// The fourteen list-operation commands (PushButton4 to PushButton12, PushButton15 to PushButton19).
namespace ListCommands {

// Runs the Click handler of that button. It does nothing while Busy is set or while its target or
// reference pane is in use, and holds both in use while it runs.
void click(CommandContext& context, int buttonNumber);

}  // namespace ListCommands
