#pragma once

class WindowState;

// Holds one pane in use for the guard's lifetime: from before a command's first yield until it has
// finished changing the pane, also when it unwinds because the window closes. Every command that
// would change a pane or read it as a list first asks WindowState::inUse() and leaves a pane in use
// alone, so overlapping commands never mix, cut or lose a list.
class PaneGuard {
public:
    PaneGuard(WindowState& window, int listNumber);
    ~PaneGuard();
    PaneGuard(const PaneGuard&) = delete;
    PaneGuard& operator=(const PaneGuard&) = delete;

private:
    WindowState& m_window;
    int m_listNumber;
};
