#include "ListTestSupport.h"
#include "listops/CompareKey.h"
#include "listops/FieldKey.h"
#include "listops/HelperThread.h"
#include "listops/ListTools.h"
#include "listops/NaturalOrder.h"
#include "store/StorePane.h"

#include <QSet>
#include <QTest>

#include <algorithm>
#include <numeric>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Rows of a delimited export, and the second field of each as Python's csv module reads it
// (csv.reader with the separator; quoting only for comma and semicolon): the oracle for the keys.
struct Sample {
    const char* name;
    char32_t separator;
    QStringList rows;
    QStringList keys;
};

const Sample kSamples[] = {
    {"comma",
     U',',
     {u"name,email,date"_s,
      u"Ann,a@x.org,1"_s,
      u"\"Smith, Bob\",B@X.org,2"_s,
      u"Cy,\"c@x.org\",3"_s,
      u"Di,\"d,\"\"q\"\"@x.org\",4"_s,
      u"Ed,\"e@x\"tail,5"_s,
      u"Fy, a@x.org ,6"_s,
      u"short"_s,
      u""_s,
      u"Gil,,7"_s,
      u"Hal,   ,8"_s,
      u"Ivy,c@x.org"_s,
      u"Jo,x\"y\"@x.org,9"_s,
      u"Kim,\"unterminated,x"_s,
      u"Lu,Ümlaut@x.org,10"_s,
      u"Mo,ümlaut@X.org,11"_s,
      u"Ann,a@x.org,1"_s,
      u"\"\",e@x.org,12"_s,
      u"\"Nu,e@x.org"_s,
      u"\"O\"\"Neil, Al\",f@x.org,13"_s,
      u"\"O\"\"\",g@x.org,14"_s,
      u"\"Al,\",h@x.org,15"_s},
     {u"email"_s,
      u"a@x.org"_s,
      u"B@X.org"_s,
      u"c@x.org"_s,
      u"d,\"q\"@x.org"_s,
      u"e@xtail"_s,
      u" a@x.org "_s,
      u""_s,
      u""_s,
      u""_s,
      u"   "_s,
      u"c@x.org"_s,
      u"x\"y\"@x.org"_s,
      u"unterminated,x"_s,
      u"Ümlaut@x.org"_s,
      u"ümlaut@X.org"_s,
      u"a@x.org"_s,
      u"e@x.org"_s,
      u""_s,
      u"f@x.org"_s,
      u"g@x.org"_s,
      u"h@x.org"_s}},
    {"semicolon",
     U';',
     {u"name;email;date"_s,
      u"Ann;a@x.org;1"_s,
      u"\"Smith; Bob\";B@X.org;2"_s,
      u"Cy;\"c@x.org\";3"_s,
      u"Di;\"d;\"\"q\"\"@x.org\";4"_s,
      u"Ed;\"e@x\"tail;5"_s,
      u"Fy; a@x.org ;6"_s,
      u"short"_s,
      u""_s,
      u"Gil;;7"_s,
      u"Hal;   ;8"_s,
      u"Ivy;c@x.org"_s,
      u"Jo;x\"y\"@x.org;9"_s,
      u"Kim;\"unterminated;x"_s,
      u"Lu;Ümlaut@x.org;10"_s,
      u"Mo;ümlaut@X.org;11"_s,
      u"Ann;a@x.org;1"_s,
      u"\"\";e@x.org;12"_s,
      u"\"Nu;e@x.org"_s,
      u"\"O\"\"Neil; Al\";f@x.org;13"_s,
      u"\"O\"\"\";g@x.org;14"_s,
      u"\"Al;\";h@x.org;15"_s},
     {u"email"_s,
      u"a@x.org"_s,
      u"B@X.org"_s,
      u"c@x.org"_s,
      u"d;\"q\"@x.org"_s,
      u"e@xtail"_s,
      u" a@x.org "_s,
      u""_s,
      u""_s,
      u""_s,
      u"   "_s,
      u"c@x.org"_s,
      u"x\"y\"@x.org"_s,
      u"unterminated;x"_s,
      u"Ümlaut@x.org"_s,
      u"ümlaut@X.org"_s,
      u"a@x.org"_s,
      u"e@x.org"_s,
      u""_s,
      u"f@x.org"_s,
      u"g@x.org"_s,
      u"h@x.org"_s}},
    {"tab",
     U'\t',
     {u"name\temail\tdate"_s,
      u"Ann\ta@x.org\t1"_s,
      u"\"Smith\t Bob\"\tB@X.org\t2"_s,
      u"Cy\t\"c@x.org\"\t3"_s,
      u"Di\t\"d\t\"\"q\"\"@x.org\"\t4"_s,
      u"Ed\t\"e@x\"tail\t5"_s,
      u"Fy\t a@x.org \t6"_s,
      u"short"_s,
      u""_s,
      u"Gil\t\t7"_s,
      u"Hal\t   \t8"_s,
      u"Ivy\tc@x.org"_s,
      u"Jo\tx\"y\"@x.org\t9"_s,
      u"Kim\t\"unterminated\tx"_s,
      u"Lu\tÜmlaut@x.org\t10"_s,
      u"Mo\tümlaut@X.org\t11"_s,
      u"Ann\ta@x.org\t1"_s,
      u"\"\"\te@x.org\t12"_s,
      u"\"Nu\te@x.org"_s,
      u"\"O\"\"Neil\t Al\"\tf@x.org\t13"_s,
      u"\"O\"\"\"\tg@x.org\t14"_s,
      u"\"Al\t\"\th@x.org\t15"_s},
     {u"email"_s,
      u"a@x.org"_s,
      u" Bob\""_s,
      u"\"c@x.org\""_s,
      u"\"d"_s,
      u"\"e@x\"tail"_s,
      u" a@x.org "_s,
      u""_s,
      u""_s,
      u""_s,
      u"   "_s,
      u"c@x.org"_s,
      u"x\"y\"@x.org"_s,
      u"\"unterminated"_s,
      u"Ümlaut@x.org"_s,
      u"ümlaut@X.org"_s,
      u"a@x.org"_s,
      u"e@x.org"_s,
      u"e@x.org"_s,
      u" Al\""_s,
      u"g@x.org"_s,
      u"\""_s}},
    {"bar",
     U'|',
     {u"name|email|date"_s,
      u"Ann|a@x.org|1"_s,
      u"\"Smith| Bob\"|B@X.org|2"_s,
      u"Cy|\"c@x.org\"|3"_s,
      u"Di|\"d|\"\"q\"\"@x.org\"|4"_s,
      u"Ed|\"e@x\"tail|5"_s,
      u"Fy| a@x.org |6"_s,
      u"short"_s,
      u""_s,
      u"Gil||7"_s,
      u"Hal|   |8"_s,
      u"Ivy|c@x.org"_s,
      u"Jo|x\"y\"@x.org|9"_s,
      u"Kim|\"unterminated|x"_s,
      u"Lu|Ümlaut@x.org|10"_s,
      u"Mo|ümlaut@X.org|11"_s,
      u"Ann|a@x.org|1"_s,
      u"\"\"|e@x.org|12"_s,
      u"\"Nu|e@x.org"_s,
      u"\"O\"\"Neil| Al\"|f@x.org|13"_s,
      u"\"O\"\"\"|g@x.org|14"_s,
      u"\"Al|\"|h@x.org|15"_s},
     {u"email"_s,
      u"a@x.org"_s,
      u" Bob\""_s,
      u"\"c@x.org\""_s,
      u"\"d"_s,
      u"\"e@x\"tail"_s,
      u" a@x.org "_s,
      u""_s,
      u""_s,
      u""_s,
      u"   "_s,
      u"c@x.org"_s,
      u"x\"y\"@x.org"_s,
      u"\"unterminated"_s,
      u"Ümlaut@x.org"_s,
      u"ümlaut@X.org"_s,
      u"a@x.org"_s,
      u"e@x.org"_s,
      u"e@x.org"_s,
      u" Al\""_s,
      u"g@x.org"_s,
      u"\""_s}},
    {"section",
     U'§',
     {u"name§email§date"_s,
      u"Ann§a@x.org§1"_s,
      u"\"Smith§ Bob\"§B@X.org§2"_s,
      u"Cy§\"c@x.org\"§3"_s,
      u"Di§\"d§\"\"q\"\"@x.org\"§4"_s,
      u"Ed§\"e@x\"tail§5"_s,
      u"Fy§ a@x.org §6"_s,
      u"short"_s,
      u""_s,
      u"Gil§§7"_s,
      u"Hal§   §8"_s,
      u"Ivy§c@x.org"_s,
      u"Jo§x\"y\"@x.org§9"_s,
      u"Kim§\"unterminated§x"_s,
      u"Lu§Ümlaut@x.org§10"_s,
      u"Mo§ümlaut@X.org§11"_s,
      u"Ann§a@x.org§1"_s,
      u"\"\"§e@x.org§12"_s,
      u"\"Nu§e@x.org"_s,
      u"\"O\"\"Neil§ Al\"§f@x.org§13"_s,
      u"\"O\"\"\"§g@x.org§14"_s,
      u"\"Al§\"§h@x.org§15"_s},
     {u"email"_s,
      u"a@x.org"_s,
      u" Bob\""_s,
      u"\"c@x.org\""_s,
      u"\"d"_s,
      u"\"e@x\"tail"_s,
      u" a@x.org "_s,
      u""_s,
      u""_s,
      u""_s,
      u"   "_s,
      u"c@x.org"_s,
      u"x\"y\"@x.org"_s,
      u"\"unterminated"_s,
      u"Ümlaut@x.org"_s,
      u"ümlaut@X.org"_s,
      u"a@x.org"_s,
      u"e@x.org"_s,
      u"e@x.org"_s,
      u" Al\""_s,
      u"g@x.org"_s,
      u"\""_s}},
};

