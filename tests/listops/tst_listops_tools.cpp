// The list tools of a pane's menu: natural order, sorting, keeping the items that occur once, the
// set copies and what a change took out, each against a plain oracle.
#include "ListTestSupport.h"
#include "commands/ListCommands.h"
#include "commands/ListToolCommands.h"
#include "listops/HelperThread.h"
#include "listops/ListSort.h"
#include "listops/ListTools.h"
#include "listops/NaturalOrder.h"
#include "support/TestServices.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <thread>
#include <utility>

namespace {
QStringList textsOf(const ItemStore& store) {
    QStringList texts;
    for (qsizetype i = 0; i < store.count(); ++i) texts.append(QString::fromUtf8(store.text(i)));
    return texts;
}

ItemStore storeOf(const QStringList& texts) {
    ItemStore store;
    for (const QString& t : texts) store.append(QByteArrayView(t.toUtf8()));
    return store;
}

// The oracle's key: what two items compare by, written out the slow way.
QString oracleKey(const QString& text, const CompareOptions& options) {
    QString key = text;
    if (options.ignoreCase) key = key.toCaseFolded();
    if (options.ignoreSpaces) key = key.trimmed();
    return key;
}
// A list long enough for the tables in parts, the helper thread and several blocks: `count` items
// drawn from `distinct` texts, in mixed case.
QStringList manyItems(int count, int distinct, quint32 seed) {
    QRandomGenerator random(seed);
    QStringList items;
    for (int i = 0; i < count; ++i) {
        const quint32 n = random.bounded(quint32(distinct));
        items.append((random.bounded(2) ? QStringLiteral("Item ") : QStringLiteral("item ")) +
                     QString::number(n));
    }
    return items;
}

// `count` texts of `length` characters, each `a` or `A`: equal but for case, so every comparison of
// two folds and compares them whole.
ItemStore nearEqualItems(int count, int length, quint32 seed) {
    QRandomGenerator random(seed);
    ItemStore store;
    QByteArray text(length, 'a');
    for (int i = 0; i < count; ++i) {
        for (char& c : text) c = random.bounded(2) ? 'a' : 'A';
        store.append(text);
    }
    return store;
}

// The order a sort must give, the slow way: whole keys, then the bytes, then the earlier item.
std::vector<std::uint32_t> oracleOrder(const ItemStore& store, bool reversed) {
    std::vector<std::pair<std::string, QByteArray>> keys;
    for (qsizetype i = 0; i < store.count(); ++i) {
        std::string key;
        NaturalOrder::appendKey(store.text(i), key);
        keys.emplace_back(key, store.text(i).toByteArray());
    }
    std::vector<std::uint32_t> order(size_t(store.count()));
    for (size_t i = 0; i < order.size(); ++i) order[i] = std::uint32_t(i);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
        return reversed ? keys[y] < keys[x] : keys[x] < keys[y];
    });
    return order;
}
}  // namespace

class TestListTools : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void naturalOrderRanksPairs_data();
    void naturalOrderRanksPairs();
    void sortsLongListsAsOneComparison_data();
    void sortsLongListsAsOneComparison();
    void sortIsOneUndoStep();
    void sortYieldsWithinAChunkOfLongItems();
    void sortPausesWhileKeyingLongDigitRuns();
    void sortPausesOnlyOnTheCallersThread();
    void sortLeavesAListChangedWhileItRan();
    void keepsOnlyItemsThatOccurOnce_data();
    void keepsOnlyItemsThatOccurOnce();
    void copiesSetResults_data();
    void copiesSetResults();
    void findsWhatAChangeRemoved_data();
    void findsWhatAChangeRemoved();
    void copyRemovedFollowsTheLastStep();
    void copyRemovedKeepsTheOldOrder_data();
    void copyRemovedKeepsTheOldOrder();
    void copyRemovedOfAStepOfSeveralChanges_data();
    void copyRemovedOfAStepOfSeveralChanges();
};

