#pragma once

#include "commands/CommandTable.h"

#include <QTest>

// Runs the window's command buttons on a test's command context, each from its row in the command
// table, so a test calls a command the way the window does: with its pane and its origin.
namespace Buttons {

inline void run(CommandContext& context, CommandTable::Runs runs, int list) {
    const CommandTable::Control* button = CommandTable::buttonFor(runs, list);
    QVERIFY2(button, "no such command button");
    CommandTable::run(context, *button);
}

inline void load(CommandContext& context, int list) {
    run(context, CommandTable::Runs::LoadFiles, list);
}
inline void save(CommandContext& context, int list) {
    run(context, CommandTable::Runs::SaveFile, list);
}
inline void clearList(CommandContext& context, int list) {
    run(context, CommandTable::Runs::ClearList, list);
}
inline void loadSampleData(CommandContext& context, int list) {
    run(context, CommandTable::Runs::SampleData, list);
}
// PushButton<number>'s Click handler.
inline void click(CommandContext& context, int number) {
    const CommandTable::Control* button = CommandTable::find(QStringLiteral("PushButton%1").arg(number));
    QVERIFY2(button, qPrintable(QStringLiteral("no control PushButton%1").arg(number)));
    CommandTable::run(context, *button);
}

}  // namespace Buttons
