#pragma once

#include "commands/ListCommands.h"

#include <QRect>
#include <QString>

#include <span>

struct CommandContext;

// The controls of the main window in tab order: what each is, where it stands (in twips, 15 to a
// pixel) and, for a command button, what its Click runs on which list and the name its error
// report gives. The window builds and wires itself from this table; a new list command is one row
// here plus its routine.
namespace CommandTable {

inline constexpr int kTwipsPerPixel = 15;
// Twips to the nearest logical pixel.
constexpr int pixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline constexpr int kClientWidth = 15960 / kTwipsPerPixel;
inline constexpr int kClientHeight = 7335 / kTwipsPerPixel;
// The width start-up gives each pane's single column.
inline constexpr int kColumnWidthTwips = 7000;

struct Place {
    int left, top, width, height;

    QRect pixels() const {
        return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                     height / kTwipsPerPixel);
    }
};

enum class Kind { ProgressBar, Pane, Button };

// What a command button's Click handler runs.
enum class Runs { Nothing, ClearList, SampleData, LoadFiles, SaveFile, ListCommand };

struct Control {
    const char* name;
    // A button's caption; a pane's column header.
    const char* caption;
    Place place;
    Kind kind;
    Runs runs = Runs::Nothing;
    // The pane the control shows or its command works on (0 for the progress bar).
    int list = 0;
    // The list command it runs, and what it says when a pane it needs holds no items; only for
    // Runs::ListCommand.
    ListCommands::Id listCommand{};
    ListCommands::Messages messages{};
    // A command button's tooltip, which is also its accessible description: one or two short lines
    // that say exactly what it does.
    const char* toolTip = "";

    // A button's Click handler: "in Quorvel2021/08/31.Form1.<name>_Click ".
    QString origin() const;
    // One of the control's other event handlers, named after the control and the event:
    // "in Quorvel2021/08/31.Form1.ListView1_Paste " for a pane's "Paste".
    QString eventOrigin(const char* event) const;
};

std::span<const Control> controls();
// The control of that name; null when there is none.
const Control* find(const QString& name);
// The pane that shows that list.
const Control& paneFor(int list);
// The command button that runs `runs` on that list (the load button a drop stands in for).
const Control* buttonFor(Runs runs, int list);

// Runs a command button's Click handler, as its row says, with the row's error-report origin.
void run(CommandContext& context, const Control& button);

}  // namespace CommandTable