void TestListTools::naturalOrderRanksPairs_data() {
    QTest::addColumn<QString>("earlier");
    QTest::addColumn<QString>("later");
    QTest::newRow("2 before 10") << "item2"
                                 << "item10";
    QTest::newRow("digits beyond 64 bits") << "99999999999999999999"
                                           << "100000000000000000000";
    QTest::newRow("long equal heads") << "123456789012345678901234567890a"
                                      << "123456789012345678901234567891";
    QTest::newRow("fewer zeros first") << "7"
                                       << "07";
    QTest::newRow("zeros then value") << "007"
                                      << "8";
    QTest::newRow("zero before one") << "0"
                                     << "1";
    QTest::newRow("digits at the end") << "file9"
                                       << "file009";
    QTest::newRow("digits at the start") << "2 apples"
                                         << "10 apples";
    QTest::newRow("digits before letters") << "9"
                                           << "a";
    QTest::newRow("empty first") << ""
                                 << "0";
    QTest::newRow("empty before space") << ""
                                        << " ";
    QTest::newRow("case ignored") << "apple"
                                  << "Banana";
    QTest::newRow("bytes break a tie") << "Apple"
                                       << "apple";
    QTest::newRow("bytes beyond ASCII break a tie last") << "K"
                                                         << "\u212A";
    QTest::newRow("prefix first") << "abc"
                                  << "abcd";
    QTest::newRow("umlaut folded") << "\u00C4rger"
                                   << "\u00E4rmel";
    QTest::newRow("sharp s by code point") << "\u00DF"
                                           << "\u1E9E";
    QTest::newRow("greek case") << "\u03A3x"
                                << "\u03C3y";
    QTest::newRow("non-ASCII after ASCII") << "z"
                                           << "\u00E9";
    // Equal starts that end inside a digit run or a character: the whole run or character decides.
    QTest::newRow("shared digits") << "a19"
                                   << "a100";
    QTest::newRow("shared zeros") << "x0019"
                                  << "x00100";
    QTest::newRow("ASCII head past the prefix") << "Shared ASCII start 9"
                                                << "shared ascii start 10";
    QTest::newRow("digit within the prefix") << "Abc 7 x\u00C4y"
                                             << "abc 07";
    QTest::newRow("shared lead byte") << "\u00E3"
                                      << "\u00C4";
    // Long stretches that differ only in case are passed eight bytes at a time: the signs beside the
    // letters stay as they are, and a digit run is never cut.
    QTest::newRow("sign before A") << "@@@@@@@@1"
                                   << "````````0";
    QTest::newRow("sign after Z") << "[[[[[[[[1"
                                  << "{{{{{{{{0";
    QTest::newRow("digit run across eight bytes") << "AAAAAAA1x"
                                                  << "aaaaaaa10";
    QTest::newRow("character across eight bytes") << "aaaaaaa\u00E4a"
                                                  << "AAAAAAA\u00C4b";
}

void TestListTools::naturalOrderRanksPairs() {
    QFETCH(QString, earlier);
    QFETCH(QString, later);
    const QByteArray a = earlier.toUtf8(), b = later.toUtf8();
    QVERIFY(NaturalOrder::compare(a, b) < 0);
    QVERIFY(NaturalOrder::compare(b, a) > 0);
    QCOMPARE(NaturalOrder::compare(a, a), 0);
    // A smaller prefix never contradicts the whole comparison, and each is its key's first 16 bytes.
    const NaturalOrder::Prefix pa = NaturalOrder::prefix(a), pb = NaturalOrder::prefix(b);
    QVERIFY(pa.high < pb.high || (pa.high == pb.high && pa.low <= pb.low));
    for (const QByteArray& text : {a, b}) {
        std::string key;
        NaturalOrder::appendKey(text, key);
        key.resize(16);
        NaturalOrder::Prefix expected;
        for (int k = 0; k < 8; ++k) expected.high = (expected.high << 8) | uchar(key[size_t(k)]);
        for (int k = 8; k < 16; ++k) expected.low = (expected.low << 8) | uchar(key[size_t(k)]);
        const NaturalOrder::Prefix p = NaturalOrder::prefix(text);
        QCOMPARE(p.high, expected.high);
        QCOMPARE(p.low, expected.low);
    }
}

void TestListTools::sortsLongListsAsOneComparison_data() {
    QTest::addColumn<int>("items");
    QTest::addColumn<bool>("reversed");
    QTest::addColumn<bool>("twoThreads");
    QTest::newRow("one chunk") << 1000 << false << false;
    QTest::newRow("merged runs") << int(ListSort::kChunk * 5 + 123) << false << false;
    QTest::newRow("merged runs, Z to A") << int(ListSort::kChunk * 3 + 7) << true << false;
    // The sorted copy in halves, each in pieces, and the entries let go in pieces.
    QTest::newRow("two threads, odd count") << int(ListSort::kChunk * 4 + 1) << false << true;
    QTest::newRow("two threads, long, Z to A") << (1 << 19) + 3 << true << true;
}

