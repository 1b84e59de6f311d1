#pragma once

#include "core/ErrorReport.h"
#include "core/Yielder.h"
#include "listops/HelperThread.h"
#include "listops/List.h"
#include "listops/TextSet.h"
#include "store/ItemStore.h"
#include "store/ListPane.h"
#include "store/StorePane.h"

#include <QByteArrayView>
#include <QList>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

namespace List {

// What KeptReference holds: the reference's reader (its keys, or the reference itself) and its table.
struct KeptReference::Made {
    std::optional<StorePane> keys;
    const ListReader* read = nullptr;
    ItemStore items;
    std::optional<TextSet> table;
    bool complete = true;
};

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
    // The most items a pass prepares at once: their work ahead stays short enough for the event
    // loop's turns.
    static constexpr int kPrepareItems = 16384;

    // What the collecting pass picks: the items to remove, or (Keep Only Matches) the items that stay.
    enum class Picks { Removed, Kept };

    RoutineRun(const char* routine, const RoutineLines& lines, Scan scan, ListPane& target,
               const ListReader* reference, const RoutineServices& services, Picks picks = Picks::Removed);

    Procedure& procedure() { return m_proc; }
    const RoutineLines& lines() const { return m_lines; }
    // The number of target items the pass compares (all when the run started, but a header): it never
    // looks beyond them.
    int count() const { return m_n; }
    // What the passes read and compare: the target itself, or, where its items are matched on a
    // column or it has a header, the keys of its items as they were when the run started (position p
    // is the key of the target's item p + offset). Positions the pass collects are the reader's.
    const ListReader& reader() const { return *m_read; }
    // The same for the reference.
    const ListReader& referenceReader() const { return *m_referenceRead; }
    // Whether the collecting pass walks from the last position to the first.
    bool descending() const { return m_scan == Scan::Descending; }
    QList<int>& positions() { return m_positions; }
    // How items are compared, as the command started.
    const CompareOptions& options() const { return m_services.options; }
    // Where the reference's table is kept for the next run; null: it is made for this run only.
    KeptReference::Made* kept() const { return m_services.kept ? m_services.kept->made.get() : nullptr; }

    // The run will remove nothing: what it compares can no longer be trusted.
    void abandon() { m_abandoned = true; }
    bool abandoned() const { return m_abandoned; }

    // For passes outside the collecting pass: lets the event loop run once the time budget is used
    // up. False once the run is abandoned.
    bool pause() {
        if (!m_abandoned && m_services.yielder.due()) yieldNow();
        return !m_abandoned;
    }
    // The same for steps that each take long: looks at the clock every time.
    bool pauseNow() {
        if (!m_abandoned && m_services.yielder.dueNow()) yieldNow();
        return !m_abandoned;
    }
    // Touches a new set's memory a piece at a time between yields; false when the run was
    // abandoned meanwhile.
    bool touch(TextSet& set) {
        while (!set.touchSome())
            if (!pauseNow()) return false;
        return true;
    }
    // The helper thread for lookups in a set of that many items; none for a short list, nor where
    // the process may use a single processor.
    HelperThread* helperThread(qsizetype items) {
        if (items < TextSet::kPartsFrom) return nullptr;
        if (!m_helperThread) m_helperThread = HelperThread::ifUseful();
        return m_helperThread.get();
    }