// A plain list of addresses, compared whole.
const QStringList kReference{u"a@x.org"_s, u"C@X.ORG"_s, u" ümlaut@x.org"_s, u"nobody@x.org"_s, u"c@x.org"_s};
const QString kText = u"@X"_s;

enum class Tool { SortAToZ, KeepOnlyOnce, OnlyInThis, InBoth, EachOnce };

QByteArray key(const QString& text, const CompareOptions& options) {
    return CompareKey::of(text.toUtf8(), options);
}

// What each command leaves, worked out plainly from the oracle's keys: the body's items by index,
// the header (item 0) first where there is one.
QStringList expected(const QString& command, const Sample& sample, bool header, const CompareOptions& o) {
    const QStringList& rows = sample.rows;
    const QStringList& keys = sample.keys;
    const int first = header ? 1 : 0;
    QSet<QByteArray> reference;
    for (const QString& r : kReference) reference.insert(key(r, o));
    QList<int> body(rows.size() - first);
    std::iota(body.begin(), body.end(), first);
    const auto count = [&](const QByteArray& k) {
        return std::count_if(body.cbegin(), body.cend(), [&](int i) { return key(keys[i], o) == k; });
    };
    QList<int> kept;
    QStringList extra;
    QSet<QByteArray> seen;
    for (int i : body) {
        const QByteArray k = key(keys[i], o);
        const bool inReference = reference.contains(k);
        const CompareOptions caseOnly{o.ignoreCase, false};
        const bool contains = key(keys[i], caseOnly).contains(key(kText, caseOnly));
        bool keep = true;
        if (command == "SubtractSecondListFromFirstList" || command == "OnlyInThis") keep = !inReference;
        if (command == "KeepOnlyMatchesInList") keep = inReference;
        if (command == "InBoth") keep = inReference && !seen.contains(k);
        if (command == "RemoveDupesExceptFirst" || command == "EachOnce") keep = !seen.contains(k);
        if (command == "RemoveDupesAll") {
            keep = std::none_of(body.cbegin(), body.cend(),
                                [&](int j) { return j > i && key(keys[j], o) == k; });
        }
        if (command == "RemoveBlanksFromList") keep = !CompareKey::isBlank(keys[i].toUtf8(), o);
        if (command == "RemoveItemsWith") keep = !contains;
        if (command == "RemoveItemsWithout") keep = contains;
        if (command == "KeepOnlyOnce") keep = count(k) == 1;
        if (keep) seen.insert(k);
        if (keep) kept.append(i);
    }
    if (command == "EachOnce")
        for (const QString& r : kReference)
            if (!seen.contains(key(r, o))) {
                seen.insert(key(r, o));
                extra.append(r);
            }
    if (command == "SortAToZ") {
        kept = body;
        std::stable_sort(kept.begin(), kept.end(), [&](int a, int b) {
            const int byKey = NaturalOrder::compare(keys[a].toUtf8(), keys[b].toUtf8());
            if (byKey != 0) return byKey < 0;
            return NaturalOrder::compare(rows[a].toUtf8(), rows[b].toUtf8()) < 0;
        });
    }
    QStringList result;
    // The set results are new lists: no header there.
    const bool copied = command == "OnlyInThis" || command == "InBoth" || command == "EachOnce";
    if (header && !copied) result.append(rows[0]);
    for (int i : kept) result.append(rows[i]);
    return result + extra;
}

