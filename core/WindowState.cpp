#include "core/WindowState.h"

void WindowState::setMousePointer(Pointer value) {
    if (m_pointer == value) return;
    m_pointer = value;
    Q_EMIT mousePointerChanged(value);
}
