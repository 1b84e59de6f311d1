#pragma once

#include "store/ItemStore.h"
#include "store/ListPane.h"

#include <QUndoStack>

#include <vector>

// The undo history of one pane's items: a QUndoStack whose steps each hold the pane's store as it
// was before the step and as it is after. Stores share their blocks, so a step costs the blocks it
// changed, and undo and redo put one snapshot back in place of the other, whatever the list's size.
// Qt keeps QUndoStack in its GUI module, but it needs no window, so the history stays beside the
// model, below the widgets.
//
// A step is one command per step, as Qt intends: it opens with a snapshot of the items (a pointer
// per block) and, once every step opened on the pane meanwhile is closed again, goes on the stack if
// the items changed. Whatever happens to the items in that time, also through other commands that
// run during the command's yields, is that one step (the window's in-use holds keep other commands
// off a pane that a command is changing, so this is the rule for whatever still gets through). A
// change made while no step is open is a step of its own; a new step drops the undone ones.
//
// The history keeps up to kStepLimit steps (the stack's undo limit) and holds at most twice the
// pane's own memory plus the spare (blocks the pane shares cost nothing): beyond that it lets go of
// the oldest steps in effect, but never of the newest step.
//
// The saved items are the stack's clean index. The items hold unsaved work when a Work step lies on
// the way from the saved items to these (see StepKind).
class PaneHistory {
public:
    static constexpr int kStepLimit = 100;
    static constexpr qsizetype kSpareBytes = qsizetype(64) << 20;

    using Step = ListPane::Change;

    explicit PaneHistory(ItemStore& store, qsizetype spareBytes = kSpareBytes);
    PaneHistory(const PaneHistory&) = delete;
    PaneHistory& operator=(const PaneHistory&) = delete;

    // Its signals tell when there comes to be something, or nothing, to undo or redo.
    const QUndoStack& steps() const { return m_steps; }

    void open(StepKind kind = StepKind::Work);
    void close();
    // The pane tells of a removal of positions (1-based, ascending) just before it puts `kept` in
    // place: a step that is that removal alone keeps them.
    void removing(const QList<int>& ascending, const ItemStore& kept);
    bool isOpen() const { return m_depth > 0; }

    // Never while a step is open.
    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();

    // The step that undo would take back, its snapshots as they are kept; null when there is none.
    const Step* lastStep() const;
    // The memory that the steps hold beyond what the pane shares with them.
    qsizetype heldBytes() const;
    qsizetype boundBytes() const { return 2 * m_store.memoryBytes() + m_spareBytes; }

    // See ListPane. An open Work step that has changed the items counts too.
    quint64 saveMark() const { return m_changes; }
    void markSaved(quint64 mark);
    bool hasUnsavedWork() const;

private:
    class StepCommand;

    const StepCommand& stepAt(int index) const;
    StepCommand& stepAt(int index);
    bool anyWorkBetween(int from, int to) const;
    // Where the saved items stand on the stack: its clean index, or where the way from them rejoined
    // the stack once the stack let go of that index.
    int savedAt() const { return m_steps.cleanIndex() >= 0 ? m_steps.cleanIndex() : m_rejoinedAt; }
    void push(ItemStore&& before, QList<int>&& removed, bool work);
    // The memory held by steps [from, count()) beyond the pane, for each `from`, oldest first.
    std::vector<qsizetype> heldFrom() const;
    void dropOldestBeyondBound();

    ItemStore& m_store;
    const qsizetype m_spareBytes;
    QUndoStack m_steps;
    // The open step's store as it was when the step opened; its removal, if its first change was one.
    ItemStore m_before;
    QList<int> m_removed;
    ItemStore m_afterRemoval;
    int m_depth = 0;
    bool m_openWork = false;
    // Counts the steps taken, undone and redone, for the save mark.
    quint64 m_changes = 0;
    int m_rejoinedAt = 0;
    // Whether the part of the way from the saved items that the stack no longer holds had work.
    bool m_workOffStack = false;
};
