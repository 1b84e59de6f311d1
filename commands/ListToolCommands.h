#pragma once

#include "listops/ListTools.h"

#include <QString>

class Clipboard;
struct CommandContext;

// The copies of a pane's menu: a set result of the two lists, or what the pane's last change took
// out, put on the clipboard as Copy All puts a list there. They change no pane; each reads the
// compare options as it starts, says what it did in the result line, reports its failures under
// `origin` and goes on.
namespace ListToolCommands {

// "Copy Compared": this list against the other, the result on the clipboard.
void copyCompared(CommandContext& context, int listNumber, ListTools::Compared which, Clipboard& clipboard,
                  const QString& origin);

// "Copy Items With Counts": each distinct item of the list with how often it occurs, as
// `count<TAB>item`, most frequent first (ListTools::counted).
void copyWithCounts(CommandContext& context, int listNumber, Clipboard& clipboard, const QString& origin);

// Whether the pane's last undo step took items out (and the pane is not being changed now).
bool canCopyRemoved(const CommandContext& context, int listNumber);
// "Copy Items the Last Change Removed": those items, in their old order.
void copyRemoved(CommandContext& context, int listNumber, Clipboard& clipboard, const QString& origin);

// The entries' captions, as the menu and the result line give them.
QString caption(ListTools::Compared which);
QString copyRemovedCaption();
QString copyWithCountsCaption();

}  // namespace ListToolCommands
