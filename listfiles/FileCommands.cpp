#include "listfiles/FileCommands.h"

namespace FileCommands {

void load(CommandContext&, int) {}
void save(CommandContext&, int) {}

}  // namespace FileCommands
