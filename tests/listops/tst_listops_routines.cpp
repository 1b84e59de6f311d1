#include "ListTestSupport.h"

#include <QTest>

#include <chrono>

// What all seven routines share: the progress display, the error report and its resumption, and
// leaving alone what changed in the panes while they ran.
class ListRoutinesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsProgressPerItemAndEndsAtZero_data();
    void showsProgressPerItemAndEndsAtZero();
    void reportsFailureWithOriginAndLine_data();
    void reportsFailureWithOriginAndLine();
    void leavesItemsAppendedMeanwhileInPlace_data();
    void leavesItemsAppendedMeanwhileInPlace();
    void removesNothingWhenAPaneLosesItemsMeanwhile_data();
    void removesNothingWhenAPaneLosesItemsMeanwhile();
};

void ListRoutinesTest::showsProgressPerItemAndEndsAtZero_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("yieldEveryItem");
    QTest::addColumn<QList<double>>("expected");
    const QStringList abc{"a", "b", "c"};
    const double third = 100.0 / 3;
    // List 2 holds "b"; the search text is "a".
    QTest::newRow("subtract, then the dedupe sweep") << "Subtract" << abc << true
                                                     << QList<double>{third, 2 * third, 100, 100, 0};
    QTest::newRow("keep") << "Keep" << abc << true << QList<double>{third, 2 * third, 100, 0};
    QTest::newRow("except first counts down") << "ExceptFirst" << abc << true << QList<double>{0, third, 2 * third, 0};
    QTest::newRow("except first, one item") << "ExceptFirst" << QStringList{"z"} << true << QList<double>{0, 0};
    QTest::newRow("all counts down") << "All" << abc << true << QList<double>{0, third, 2 * third, 0};
    QTest::newRow("blanks, one item") << "Blanks" << QStringList{""} << true << QList<double>{100, 0};
    QTest::newRow("with") << "With" << abc << true << QList<double>{third, 2 * third, 100, 0};
    QTest::newRow("without") << "Without" << abc << true << QList<double>{third, 2 * third, 100, 0};
    // Without a yield the display is still written for the last item.
    QTest::newRow("subtract, no yield") << "Subtract" << abc << false << QList<double>{100, 100, 0};
    QTest::newRow("all, no yield") << "All" << abc << false << QList<double>{2 * third, 0};
    QTest::newRow("except first, no yield") << "ExceptFirst" << abc << false << QList<double>{2 * third, 0};
    QTest::newRow("blanks, no yield") << "Blanks" << abc << false << QList<double>{100, 0};
}

void ListRoutinesTest::showsProgressPerItemAndEndsAtZero() {
    QFETCH(QString, routine);
    QFETCH(QStringList, items);
    QFETCH(bool, yieldEveryItem);
    QFETCH(QList<double>, expected);
    TestContext t;
    TestContext::fill(t.list1, items);
    TestContext::fill(t.list2, {"b"});
    ScriptedYielder never(std::chrono::hours(1));
    runRoutine(t, routine, "a", yieldEveryItem ? nullptr : &never);
    QCOMPARE(t.progress.values.size(), expected.size());
    for (qsizetype k = 0; k < expected.size(); ++k)
        QVERIFY2(qFuzzyCompare(1 + t.progress.values[k], 1 + expected[k]), qPrintable(QString::number(k)));
}

void ListRoutinesTest::reportsFailureWithOriginAndLine_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("failAt");  // 0: the removal fails instead
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("line");
    using L = QStringList;
    // List 2 holds "a"; the search text is "a". An unreadable item takes the true branch of its test.
    QTest::newRow("subtract read") << "Subtract" << L{"a", "b", "c"} << 2 << L{"c"} << 110;
    QTest::newRow("keep read") << "Keep" << L{"a", "b", "c"} << 2 << L{"a", "b"} << 112;
    QTest::newRow("except first read") << "ExceptFirst" << L{"a", "b", "a"} << 2 << L{"a"} << 110;
    QTest::newRow("all read") << "All" << L{"a", "b", "a"} << 3 << L{"a", "b"} << 112;
    QTest::newRow("blanks read") << "Blanks" << L{"x", "y"} << 1 << L{"y"} << 108;
    QTest::newRow("with read") << "With" << L{"x", "y"} << 2 << L{"x"} << 108;
    QTest::newRow("without read") << "Without" << L{"a", "b", "a"} << 1 << L{"a"} << 108;
    QTest::newRow("subtract removal") << "Subtract" << L{"a", "b"} << 0 << L{"a", "b"} << 124;
    QTest::newRow("keep removal") << "Keep" << L{"a", "b"} << 0 << L{"a", "b"} << 140;
    QTest::newRow("except first removal") << "ExceptFirst" << L{"a", "a"} << 0 << L{"a", "a"} << 112;
    QTest::newRow("all removal") << "All" << L{"a", "a"} << 0 << L{"a", "a"} << 126;
    QTest::newRow("blanks removal") << "Blanks" << L{""} << 0 << L{""} << 120;
    QTest::newRow("with removal") << "With" << L{"a"} << 0 << L{"a"} << 120;
    QTest::newRow("without removal") << "Without" << L{"b"} << 0 << L{"b"} << 120;
}

