#pragma once

#include "core/WindowState.h"

// The hover rules: they never replace the wait pointer while a command runs long work.
namespace PointerRules {

// The mouse moves over a command button.
inline void buttonMouseMove(WindowState& window) {
    if (!window.commandRunning()) window.setMousePointer(WindowState::HandPointer);
}

// Form_MouseMove, ListView1_MouseMove, ListView2_MouseMove.
inline void backgroundMouseMove(WindowState& window) {
    if (!window.commandRunning()) window.setMousePointer(WindowState::DefaultPointer);
}

}  // namespace PointerRules
