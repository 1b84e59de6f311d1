#include "core/RunTimeError.h"
#include "listops/BatchLookup.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

// Looking up a block of items at once gives the answers of looking them up one by one, also where
// hash bits agree for different texts (a table keeping a single hash bit makes that common), and
// with two threads sharing the work.
namespace {

ItemStore randomStore(QRandomGenerator& random, int count) {
    ItemStore store;
    // Enough distinct texts that lookups meet slots of other texts on their way.
    for (int i = 0; i < count; ++i)
        store.append(random.bounded(20) == 0 ? QByteArray() : QByteArray::number(random.bounded(60000)));
    return store;
}

// Runs the lookup over every item of `store` in pass order, a block at a time; the answers by position.
QList<bool> lookUpAll(BatchLookup& lookup, const ItemStore& store, bool descending) {
    const int n = int(store.count());
    QList<bool> answers(n + 1);
    for (int done = 0; done < n;) {
        const int first = descending ? n - done : done + 1;
        const qsizetype b = store.blockOf(first - 1);
        const ItemSpan span{store.sharedBlock(b), 0, store.block(b).count(), int(store.firstIndexOf(b)) + 1};
        const int last = descending ? span.firstPosition : span.lastPosition();
        lookup.prepare(span, first, last);
        for (int i = first;; i += descending ? -1 : 1) {
            answers[i] = lookup.contains(span.text(span.indexOf(i)), i);
            ++done;
            if (i == last) break;
        }
    }
    return answers;
}

}  // namespace

class ListLookupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void answersAsOneByOne_data();
    void answersAsOneByOne();
    void holdsEveryTextCrowdedIntoOnePart();
    void helperEndsItsPartBeforeAFailureIsThrown_data();
    void helperEndsItsPartBeforeAFailureIsThrown();
    void failingPartsReachTheCaller();
    void worksAloneWhereNoThreadStarts();
};

void ListLookupTest::answersAsOneByOne_data() {
    QTest::addColumn<int>("hashBits");
    QTest::addColumn<bool>("descending");
    QTest::newRow("one hash bit") << 1 << false;
    QTest::newRow("one hash bit, last to first") << 1 << true;
    QTest::newRow("all hash bits") << 32 << false;
}

void ListLookupTest::answersAsOneByOne() {
    QFETCH(int, hashBits);
    QFETCH(bool, descending);
    QRandomGenerator random(9);
    // Lists across several blocks.
    const ItemStore reference = randomStore(random, 150000);
    const ItemStore target = randomStore(random, 150000);

    // The reference as a set, by adding each item; then the target's items looked up in it. The
    // lists are long enough for sets in parts, looked up by two threads.
    HelperThread helper;
    TextSet set(reference, reference.count(), hashBits);
    QVERIFY(set.parts() > 1);
    BatchLookup adding(set, BatchLookup::Mode::FindOrAdd, &helper);
    lookUpAll(adding, reference, false);
    QSet<QByteArray> referenceTexts;
    for (qsizetype i = 0; i < reference.count(); ++i) referenceTexts.insert(reference.text(i).toByteArray());
    BatchLookup finding(set, BatchLookup::Mode::Find, &helper);
    const QList<bool> found = lookUpAll(finding, target, false);
    for (int i = 1; i <= target.count(); ++i)
        QCOMPARE(found[i], referenceTexts.contains(target.text(i - 1).toByteArray()));

    // The target against itself: whether a text came before, in the pass's order.
    TextSet seen(target, target.count(), hashBits);
    BatchLookup repeats(seen, BatchLookup::Mode::FindOrAdd, &helper);
    const QList<bool> repeated = lookUpAll(repeats, target, descending);
    QSet<QByteArray> before;
    for (int step = 0; step < target.count(); ++step) {
        const int i = descending ? int(target.count()) - step : step + 1;
        const QByteArray text = target.text(i - 1).toByteArray();
        QCOMPARE(repeated[i], before.contains(text));
        before.insert(text);
    }
}

