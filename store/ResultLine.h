#pragma once

#include "core/CompareOptions.h"

#include <QLocale>
#include <QString>
#include <QStringList>

// The one line that says what the last command which changed a pane (or could have) did: what ran,
// on which list, how many items went or came and how many are left. Counts use the user's digit
// grouping; a text the user typed is cut short, so the line stays one line.
namespace ResultLine {

// The most characters of a typed text that the line repeats.
inline constexpr qsizetype kMaxTypedChars = 40;

// What a list command's line tells: the items it took out, (a command that only reorders) how
// many there are, or (a command that rewrites texts) how many it changed.
enum class Tells { Removed, Count, Changed };

// "202,000" in the user's locale, or the one given.
QString number(qint64 count, const QLocale& locale = QLocale());
// "1 item", "202,000 items".
QString items(qint64 count, const QLocale& locale = QLocale());
// A command that takes items out: "Remove Matches: 11,310 removed from List 1 · 160,621 left", or
// "…: nothing removed from List 2" when the count did not fall. List 0 names no list (the command
// line's one list).
QString removed(const QString& command, int list, qint64 before, qint64 after,
                const QLocale& locale = QLocale());
// A command that rewrites texts: "Trim Spaces: 16,568 items changed in List 1", or
// "…: nothing changed in List 1".
QString changed(const QString& command, int list, qint64 count, const QLocale& locale = QLocale());
// A list command, with the compare options it ran under: "… · ignoring case"; one that tells a count:
// "Sort A to Z: 9 items in List 1".
QString listCommand(const QString& command, Tells tells, int list, qint64 before, qint64 after,
                    const CompareOptions& options, const QLocale& locale = QLocale());
// The compare options a command ran under: " · ignoring case"; nothing for none.
QString optionsNote(const CompareOptions& options);
// A command with the text the user typed: `Remove Items With "RANGE"`.
QString withText(const QString& command, const QString& typed);
// A command that appends: "Paste: 4 items added to List 2", and with files counted
// "Load: 202,000 items added to List 1 from 3 files".
QString added(const QString& command, int list, qint64 before, qint64 after, int files = 0);
// A save: "Save: 169,001 items written to cleaned.txt" (the file's name; its path goes beside).
QString saved(qint64 count, const QString& fileName);
// What a pane was loaded from, for its header: "cleaned.txt", "2 files"; empty for none.
QString loadedFrom(const QStringList& paths);
// A command that the user stopped, which left its list as it was: "Remove Dupes: stopped; List 1
// unchanged".
QString stopped(const QString& command, int list);
enum class Step { Undo, Redo };
// Undo or Redo: "Undo in List 1: 28,069 items back", "Redo in List 1: 28,069 items taken out"; where
// the count stays (a sort), what the step gives back: "Undo in List 1: the items as they were",
// "Redo in List 1: the items as the change left them".
QString history(Step step, int list, qint64 before, qint64 after);

}  // namespace ResultLine
