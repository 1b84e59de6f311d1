#pragma once

#include "listops/ListTools.h"

#include <QString>

class Clipboard;
class PaneHistory;
struct CommandContext;

// The list tools of a pane's context menu as commands. Sorting and keeping the items that occur once
// change their pane as a list operation does: not while Busy is set or the pane is in use, under Busy
// and the wait pointer, with the progress display, as one undo step. The copies change no pane and
// put their items on the clipboard as Copy All does. Each reads the compare options as it starts and
// says what it did in the result line; each reports its failures under `origin` and goes on.
namespace ListToolCommands {

enum class Change { SortAToZ, SortZToA, KeepOnlyOnce };

// Whether a command that changes or compares the pane can start now: it holds items, is not in use,
// and no list operation runs.
bool canRun(const CommandContext& context, int listNumber);
void change(CommandContext& context, int listNumber, Change which, const QString& origin);

// "Copy Compared": this list against the other, the result on the clipboard.
void copyCompared(CommandContext& context, int listNumber, ListTools::Compared which, Clipboard& clipboard,
                  const QString& origin);

// Whether the pane's last undo step took items out (and the pane is not being changed now).
bool canCopyRemoved(const CommandContext& context, int listNumber, const PaneHistory& history);
// "Copy Items the Last Change Removed": those items, in their old order.
void copyRemoved(CommandContext& context, int listNumber, const PaneHistory& history, Clipboard& clipboard,
                 const QString& origin);

// The entries' captions, as the menu and the result line give them.
QString caption(Change which);
QString caption(ListTools::Compared which);
QString copyRemovedCaption();

}  // namespace ListToolCommands
