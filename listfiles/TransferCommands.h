#pragma once

#include <QString>

class Clipboard;
struct CommandContext;
struct ListDrop;

// A pane's list in and out without files: the context menu's Copy, Copy All and Paste, and drops.
// Each reports its failures under the origin its caller hands in (the pane's handler for that
// event) and goes on.
namespace TransferCommands {

// What a drop's failures are reported under: dropped files as that pane's load command, dropped
// text as the pane's own drop handler.
struct DropOrigins {
    QString files;
    QString text;
};

// Copy (Ctrl+C): the selected item as one line of text. `selectedPosition` is 0 when none is selected.
void copy(CommandContext& context, int listNumber, int selectedPosition, Clipboard& clipboard,
          const QString& origin);
// Copy All (Ctrl+Shift+C): every item, one per line. An empty pane leaves the clipboard alone.
void copyAll(CommandContext& context, int listNumber, Clipboard& clipboard, const QString& origin);
// Paste (Ctrl+V, Shift+Insert): the clipboard's text appended as a load appends a file's lines.
void paste(CommandContext& context, int listNumber, const Clipboard& clipboard, const QString& origin);
// A drop: files load exactly as if chosen together in the Load dialog; text is appended like a paste.
void drop(CommandContext& context, int listNumber, const ListDrop& dropped, const DropOrigins& origins);

}  // namespace TransferCommands
