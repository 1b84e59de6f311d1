#include "panes/PaneHistory.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

// One step on the stack: the pane's store before and after it. Undo and redo copy one of them into
// the pane, which costs a pointer per block.
class PaneHistory::StepCommand : public QUndoCommand {
public:
    StepCommand(ItemStore& pane, ItemStore&& before, QList<int>&& removed, quint64 number, bool work)
        : m_pane(pane), m_step{std::move(before), pane, std::move(removed)}, m_number(number), m_work(work) {}

    // push() runs this on the step just made, as Qt intends: the pane takes the snapshot it shows.
    void redo() override { m_pane = m_step.after; }
    void undo() override { m_pane = m_step.before; }

    const Step& step() const { return m_step; }
    quint64 number() const { return m_number; }
    bool work() const { return m_work; }
    bool dropped() const { return m_dropped; }
    // Lets go of the snapshots. QUndoStack cannot remove its oldest commands, so the step stays as
    // a place that undo does not pass.
    void drop() {
        m_step = Step();
        m_dropped = true;
    }

private:
    ItemStore& m_pane;
    Step m_step;
    quint64 m_number;
    bool m_work;
    bool m_dropped = false;
};

PaneHistory::PaneHistory(ItemStore& store, qsizetype spareBytes) : m_store(store), m_spareBytes(spareBytes) {
    m_steps.setUndoLimit(kStepLimit);
}

void PaneHistory::changing() {
    ++m_changes;
    m_removed.clear();
    if (m_depth > 0 && !m_before) m_before = m_store;
}

void PaneHistory::removing(const QList<int>& ascending) {
    const bool first = !m_before;
    changing();
    if (first && m_before) m_removed = ascending;
}

void PaneHistory::close() {
    if (m_depth == 0 || --m_depth > 0) return;
    const bool work = std::exchange(m_openWork, false);
    QList<int> removed = std::exchange(m_removed, {});
    if (!m_before) return;
    ItemStore before = std::move(*m_before);
    m_before.reset();
    try {
        m_steps.push(new StepCommand(m_store, std::move(before), std::move(removed), ++m_stepsMade, work));
        m_unsaved.taken(m_stepsMade, work);
        dropOldestBeyondBound();
    } catch (...) {
        // Out of memory: the change stays without a step of its own, and undoing the step before
        // takes it back too. This runs where commands end, so it must not throw.
        m_unsaved.changedWithoutStep(work);
    }
}

const PaneHistory::StepCommand& PaneHistory::stepAt(int index) const {
    return *static_cast<const StepCommand*>(m_steps.command(index));
}

PaneHistory::StepCommand& PaneHistory::stepAt(int index) {
    // The stack hands its commands out as const; they are this history's own.
    return const_cast<StepCommand&>(std::as_const(*this).stepAt(index));
}

bool PaneHistory::canUndo() const {
    return !isOpen() && m_steps.canUndo() && !stepAt(m_steps.index() - 1).dropped();
}

bool PaneHistory::canRedo() const {
    return !isOpen() && m_steps.canRedo();
}

void PaneHistory::undo() {
    if (!canUndo()) return;
    const StepCommand& step = stepAt(m_steps.index() - 1);
    m_steps.undo();
    ++m_changes;
    m_unsaved.takenBack(step.number(), step.work());
    dropOldestBeyondBound();
}

void PaneHistory::redo() {
    if (!canRedo()) return;
    const StepCommand& step = stepAt(m_steps.index());
    m_steps.redo();
    ++m_changes;
    m_unsaved.taken(step.number(), step.work());
    dropOldestBeyondBound();
}

void PaneHistory::markSaved(quint64 mark) {
    // Items changed since the mark are not the ones in the file.
    if (mark == m_changes) m_unsaved.saved();
}

const PaneHistory::Step* PaneHistory::lastStep() const {
    const int last = m_steps.index() - 1;
    if (last < 0 || stepAt(last).dropped()) return nullptr;
    return &stepAt(last).step();
}

std::vector<qsizetype> PaneHistory::heldFrom() const {
    // Each block counts once, and not at all where the pane holds it too.
    std::unordered_set<const ItemBlock*> counted;
    for (qsizetype b = 0; b < m_store.blockCount(); ++b) counted.insert(&m_store.block(b));
    std::vector<qsizetype> held(size_t(m_steps.count()) + 1, 0);
    for (int i = m_steps.count() - 1; i >= 0; --i) {
        const Step& step = stepAt(i).step();
        held[size_t(i)] = held[size_t(i) + 1] + step.before.memoryBytesBeyond(counted) +
                          step.after.memoryBytesBeyond(counted) +
                          step.removedPositions.size() * qsizetype(sizeof(int));
    }
    return held;
}

qsizetype PaneHistory::heldBytes() const {
    return heldFrom().front();
}

void PaneHistory::dropOldestBeyondBound() {
    const std::vector<qsizetype> held = heldFrom();
    const qsizetype bound = boundBytes();
    // Only steps in effect can go: redo passes through each undone one to reach those above it.
    const int droppable = std::min(m_steps.index(), m_steps.count() - 1);
    for (int i = 0; i < droppable && held[size_t(i)] > bound; ++i) stepAt(i).drop();
}
