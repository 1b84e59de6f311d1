#include "ListTestSupport.h"
#include "listops/ItemSearch.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

// The search behind Remove Items With/Without against the plain one, on repetitive texts where
// the quick check of candidate places gives way to the two-way algorithm; and every routine that
// reads the list a block at a time on lists that span many blocks of the item store.
namespace {

// Adds `text`; whether it was not there yet.
bool insertNew(QSet<QByteArray>& set, const QByteArray& text) {
    const qsizetype before = set.size();
    set.insert(text);
    return set.size() > before;
}

QByteArray randomText(QRandomGenerator& random, const QByteArray& alphabet, int maxLength) {
    QByteArray text(random.bounded(maxLength + 1), Qt::Uninitialized);
    for (char& c : text) c = alphabet[random.bounded(int(alphabet.size()))];
    return text;
}

// The items of `block` that ItemSearch finds, going on after every pause.
QList<qsizetype> found(ItemSearch& search, const ItemBlock& block, qsizetype budget) {
    QList<qsizetype> items;
    qsizetype k = 0;
    qsizetype at = 0;
    while (k < block.count()) {
        const ItemSearch::Result result = search.next(block, k, at, block.count(), budget);
        if (result == ItemSearch::Result::None) break;
        if (result == ItemSearch::Result::Paused) continue;
        items.append(k);
        at = block.ends[size_t(k++)];
    }
    return items;
}

}  // namespace

class ListSearchTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsWhatAPlainSearchFinds_data();
    void findsWhatAPlainSearchFinds();
    void routinesAgreeOnListsOfManyBlocks_data();
    void routinesAgreeOnListsOfManyBlocks();
};

void ListSearchTest::findsWhatAPlainSearchFinds_data() {
    QTest::addColumn<QByteArray>("alphabet");
    QTest::addColumn<int>("maxItem");
    QTest::addColumn<int>("maxNeedle");
    QTest::addColumn<QByteArray>("fixedNeedle");
    QTest::addColumn<bool>("caseless");
    QTest::newRow("short items, short texts") << QByteArray("ab ") << 30 << 4 << QByteArray() << false;
    QTest::newRow("long items of two letters") << QByteArray("aab") << 600 << 40 << QByteArray() << false;
    QTest::newRow("spaces with one other letter")
        << QByteArray("          x") << 2000 << 300 << QByteArray() << false;
    QTest::newRow("x and 60 spaces in spaces")
        << QByteArray(" ") << 1200 << 0 << QByteArray("x") + QByteArray(60, ' ') << false;
    QTest::newRow("x amid 120 spaces in spaces")
        << QByteArray(" ") << 1200 << 0 << QByteArray(60, ' ') + 'x' + QByteArray(60, ' ') << false;
    QTest::newRow("a periodic text") << QByteArray("ab") << 800 << 0 << QByteArray("abababababababababa")
                                     << false;
    QTest::newRow("longer than most items") << QByteArray(" ") << 20 << 0 << QByteArray(25, ' ') << false;
    // Ignoring ASCII case: '@' and '`' differ by the case bit but are no letters.
    QTest::newRow("ignoring case, letters and signs")
        << QByteArray("@aAbB`[{ ") << 40 << 6 << QByteArray() << true;
    QTest::newRow("ignoring case, long items")
        << QByteArray("aAbBk\xe2\x84\xaa") << 600 << 40 << QByteArray() << true;
    QTest::newRow("ignoring case, aA amid spaces in spaces")
        << QByteArray("          aA") << 1200 << 0 << QByteArray(30, ' ') + "aA" + QByteArray(30, ' ')
        << true;
}

