#include "store/ItemStore.h"
#include "store/ItemStoreFilter.h"

#include <QRandomGenerator>
#include <QTest>

// The store against a plain list of texts, through every way it changes, on lists long enough (or
// with items large enough) to span many blocks.
namespace {

using Texts = QList<QByteArray>;

QByteArray randomText(QRandomGenerator& random, int maxLength) {
    const int length = random.bounded(3) == 0 ? 0 : random.bounded(maxLength + 1);
    return QByteArray(length, char('a' + random.bounded(26)));
}

void compare(const ItemStore& store, const Texts& expected) {
    QCOMPARE(store.count(), expected.size());
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (store.text(i) != expected[i]) QFAIL(qPrintable(QStringLiteral("item %1 differs").arg(i)));
        bytes += expected[i].size();
    }
    QCOMPARE(store.byteSize(), bytes);
    // Walking the blocks meets every item once, in order, and no block outgrows its limits.
    qsizetype index = 0;
    for (qsizetype b = 0; b < store.blockCount(); ++b) {
        const ItemBlock& block = store.block(b);
        QCOMPARE(store.firstIndexOf(b), index);
        QVERIFY(block.count() <= ItemStore::kBlockItems);
        QVERIFY(block.count() <= 1 || block.bytes.size() <= ItemStore::kBlockBytes);
        QCOMPARE(qsizetype(block.count() == 0 ? 0 : block.ends.back()), block.bytes.size());
        index += block.count();
    }
    QCOMPARE(index, store.count());
}

// Removes the items that `leaveOut` names (by 0-based index) with ItemStoreFilter and from `expected`,
// and compares.
template <class LeaveOut>
ItemStore removed(const ItemStore& store, Texts& expected, LeaveOut leaveOut) {
    QList<int> skip;
    Texts kept;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (leaveOut(i))
            skip.append(int(i + 1));
        else
            kept.append(expected[i]);
    }
    ItemStoreFilter filter(skip, store.count());
    while (!filter.step(store)) {
    }
    ItemStore result = filter.take();
    expected = kept;
    compare(result, expected);
    return result;
}

}  // namespace

class ItemStoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void agreesWithAPlainList_data();
    void agreesWithAPlainList();
    void copiesKeepTheirItemsWhateverTheOriginalDoes();
};

void ItemStoreTest::agreesWithAPlainList_data() {
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("maxLength");
    QTest::newRow("many short items") << 300000 << 12;
    QTest::newRow("items that fill blocks by bytes") << 3000 << 5000;
    QTest::newRow("items larger than a block") << 6 << 6 * 1024 * 1024;
}

void ItemStoreTest::agreesWithAPlainList() {
    QFETCH(int, items);
    QFETCH(int, maxLength);
    QRandomGenerator random(16);
    ItemStore store;
    Texts expected;
    // Appends one at a time, in batches and as whole stores (the batch itself or a copy of the store).
    while (expected.size() < items) {
        ItemStore batch;
        Texts batchTexts;
        for (int k = random.bounded(items / 3 + 1); k >= 0; --k)
            batchTexts.append(randomText(random, maxLength));
        QList<QByteArrayView> views(batchTexts.cbegin(), batchTexts.cend());
        batch.appendAll(views);
        switch (random.bounded(3)) {
            case 0:
                for (const QByteArray& text : batchTexts) store.append(text);
                break;
            case 1:
                store.append(batch);
                break;
            default:
                store.appendAll(views);
        }
        expected += batchTexts;
    }
    store.append(store);
    expected += expected;
    compare(store, expected);
    QVERIFY(store.blockCount() > 2);

    // Single removals.
    for (int k = 0; k < 50 && !expected.isEmpty(); ++k) {
        const qsizetype at = random.bounded(int(expected.size()));
        store.removeAt(at);
        expected.removeAt(at);
    }
    compare(store, expected);
    // First only empty items beyond the first 140,000 (whole blocks stay as they are), then a mix of
    // scattered items and runs, then all but a few (the kept items of several blocks share one).
    Texts remaining = expected;
    const ItemStore blanksGone =
        removed(store, remaining, [&](qsizetype i) { return i >= 140000 && expected[i].isEmpty(); });
    compare(store, expected);
    const ItemStore mixed = removed(
        blanksGone, remaining, [&](qsizetype i) { return (i / 1000) % 7 == 3 || random.bounded(5) == 0; });
    const ItemStore few = removed(mixed, remaining, [&](qsizetype) { return random.bounded(10) != 0; });
    QVERIFY(few.blockCount() < mixed.blockCount() || mixed.blockCount() <= 2);

    store.clearKeepingCapacity();
    compare(store, {});
    store.append(QByteArrayView("again"));
    compare(store, {"again"});
}

void ItemStoreTest::copiesKeepTheirItemsWhateverTheOriginalDoes() {
    ItemStore store;
    Texts expected;
    for (int i = 0; i < 200000; ++i) expected.append(QByteArray::number(i % 977));
    for (const QByteArray& text : expected) store.append(text);
    const ItemStore copy = store;
    store.removeAt(70000);
    store.append(QByteArrayView("late"));
    store.clearKeepingCapacity();
    store.append(QByteArrayView("new"));
    compare(copy, expected);
    compare(store, {"new"});
}

QTEST_GUILESS_MAIN(ItemStoreTest)
#include "tst_itemstore.moc"
