#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QEvent>

// The command of a menu entry or a shortcut runs once the trigger has returned, as a queued call.

// Runs the commands waiting, as the event loop would run them next.
inline void runQueuedCommands() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// Triggers the action as its menu entry or shortcut does, and runs its command to the end.
inline void triggerAndRun(QAction* action) {
    action->trigger();
    runQueuedCommands();
}
