#include "listops/ListCommands.h"

namespace ListCommands {

bool isListCommand(int buttonNumber) {
    return (buttonNumber >= 4 && buttonNumber <= 12) || (buttonNumber >= 15 && buttonNumber <= 19);
}

void click(CommandContext&, int) {}

}  // namespace ListCommands