void ListLookupTest::holdsEveryTextCrowdedIntoOnePart() {
    // As an unlucky or crafted list could: every text in the part sized for an eighth of them.
    constexpr int kItems = 5000000;
    ItemStore store;
    for (int i = 0; i < kItems; ++i) store.append(QByteArray::number(i));
    TextSet set(store, store.count(), 32, TextSet::Spread::OnePart);
    QVERIFY(set.parts() > 1);
    HelperThread helper;
    BatchLookup adding(set, BatchLookup::Mode::FindOrAdd, &helper);
    const QList<bool> repeated = lookUpAll(adding, store, false);
    QVERIFY(!repeated.mid(1).contains(true));
    BatchLookup finding(set, BatchLookup::Mode::Find, &helper);
    const QList<bool> found = lookUpAll(finding, store, false);
    QVERIFY(!found.mid(1).contains(false));
    QCOMPARE(set.find("x", set.hashOf("x")), 0);
}

void ListLookupTest::helperEndsItsPartBeforeAFailureIsThrown_data() {
    QTest::addColumn<bool>("waitingThrows");  // else: a part throws
    QTest::newRow("the window closes meanwhile") << true;
    QTest::newRow("a part fails") << false;
}

void ListLookupTest::helperEndsItsPartBeforeAFailureIsThrown() {
    QFETCH(bool, waitingThrows);
    HelperThread helper;
    const auto windowThread = std::this_thread::get_id();
    std::atomic<int> helperParts{0}, waits{0}, ended{0};
    // The helper takes a part and holds it until the window's thread, its own parts done (one of
    // them failed, or its wait throws), waits for it: the failure is in hand while the helper works.
    const auto task = [&](int) {
        if (std::this_thread::get_id() != windowThread) {
            ++helperParts;
            helperParts.notify_all();
            waits.wait(0);
        } else {
            helperParts.wait(0);
        }
        if (++ended == 1 && !waitingThrows) throw RunTimeError(QStringLiteral("Simulated part failure"));
    };
    bool cancelled = false, failed = false;
    try {
        helper.share(8, task, [&] {
            ++waits;
            waits.notify_all();
            if (waitingThrows) throw Cancelled();
        });
    } catch (const Cancelled&) {
        cancelled = true;
    } catch (const RunTimeError&) {
        failed = true;
    }
    const int endedOnReturn = ended.load();
    // Should share() have returned without waiting, the helper's part must still end.
    ++waits;
    waits.notify_all();
    QCOMPARE(endedOnReturn, 8);
    QCOMPARE(helperParts.load(), 1);
    QCOMPARE(cancelled, waitingThrows);
    QCOMPARE(failed, !waitingThrows);
}

void ListLookupTest::failingPartsReachTheCaller() {
    // A set too small for the positions looked up makes every part's additions fail on both threads;
    // the failure comes back from prepare(), and the lookup answers item by item afterwards.
    QRandomGenerator random(3);
    const ItemStore store = randomStore(random, 100000);
    TextSet set(store, 70000);
    QVERIFY(set.parts() > 1);
    HelperThread helper;
    BatchLookup adding(set, BatchLookup::Mode::FindOrAdd, &helper);
    const qsizetype b = store.blockOf(store.count() - 1);
    const ItemSpan span{store.sharedBlock(b), 0, store.block(b).count(), int(store.firstIndexOf(b)) + 1};
    QVERIFY(span.lastPosition() > 70000);
    QVERIFY_THROWS_EXCEPTION(RunTimeError, adding.prepare(span, span.firstPosition, span.lastPosition()));
    QVERIFY_THROWS_EXCEPTION(RunTimeError, adding.containsAlone("in no list", 99999));
    QVERIFY(!adding.containsAlone("in no list", 1));
}

void ListLookupTest::worksAloneWhereNoThreadStarts() {
    // As under a limit on processes: the routine's thread does every part, and nothing waits for
    // the helper, on the way out either.
    const auto noThread = [](TaskThreads::Task) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    std::vector<std::thread::id> ranOn(8);
    {
        HelperThread helper(noThread);
        QVERIFY(!helper.running());
        helper.share(8, [&](int part) { ranOn[size_t(part)] = std::this_thread::get_id(); }, {});
    }
    QCOMPARE(ranOn, std::vector<std::thread::id>(8, std::this_thread::get_id()));
}

QTEST_GUILESS_MAIN(ListLookupTest)
#include "tst_listops_lookup.moc"