void TestListTools::sortsLongListsAsOneComparison() {
    QFETCH(int, items);
    QFETCH(bool, reversed);
    QFETCH(bool, twoThreads);
    QRandomGenerator random(items);
    ItemStore store;
    static const char* const kWords[] = {"item", "Item",     "x",        "",
                                         "a0",   "\xC3\xA4", "\xC3\x84", "shared start "};
    for (int i = 0; i < items; ++i) {
        const QByteArray text =
            QByteArray(kWords[random.bounded(8)]) + QByteArray::number(random.bounded(500));
        store.append(text);
    }
    const std::vector<std::uint32_t> oracle = oracleOrder(store, reversed);
    ListSort sorter(store, reversed ? ListSort::Direction::ZToA : ListSort::Direction::AToZ);
    int pauses = 0;
    HelperThread helper;
    const ListSort::Steps steps{[&] { ++pauses; }, [](double) {}};
    sorter.run(twoThreads ? &helper : nullptr, steps);
    for (int k = 0; k < items; ++k) QCOMPARE(sorter.at(k), oracle[size_t(k)]);
    QVERIFY(pauses >= items / int(ListSort::kChunk) / 4);
    const ItemStore sorted = sorter.sortedItems();
    QCOMPARE(sorted.count(), qsizetype(items));
    for (int k = 0; k < items; ++k) QCOMPARE(sorted.text(k), store.text(oracle[size_t(k)]));
}

void TestListTools::sortIsOneUndoStep() {
    TestContext t;
    const QStringList items{"b10", "B2", "a", "", "b2"};
    TestContext::fill(t.list1, items);
    ListCommands::click(t.context, ListCommands::command(ListCommands::Id::SortAToZ), 1, "origin");
    QCOMPARE(t.list1.texts(), (QStringList{"", "a", "B2", "b2", "b10"}));
    QCOMPARE(t.window.lastResult(), QStringLiteral("Sort A to Z: 5 items in List 1"));
    QVERIFY(!t.window.busy());
    QCOMPARE(t.window.mousePointer(), WindowState::DefaultPointer);
    QCOMPARE(t.progress.values.last(), 0.0);
    ListCommands::click(t.context, ListCommands::command(ListCommands::Id::SortZToA), 1, "origin");
    QCOMPARE(t.list1.texts(), (QStringList{"b10", "b2", "B2", "a", ""}));
    t.list1.undo();
    t.list1.undo();
    QCOMPARE(t.list1.texts(), items);
    QVERIFY(t.dialogs.messages.isEmpty());
}

void TestListTools::sortYieldsWithinAChunkOfLongItems() {
    // One chunk (no helper thread): before, the window's thread sorted it whole between two yields.
    const ItemStore items = nearEqualItems(1000, 2000, 7);
    QVERIFY(items.count() < ListSort::kChunk);
    TestContext t;
    QStringList texts = textsOf(items);
    TestContext::fill(t.list1, texts);
    ListCommands::click(t.context, ListCommands::command(ListCommands::Id::SortAToZ), 1, "origin");
    QStringList expected;
    for (const std::uint32_t i : oracleOrder(items, false)) expected.append(texts[qsizetype(i)]);
    QCOMPARE(t.list1.texts(), expected);
    // Sorting 1,000 texts takes over 8,500 comparisons, each reading 4,000 bytes.
    const int least = int(8500LL * 4000 / ListSort::kTextBetweenPauses);
    QVERIFY2(t.yielder.yields >= least, qPrintable(QString::number(t.yielder.yields)));
    QVERIFY(t.dialogs.errorReports().isEmpty());
}

void TestListTools::sortPausesWhileKeyingLongDigitRuns() {
    // Each text's key prefix reads its digit run whole; the prefixes then differ, so no comparison
    // reads a text.
    QRandomGenerator random(9);
    ItemStore store;
    QByteArray digits(3000, '1');
    for (int i = 0; i < 1000; ++i) {
        for (char& c : digits) c = char('1' + random.bounded(9));
        store.append(digits);
    }
    int pauses = 0;
    const ListSort::Steps steps{[&] { ++pauses; }, [](double) {}};
    ListSort sorter(store, ListSort::Direction::AToZ);
    sorter.run(nullptr, steps);
    const std::vector<std::uint32_t> oracle = oracleOrder(store, false);
    for (qsizetype k = 0; k < store.count(); ++k) QCOMPARE(sorter.at(k), oracle[size_t(k)]);
    QVERIFY2(pauses >= int(1000 * 3000 / ListSort::kTextBetweenPauses), qPrintable(QString::number(pauses)));
}