ItemStore storeOf(const QStringList& texts) {
    ItemStore items;
    for (const QString& t : texts) items.append(t.toUtf8());
    return items;
}

QStringList textsOf(const ItemStore& items) {
    QStringList texts;
    for (qsizetype i = 0; i < items.count(); ++i) texts.append(QString::fromUtf8(items.text(i)));
    return texts;
}

// A fixed generator: the same rows on every run.
struct Rng {
    quint64 state;
    quint32 next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return quint32(state >> 33);
    }
};

// Rows of a long list across many blocks: short rows, a fifth with quoted fields (some with doubled
// quotes or text after the closing quote), and two pairs of long rows: the first of each pair ends its
// block by bytes just after it began, leaving a block of a few keys between full ones.
ItemStore longRows(qsizetype count) {
    static const char* const kSecond[] = {"k%1", "\"k%1\"", "\"k,\"\"%1\"", "\"k%1\"x", ""};
    Rng rng{7};
    ItemStore rows;
    for (qsizetype i = 0; i < count; ++i) {
        const quint32 r = rng.next();
        QByteArray row = (r % 7 == 0 ? QByteArray("\"n,m\"") : QByteArray::number(r % 100)) + ',' +
                         QString::fromLatin1(kSecond[r % 5]).arg(r % 50000).toLatin1() + ",d";
        if (i == 65600 || i == 65601 || i == 300000 || i == 300001) row += QByteArray(3 << 20, 'z');
        rows.append(row);
    }
    return rows;
}

}  // namespace

