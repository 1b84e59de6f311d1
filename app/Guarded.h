#pragma once

#include "core/RunTimeError.h"

#include <QAction>
#include <QObject>
#include <QtGlobal>

#include <exception>
#include <utility>

// Runs an event handler. Closing the window unwinds running commands with Cancelled; a handler
// without an error report of its own must still not take the program down.
template <class Handler>
void guarded(Handler&& handler) {
    try {
        handler();
    } catch (const Cancelled&) {
    } catch (const Stopped&) {
        // A stop meant for a command that this handler ran inside of: it ends this one quietly instead.
    } catch (const std::exception& e) {
        qWarning("Unhandled error in an event handler: %s", e.what());
    }
}

// Wires a menu entry (and its shortcuts) to its command, which runs guarded once the menu's own
// handling of the click or key has returned: a command that yields lets the event loop delete the menu
// that closed on the click, which must not be on the stack then. A call still to come goes with the
// receiver.
template <class Command>
void onTriggered(QAction* action, QObject* receiver, Command command) {
    QObject::connect(
        action, &QAction::triggered, receiver, [command = std::move(command)] { guarded(command); },
        Qt::QueuedConnection);
}
