// RemoveDupesExceptFirst and RemoveDupesAll: the routines that compare the target with itself.
#include "listops/BatchLookup.h"
#include "listops/List.h"
#include "listops/RoutineRun.h"
#include "listops/TextSet.h"

#include <optional>

namespace List {

namespace {

// RemoveDupesExceptFirst has no index list of its own; its removal statement also stands for
// collecting an item to remove.
constexpr RoutineLines kExceptFirstLines{100, 104, 106, 110, 112, 112, 118};
constexpr RoutineLines kAllLines{102, 106, 108, 112, 114, 126, 130};

// Selects every item whose text is already in the table; the pass's direction decides which
// occurrence of a repeated text is the one that stays. An item that cannot be read is selected.
void removeRepeats(RoutineRun& run) {
    ItemStore items;
    std::optional<TextSet> table;
    if (run.procedure().run(run.lines().setup,
                            [&] {
                                items = run.reader().snapshot();
                                table.emplace(items, run.count(), 32, TextSet::Spread::ByHash, run.options());
                            }) &&
        run.touch(*table)) {
        BatchLookup lookup(*table, BatchLookup::Mode::FindOrAdd, run.helperThread(run.count()),
                           [&] { run.pauseNow(); });
        run.collect([&](const ItemSpan& span, int first, int last) { lookup.prepare(span, first, last); },
                    [&](const ItemSpan& span, qsizetype k, int i) { return lookup.contains(span, k, i); },
                    [&](QByteArrayView text, int i) { return lookup.containsAlone(text, i); });
    }
    table.reset();
    items = ItemStore();
    run.removeCollected();
    run.resetProgress();
}

}  // namespace

void RemoveDupesExceptFirst(ListPane& target, const RoutineServices& s) {
    // Ascending, so the first occurrence is the one in the table; the progress display still shows
    // the countdown of a pass from the last item to the first.
    RoutineRun run("RemoveDupesExceptFirst", kExceptFirstLines, Scan::AscendingShownDescending, target,
                   nullptr, s);
    removeRepeats(run);
}

void RemoveDupesAll(ListPane& target, const RoutineServices& s) {
    RoutineRun run("RemoveDupesAll", kAllLines, Scan::Descending, target, nullptr, s);
    removeRepeats(run);
}

}  // namespace List
