#pragma once

struct CommandContext;

// The fourteen list-operation commands (PushButton4 to PushButton12, PushButton15 to PushButton19).
namespace ListCommands {

// Runs the Click handler of that button.
void click(CommandContext& context, int buttonNumber);

}  // namespace ListCommands
