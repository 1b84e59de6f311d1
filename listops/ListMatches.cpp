// SubtractSecondListFromFirstList, KeepOnlyMatchesInList and RemoveArrayDupes: the two routines
// that compare the target with the reference pane.
#include "core/Progress.h"
#include "core/Yielder.h"
#include "listops/BatchLookup.h"
#include "listops/List.h"
#include "listops/RoutineRun.h"
#include "listops/TextSet.h"

#include <QHash>

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>

namespace List {

namespace {

constexpr RoutineLines kSubtractLines{102, 104, 106, 110, 112, 124, 128};
constexpr int kSubtractDedupeLine = 120;
constexpr RoutineLines kKeepLines{102, 106, 108, 112, 114, 140, 144};
constexpr int kKeepRemovalHeaderLine = 122;

// The reference's distinct keys, by position, read from `items`, the run's reference reader as it is
// now. A reference item that cannot be read is reported once, matches nothing and clears `complete`:
// counting it as a match for every target item would remove them all. Answers nothing when the
// table cannot be built or the run was abandoned meanwhile.
std::optional<TextSet> buildTable(RoutineRun& run, ItemStore& items, bool& complete) {
    const ListReader& reference = run.referenceReader();
    std::optional<TextSet> table;
    Procedure& p = run.procedure();
    int m = 0;
    if (!p.run(run.lines().setup,
               [&] {
                   items = reference.snapshot();
                   table.emplace(items, m = reference.count(), 32, TextSet::Spread::ByHash, run.options());
               }) ||
        !run.touch(*table))
        return {};
    BatchLookup lookup(*table, BatchLookup::Mode::FindOrAdd, run.helperThread(m), [&] { run.pauseNow(); });
    for (int j = 1; j <= m;) {
        const std::optional<ItemSpan> span = RoutineRun::spanAt(reference, j);
        if (!span) {
            if (!run.pause()) return {};
            complete &= p.run(run.lines().compare, [&] { lookup.containsAlone(reference.text(j), j); });
            ++j;
            continue;
        }
        const int last = std::min({m, span->lastPosition(), j + (RoutineRun::kPrepareItems - 1)});
        try {
            lookup.prepare(*span, j, last);
        } catch (const std::exception&) {
            // Only work ahead: each item is still added on its own.
        }
        for (; j <= last; ++j) {
            if (!run.pause()) return {};
            complete &= p.run(run.lines().compare, [&] { lookup.contains(*span, span->indexOf(j), j); });
        }
    }
    return table;
}

// The reference's table: the one an earlier run kept, or one built now, into what keeps it where
// asked (the table reads its items where they lie). Null when it cannot be had.
TextSet* referenceTable(RoutineRun& run, std::optional<TextSet>& own, ItemStore& items, bool& complete) {
    KeptReference::Made* kept = run.kept();
    if (!kept) {
        own = buildTable(run, items, complete);
        return own ? &*own : nullptr;
    }
    if (!kept->table) kept->table = buildTable(run, kept->items, kept->complete);
    complete = kept->complete;
    return kept->table ? &*kept->table : nullptr;
}

// Selects the target items that have a match in `table`.
void collectMatches(RoutineRun& run, TextSet& table) {
    BatchLookup lookup(table, BatchLookup::Mode::Find, run.helperThread(run.count()),
                       [&] { run.pauseNow(); });
    run.collect([&](const ItemSpan& span, int first, int last) { lookup.prepare(span, first, last); },
                [&](const ItemSpan& span, qsizetype k, int i) { return lookup.contains(span, k, i); },
                [&](QByteArrayView text, int i) { return lookup.containsAlone(text, i); });
}

// The positions 1..n that are not in `ascending`; empty when the run was abandoned meanwhile.
QList<int> positionsNotIn(const QList<int>& ascending, int n, RoutineRun& run) {
    QList<int> result;
    result.reserve(std::max<qsizetype>(0, n - ascending.size()));
    qsizetype k = 0;
    // The gaps between the kept positions, a stretch at a time: a long list takes a while here too,
    // and the event loop gets its turns between stretches.
    constexpr int kStretch = 4096;
    for (qint64 from = 1; from <= n; from += kStretch) {
        if (!run.pauseNow()) return {};
        const int to = int(std::min<qint64>(n, from + (kStretch - 1)));
        for (int i = int(from); i <= to; ++i) {
            while (k < ascending.size() && ascending[k] < i) ++k;
            if (k == ascending.size() || ascending[k] != i) result.append(i);
        }
    }
    return result;
}

// In an ascending list a value's last occurrence is the end of its run; otherwise look it up.
QHash<int, qsizetype> lastOccurrences(const QList<int>& values, bool ascending, Yielder& yielder) {
    QHash<int, qsizetype> last;
    if (ascending) return last;
    last.reserve(values.size());
    for (qsizetype k = 0; k < values.size(); ++k) {
        yielder.maybeYield();
        last.insert(values[k], k);
    }
    return last;
}

}  // namespace

void SubtractSecondListFromFirstList(ListPane& target, const ListReader& reference,
                                     const RoutineServices& s) {
    RoutineRun run("SubtractSecondListFromFirstList", kSubtractLines, Scan::Ascending, target, &reference, s);
    {
        ItemStore referenceItems;
        std::optional<TextSet> own;
        bool complete = true;
        if (TextSet* table = referenceTable(run, own, referenceItems, complete)) collectMatches(run, *table);
    }
    run.procedure().run(kSubtractDedupeLine, [&] {
        if (run.abandoned()) return;
        run.positions() = RemoveArrayDupes(run.positions(), s.yielder, s.progress);
    });
    run.removeCollected();
    run.resetProgress();
}

void KeepOnlyMatchesInList(ListPane& target, const ListReader& reference, const RoutineServices& s) {
    RoutineRun run("KeepOnlyMatchesInList", kKeepLines, Scan::Ascending, target, &reference, s,
                   RoutineRun::Picks::Kept);
    // The pass collects the items that stay; the rest go. Where a reference item could not be read,
    // any target item might match it: none goes.
    {
        ItemStore referenceItems;
        std::optional<TextSet> own;
        bool complete = true;
        TextSet* table = referenceTable(run, own, referenceItems, complete);
        if (table && complete)
            collectMatches(run, *table);
        else
            run.abandon();
    }
    run.procedure().run(kKeepRemovalHeaderLine, [&] {
        if (run.abandoned()) return;
        run.positions() = positionsNotIn(run.positions(), run.count(), run);
    });
    run.removeCollected();
    run.resetProgress();
}

QList<int> RemoveArrayDupes(const QList<int>& values, Yielder& yielder, ProgressSink& progress) {
    const qsizetype count = values.size();
    // A pass's own index list rises strictly: it has no repeats, and is its own answer.
    if (std::adjacent_find(values.cbegin(), values.cend(), std::greater_equal<int>()) == values.cend()) {
        if (count > 0) progress.setPercent(100);
        return values;
    }
    const bool ascending = std::is_sorted(values.cbegin(), values.cend());
    const QHash<int, qsizetype> last = lastOccurrences(values, ascending, yielder);
    QList<int> result;
    // As the routine's own index list: room up front, so a long one is never copied to grow.
    result.reserve(count);
    for (qsizetype k = 0; k < count; ++k) {
        const bool due = yielder.due();
        if (due || k + 1 == count) progress.setPercent(double(k + 1) / double(count) * 100);
        if (due) yielder.yieldNow();
        const bool isLast =
            ascending ? (k + 1 == count || values[k + 1] != values[k]) : last.value(values[k]) == k;
        if (isLast) result.append(values[k]);
    }
    return result;
}

}  // namespace List
