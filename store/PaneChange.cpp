#include "store/PaneChange.h"

#include "store/CommandContext.h"

PaneChange::PaneChange(CommandContext& context, int listNumber, StepKind kind)
    : m_window(context.window),
      m_pane(context.pane(listNumber)),
      m_listNumber(listNumber),
      m_countBefore(m_pane.count()),
      m_running(m_window) {
    if (m_window.hold(m_listNumber)) m_step.emplace(m_pane, kind);
}

PaneChange::~PaneChange() {
    if (!m_step) return;
    // The step is kept, and the count falls, before the pane is free again: whatever looks at the
    // pane once it is free sees the step to undo.
    m_step.reset();
    m_running.end();
    m_window.release(m_listNumber);
}
