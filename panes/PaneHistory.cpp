#include "panes/PaneHistory.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

// One step on the stack: the pane's store before and after it. Undo and redo copy one of them into
// the pane, which costs a pointer per block.
class PaneHistory::StepCommand : public QUndoCommand {
public:
    StepCommand(ItemStore& pane, ItemStore&& before, QList<int>&& removed, bool work)
        : m_pane(pane), m_step{std::move(before), pane, std::move(removed)}, m_work(work) {}

    // push() runs this on the step just made, as Qt intends: the pane takes the snapshot it shows.
    void redo() override { m_pane = m_step.after; }
    void undo() override { m_pane = m_step.before; }

    const Step& step() const { return m_step; }
    bool work() const { return m_work; }
    bool dropped() const { return m_dropped; }
    // Lets go of the snapshots. QUndoStack removes commands only through its undo limit, so the step
    // stays as a place that undo does not pass.
    void drop() {
        m_step = Step();
        m_dropped = true;
    }

private:
    ItemStore& m_pane;
    Step m_step;
    bool m_work;
    bool m_dropped = false;
};

PaneHistory::PaneHistory(ItemStore& store, qsizetype spareBytes) : m_store(store), m_spareBytes(spareBytes) {
    m_steps.setUndoLimit(kStepLimit);
}

void PaneHistory::open(StepKind kind) {
    if (m_depth++ == 0) {
        m_before = m_store;
        m_openWork = false;
    }
    m_openWork = m_openWork || kind == StepKind::Work;
}

void PaneHistory::removing(const QList<int>& ascending, const ItemStore& kept) {
    if (!isOpen() || !m_before.sharesAllBlocksWith(m_store)) return;
    m_removed = ascending;
    m_afterRemoval = kept;
}

void PaneHistory::close() {
    if (m_depth == 0 || --m_depth > 0) return;
    ItemStore before = std::exchange(m_before, ItemStore());
    QList<int> removed = std::exchange(m_removed, {});
    // Anything else that changed the items in the step leaves its removal unknown.
    if (!std::exchange(m_afterRemoval, ItemStore()).sharesAllBlocksWith(m_store)) removed.clear();
    if (before.sharesAllBlocksWith(m_store)) return;
    try {
        push(std::move(before), std::move(removed), m_openWork);
        dropOldestBeyondBound();
    } catch (...) {
        // Out of memory: the change stays without a step of its own, and undoing the step before
        // takes it back too. This runs where commands end, so it must not throw.
        ++m_changes;
        m_workOffStack = m_workOffStack || m_openWork;
    }
}

void PaneHistory::push(ItemStore&& before, QList<int>&& removed, bool work) {
    const int index = m_steps.index();
    int saved = savedAt();
    // The undone steps between here and the saved items go, and with them the stack's clean index.
    if (saved > index) {
        m_workOffStack = m_workOffStack || anyWorkBetween(index, saved);
        m_rejoinedAt = saved = index;
    }
    // So do the oldest steps beyond the stack's limit.
    const int beyondLimit = std::max(0, index + 1 - kStepLimit);
    if (saved < beyondLimit) {
        m_workOffStack = m_workOffStack || anyWorkBetween(saved, beyondLimit);
        saved = beyondLimit;
    }
    m_rejoinedAt = saved - beyondLimit;
    m_steps.push(new StepCommand(m_store, std::move(before), std::move(removed), work));
    ++m_changes;
}

const PaneHistory::StepCommand& PaneHistory::stepAt(int index) const {
    return *static_cast<const StepCommand*>(m_steps.command(index));
}

PaneHistory::StepCommand& PaneHistory::stepAt(int index) {
    // The stack hands its commands out as const; they are this history's own.
    return const_cast<StepCommand&>(std::as_const(*this).stepAt(index));
}

bool PaneHistory::anyWorkBetween(int from, int to) const {
    for (int i = std::min(from, to); i < std::max(from, to); ++i)
        if (stepAt(i).work()) return true;
    return false;
}

bool PaneHistory::canUndo() const {
    return !isOpen() && m_steps.canUndo() && !stepAt(m_steps.index() - 1).dropped();
}

bool PaneHistory::canRedo() const {
    return !isOpen() && m_steps.canRedo();
}

void PaneHistory::undo() {
    if (!canUndo()) return;
    m_steps.undo();
    ++m_changes;
    dropOldestBeyondBound();
}

void PaneHistory::redo() {
    if (!canRedo()) return;
    m_steps.redo();
    ++m_changes;
    dropOldestBeyondBound();
}

void PaneHistory::markSaved(quint64 mark) {
    // Items changed since the mark are not the ones in the file.
    if (mark != m_changes) return;
    m_steps.setClean();
    m_workOffStack = false;
}

bool PaneHistory::hasUnsavedWork() const {
    const bool openWorkChanged = isOpen() && m_openWork && !m_before.sharesAllBlocksWith(m_store);
    return openWorkChanged || m_workOffStack || anyWorkBetween(savedAt(), m_steps.index());
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
