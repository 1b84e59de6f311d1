#include "listops/ListTools.h"

#include "core/ErrorReport.h"
#include "core/Progress.h"
#include "core/Yielder.h"
#include "listops/FieldKey.h"
#include "listops/HelperThread.h"
#include "listops/List.h"
#include "store/ListPane.h"

#include <QList>

#include <functional>
#include <vector>

namespace {

// Statement numbers of the pane routines.
namespace SortLine {
enum : int { Snapshot = 100, Order = 102, Collect = 104, Replace = 106, Reset = 108 };
}
namespace OnceLine {
enum : int { Snapshot = 100, Count = 102, Collect = 104, Removal = 106, Reset = 108 };
}

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

// Whether the two hold the same texts in the same order.
bool sameTexts(const ItemStore& a, const ItemStore& b, Yielder& yielder) {
    if (a.count() != b.count()) return false;
    for (qsizetype k = 0; k < a.count(); ++k) {
        if (a.text(k) != b.text(k)) return false;
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

// The items of `items` in the order of `sorter` (which sorted the keys of those items, one for one).
ItemStore inKeyOrder(const ItemStore& items, const ListSort& sorter, Yielder& yielder) {
    ItemStore out;
    std::vector<QByteArrayView> texts;
    texts.reserve(size_t(std::min(items.count(), ItemStore::kBlockItems)));
    for (qsizetype k = 0; k < items.count();) {
        texts.clear();
        for (const qsizetype end = std::min(items.count(), k + ItemStore::kBlockItems); k < end; ++k)
            texts.push_back(items.text(sorter.at(k)));
        out.appendAll(texts);
        if (yielder.dueNow()) yielder.yieldNow();
    }
    return out;
}

// Sorting on a column: the whole items first, then their keys, each sort keeping the order of
// equal texts: the items in the order of their keys, equal keys in the order of their items.
ItemStore sortedByKey(ItemStore byItem, const MatchOn& on, ListSort::Direction direction,
                      HelperThread* helper, const ListSort::Steps& steps, Yielder& yielder) {
    const ItemStore keys =
        FieldKey::keysOf(byItem, MatchOn{on.column, on.separator, false}, pausing(yielder));
    ListSort sorter(keys, direction);
    sorter.run(helper, steps);
    ItemStore sorted = inKeyOrder(byItem, sorter, yielder);
    sorter.release();
    return sorted;
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
    ListSort sorter(items, direction);
    const std::unique_ptr<HelperThread> helper =
        items.count() > ListSort::kChunk ? HelperThread::ifUseful() : nullptr;
    // Each step between pauses is long: the clock is read at every one.
    const ListSort::Steps steps{[&] {
                                    if (s.yielder.dueNow()) s.yielder.yieldNow();
                                },
                                [&](double percent) { s.progress.setPercent(percent); }};
    ItemStore sorted;
    const bool ordered = p.run(SortLine::Order, [&] { sorter.run(helper.get(), steps); });
    bool changed = false;
    if (ordered &&
        p.run(SortLine::Collect,
              [&] {
                  if (!on.wholeItem()) {
                      sorted =
                          sortedByKey(sorter.sortedItems(), on, direction, helper.get(), steps, s.yielder);
                      changed = !sameTexts(items, sorted, s.yielder);
                      return;
                  }
                  changed = !inOrder(sorter, items.count(), s.yielder);
                  if (changed)
                      sorted = sorter.sortedItems();
                  else
                      sorter.release();
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
        if (!s.targetMatch.plain()) items = FieldKey::keysOf(items, s.targetMatch, pausing(s.yielder));
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
