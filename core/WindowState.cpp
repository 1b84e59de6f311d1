#include "core/WindowState.h"

void WindowState::setMousePointer(int value) {
    if (m_pointer == value) return;
    m_pointer = value;
    Q_EMIT mousePointerChanged(value);
}
