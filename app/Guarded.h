#pragma once

#include "core/RunTimeError.h"

#include <QtGlobal>

#include <exception>

// Runs an event handler. Closing the window unwinds running commands with Cancelled; a handler
// without an error report of its own must still not take the program down.
template <class Handler>
void guarded(Handler&& handler) {
    try {
        handler();
    } catch (const Cancelled&) {
    } catch (const std::exception& e) {
        qWarning("Unhandled error in an event handler: %s", e.what());
    }
}
