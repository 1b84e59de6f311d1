#include "core/WindowState.h"

void WindowState::setMousePointer(Pointer value) {
    if (m_pointer == value) return;
    m_pointer = value;
    Q_EMIT mousePointerChanged(value);
}

void WindowState::changeUse(int listNumber, int by) {
    m_inUse[slot(listNumber)] += by;
    Q_EMIT paneUseChanged(listNumber);
}

void WindowState::showWait() {
    ++m_waitShares;
    setMousePointer(WaitPointer);
}

void WindowState::restoreWait() {
    if (m_waitShares > 0) --m_waitShares;
    if (m_waitShares == 0) setMousePointer(DefaultPointer);
}

void WaitShare::show() {
    if (m_shown) return;
    m_window.showWait();
    m_shown = true;
}

void WaitShare::restore() {
    if (!m_shown) return;
    m_shown = false;
    m_window.restoreWait();
}