void ListRoutinesTest::reportsFailureWithOriginAndLine() {
    QFETCH(QString, routine);
    QFETCH(QStringList, items);
    QFETCH(int, failAt);
    QFETCH(QStringList, expected);
    QFETCH(int, line);
    BasicTestContext<FailingPane> t;
    TestContext::fill(t.list1, items);
    TestContext::fill(t.list2, {"a"});
    if (failAt) t.list1.failAt = {failAt};
    t.list1.failRemovals = failAt == 0;
    runRoutine(t, routine, "a");
    QCOMPARE(t.list1.texts(), expected);
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].contains(reportedAt("List", routineName(routine), line)), qPrintable(reports[0]));
    QCOMPARE(t.progress.values.last(), 0.0);
}

void ListRoutinesTest::leavesItemsAppendedMeanwhileInPlace_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("appended");
    QTest::addColumn<QStringList>("expected");
    using L = QStringList;
    // List 2 holds "a"; the search text is "a". Each appended item would be removed had it been there.
    QTest::newRow("subtract") << "Subtract" << L{"a", "b"} << "a" << L{"b", "a"};
    QTest::newRow("keep") << "Keep" << L{"a", "b"} << "b" << L{"a", "b"};
    QTest::newRow("except first") << "ExceptFirst" << L{"a", "b"} << "a" << L{"a", "b", "a"};
    QTest::newRow("all") << "All" << L{"a", "b"} << "a" << L{"a", "b", "a"};
    QTest::newRow("blanks") << "Blanks" << L{"", "x"} << "" << L{"x", ""};
    QTest::newRow("with") << "With" << L{"a", "b"} << "a" << L{"b", "a"};
    QTest::newRow("without") << "Without" << L{"a", "b"} << "b" << L{"a", "b"};
}

void ListRoutinesTest::leavesItemsAppendedMeanwhileInPlace() {
    QFETCH(QString, routine);
    QFETCH(QStringList, items);
    QFETCH(QString, appended);
    QFETCH(QStringList, expected);
    TestContext t;
    TestContext::fill(t.list1, items);
    TestContext::fill(t.list2, {"a"});
    t.yielder.onYield = [&] {
        if (t.list1.count() == items.size()) t.list1.append(appended);
    };
    runRoutine(t, routine, "a");
    QCOMPARE(t.list1.texts(), expected);
    QVERIFY(t.dialogs.messages.isEmpty());
}

void ListRoutinesTest::removesNothingWhenAPaneLosesItemsMeanwhile_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<int>("pane");
    QTest::addColumn<int>("line");
    QTest::newRow("subtract, target") << "Subtract" << 1 << 110;
    QTest::newRow("subtract, reference") << "Subtract" << 2 << 110;
    QTest::newRow("keep, reference") << "Keep" << 2 << 112;
    QTest::newRow("except first") << "ExceptFirst" << 1 << 110;
    QTest::newRow("all") << "All" << 1 << 112;
    QTest::newRow("blanks") << "Blanks" << 1 << 108;
    QTest::newRow("without") << "Without" << 1 << 108;
}

void ListRoutinesTest::removesNothingWhenAPaneLosesItemsMeanwhile() {
    QFETCH(QString, routine);
    QFETCH(int, pane);
    QFETCH(int, line);
    TestContext t;
    const QStringList items{"a", "", "a", "b", "z"};
    TestContext::fill(t.list1, items);
    TestContext::fill(t.list2, {"a", "z"});
    PaneModel& shrinking = pane == 1 ? t.list1 : t.list2;
    const QStringList untouched = (pane == 1 ? items : QStringList{"a", "z"}).mid(1);
    t.yielder.onYield = [&] {
        if (shrinking.count() == untouched.size() + 1) shrinking.removeAt(1);
    };
    runRoutine(t, routine, "a");
    QCOMPARE(shrinking.texts(), untouched);
    if (pane == 2) QCOMPARE(t.list1.texts(), items);
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].contains(reportedAt("List", routineName(routine), line)));
}

QTEST_GUILESS_MAIN(ListRoutinesTest)
#include "tst_listops_routines.moc"
