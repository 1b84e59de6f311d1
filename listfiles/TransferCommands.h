#pragma once

class Clipboard;
class QString;
struct CommandContext;
struct ListDrop;

// A pane's list in and out without files: the context menu's Copy, Copy All and Paste, and drops.
// Each reports its failures under its own procedure name (ListView1_Paste and so on) and goes on.
namespace TransferCommands {

// Copy (Ctrl+C): the selected item as one line of text. `selectedPosition` is 0 when none is selected.
void copy(CommandContext& context, int listNumber, int selectedPosition, Clipboard& clipboard);
// Copy All (Ctrl+Shift+C): every item, one per line. An empty pane leaves the clipboard alone.
void copyAll(CommandContext& context, int listNumber, Clipboard& clipboard);
// Paste (Ctrl+V, Shift+Insert): the clipboard's text appended as a load appends a file's lines.
void paste(CommandContext& context, int listNumber, const Clipboard& clipboard);
// A drop: files load exactly as if chosen together in the Load dialog, reported with the origin of
// that pane's load command; text is appended like a paste.
void drop(CommandContext& context, int listNumber, const ListDrop& dropped, const QString& loadOrigin);

}  // namespace TransferCommands