void TestListTools::sortPausesOnlyOnTheCallersThread() {
    // Two chunks and their merge, shared with the helper thread, which must never pause.
    const ItemStore store = nearEqualItems(int(ListSort::kChunk) + 2000, 300, 8);
    const std::thread::id caller = std::this_thread::get_id();
    HelperThread helper;
    std::atomic<int> pauses{0}, elsewhere{0};
    const ListSort::Steps steps{[&] { ++(std::this_thread::get_id() == caller ? pauses : elsewhere); },
                                [](double) {}};
    ListSort sorter(store, ListSort::Direction::ZToA);
    sorter.run(&helper, steps);
    const std::vector<std::uint32_t> oracle = oracleOrder(store, true);
    for (qsizetype k = 0; k < store.count(); ++k) QCOMPARE(sorter.at(k), oracle[size_t(k)]);
    QCOMPARE(elsewhere.load(), 0);
    QVERIFY2(pauses > 50, qPrintable(QString::number(pauses.load())));

    // A pause that throws (the window closing) ends the sort with its own failure, on either thread.
    struct Stop {};
    int left = 3;
    const ListSort::Steps stopping{[&] {
                                       if (std::this_thread::get_id() == caller && --left == 0) throw Stop{};
                                   },
                                   [](double) {}};
    ListSort stopped(store, ListSort::Direction::AToZ);
    QVERIFY_THROWS_EXCEPTION(Stop, stopped.run(&helper, stopping));
}

void TestListTools::sortLeavesAListChangedWhileItRan() {
    // Changed through a way that the pane's hold does not stop, to as many items as before.
    TestContext t;
    TestContext::fill(t.list1, {"a", "b", "d", "c"});
    bool changed = false;
    t.yielder.onYield = [&] {
        if (std::exchange(changed, true)) return;
        t.list1.removeAt(4);
        t.list1.append(QStringLiteral("e"));
    };
    ListCommands::click(t.context, ListCommands::command(ListCommands::Id::SortAToZ), 1, "origin");
    QVERIFY(changed);
    QCOMPARE(t.list1.texts(), (QStringList{"a", "b", "d", "e"}));
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].startsWith("The list was changed while the command ran; nothing was sorted"),
             qPrintable(reports[0]));
}

void TestListTools::keepsOnlyItemsThatOccurOnce_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<bool>("ignoreSpaces");
    QTest::newRow("exact") << QStringList{"a", "b", "a", "c", "", "", "A"} << false << false;
    QTest::newRow("far apart") << QStringList{"x", "y", "z", "w", "x"} << false << false;
    QTest::newRow("ignoring case") << QStringList{"a", "b", "A", "\u00C4", "\u00E4", "c"} << true << false;
    QTest::newRow("ignoring spaces") << QStringList{" a", "a ", "b", " ", ""} << false << true;
    QTest::newRow("none repeated") << QStringList{"1", "2", "3"} << true << true;
    QTest::newRow("long list") << manyItems(150000, 200000, 1) << true << false;
}

void TestListTools::keepsOnlyItemsThatOccurOnce() {
    QFETCH(QStringList, items);
    QFETCH(bool, ignoreCase);
    QFETCH(bool, ignoreSpaces);
    const CompareOptions options{ignoreCase, ignoreSpaces};
    std::map<QString, int> copies;
    for (const QString& item : items) ++copies[oracleKey(item, options)];
    QStringList expected;
    for (const QString& item : items)
        if (copies[oracleKey(item, options)] == 1) expected.append(item);

    TestContext t;
    TestContext::fill(t.list1, items);
    t.window.setCompareOptions(options);
    ListCommands::click(t.context, ListCommands::command(ListCommands::Id::KeepOnlyOnce), 1, "origin");
    QCOMPARE(t.list1.texts(), expected);
    // Removing nothing makes no undo step.
    const int steps = t.list1.history().steps().count();
    if (expected != items) t.list1.undo();
    QCOMPARE(t.list1.texts(), items);
    QCOMPARE(t.list1.history().steps().count(), steps);
}

