#include "listops/ListTools.h"

#include "core/ErrorReport.h"
#include "core/Platform.h"
#include "core/Progress.h"
#include "core/Yielder.h"
#include "listops/FieldKey.h"
#include "listops/HelperThread.h"
#include "listops/List.h"
#include "listops/NaturalOrder.h"
#include "store/ListPane.h"

#include <QList>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

namespace {

// Statement numbers of the pane routines.
namespace SortLine {
enum : int { Snapshot = 100, Order = 102, Collect = 104, Replace = 106, Reset = 108 };
}
namespace OnceLine {
enum : int { Snapshot = 100, Count = 102, Collect = 104, Removal = 106, Reset = 108 };
}

// Equal keys of at most this many items, and little text, are put in order at once.
constexpr qsizetype kShortRun = 256;

void pause(Yielder& yielder) {
    if (yielder.due()) yielder.yieldNow();
}

bool inOrder(const ListSort& sorter, qsizetype n, Yielder& yielder) {
    for (qsizetype k = 0; k < n; ++k) {
        if (sorter.at(k) != std::uint32_t(k)) return false;
        pause(yielder);
    }
    return true;
}

// The pane is held while the routine runs; should anything have changed it all the same, the
// sorted copy is not put in its place.
void checkUnchanged(const ListPane& target, quint64 stamp, qsizetype count) {
    if (target.editStamp() != stamp || target.count() != count)
        throw RunTimeError(QStringLiteral("The list was changed while the command ran; nothing was sorted"));
}

// Lets the event loop run between the blocks of a list's keys; never stops them.
std::function<bool()> pausing(Yielder& yielder) {
    return [&yielder] {
        if (yielder.dueNow()) yielder.yieldNow();
        return true;
    };
}

// Puts a run of items with equal keys (their indexes in `items`, in the items' order) in the order
// of the items themselves, equal items keeping theirs. A long run, or one of much text, is sorted as
// a list of its own, in pieces between pauses.
void orderRun(const ItemStore& items, std::vector<std::uint32_t>& run, ListSort::Direction direction,
              HelperThread* helper, const ListSort::Steps& steps) {
    qsizetype bytes = 0;
    for (const std::uint32_t index : run) bytes += items.text(index).size();
    if (qsizetype(run.size()) <= kShortRun && bytes <= ListSort::kTextBetweenPauses) {
        const int sign = direction == ListSort::Direction::AToZ ? 1 : -1;
        std::stable_sort(run.begin(), run.end(), [&](std::uint32_t a, std::uint32_t b) {
            return sign * NaturalOrder::compare(items.text(a), items.text(b)) < 0;
        });
        return;
    }
    ItemStore texts;
    for (const std::uint32_t index : run) texts.append(items.text(index));
    ListSort sorter(texts, direction);
    sorter.run(helper, steps);
    std::vector<std::uint32_t> ordered(run.size());
    for (size_t j = 0; j < run.size(); ++j) ordered[j] = run[sorter.at(qsizetype(j))];
    run = std::move(ordered);
}

// The text of item `index`, its place in the store's tables fetched ahead by `ahead` items of the
// order and its bytes by half as many: the items lie all over the store.
QByteArrayView textFetchingAhead(const ItemStore& items, const ListSort& sorter, qsizetype k, qsizetype n,
                                 std::uint32_t index) {
    constexpr qsizetype kAhead = 32;
    if (k + kAhead < n) {
        const ItemStore::Place place = items.placeOf(sorter.at(k + kAhead));
        Platform::prefetch(place.block->ends.data() + place.k);
    }
    if (k + kAhead / 2 < n) Platform::prefetch(items.text(sorter.at(k + kAhead / 2)).data());
    return items.text(index);
}

// The items in the order of their keys, which `sorter` sorted (key k belongs to item k). The order
// is total, so equal keys are equal bytes, and the sort kept them in their items' order: each run of
// them then takes the order of its items. *changed: whether that order is not the items' own.
ItemStore inKeyOrder(const ItemStore& items, const ListSort& sorter, ListSort::Direction direction,
                     HelperThread* helper, const ListSort::Steps& steps, Yielder& yielder, bool* changed) {
    const qsizetype n = items.count();
    ItemStore out;
    std::vector<QByteArrayView> texts;
    texts.reserve(size_t(std::min(n, ItemStore::kBlockItems)));
    std::vector<std::uint32_t> run;
    *changed = false;
    for (qsizetype k = 0; k < n;) {
        qsizetype end = k + 1;
        while (end < n && sorter.sameAt(end, k)) ++end;
        run.clear();
        for (qsizetype j = k; j < end; ++j) run.push_back(sorter.at(j));
        if (run.size() > 1) orderRun(items, run, direction, helper, steps);
        // The sort keeps equal items in their order: it moved one only where the order changed.
        for (const std::uint32_t index : run) {
            *changed |= index != std::uint32_t(k);
            texts.push_back(textFetchingAhead(items, sorter, k++, n, index));
        }
        if (qsizetype(texts.size()) >= ItemStore::kBlockItems) {
            out.appendAll(texts);
            texts.clear();
            if (yielder.dueNow()) yielder.yieldNow();
        } else {
            pause(yielder);
        }
    }
    out.appendAll(texts);
    return out;
}

void sort(ListPane& target, ListSort::Direction direction, const List::RoutineServices& s) {
    const bool aToZ = direction == ListSort::Direction::AToZ;
    Procedure p(s.reporter, ErrorReporter::origin(QStringLiteral("List"), aToZ ? QStringLiteral("SortAToZ")
                                                                               : QStringLiteral("SortZToA")));
    ItemStore items;
    quint64 stamp = 0;
    const MatchOn& on = s.targetMatch;
    // A header stays first: the rest is sorted.
    const bool header = on.header && target.count() > 0;
    p.run(SortLine::Snapshot, [&] {
        items = target.snapshot();
        stamp = target.editStamp();
        if (header) items.removeAt(0);
    });
    const qsizetype count = items.count() + (header ? 1 : 0);
    const std::unique_ptr<HelperThread> helper =
        items.count() > ListSort::kChunk ? HelperThread::ifUseful() : nullptr;
    // Each step between pauses is long: the clock is read at every one.
    const ListSort::Steps steps{[&] {
                                    if (s.yielder.dueNow()) s.yielder.yieldNow();
                                },
                                [&](double percent) { s.progress.setPercent(percent); }};
    ItemStore sorted;
    // On a column the sort orders the items' keys; equal keys are put in their items' order after.
    ItemStore keys;
    std::optional<ListSort> sorter;
    const bool ordered = p.run(SortLine::Order, [&] {
        if (!on.wholeItem())
            keys = FieldKey::keysOf(items, MatchOn{on.column, on.separator, false}, pausing(s.yielder),
                                    helper.get());
        sorter.emplace(on.wholeItem() ? items : keys, direction);
        sorter->run(helper.get(), steps);
    });
    bool changed = false;
    if (ordered &&
        p.run(SortLine::Collect,
              [&] {
                  if (!on.wholeItem()) {
                      sorted =
                          inKeyOrder(items, *sorter, direction, helper.get(), steps, s.yielder, &changed);
                      sorter->release();
                      return;
                  }
                  changed = !inOrder(*sorter, items.count(), s.yielder);
                  if (changed)
                      sorted = sorter->sortedItems();
                  else
                      sorter->release();
              }) &&
        changed) {
        p.run(SortLine::Replace, [&] {
            checkUnchanged(target, stamp, count);
            if (header) {
                ItemStore whole;
                whole.append(target.text(1));
                whole.append(sorted);
                sorted = std::move(whole);
            }
            target.clear();
            target.appendBatch(sorted);
        });
    }
    p.run(SortLine::Reset, [&] { s.progress.setPercent(0); });
}

}  // namespace

