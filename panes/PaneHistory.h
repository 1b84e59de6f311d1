#pragma once

#include "panes/ItemStore.h"
#include "panes/StepRecord.h"

#include <QUndoStack>

#include <optional>

// The undo history of one pane's items: a QUndoStack whose steps are StepRecords, acting on the
// pane's store directly. Qt keeps QUndoStack in its GUI module, but it needs no window, so the
// history stays beside the model, below the widgets.
//
// A step spans from the moment a command opens it until every step opened on the pane meanwhile is
// closed again: whatever happens to the items in that time, also through other commands that run
// during the command's yields, is that one step (the window's in-use holds keep other commands off a
// pane that a command is changing, so this is the rule for whatever still gets through). A change
// made while no step is open is a step of its own. A step that changed nothing is not kept; a new
// step drops the undone ones.
//
// The history keeps up to kStepLimit steps and holds at most twice the pane's own memory plus
// kSpareBytes: beyond that it drops the oldest steps that are in effect, but never the newest step.
class PaneHistory {
public:
    static constexpr int kStepLimit = 100;
    static constexpr qsizetype kSpareBytes = qsizetype(64) << 20;

    explicit PaneHistory(ItemStore& store);
    ~PaneHistory();
    PaneHistory(const PaneHistory&) = delete;
    PaneHistory& operator=(const PaneHistory&) = delete;

    // Its signals tell when there comes to be something, or nothing, to undo or redo.
    const QUndoStack& steps() const { return m_steps; }

    void open() { open(false); }
    void close();
    bool isOpen() const { return m_depth > 0; }

    // The pane tells of each change just before it makes it.
    void appending();
    void removing(qsizetype index);
    // Moves the store's items into the step; the store is empty afterwards.
    void replacing();

    // Never while a step is open.
    bool canUndo() const { return !isOpen() && m_steps.canUndo(); }
    bool canRedo() const { return !isOpen() && m_steps.canRedo(); }
    void undo();
    void redo();

    // The memory that the steps hold.
    qsizetype heldBytes() const;

    // What the pane puts around each change, so that a change outside any step is a step of its own.
    class Change {
    public:
        explicit Change(PaneHistory& history) : m_history(history) { history.open(true); }
        ~Change() { m_history.close(); }
        Change(const Change&) = delete;
        Change& operator=(const Change&) = delete;

    private:
        PaneHistory& m_history;
    };

private:
    class StepCommand;

    void open(bool byChange);
    void push(StepRecord&& record, bool loneAppends);
    bool topTakesTheseAppendsBack() const;
    const StepCommand& stepAt(int index) const;
    void keepWithinBound();
    void dropOldest(int count);
    template <class Act>
    void move(Act&& act);

    ItemStore& m_store;
    QUndoStack m_steps;
    std::optional<StepRecord> m_open;
    int m_depth = 0;
    // The open step was opened by a change of the pane, not by a command.
    bool m_openedByChange = false;
    // Set while the stack is rebuilt: its calls to undo and redo must leave the items alone.
    bool m_rebuilding = false;
};