void TestListTools::copiesSetResults_data() {
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("other");
    QTest::addColumn<bool>("ignoreCase");
    const QStringList a{"red", "Blue", "red", "green", "", "teal "};
    const QStringList b{"blue", "red", "pink", "red", "teal", "pink"};
    QTest::newRow("exact") << a << b << false;
    QTest::newRow("ignoring case") << a << b << true;
    QTest::newRow("nothing shared") << QStringList{"x", "x"} << QStringList{"y"} << false;
    QTest::newRow("long lists") << manyItems(140000, 150000, 2) << manyItems(70000, 150000, 3) << true;
}

void TestListTools::copiesSetResults() {
    QFETCH(QStringList, list);
    QFETCH(QStringList, other);
    QFETCH(bool, ignoreCase);
    const CompareOptions options{ignoreCase, false};
    std::set<QString> otherKeys;
    for (const QString& item : other) otherKeys.insert(oracleKey(item, options));
    QStringList onlyInThis, inBoth, eachOnce;
    std::set<QString> seenBoth, seenAll;
    for (const QString& item : list) {
        const QString key = oracleKey(item, options);
        if (!otherKeys.count(key)) onlyInThis.append(item);
        if (otherKeys.count(key) && seenBoth.insert(key).second) inBoth.append(item);
        if (seenAll.insert(key).second) eachOnce.append(item);
    }
    for (const QString& item : other)
        if (seenAll.insert(oracleKey(item, options)).second) eachOnce.append(item);

    using ListTools::Compared;
    const std::pair<Compared, QStringList> cases[] = {
        {Compared::OnlyInThis, onlyInThis}, {Compared::InBoth, inBoth}, {Compared::EachOnce, eachOnce}};
    for (const auto& [which, expected] : cases) {
        TestContext t;
        ScriptedClipboard clipboard;
        clipboard.setText("before");
        TestContext::fill(t.list1, list);
        TestContext::fill(t.list2, other);
        t.window.setCompareOptions(options);
        ListToolCommands::copyCompared(t.context, 1, which, clipboard, "origin");
        const QString text = expected.isEmpty() ? QStringLiteral("before") : expected.join('\n') + '\n';
        QCOMPARE(clipboard.text(), text);
        QCOMPARE(t.list1.texts(), list);
        QCOMPARE(t.list2.texts(), other);
        QVERIFY(t.window.lastResult().contains(expected.isEmpty()
                                                   ? QStringLiteral("nothing to copy")
                                                   : QLocale().toString(expected.size()) + " item"));
    }
}

void TestListTools::findsWhatAChangeRemoved_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("removed");
    QTest::newRow("removals") << QStringList{"a", "b", "b", "a"} << QStringList{"b", "a"}
                              << QStringList{"a", "b"};
    QTest::newRow("removed and appended")
        << QStringList{"a", "b", "c"} << QStringList{"a", "c", "x", "y"} << QStringList{"b"};
    QTest::newRow("sorted") << QStringList{"b", "a", "b"} << QStringList{"a", "b", "b"} << QStringList{};
    QTest::newRow("sorted, one copy fewer")
        << QStringList{"b", "a", "a"} << QStringList{"a", "b"} << QStringList{"a"};
    QTest::newRow("sorted and removed")
        << QStringList{"c", "a", "b", "a"} << QStringList{"a", "b"} << QStringList{"c", "a"};
    QTest::newRow("appended only") << QStringList{"a"} << QStringList{"a", "a"} << QStringList{};
}

void TestListTools::findsWhatAChangeRemoved() {
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(QStringList, removed);
    ScriptedYielder yielder;
    QCOMPARE(textsOf(ListTools::removedBy(storeOf(before), storeOf(after), yielder)), removed);
}

