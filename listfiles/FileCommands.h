#pragma once

#include "core/CommonDialog.h"

#include <QString>

class ListPane;
struct CommandContext;

// "Load Data From File" and "Save Data To File" of either pane.
namespace FileCommands {

// Flags of both file dialogs: read-only option shown, multi-select, explorer style, long names.
inline constexpr qint32 kDialogFlags = CommonDialog::ReadOnly | CommonDialog::AllowMultiSelect |
                                       CommonDialog::Explorer | CommonDialog::LongNames;
static_assert(kDialogFlags == 2621953);

// PushButton3_Click (List 1) and PushButton14_Click (List 2). Loading does nothing while the pane is
// in use, and holds it from before its dialog until it has read the last file.
void load(CommandContext& context, int listNumber, const QString& origin);
// Loads files into the pane as the load command does once the dialog has answered (statements 114 to
// 138, reported with that command's origin): the one seam that the Load button and drops share.
// `command` names it on the result line.
void loadChosenFiles(CommandContext& context, int listNumber, const ChosenFiles& files, const QString& origin,
                     const QString& command = QStringLiteral("Load"));
// PushButton20_Click (List 1) and PushButton13_Click (List 2). A pane in use is not saved: a message
// says so and no file is touched. True when the file now holds the pane's items.
bool save(CommandContext& context, int listNumber, const QString& origin);

// Appends the lines of the list file at `path` to the pane; "File not found" when it does not exist.
// Throws RunTimeError when the file cannot be opened or read, keeping the items appended before, and
// "Out of memory", appending nothing, when its items would not fit in the memory left.
void LoadFileIntoList(CommandContext& context, ListPane& pane, const QString& path);

}  // namespace FileCommands
