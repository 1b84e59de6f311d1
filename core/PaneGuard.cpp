#include "core/PaneGuard.h"

#include "core/WindowState.h"

PaneGuard::PaneGuard(WindowState& window, int listNumber) : m_window(window), m_listNumber(listNumber) {
    m_window.changeUse(m_listNumber, 1);
}

PaneGuard::~PaneGuard() {
    m_window.changeUse(m_listNumber, -1);
}
