#pragma once

#include "store/ListReader.h"

#include <QByteArrayView>
#include <QList>

#include <optional>

class Yielder;

// What an undo step did to a pane's items, for the question on closing. Restorable: a load, the sample
// data or Clear alone, which lose nothing that is not still in a file or one undo away. Work:
// everything else (a list command, a paste, a dropped text, a single removal).
enum class StepKind { Work, Restorable };

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
    // A step is Work when any of the openings that make it up is Work.
    virtual void openStep(StepKind kind) = 0;
    virtual void closeStep() = 0;
    // Takes the last step back, or makes the last step taken back again: the items exactly as they
    // were. Does nothing while a step is open or when there is no such step.
    virtual bool canUndo() const = 0;
    // The items before and after the step that undo would take back; nothing when there is none.
    struct Change {
        ItemStore before;
        ItemStore after;
        // Where the step was one removal of positions (a list command's): those positions of `before`,
        // 1-based and ascending; empty otherwise. Which copies of a repeated text went is known only
        // from them.
        QList<int> removedPositions;
    };
    virtual std::optional<Change> lastChange() const = 0;
    virtual bool canRedo() const = 0;
    virtual void undo() = 0;
    virtual void redo() = 0;

    // Saving: the mark of the items as they are now, taken with the snapshot that a save writes, and
    // markSaved(mark) once the file holds it. It counts only while the items are still at that mark.
    virtual quint64 saveMark() const = 0;
    virtual void markSaved(quint64 mark) = 0;
    // Whether the items hold work since they were last saved (or since the start) that only this pane
    // holds: a Work step taken, or taken back, on the way from the saved items to these.
    virtual bool hasUnsavedWork() const = 0;
};

// Keeps one undo step open on a pane for the life of a command.
class PaneStep {
public:
    explicit PaneStep(ListPane& pane, StepKind kind = StepKind::Work) : m_pane(pane) { pane.openStep(kind); }
    ~PaneStep() { m_pane.closeStep(); }
    PaneStep(const PaneStep&) = delete;
    PaneStep& operator=(const PaneStep&) = delete;

private:
    ListPane& m_pane;
};