void TestListTools::copyRemovedFollowsTheLastStep() {
    TestContext t;
    ScriptedClipboard clipboard;
    TestContext::fill(t.list1, {"a", "b", "a", "c", "b"});
    QVERIFY(!ListToolCommands::canCopyRemoved(t.context, 1));
    ListCommands::click(t.context, ListCommands::command(ListCommands::Id::KeepOnlyOnce), 1, "origin");
    QVERIFY(ListToolCommands::canCopyRemoved(t.context, 1));
    ListToolCommands::copyRemoved(t.context, 1, clipboard, "origin");
    QCOMPARE(clipboard.text(), QStringLiteral("a\nb\na\nb\n"));
    ListCommands::click(t.context, ListCommands::command(ListCommands::Id::SortZToA), 1, "origin");
    t.list1.append(QStringLiteral("d"));
    t.list1.removeAt(1);
    // A sort removes nothing; the last step (one removal) is what counts.
    QVERIFY(ListToolCommands::canCopyRemoved(t.context, 1));
    ListToolCommands::copyRemoved(t.context, 1, clipboard, "origin");
    QCOMPARE(clipboard.text(), QStringLiteral("c\n"));
    t.list1.undo();
    QVERIFY(!ListToolCommands::canCopyRemoved(t.context, 1));
}

void TestListTools::copyRemovedKeepsTheOldOrder_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("routine");
    for (const char* routine : {"RemoveDupesExceptFirst", "RemoveDupesAll", "KeepOnlyItemsThatOccurOnce"}) {
        QTest::addRow("x y x z y, %s", routine) << QStringList{"x", "y", "x", "z", "y"} << routine;
        QTest::addRow("a b a a b, %s", routine) << QStringList{"a", "b", "a", "a", "b"} << routine;
        QTest::addRow("b a b a, %s", routine) << QStringList{"b", "a", "b", "a"} << routine;
        QTest::addRow("long list, %s", routine) << manyItems(5000, 300, 4) << routine;
    }
}

// The items a dedupe took out, as the clipboard gets them, against the items that have an equal one
// where the routine looks: earlier, later, or anywhere.
void TestListTools::copyRemovedKeepsTheOldOrder() {
    QFETCH(QStringList, items);
    QFETCH(QString, routine);
    QStringList expected;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const bool earlier = items.first(i).contains(items[i]);
        const bool later = items.sliced(i + 1).contains(items[i]);
        if (routine == "RemoveDupesExceptFirst" ? earlier
            : routine == "RemoveDupesAll"       ? later
                                                : earlier || later)
            expected.append(items[i]);
    }
    TestContext t;
    ScriptedClipboard clipboard;
    TestContext::fill(t.list1, items);
    if (routine == "KeepOnlyItemsThatOccurOnce")
        ListCommands::click(t.context, ListCommands::command(ListCommands::Id::KeepOnlyOnce), 1, "origin");
    else
        runRoutine(t, routine);
    ListToolCommands::copyRemoved(t.context, 1, clipboard, "origin");
    QCOMPARE(clipboard.text(), expected.join('\n') + '\n');
}

void TestListTools::copyRemovedOfAStepOfSeveralChanges_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QStringList>("removed");
    // Positions after an append are not positions of the items before the step.
    QTest::newRow("appended, then removed")
        << QStringList{"a", "b", "a"} << "append c;remove 1,4" << QStringList{"a"};
    QTest::newRow("removed twice") << QStringList{"a", "b", "c"} << "remove 1;remove 1"
                                   << QStringList{"a", "b"};
    QTest::newRow("removed, then appended")
        << QStringList{"x", "y", "x", "z", "y"} << "remove 1,2;append w" << QStringList{"x", "y"};
}

// Changes made while one step is open (as other commands do during a command's yields) are one step.
void TestListTools::copyRemovedOfAStepOfSeveralChanges() {
    QFETCH(QStringList, items);
    QFETCH(QString, changes);
    QFETCH(QStringList, removed);
    TestContext t;
    ScriptedClipboard clipboard;
    TestContext::fill(t.list1, items);
    {
        PaneStep step(t.list1);
        for (const QString& change : changes.split(u';')) {
            const QStringList words = change.split(u' ');
            if (words[0] == "append") {
                t.list1.append(words[1]);
                continue;
            }
            QList<int> positions;
            for (const QString& p : words[1].split(u',')) positions.append(p.toInt());
            t.list1.removePositions(positions, t.list1.editStamp(), t.yielder);
        }
    }
    ListToolCommands::copyRemoved(t.context, 1, clipboard, "origin");
    QCOMPARE(clipboard.text(), removed.join('\n') + '\n');
    QVERIFY(t.dialogs.errorReports().isEmpty());
}

QTEST_GUILESS_MAIN(TestListTools)
#include "tst_listops_tools.moc"
