#include "ListTestSupport.h"

#include <QHash>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <utility>

// The hash routines at every list size where their tables are sized differently, against a plain
// set of texts. A table's slots double where 1.5 x its items passes a power of two, and a long list
// is parted from 65,536 items on; between two such sizes a list only fills the same table less. So
// these sizes stand for every size from 1 to 70,000; a long list's parts are sized with room to
// spare, and one at 2^23 items stands for them.
namespace {

constexpr int kLargestWithSets = 1 << 17;

// The sanitizer build runs every test again at several times the cost; there the largest list is
// 2^20 items, still parted and shared with the helper thread, and the main build runs 2^23.
#ifdef BRINDLEWICK_SANITIZED
constexpr int kLargest = 1 << 20;
#else
constexpr int kLargest = 1 << 23;
#endif

// N distinct texts; the reference has N distinct texts too, every second one also in the target.
struct Lists {
    ItemStore target;
    ItemStore reference;
    explicit Lists(int n) {
        for (int i = 0; i < n; ++i) {
            const QByteArray number = QByteArray::number(i);
            target.append(QByteArray("t" + number));
            reference.append(QByteArray((i % 2 ? "u" : "t") + number));
        }
    }
};

// What the four routines leave of `target`, in kRoutines' order, worked out with plain sets.
QList<QList<QByteArrayView>> expected(const ItemStore& target, const ItemStore& reference) {
    QSet<QByteArrayView> in;
    in.reserve(reference.count());
    for (qsizetype i = 0; i < reference.count(); ++i) in.insert(reference.text(i));
    // Where each text occurs first and last.
    QHash<QByteArrayView, std::pair<qsizetype, qsizetype>> places;
    places.reserve(target.count());
    for (qsizetype i = 0; i < target.count(); ++i) {
        const auto place = places.find(target.text(i));
        if (place == places.end())
            places.insert(target.text(i), {i, i});
        else
            place->second = i;
    }
    QList<QList<QByteArrayView>> kept(4);
    for (qsizetype i = 0; i < target.count(); ++i) {
        const QByteArrayView text = target.text(i);
        kept[in.contains(text) ? 1 : 0].append(text);
        const auto [first, last] = places.value(text);
        if (first == i) kept[2].append(text);
        if (last == i) kept[3].append(text);
    }
    return kept;
}

// Whether routine r (in kRoutines' order) keeps target item i, from how the lists are made: texts of
// even positions shared, none repeated. Beyond a few hundred thousand items the sets would take
// most of the test's time.
bool keptByMaking(int r, qsizetype i) {
    return r == 0 ? i % 2 == 1 : r == 1 ? i % 2 == 0 : true;
}

QList<QByteArrayView> byMaking(const ItemStore& target, int r) {
    QList<QByteArrayView> kept;
    for (qsizetype i = 0; i < target.count(); ++i)
        if (keptByMaking(r, i)) kept.append(target.text(i));
    return kept;
}

// Whether the pane holds the target items routine r keeps, in their order.
bool keepsByMaking(const PaneModel& pane, const ItemStore& target, int r) {
    int position = 1;
    for (qsizetype i = 0; i < target.count(); ++i) {
        if (!keptByMaking(r, i)) continue;
        if (position > pane.count() || pane.text(position++) != target.text(i)) return false;
    }
    return position == pane.count() + 1;
}

}  // namespace

class ListSizesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hashRoutinesKeepTheRightItemsAtEverySize_data();
    void hashRoutinesKeepTheRightItemsAtEverySize();
};

void ListSizesTest::hashRoutinesKeepTheRightItemsAtEverySize_data() {
    QTest::addColumn<int>("size");
    QList<int> sizes{1, 2, 3, 70000};
    for (int k = 2; k <= 16; ++k) {
        const int doubling = int(((1 << k) + 1) / 1.5);  // the most items that still fit 2^k slots
        sizes << doubling - 1 << doubling << doubling + 1 << doubling + 2;
    }
    // Around each power of two that a single table or the first parted lists reach; then the
    // largest, whose positions leave a slot the fewest hash bits. The parts' own spill is tested
    // with every text crowded into one part.
    for (int k = 2; k <= 17; ++k) sizes << (1 << k) - 1 << (1 << k) << (1 << k) + 1;
    sizes << kLargest;
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    for (int size : sizes) QTest::addRow("%d", size) << size;
}

void ListSizesTest::hashRoutinesKeepTheRightItemsAtEverySize() {
    QFETCH(int, size);
    const Lists lists(size);
    if (size <= kLargestWithSets) {
        const QList<QList<QByteArrayView>> kept = expected(lists.target, lists.reference);
        for (int r = 0; r < 4; ++r) QVERIFY(kept[r] == byMaking(lists.target, r));
    }
    for (int r = 0; r < 4; ++r) {
        const QString routine = kRoutines[r];
        TestContext t;
        t.list1.appendBatch(lists.target);
        t.list2.appendBatch(lists.reference);
        ScriptedYielder never(std::chrono::hours(1), 4096);
        runRoutine(t, routine, {}, &never);
        QVERIFY2(t.dialogs.messages.isEmpty(), qPrintable(routine + ": " + t.dialogs.messages.value(0).text));
        QVERIFY2(keepsByMaking(t.list1, lists.target, r), qPrintable(routine));
    }
}

QTEST_GUILESS_MAIN(ListSizesTest)
#include "tst_listops_sizes.moc"
