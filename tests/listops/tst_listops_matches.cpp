#include "ListTestSupport.h"

#include <QTest>

// SubtractSecondListFromFirstList, KeepOnlyMatchesInList and RemoveArrayDupes.
class ListMatchesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void removesOnlyExactMatches_data() { matchRows(); }
    void removesOnlyExactMatches();
    void keepsOnlyExactMatches_data() { matchRows(); }
    void keepsOnlyExactMatches();
    void unreadableReferenceItemMatchesNothing_data();
    void unreadableReferenceItemMatchesNothing();
    void removeArrayDupesKeepsLastOccurrence_data();
    void removeArrayDupesKeepsLastOccurrence();

private:
    static void matchRows();
    static void checkRoutine(const QString& routine, const QStringList& expected);
};

void ListMatchesTest::matchRows() {
    QTest::addColumn<QStringList>("target");
    QTest::addColumn<QStringList>("reference");
    QTest::addColumn<QStringList>("afterSubtract");
    QTest::addColumn<QStringList>("afterKeep");
    using L = QStringList;
    QTest::newRow("case counts") << L{"orange", "black", "purple"} << L{"red", "orange", "Purple"}
                                 << L{"black", "purple"} << L{"orange"};
    QTest::newRow("spaces count") << L{"a", "a ", " a"} << L{"a"} << L{"a ", " a"} << L{"a"};
    QTest::newRow("repeats in target") << L{"a", "b", "a", "c"} << L{"a"} << L{"b", "c"} << L{"a", "a"};
    QTest::newRow("repeats in reference") << L{"a", "b"} << L{"a", "a", "a"} << L{"b"} << L{"a"};
    QTest::newRow("blank matches blank") << L{"", "x", ""} << L{"y", ""} << L{"x"} << L{"", ""};
    QTest::newRow("blank without blank") << L{"", "x"} << L{"x"} << L{""} << L{"x"};
    QTest::newRow("no match") << L{"a", "b"} << L{"c", "A"} << L{"a", "b"} << L{};
    QTest::newRow("all match") << L{"b", "a", "b"} << L{"a", "b"} << L{} << L{"b", "a", "b"};
    QTest::newRow("accents count") << L{"é", "e", "ée"} << L{"é"} << L{"e", "ée"} << L{"é"};
}

void ListMatchesTest::checkRoutine(const QString& routine, const QStringList& expected) {
    QFETCH(QStringList, target);
    QFETCH(QStringList, reference);
    TestContext t;
    TestContext::fill(t.list1, target);
    TestContext::fill(t.list2, reference);
    runRoutine(t, routine);
    QCOMPARE(t.list1.texts(), expected);
    QCOMPARE(t.list2.texts(), reference);
    QVERIFY(t.dialogs.messages.isEmpty());
}

void ListMatchesTest::removesOnlyExactMatches() {
    QFETCH(QStringList, afterSubtract);
    checkRoutine("Subtract", afterSubtract);
}

void ListMatchesTest::keepsOnlyExactMatches() {
    QFETCH(QStringList, afterKeep);
    checkRoutine("Keep", afterKeep);
}

void ListMatchesTest::unreadableReferenceItemMatchesNothing_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("line");
    QTest::newRow("subtract") << "Subtract" << QStringList{"a", "c"} << 110;
    QTest::newRow("keep") << "Keep" << QStringList{"b"} << 112;
}

void ListMatchesTest::unreadableReferenceItemMatchesNothing() {
    QFETCH(QString, routine);
    QFETCH(QStringList, expected);
    QFETCH(int, line);
    BasicTestContext<PaneModel, FailingPane> t;
    TestContext::fill(t.list1, {"a", "b", "c"});
    TestContext::fill(t.list2, {"a", "b", "x"});
    t.list2.failAt = {1};
    runRoutine(t, routine);
    QCOMPARE(t.list1.texts(), expected);
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].contains(reportedAt("List", routineName(routine), line)));
}

void ListMatchesTest::removeArrayDupesKeepsLastOccurrence_data() {
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("empty") << QList<int>{} << QList<int>{};
    QTest::newRow("ascending runs") << QList<int>{1, 1, 1, 3, 4, 4} << QList<int>{1, 3, 4};
    QTest::newRow("unordered") << QList<int>{3, 1, 3, 2, 1} << QList<int>{3, 2, 1};
    QTest::newRow("no repeats") << QList<int>{5, 2, 9} << QList<int>{5, 2, 9};
}

void ListMatchesTest::removeArrayDupesKeepsLastOccurrence() {
    QFETCH(QList<int>, values);
    QFETCH(QList<int>, expected);
    TestContext t;
    const QList<int> before = values;
    QCOMPARE(List::RemoveArrayDupes(values, t.yielder, t.progress), expected);
    QCOMPARE(values, before);
    if (!values.isEmpty()) QCOMPARE(t.progress.values.last(), 100.0);
}

QTEST_GUILESS_MAIN(ListMatchesTest)
#include "tst_listops_matches.moc"
