#include "panes/PaneHistory.h"

#include <QList>
#include <QScopeGuard>

#include <memory>
#include <utility>

// One step on the stack. Its record may outlive it: rebuilding the stack hands records to new commands.
class PaneHistory::StepCommand : public QUndoCommand {
public:
    StepCommand(PaneHistory& history, std::shared_ptr<StepRecord> record, bool loneAppends)
        : m_history(history), m_record(std::move(record)), m_loneAppends(loneAppends) {}

    // QUndoStack::push() calls redo() on a step that is already in effect: the record knows.
    void undo() override {
        if (!m_history.m_rebuilding && m_record->applied()) m_record->undo(m_history.m_store);
    }
    void redo() override {
        if (!m_history.m_rebuilding && !m_record->applied()) m_record->redo(m_history.m_store);
    }

    const std::shared_ptr<StepRecord>& record() const { return m_record; }
    // Appends made outside any command, with nothing else in the step.
    bool loneAppends() const { return m_loneAppends; }

private:
    PaneHistory& m_history;
    std::shared_ptr<StepRecord> m_record;
    bool m_loneAppends;
};

PaneHistory::PaneHistory(ItemStore& store) : m_store(store) {
    m_steps.setUndoLimit(kStepLimit);
}

PaneHistory::~PaneHistory() = default;

void PaneHistory::open(bool byChange) {
    if (m_depth == 0) {
        m_open.emplace();
        m_openedByChange = byChange;
    }
    ++m_depth;
}

void PaneHistory::close() {
    if (m_depth == 0 || --m_depth > 0) return;
    StepRecord record = std::move(*m_open);
    m_open.reset();
    if (record.isEmpty()) return;
    const bool loneAppends = m_openedByChange && record.onlyAppends();
    // Appends need nothing recorded but where they began: the step before already takes these back.
    if (loneAppends && topTakesTheseAppendsBack()) return;
    try {
        push(std::move(record), loneAppends);
    } catch (...) {
        // Without this step the older ones would restore a wrong list: none of them is kept.
        m_steps.clear();
    }
}

void PaneHistory::push(StepRecord&& record, bool loneAppends) {
    m_steps.push(new StepCommand(*this, std::make_shared<StepRecord>(std::move(record)), loneAppends));
    keepWithinBound();
}

bool PaneHistory::topTakesTheseAppendsBack() const {
    const int top = m_steps.count() - 1;
    return top >= 0 && m_steps.index() == m_steps.count() && stepAt(top).loneAppends();
}

const PaneHistory::StepCommand& PaneHistory::stepAt(int index) const {
    return *static_cast<const StepCommand*>(m_steps.command(index));
}

void PaneHistory::appending() {
    if (m_open) m_open->appending(m_store.count());
}

void PaneHistory::removing(qsizetype index) {
    if (m_open) m_open->removing(index, m_store.text(index));
}

void PaneHistory::replacing() {
    if (m_open) m_open->replacing(m_store);
}

template <class Act>
void PaneHistory::move(Act&& act) {
    try {
        act();
        keepWithinBound();
    } catch (...) {
        // A step that failed half-way leaves a whole list, but not one the steps around it know.
        m_steps.clear();
        throw;
    }
}

void PaneHistory::undo() {
    if (canUndo()) move([&] { m_steps.undo(); });
}

void PaneHistory::redo() {
    if (canRedo()) move([&] { m_steps.redo(); });
}

qsizetype PaneHistory::heldBytes() const {
    qsizetype bytes = 0;
    for (int i = 0; i < m_steps.count(); ++i) bytes += stepAt(i).record()->heldBytes();
    return bytes;
}

void PaneHistory::keepWithinBound() {
    const qsizetype bound = 2 * m_store.memoryBytes() + kSpareBytes;
    qsizetype held = heldBytes();
    int drop = 0;
    // Only steps in effect can go from the bottom; an undone one still carries the steps above it.
    while (held > bound && drop < m_steps.index() && drop < m_steps.count() - 1) {
        held -= stepAt(drop).record()->heldBytes();
        ++drop;
    }
    if (drop > 0) dropOldest(drop);
}

void PaneHistory::dropOldest(int count) {
    // QUndoStack cannot let go of its oldest commands: it is rebuilt from the records that stay.
    QList<std::pair<std::shared_ptr<StepRecord>, bool>> kept;
    for (int i = count; i < m_steps.count(); ++i) kept.append({stepAt(i).record(), stepAt(i).loneAppends()});
    const int index = m_steps.index() - count;
    m_rebuilding = true;
    const auto rebuilt = qScopeGuard([&] { m_rebuilding = false; });
    m_steps.clear();
    for (const auto& [record, loneAppends] : std::as_const(kept))
        m_steps.push(new StepCommand(*this, record, loneAppends));
    m_steps.setIndex(index);
}
