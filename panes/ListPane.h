#pragma once

#include "panes/ListReader.h"

#include <QByteArrayView>
#include <QList>

class Yielder;

// What commands ask of a list pane: its items to read (ListReader) and the changes. Out-of-range
// access throws RunTimeError("Index out of bounds").
class ListPane : public ListReader {
public:
    virtual void append(QByteArrayView utf8Text) = 0;
    // Appends one item like append(), for a very long text: its memory is made ready a piece at a
    // time with yields between, so that the step which adds the item stays short. The text must not
    // point into the pane.
    virtual void appendLong(QByteArrayView utf8Text, Yielder& yielder) = 0;
    // Appends every item of the batch, announced to views as one insertion.
    virtual void appendBatch(const ItemStore& batch) = 0;
    virtual void removeAt(int position) = 0;
    virtual void clear() = 0;

    // Removes the given positions (strictly ascending) in one pass, yielding between chunks. Throws
    // RunTimeError, removing nothing, when the pane's editStamp() is no longer `stamp` or a position
    // is out of range. Items appended meanwhile stay, behind the kept ones.
    virtual void removePositions(const QList<int>& ascending, quint64 stamp, Yielder& yielder) = 0;

    // Undo steps. A command keeps a step open on each pane it changes for as long as it runs (see
    // PaneChange); whatever happens to the pane while any step is open on it, also through commands
    // started during a yield, belongs to that one step. A change made while none is open is a step of
    // its own; a step that changed nothing is not kept.
    virtual void openStep() = 0;
    virtual void closeStep() = 0;
    // Takes the last step back, or makes the last step taken back again: the items exactly as they
    // were. Does nothing while a step is open or when there is no such step.
    virtual bool canUndo() const = 0;
    virtual bool canRedo() const = 0;
    virtual void undo() = 0;
    virtual void redo() = 0;
};

// Keeps one undo step open on a pane for the life of a command.
class PaneStep {
public:
    explicit PaneStep(ListPane& pane) : m_pane(pane) { pane.openStep(); }
    ~PaneStep() { m_pane.closeStep(); }
    PaneStep(const PaneStep&) = delete;
    PaneStep& operator=(const PaneStep&) = delete;

private:
    ListPane& m_pane;
};
