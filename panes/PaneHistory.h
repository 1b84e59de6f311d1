#pragma once

#include "panes/ItemStore.h"
#include "panes/ListPane.h"
#include "panes/UnsavedWork.h"

#include <QList>
#include <QUndoStack>

#include <optional>
#include <vector>

// The undo history of one pane's items: a QUndoStack whose steps each hold the pane's store as it
// was before the step and as it is after. Stores share their blocks, so a step costs the blocks it
// changed, and undo and redo put one snapshot back in place of the other, whatever the list's size.
// Qt keeps QUndoStack in its GUI module, but it needs no window, so the history stays beside the
// model, below the widgets.
//
// A step spans from the moment a command opens it until every step opened on the pane meanwhile is
// closed again: whatever happens to the items in that time, also through other commands that run
// during the command's yields, is that one step (the window's in-use holds keep other commands off a
// pane that a command is changing, so this is the rule for whatever still gets through). A change
// made while no step is open is a step of its own. A step that changed nothing is not kept; a new
// step drops the undone ones.
//
// The history keeps up to kStepLimit steps and holds at most twice the pane's own memory plus the
// spare (blocks the pane shares cost nothing): beyond that it lets go of the oldest steps in effect,
// but never of the newest step.
//
// It also knows whether the items hold work that was never saved (see UnsavedWork): each step is Work
// or Restorable, as the openings that made it up say.
class PaneHistory {
public:
    static constexpr int kStepLimit = 100;
    static constexpr qsizetype kSpareBytes = qsizetype(64) << 20;

    struct Step {
        ItemStore before;
        ItemStore after;
        // Where the step's first change removed positions (a list command's removal): those positions
        // of `before`, 1-based and ascending; empty otherwise, or once anything else changed the
        // items in the same step. Which copies of a repeated text went is known only from them.
        QList<int> removedPositions;
    };

    explicit PaneHistory(ItemStore& store, qsizetype spareBytes = kSpareBytes);
    PaneHistory(const PaneHistory&) = delete;
    PaneHistory& operator=(const PaneHistory&) = delete;

    // Its signals tell when there comes to be something, or nothing, to undo or redo.
    const QUndoStack& steps() const { return m_steps; }

    void open(StepKind kind = StepKind::Work) {
        ++m_depth;
        m_openWork = m_openWork || kind == StepKind::Work;
    }
    void close();
    bool isOpen() const { return m_depth > 0; }

    // The pane tells of each change just before it makes it; of a removal of positions (1-based,
    // ascending) with removing() instead.
    void changing();
    void removing(const QList<int>& ascending);

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
    bool hasUnsavedWork() const { return m_unsaved.any() || (m_openWork && m_before); }

    // What the pane puts around each change, so that a change outside any step is a step of its own.
    class Change {
    public:
        // Inside an open step the change is of that step's kind.
        explicit Change(PaneHistory& history, StepKind kind = StepKind::Work) : m_history(history) {
            history.open(history.isOpen() ? StepKind::Restorable : kind);
        }
        ~Change() { m_history.close(); }
        Change(const Change&) = delete;
        Change& operator=(const Change&) = delete;

    private:
        PaneHistory& m_history;
    };

private:
    class StepCommand;

    const StepCommand& stepAt(int index) const;
    StepCommand& stepAt(int index);
    // The memory held by steps [from, count()) beyond the pane, for each `from`, oldest first.
    std::vector<qsizetype> heldFrom() const;
    void dropOldestBeyondBound();

    ItemStore& m_store;
    const qsizetype m_spareBytes;
    QUndoStack m_steps;
    // The open step's store as it was before its first change, and the positions that change removed.
    std::optional<ItemStore> m_before;
    QList<int> m_removed;
    int m_depth = 0;
    bool m_openWork = false;
    // Counts the changes, undos and redos, for the save mark; numbers the steps.
    quint64 m_changes = 0;
    quint64 m_stepsMade = 0;
    UnsavedWork m_unsaved{kStepLimit};
};
