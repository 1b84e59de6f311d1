#pragma once

#include "core/ErrorReport.h"
#include "listops/List.h"
#include "panes/ListPane.h"

#include <QByteArrayView>
#include <QList>

namespace List {

// The statement numbers of one routine, as its error report shows them. 0: the routine has no such
// statement.
struct RoutineLines {
    int header;    // the collecting pass's loop header (reads the item count)
    int progress;  // sets the progress display for a scanned item
    int setup;     // the inner pass's header (prepares what the compare looks up)
    int compare;   // reads and compares texts
    int collect;   // stores a selected position in the index list
    int removal;   // removes the collected items
    int reset;     // sets the progress display to 0
};

// How the collecting pass walks the target and what the progress display shows at scan step s.
enum class Scan {
    Ascending,                 // positions 1..n, s / c * 100
    Descending,                // positions n..1, 100 - i / c * 100 with i = n - s + 1
    AscendingShownDescending,  // positions 1..n, shown as Descending would show them
};

// One run of a routine: its error report, the count and edit stamps read at its start, the index
// list, the progress display, the yields, and the one bulk removal at the end.
class RoutineRun {
public:
    RoutineRun(const char* routine, const RoutineLines& lines, Scan scan, ListPane& target,
               const ListPane* reference, const RoutineServices& services);

    Procedure& procedure() { return m_proc; }
    const RoutineLines& lines() const { return m_lines; }
    // The target's item count when the run started: the pass never looks beyond it.
    int count() const { return m_n; }
    // Whether the collecting pass walks from the last position to the first.
    bool descending() const { return m_scan == Scan::Descending; }
    QList<int>& positions() { return m_positions; }

    // The run will remove nothing: what it compares can no longer be trusted.
    void abandon() { m_abandoned = true; }
    bool abandoned() const { return m_abandoned; }

    // For passes outside the collecting pass: lets the event loop run once the time budget is used
    // up. False once the run is abandoned.
    bool pause();

    // The collecting pass: select(text, position) decides per item; a failing read or compare counts
    // as selected. Appends selected positions in scan order.
    template <class Select>
    void collect(Select&& select) {
        for (int s = 1; s <= m_n && !m_abandoned; ++s) {
            const int i = m_scan == Scan::Descending ? m_n - s + 1 : s;
            step(s);
            if (m_abandoned) break;
            if (m_proc.test(m_lines.compare, [&] { return select(m_target.text(i), i); }))
                m_proc.run(m_lines.collect, [&] { m_positions.append(i); });
        }
    }

    // Removes the collected positions in one pass (none when the run was abandoned).
    void removeCollected();
    void resetProgress();

private:
    void step(int s);
    double percent(int s) const;
    void yieldNow();

    Procedure m_proc;
    RoutineLines m_lines;
    Scan m_scan;
    ListPane& m_target;
    const ListPane* m_reference;
    RoutineServices m_services;
    QList<int> m_positions;
    int m_n = 0;
    quint64 m_targetStamp = 0;
    quint64 m_referenceStamp = 0;
    bool m_abandoned = false;
};

}  // namespace List