// Matching on a column: each command compares the chosen field of every row (with the compare
// options applied to the field), keeps whole rows, and leaves a header row first and alone.
class ListColumnsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keysAsPythonReadsThem_data() {
        QTest::addColumn<int>("sample");
        for (int s = 0; s < int(std::size(kSamples)); ++s) QTest::newRow(kSamples[s].name) << s;
    }
    void keysAsPythonReadsThem() {
        QFETCH(int, sample);
        const Sample& x = kSamples[sample];
        const FieldKey field(MatchOn{2, x.separator, false});
        QStringList keys;
        for (const QString& row : x.rows) keys.append(QString::fromUtf8(field.of(row.toUtf8())));
        QCOMPARE(keys, x.keys);
        // The store of keys says the same, the header left out where there is one.
        const ItemStore store =
            FieldKey::keysOf(storeOf(x.rows), MatchOn{2, x.separator, true}, [] { return true; });
        QCOMPARE(textsOf(store), x.keys.mid(1));
    }

    void commandsCompareKeys_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("sample");
        QTest::addColumn<bool>("header");
        QTest::addColumn<bool>("options");
        const QStringList commands =
            kRoutines + QStringList{"SortAToZ", "KeepOnlyOnce", "OnlyInThis", "InBoth", "EachOnce"};
        for (const QString& command : commands)
            for (int s = 0; s < int(std::size(kSamples)); ++s)
                for (const bool header : {false, true})
                    for (const bool options : {false, true})
                        QTest::addRow("%s %s%s%s", qPrintable(command), kSamples[s].name,
                                      header ? " header" : "", options ? " case spaces" : "")
                            << command << s << header << options;
    }
    void commandsCompareKeys() {
        QFETCH(QString, command);
        QFETCH(int, sample);
        QFETCH(bool, header);
        QFETCH(bool, options);
        const Sample& x = kSamples[sample];
        const CompareOptions o{options, options};
        const MatchOn on{2, x.separator, header};
        TestContext t;
        TestContext::fill(t.list1, x.rows);
        TestContext::fill(t.list2, kReference);
        const List::RoutineServices s{t.reporter, t.yielder, t.progress, o, on};
        using ListTools::Compared;
        const std::map<QString, Compared> sets{{"OnlyInThis", Compared::OnlyInThis},
                                               {"InBoth", Compared::InBoth},
                                               {"EachOnce", Compared::EachOnce}};
        QStringList result;
        if (sets.contains(command)) {
            result = textsOf(ListTools::compared(t.list1.snapshot(), t.list2.snapshot(), sets.at(command), o,
                                                 t.yielder, on));
        } else {
            if (command == "SortAToZ")
                ListTools::SortAToZ(t.list1, s);
            else if (command == "KeepOnlyOnce")
                ListTools::KeepOnlyItemsThatOccurOnce(t.list1, s);
            else
                runRoutine(t, command, kText, nullptr, o, on);
            result = t.list1.texts();
        }
        QCOMPARE(result, expected(command, x, header, o));
        QCOMPARE(t.list2.texts(), kReference);
        QVERIFY(t.dialogs.messages.isEmpty());
    }

    // A long list's keys, made on both threads a round of blocks at a time, are each item's own key,
    // in order, and stay whole once the items are gone.
    void keysOfLongListsOnBothThreads_data() {
        QTest::addColumn<qsizetype>("count");
        QTest::addColumn<bool>("header");
        QTest::newRow("full blocks and short ones, a header") << 6 * ItemStore::kBlockItems + 3 << true;
        QTest::newRow("one item past a block") << 5 * ItemStore::kBlockItems + 1 << false;
    }
    void keysOfLongListsOnBothThreads() {
        QFETCH(qsizetype, count);
        QFETCH(bool, header);
        const MatchOn on{2, U',', header};
        std::optional<ItemStore> rows = longRows(count);
        QVERIFY(rows->blockCount() > 5);
        qsizetype fewest = ItemStore::kBlockItems;
        for (qsizetype b = 0; b < rows->blockCount(); ++b) fewest = std::min(fewest, rows->block(b).count());
        QVERIFY(fewest < 100);
        QList<QByteArray> expected;
        const FieldKey field(on);
        for (qsizetype i = header ? 1 : 0; i < rows->count(); ++i) expected.append(field.of(rows->text(i)));
        HelperThread helper;
        const ItemStore keys = FieldKey::keysOf(
            *rows, on, [] { return true; }, &helper);
        rows.reset();
        QCOMPARE(keys.count(), expected.size());
        for (qsizetype i = 0; i < keys.count(); ++i)
            if (keys.text(i) != expected[i]) QFAIL(qPrintable(u"key %1 differs"_s.arg(i)));
    }

    // Rows with equal keys take the order of the rows themselves, in either direction, equal rows
    // keeping theirs: short runs at once, long runs and runs of much text sorted as lists of their own.
    // A list in that order already stays as it is.
    void sortPutsEqualKeysInTheirRowsOrder_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("runLength");
        QTest::addColumn<int>("rowBytes");
        QTest::addColumn<bool>("aToZ");
        for (const bool aToZ : {true, false}) {
            const char* direction = aToZ ? "A to Z" : "Z to A";
            QTest::addRow("short runs, %s", direction) << 3000 << 3 << 10 << aToZ;
            QTest::addRow("runs of 256 and more, %s", direction) << 3000 << 700 << 10 << aToZ;
            QTest::addRow("runs of much text, %s", direction) << 60 << 4 << 20000 << aToZ;
        }
    }
    void sortPutsEqualKeysInTheirRowsOrder() {
        QFETCH(int, count);
        QFETCH(int, runLength);
        QFETCH(int, rowBytes);
        QFETCH(bool, aToZ);
        Rng rng{11};
        QStringList rows;
        QStringList keys;
        for (int i = 0; i < count; ++i) {
            const QString key = u"k%1"_s.arg(rng.next() % (count / runLength));
            // Few distinct names: equal rows too.
            const QString name = u"n%1"_s.arg(rng.next() % 9) + QString(rowBytes, u'x');
            rows.append(name + u',' + key + u",d"_s);
            keys.append(key);
        }
        QList<int> order(rows.size());
        std::iota(order.begin(), order.end(), 0);
        const int sign = aToZ ? 1 : -1;
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const int byKey = NaturalOrder::compare(keys[a].toUtf8(), keys[b].toUtf8());
            if (byKey != 0) return sign * byKey < 0;
            return sign * NaturalOrder::compare(rows[a].toUtf8(), rows[b].toUtf8()) < 0;
        });
        QStringList expected;
        for (int i : order) expected.append(rows[i]);
        TestContext t;
        TestContext::fill(t.list1, rows);
        const List::RoutineServices s{t.reporter, t.yielder, t.progress, {}, MatchOn{2, U',', false}};
        const auto sort = [&] {
            if (aToZ)
                ListTools::SortAToZ(t.list1, s);
            else
                ListTools::SortZToA(t.list1, s);
        };
        sort();
        QCOMPARE(t.list1.texts(), expected);
        // In order now: sorting again leaves the pane as it is.
        const quint64 stamp = t.list1.editStamp();
        sort();
        QCOMPARE(t.list1.editStamp(), stamp);
    }

    // The reference matched on a column of its own, its header skipped.
    void referenceOnAColumn() {
        TestContext t;
        TestContext::fill(t.list1, {u"a@x.org"_s, u"email"_s, u"b@x.org"_s, u"c@x.org"_s});
        TestContext::fill(t.list2, {u"id\temail"_s, u"1\tb@x.org"_s, u"2\t\"c@x.org\""_s});
        runRoutine(t, "SubtractSecondListFromFirstList", {}, nullptr, {}, {}, MatchOn{2, U'\t', true});
        QCOMPARE(t.list1.texts(), (QStringList{u"a@x.org"_s, u"email"_s, u"c@x.org"_s}));
    }

    void keptReferenceIsReadOnce_data() {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<bool>("onAColumn");
        QTest::newRow("remove, whole items") << false << false;
        QTest::newRow("remove, a column") << false << true;
        QTest::newRow("keep, whole items") << true << false;
        QTest::newRow("keep, a column") << true << true;
    }
    // A long list run piece by piece against one reference: its keys and table are made once, by
    // the first piece's run, and every piece is matched against all of it.
    void keptReferenceIsReadOnce() {
        QFETCH(bool, keep);
        QFETCH(bool, onAColumn);
        class CountingPane : public StorePane {
        public:
            using StorePane::StorePane;
            ItemStore snapshot() const override {
                ++snapshots;
                return StorePane::snapshot();
            }
            mutable int snapshots = 0;
        };
        const auto store = [](const QStringList& texts) {
            ItemStore items;
            for (const QString& text : texts) items.append(text.toUtf8());
            return items;
        };
        const CountingPane reference(store(onAColumn
                                               ? QStringList{u"id\temail"_s, u"1\tb@x.org"_s, u"2\tc@x.org"_s}
                                               : QStringList{u"b@x.org"_s, u"c@x.org"_s}));
        TestContext t;
        List::KeptReference kept;
        const List::RoutineServices s{t.reporter, t.yielder, t.progress,
                                      {},         {},        onAColumn ? MatchOn{2, U'\t', true} : MatchOn{},
                                      nullptr,    &kept};
        QStringList left;
        for (const QStringList& piece :
             {QStringList{u"a@x.org"_s, u"b@x.org"_s}, QStringList{u"c@x.org"_s, u"d@x.org"_s}}) {
            StorePane target(store(piece));
            if (keep)
                List::KeepOnlyMatchesInList(target, reference, s);
            else
                List::SubtractSecondListFromFirstList(target, reference, s);
            for (qsizetype k = 0; k < target.items().count(); ++k)
                left << QString::fromUtf8(target.items().text(k));
        }
        QCOMPARE(left, keep ? QStringList({u"b@x.org"_s, u"c@x.org"_s})
                            : QStringList({u"a@x.org"_s, u"d@x.org"_s}));
        QCOMPARE(reference.snapshots, 1);
    }
};

QTEST_GUILESS_MAIN(ListColumnsTest)
#include "tst_listops_columns.moc"
