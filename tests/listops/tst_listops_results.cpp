#include "ListTestSupport.h"

#include <QTest>

// Which items each routine leaves, in which order; the reference pane never changes.
class ListResultsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void removesOnlyExactMatches_data() { matchRows(true); }
    void removesOnlyExactMatches() { check("SubtractSecondListFromFirstList"); }
    void keepsOnlyExactMatches_data() { matchRows(false); }
    void keepsOnlyExactMatches() { check("KeepOnlyMatchesInList"); }
    void keepsFirstOccurrence_data();
    void keepsFirstOccurrence() { check("RemoveDupesExceptFirst"); }
    void keepsLastOccurrence_data();
    void keepsLastOccurrence() { check("RemoveDupesAll"); }
    void removesOnlyEmptyItems_data();
    void removesOnlyEmptyItems() { check("RemoveBlanksFromList"); }
    void removesItemsContainingText_data() { textRows(true); }
    void removesItemsContainingText() { check("RemoveItemsWith"); }
    void removesItemsNotContainingText_data() { textRows(false); }
    void removesItemsNotContainingText() { check("RemoveItemsWithout"); }
    void removeArrayDupesKeepsLastOccurrence_data();
    void removeArrayDupesKeepsLastOccurrence();

private:
    static void row(const char* tag, const Texts& items, const Texts& expected, const Texts& reference = {},
                    const QString& text = {}) {
        QTest::newRow(tag) << items << reference << text << expected;
    }
    static void columns();
    static void matchRows(bool subtract);
    static void textRows(bool with);
    static void check(const QString& routine);
};

void ListResultsTest::columns() {
    QTest::addColumn<Texts>("items");
    QTest::addColumn<Texts>("reference");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Texts>("expected");
}

void ListResultsTest::check(const QString& routine) {
    QFETCH(Texts, items);
    QFETCH(Texts, reference);
    QFETCH(QString, text);
    QFETCH(Texts, expected);
    TestContext t;
    TestContext::fill(t.list1, items);
    TestContext::fill(t.list2, reference);
    runRoutine(t, routine, text);
    QCOMPARE(t.list1.texts(), expected);
    QCOMPARE(t.list2.texts(), reference);
    QVERIFY(t.dialogs.messages.isEmpty());
}

void ListResultsTest::matchRows(bool subtract) {
    columns();
    auto r = [&](const char* tag, const Texts& items, const Texts& reference, const Texts& afterSubtract,
                 const Texts& afterKeep) {
        row(tag, items, subtract ? afterSubtract : afterKeep, reference);
    };
    r("case counts", {"orange", "black", "purple"}, {"red", "orange", "Purple"}, {"black", "purple"},
      {"orange"});
    r("spaces count", {"a", "a ", " a"}, {"a"}, {"a ", " a"}, {"a"});
    r("repeats in target", {"a", "b", "a", "c"}, {"a"}, {"b", "c"}, {"a", "a"});
    r("repeats in reference", {"a", "b"}, {"a", "a", "a"}, {"b"}, {"a"});
    r("blank matches blank", {"", "x", ""}, {"y", ""}, {"x"}, {"", ""});
    r("blank without blank", {"", "x"}, {"x"}, {""}, {"x"});
    r("no match", {"a", "b"}, {"c", "A"}, {"a", "b"}, {});
    r("all match", {"b", "a", "b"}, {"a", "b"}, {}, {"b", "a", "b"});
    r("accents count", {"é", "e", "ée"}, {"é"}, {"e", "ée"}, {"é"});
}

void ListResultsTest::keepsFirstOccurrence_data() {
    columns();
    row("interleaved repeats", {"a", "b", "a", "c", "b", "a"}, {"a", "b", "c"});
    row("blanks", {"", "x", "", ""}, {"", "x"});
    row("case and spaces differ", {"a", "A", "a "}, {"a", "A", "a "});
    row("all equal", {"q", "q", "q", "q"}, {"q"});
}

void ListResultsTest::keepsLastOccurrence_data() {
    columns();
    row("interleaved repeats", {"a", "b", "a", "c", "b", "a"}, {"c", "b", "a"});
    row("unique item survives", {"a", "x", "a", "a"}, {"x", "a"});
    row("blanks", {"", "x", ""}, {"x", ""});
    row("case and spaces differ", {"a", "A", "a "}, {"a", "A", "a "});
    row("all equal", {"q", "q", "q", "q", "q"}, {"q"});
}

void ListResultsTest::removesOnlyEmptyItems_data() {
    columns();
    row("blanks between", {"a", "", "b", "", ""}, {"a", "b"});
    row("white space is not blank", {" ", "\t", "x"}, {" ", "\t", "x"});
    row("all blank", {"", "", ""}, {});
}

void ListResultsTest::textRows(bool with) {
    columns();
    auto r = [&](const char* tag, const QString& text, const Texts& items, const Texts& afterWith,
                 const Texts& afterWithout) { row(tag, items, with ? afterWith : afterWithout, {}, text); };
    r("case counts", "abc", {"xabcx", "ABC", "abc", "Abc"}, {"ABC", "Abc"}, {"xabcx", "abc"});
    r("leading blank counts", " a", {"ab", "x ab"}, {"ab"}, {"x ab"});
    r("single space", " ", {"a b", "ab", " "}, {"ab"}, {"a b", " "});
    r("empty item never contains", "a", {"", "a", ""}, {"", ""}, {"a"});
    r("repeated items alike", "o", {"on", "x", "on", "x"}, {"x", "x"}, {"on", "on"});
    r("longer than item", "abcd", {"abc", "bcd"}, {"abc", "bcd"}, {});
    r("accent is not the plain letter", "é", {"café", "cafe"}, {"cafe"}, {"café"});
}

void ListResultsTest::removeArrayDupesKeepsLastOccurrence_data() {
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("empty") << QList<int>{} << QList<int>{};
    QTest::newRow("ascending runs") << QList<int>{1, 1, 1, 3, 4, 4} << QList<int>{1, 3, 4};
    QTest::newRow("unordered") << QList<int>{3, 1, 3, 2, 1} << QList<int>{3, 2, 1};
}

void ListResultsTest::removeArrayDupesKeepsLastOccurrence() {
    QFETCH(QList<int>, values);
    QFETCH(QList<int>, expected);
    TestContext t;
    QCOMPARE(List::RemoveArrayDupes(values, t.yielder, t.progress), expected);
}

QTEST_GUILESS_MAIN(ListResultsTest)
#include "tst_listops_results.moc"
