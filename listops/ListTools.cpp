#include "listops/ListTools.h"

#include "core/ErrorReport.h"
#include "core/Progress.h"
#include "core/Yielder.h"
#include "listops/HelperThread.h"
#include "listops/List.h"
#include "store/ListPane.h"

#include <QList>

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

// The pane is held while the routine runs; should anything have changed it all the same, the
// sorted copy is not put in its place.
void checkUnchanged(const ListPane& target, quint64 stamp, qsizetype count) {
    if (target.editStamp() != stamp || target.count() != count)
        throw RunTimeError(QStringLiteral("The list was changed while the command ran; nothing was sorted"));
}

void sort(ListPane& target, ListSort::Direction direction, const List::RoutineServices& s) {
    const bool aToZ = direction == ListSort::Direction::AToZ;
    Procedure p(s.reporter, ErrorReporter::origin(QStringLiteral("List"), aToZ ? QStringLiteral("SortAToZ")
                                                                               : QStringLiteral("SortZToA")));
    ItemStore items;
    quint64 stamp = 0;
    p.run(SortLine::Snapshot, [&] {
        items = target.snapshot();
        stamp = target.editStamp();
    });
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
                  changed = !inOrder(sorter, items.count(), s.yielder);
                  if (changed)
                      sorted = sorter.sortedItems();
                  else
                      sorter.release();
              }) &&
        changed) {
        p.run(SortLine::Replace, [&] {
            checkUnchanged(target, stamp, items.count());
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
    p.run(OnceLine::Snapshot, [&] {
        items = target.snapshot();
        stamp = target.editStamp();
    });
    std::vector<bool> flags;
    QList<int> repeated;
    if (p.run(OnceLine::Count, [&] { flags = repeatedItems(items, s.options, s.yielder); }) &&
        p.run(OnceLine::Collect, [&] {
            for (qsizetype i = 0; i < items.count(); ++i) {
                if (flags[size_t(i)]) repeated.append(int(i) + 1);
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
