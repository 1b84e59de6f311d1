#include "core/PaneGuard.h"

#include "core/WindowState.h"

PaneGuard::PaneGuard(WindowState& window, int listNumber)
    : m_window(window), m_slot(WindowState::slot(listNumber)) {
    ++m_window.m_inUse[m_slot];
}

PaneGuard::~PaneGuard() {
    --m_window.m_inUse[m_slot];
}
