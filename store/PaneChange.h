#pragma once

#include "core/WindowState.h"
#include "store/ListPane.h"

#include <optional>

struct CommandContext;

// "This command changes this pane": the one way a load, a paste, a drop, a list command or the
// sample data changes a pane. Made before the command's first yield, it holds the pane unless another
// command holds it, and keeps one undo step open on it; between showWait() and restoreWait() it counts
// the command as running, which shows the wait pointer. It lets all of it go on every way out, also
// when its command unwinds because the window closes. A scope that found the pane held holds and opens
// nothing, and its command leaves the pane alone, silently.
class PaneChange {
public:
    PaneChange(CommandContext& context, int listNumber, StepKind kind = StepKind::Work);
    ~PaneChange();
    PaneChange(const PaneChange&) = delete;
    PaneChange& operator=(const PaneChange&) = delete;

    // Whether the command holds its pane and may change it.
    explicit operator bool() const { return m_step.has_value(); }
    ListPane& pane() const { return m_pane; }
    int listNumber() const { return m_listNumber; }
    // The pane's count when the scope began: what the command's result is measured against.
    int countBefore() const { return m_countBefore; }

    void showWait() { m_running.start(); }
    void restoreWait() { m_running.end(); }

private:
    WindowState& m_window;
    ListPane& m_pane;
    const int m_listNumber;
    const int m_countBefore;
    RunningCommand m_running;
    std::optional<PaneStep> m_step;
};