namespace ListTools {

void KeepOnlyItemsThatOccurOnce(ListPane& target, const List::RoutineServices& s) {
    Procedure p(s.reporter,
                ErrorReporter::origin(QStringLiteral("List"), QStringLiteral("KeepOnlyItemsThatOccurOnce")));
    ItemStore items;
    quint64 stamp = 0;
    // The keys' positions are the pane's after its header.
    const int offset = s.targetMatch.header && target.count() > 0 ? 1 : 0;
    p.run(OnceLine::Snapshot, [&] {
        items = target.snapshot();
        stamp = target.editStamp();
        if (s.targetMatch.plain()) return;
        // A long list's keys are made on both threads.
        const std::unique_ptr<HelperThread> helper =
            items.count() > ItemStore::kBlockItems ? HelperThread::ifUseful() : nullptr;
        items = FieldKey::keysOf(items, s.targetMatch, pausing(s.yielder), helper.get());
    });
    std::vector<bool> flags;
    QList<int> repeated;
    if (p.run(OnceLine::Count, [&] { flags = repeatedItems(items, s.options, s.yielder); }) &&
        p.run(OnceLine::Collect, [&] {
            for (qsizetype i = 0; i < items.count(); ++i) {
                if (flags[size_t(i)]) repeated.append(int(i) + 1 + offset);
                pause(s.yielder);
            }
        }))
        p.run(OnceLine::Removal, [&] { target.removePositions(repeated, stamp, s.yielder); });
    p.run(OnceLine::Reset, [&] { s.progress.setPercent(0); });
}

void SortAToZ(ListPane& target, const List::RoutineServices& s) {
    sort(target, ListSort::Direction::AToZ, s);
}

void SortZToA(ListPane& target, const List::RoutineServices& s) {
    sort(target, ListSort::Direction::ZToA, s);
}

}  // namespace ListTools