void ListSearchTest::findsWhatAPlainSearchFinds() {
    QFETCH(QByteArray, alphabet);
    QFETCH(int, maxItem);
    QFETCH(int, maxNeedle);
    QFETCH(QByteArray, fixedNeedle);
    QFETCH(bool, caseless);
    const auto letters = caseless ? ItemSearch::Letters::IgnoringAsciiCase : ItemSearch::Letters::Exact;
    QRandomGenerator random(1607);
    for (int round = 0; round < 60; ++round) {
        const QByteArray needle =
            fixedNeedle.isEmpty() ? randomText(random, alphabet, maxNeedle - 1) + alphabet[0] : fixedNeedle;
        ItemStore store;
        QList<qsizetype> expected;
        for (int i = 0; i < 200; ++i) {
            QByteArray item = randomText(random, alphabet, maxItem);
            // Plant the text in some items, at any place, in any case where case is ignored.
            QByteArray planted = needle;
            if (caseless)
                for (char& c : planted)
                    if (c >= 'a' && c <= 'z' && random.bounded(2)) c = char(c - 'a' + 'A');
            if (random.bounded(4) == 0) item.insert(random.bounded(int(item.size()) + 1), planted);
            store.append(item);
            if (caseless ? item.toLower().contains(needle.toLower()) : item.contains(needle))
                expected.append(i);
        }
        for (qsizetype budget : {qsizetype(1), qsizetype(37), qsizetype(1) << 20}) {
            ItemSearch search(needle, letters);
            QCOMPARE(found(search, store.block(0), budget), expected);
        }
        const ItemSearch search(needle, letters);
        for (int i = 0; i < 200; ++i) QCOMPARE(search.contains(store.text(i)), expected.contains(i));
    }
}

void ListSearchTest::routinesAgreeOnListsOfManyBlocks_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QString>("text");
    QTest::newRow("with") << kRoutines[5] << "a b";
    QTest::newRow("without") << kRoutines[6] << "a b";
    QTest::newRow("with, a text no item holds") << kRoutines[5] << "abba abba";
    QTest::newRow("blanks") << kRoutines[4] << "";
    // Long enough for the hash routines to share their lookups with a second thread.
    QTest::newRow("subtract") << kRoutines[0] << "";
    QTest::newRow("keep") << kRoutines[1] << "";
    QTest::newRow("except first") << kRoutines[2] << "";
    QTest::newRow("all") << kRoutines[3] << "";
}

void ListSearchTest::routinesAgreeOnListsOfManyBlocks() {
    QFETCH(QString, routine);
    QFETCH(QString, text);
    QRandomGenerator random(16);
    TestContext t;
    QList<QByteArray> target, reference;
    ItemStore targetItems, referenceItems;
    for (int i = 0; i < 200000; ++i) {
        target.append(randomText(random, "ab ", 11));
        targetItems.append(target.last());
        reference.append(randomText(random, "ab ", 11));
        referenceItems.append(reference.last());
    }
    t.list1.appendBatch(targetItems);
    t.list2.appendBatch(referenceItems);
    const QSet<QByteArray> referenceTexts(reference.cbegin(), reference.cend());
    QSet<QByteArray> seen;
    QList<bool> removed(target.size());
    const QByteArray needle = text.toUtf8();
    for (qsizetype i = 0; i < target.size(); ++i) {
        const QByteArray& item = target[i];
        if (routine == kRoutines[0] || routine == kRoutines[1])
            removed[i] = referenceTexts.contains(item) == (routine == kRoutines[0]);
        if (routine == kRoutines[2]) removed[i] = !insertNew(seen, item);
        if (routine == kRoutines[4]) removed[i] = item.isEmpty();
        if (routine == kRoutines[5] || routine == kRoutines[6])
            removed[i] = item.contains(needle) == (routine == kRoutines[5]);
    }
    if (routine == kRoutines[3])
        for (qsizetype i = target.size() - 1; i >= 0; --i) removed[i] = !insertNew(seen, target[i]);
    QStringList expected;
    for (qsizetype i = 0; i < target.size(); ++i)
        if (!removed[i]) expected.append(QString::fromLatin1(target[i]));
    // Yields on the clock, not at every item, as in the window.
    ScriptedYielder yielder(std::chrono::microseconds(200), 32);
    runRoutine(t, routine, text, &yielder);
    QCOMPARE(t.list1.texts(), expected);
    QVERIFY(t.dialogs.messages.isEmpty());
}

QTEST_GUILESS_MAIN(ListSearchTest)
#include "tst_listops_search.moc"