    // The collecting pass, a span of stored items at a time. For each span, prepare(span, first,
    // last) sees the positions the pass is about to visit in it (first, then towards last); then
    // select(span, k, position) decides per item, k being its index in the span's block. An item
    // whose span cannot be read is read on its own and decided by selectAlone(text, position). A
    // failing read or decision is reported and keeps its item. Appends selected positions in scan
    // order.
    template <class Prepare, class Select, class SelectAlone>
    void collect(Prepare&& prepare, Select&& select, SelectAlone&& selectAlone) {
        int s = 1;
        while (s <= m_n && !m_abandoned) {
            const int first = positionAt(s);
            const std::optional<ItemSpan> span = spanAt(*m_read, first);
            if (!span) {
                collectAlone(s++, selectAlone);
                continue;
            }
            const int last = descending()
                                 ? std::max(span->firstPosition, first - (kPrepareItems - 1))
                                 : std::min({m_n, span->lastPosition(), first + (kPrepareItems - 1)});
            // Only work ahead: when it fails, each item is still decided on its own.
            try {
                prepare(*span, first, last);
            } catch (const std::exception&) {
            }
            // A span's picks are gathered without a branch on each decision (which the lists' order
            // makes unforeseeable) and kept together at the span's end.
            int* picks = m_picks.data();
            int picked = 0;
            for (const int end = s + std::abs(last - first); s <= end; ++s) {
                const int i = positionAt(s);
                step(s);
                if (m_abandoned) return;
                picks[picked] = i;
                picked += decide([&] { return select(*span, span->indexOf(i), i); });
            }
            keep(picks, picked);
        }
    }

    // For passes that walk the items themselves: the position at scan step s, the progress display and
    // the yield before the item of step s (check abandoned() afterwards), and keeping a position.
    int positionAt(int s) const { return m_scan == Scan::Descending ? m_n - s + 1 : s; }
    void step(int s) {
        const bool due = m_services.yielder.due();
        if (due || s == m_n) showStep(s, due);
    }
    void selected(int position) {
        m_proc.run(m_lines.collect, [&] { m_positions.append(position); });
    }
    // Keeps `count` positions, as many calls of selected() would.
    void keep(const int* positions, int count);
    // Scan step s for an item read on its own, the way every item was read once.
    template <class SelectAlone>
    void collectAlone(int s, SelectAlone&& selectAlone) {
        const int i = positionAt(s);
        step(s);
        if (m_abandoned) return;
        if (decide([&] { return selectAlone(m_read->text(i), i); })) selected(i);
    }
    // A decision at the compare statement. One that fails keeps its item: a failure never removes
    // an item, whatever the pass picks.
    template <class Decision>
    bool decide(Decision&& decision) {
        bool picked = m_picksKept;
        m_proc.run(m_lines.compare, [&] { picked = decision(); });
        return picked;
    }
    // The span of `pane` that holds `position`, or nothing when the pane cannot read it: the pass then
    // reads that item on its own, so a failure is reported against its own item.
    static std::optional<ItemSpan> spanAt(const ListReader& pane, int position);
    // For passes that read long stretches of bytes and look at the clock themselves.
    Yielder& yielder() { return m_services.yielder; }
    // Lets the event loop run now, showing scan step s (inside a long item).
    void yieldAt(int s);

    // Removes the collected positions in one pass (none when the run was abandoned).
    void removeCollected();
    void resetProgress();

private:
    void showStep(int s, bool due);
    double percent(int s) const;
    void yieldNow();
    // Reader of `pane`'s keys for `on`: the pane itself on the plain path, else a store of its keys
    // in `keys`. Nothing when the run was abandoned while making them.
    const ListReader* keysOf(const ListReader& pane, const MatchOn& on, std::optional<StorePane>& keys);
    // The reference's reader: kept from an earlier run, or made now (and kept where asked).
    const ListReader* referenceKeys(const ListReader& reference);

    Procedure m_proc;
    RoutineLines m_lines;
    Scan m_scan;
    ListPane& m_target;
    const ListReader* m_reference;
    RoutineServices m_services;
    QList<int> m_positions;
    // Room for one span's picks.
    std::vector<int> m_picks;
    int m_n = 0;
    quint64 m_targetStamp = 0;
    quint64 m_referenceStamp = 0;
    bool m_abandoned = false;
    bool m_picksKept = false;
    std::unique_ptr<HelperThread> m_helperThread;
    std::optional<StorePane> m_targetKeys;
    std::optional<StorePane> m_referenceKeys;
    const ListReader* m_read = nullptr;
    const ListReader* m_referenceRead = nullptr;
    // 1 where the target's first item is a header that the reader leaves out.
    int m_offset = 0;
};

}  // namespace List
