// RemoveBlanksFromList, RemoveItemsWith and RemoveItemsWithout: the routines that test each item
// on its own.
#include "listops/List.h"
#include "listops/RoutineRun.h"

#include <QByteArray>

namespace List {

namespace {

constexpr RoutineLines kBlanksLines{102, 106, 0, 108, 110, 120, 124};
// The search text is converted once, as part of the first test.
constexpr RoutineLines kWithLines{102, 106, 108, 108, 110, 120, 124};

// UTF-8 is self-synchronising: the bytes of a whole text can only occur in another text at a
// character boundary, so a byte search finds exactly the character matches.
void removeByText(const char* routine, ListPane& target, const QString& text, bool removeContaining,
                  const RoutineServices& s) {
    RoutineRun run(routine, kWithLines, Scan::Ascending, target, nullptr, s);
    QByteArray needle;
    if (run.procedure().run(run.lines().setup, [&] { needle = text.toUtf8(); }))
        run.collect([&](QByteArrayView item, int) { return item.contains(needle) == removeContaining; });
    run.removeCollected();
    run.resetProgress();
}

}  // namespace

void RemoveBlanksFromList(ListPane& target, const RoutineServices& s) {
    RoutineRun run("RemoveBlanksFromList", kBlanksLines, Scan::Ascending, target, nullptr, s);
    run.collect([](QByteArrayView item, int) { return item.isEmpty(); });
    run.removeCollected();
    run.resetProgress();
}

void RemoveItemsWith(ListPane& target, const QString& text, const RoutineServices& s) {
    removeByText("RemoveItemsWith", target, text, true, s);
}

void RemoveItemsWithout(ListPane& target, const QString& text, const RoutineServices& s) {
    removeByText("RemoveItemsWithout", target, text, false, s);
}

}  // namespace List
