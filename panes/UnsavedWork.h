#pragma once

#include <QtGlobal>

#include <vector>

// The way from a pane's items as last saved to its items now, as the undo steps taken forward or back
// on it. A step followed by its own reversal cancels out, so undoing back to the saved items (or
// redoing back to them) leaves the way empty; the items hold unsaved work when any step on the way is
// a Work step. Steps are named by a number that is never reused.
class UnsavedWork {
public:
    // `reach`: how many steps undo and redo can pass at most; moves deeper on the way than that can
    // never cancel out, and are kept as one flag.
    explicit UnsavedWork(int reach) : m_reach(size_t(reach)) {}

    void taken(quint64 step, bool work) { move({step, true, work}); }
    void takenBack(quint64 step, bool work) { move({step, false, work}); }
    // A change that has no step of its own: no undo can take it back to the saved items.
    void changedWithoutStep(bool work) { m_workOutOfReach = m_workOutOfReach || work; }
    void saved();
    bool any() const;

private:
    struct Move {
        quint64 step;
        bool forward;
        bool work;
    };
    void move(const Move& next);

    const size_t m_reach;
    std::vector<Move> m_way;
    bool m_workOutOfReach = false;
};
