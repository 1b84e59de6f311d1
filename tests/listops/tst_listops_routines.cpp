#include "ListTestSupport.h"

#include "core/RunTimeError.h"
#include "listops/PositionTable.h"

#include <QSet>
#include <QTest>

#include <chrono>

// What the seven routines share: the progress display, the error report and how a routine goes on
// after it, and leaving alone what changed in the panes while the routine yielded.
class ListRoutinesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsProgressAndEndsAtZero_data();
    void showsProgressAndEndsAtZero();
    void reportsFailureWithOriginAndLine_data();
    void reportsFailureWithOriginAndLine();
    void handlesAnUnreadableItemFarDownALongList_data();
    void handlesAnUnreadableItemFarDownALongList();
    void leavesItemsAppendedMeanwhileInPlace_data();
    void leavesItemsAppendedMeanwhileInPlace();
    void positionTableHashesWholeTexts();
    void closingTheWindowEndsALongRoutineCleanly_data();
    void closingTheWindowEndsALongRoutineCleanly();
    void removesNothingWhenAPaneLosesItemsMeanwhile_data();
    void removesNothingWhenAPaneLosesItemsMeanwhile();
};

void ListRoutinesTest::showsProgressAndEndsAtZero_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<Texts>("items");
    QTest::addColumn<bool>("yieldEveryItem");
    QTest::addColumn<QList<double>>("expected");
    const Texts abc{"a", "b", "c"};
    const double third = 100.0 / 3;
    // List 2 holds "b", the search text is "a". Subtract's dedupe of the index list sweeps to 100 again.
    QTest::newRow("subtract") << kRoutines[0] << abc << true << QList<double>{third, 2 * third, 100, 100, 0};
    QTest::newRow("keep") << kRoutines[1] << abc << true << QList<double>{third, 2 * third, 100, 0};
    QTest::newRow("except first") << kRoutines[2] << abc << true << QList<double>{0, third, 2 * third, 0};
    QTest::newRow("except first, one item") << kRoutines[2] << Texts{"z"} << true << QList<double>{0, 0};
    QTest::newRow("all") << kRoutines[3] << abc << true << QList<double>{0, third, 2 * third, 0};
    QTest::newRow("blanks, one item") << kRoutines[4] << Texts{""} << true << QList<double>{100, 0};
    QTest::newRow("with") << kRoutines[5] << abc << true << QList<double>{third, 2 * third, 100, 0};
    // Without a yield the display is still written for the last item.
    QTest::newRow("subtract, no yield") << kRoutines[0] << abc << false << QList<double>{100, 100, 0};
    QTest::newRow("except first, no yield") << kRoutines[2] << abc << false << QList<double>{2 * third, 0};
    QTest::newRow("without, no yield") << kRoutines[6] << abc << false << QList<double>{100, 0};
}

void ListRoutinesTest::showsProgressAndEndsAtZero() {
    QFETCH(QString, routine);
    QFETCH(Texts, items);
    QFETCH(bool, yieldEveryItem);
    QFETCH(QList<double>, expected);
    TestContext t;
    TestContext::fill(t.list1, items);
    TestContext::fill(t.list2, {"b"});
    ScriptedYielder never(std::chrono::hours(1));
    runRoutine(t, routine, "a", yieldEveryItem ? nullptr : &never);
    QCOMPARE(t.progress.values.size(), expected.size());
    for (qsizetype k = 0; k < expected.size(); ++k)
        QVERIFY(qFuzzyCompare(1 + t.progress.values[k], 1 + expected[k]));
}

void ListRoutinesTest::reportsFailureWithOriginAndLine_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<Texts>("items");
    QTest::addColumn<int>("failAt");  // > 0: that List 1 item, < 0: that List 2 item, 0: the removal
    QTest::addColumn<Texts>("expected");
    QTest::addColumn<int>("line");
    // List 2 holds "a", "b"; the search text is "a". An unreadable target item stays whatever its
    // routine would do with it; an unreadable reference item matches nothing, and then Keep Only
    // Matches keeps everything (any item might match it).
    const auto& r = kRoutines;
    QTest::newRow("subtract target") << r[0] << Texts{"a", "c", "x"} << 3 << Texts{"c", "x"} << 110;
    QTest::newRow("subtract reference") << r[0] << Texts{"a", "b"} << -1 << Texts{"a"} << 110;
    QTest::newRow("subtract removal") << r[0] << Texts{"a", "c"} << 0 << Texts{"a", "c"} << 124;
    QTest::newRow("keep target") << r[1] << Texts{"a", "c", "x"} << 2 << Texts{"a", "c"} << 112;
    QTest::newRow("keep reference") << r[1] << Texts{"a", "c"} << -1 << Texts{"a", "c"} << 112;
    QTest::newRow("keep removal") << r[1] << Texts{"a", "c"} << 0 << Texts{"a", "c"} << 140;
    QTest::newRow("except first target")
        << r[2] << Texts{"a", "c", "a", "c"} << 2 << Texts{"a", "c", "c"} << 110;
    QTest::newRow("except first removal") << r[2] << Texts{"a", "a"} << 0 << Texts{"a", "a"} << 112;
    QTest::newRow("all target") << r[3] << Texts{"a", "c", "a", "c"} << 3 << Texts{"a", "a", "c"} << 112;
    QTest::newRow("all removal") << r[3] << Texts{"a", "a"} << 0 << Texts{"a", "a"} << 126;
    QTest::newRow("blanks target") << r[4] << Texts{"", "x", ""} << 1 << Texts{"", "x"} << 108;
    QTest::newRow("blanks removal") << r[4] << Texts{""} << 0 << Texts{""} << 120;
    QTest::newRow("with target") << r[5] << Texts{"a", "ya", "a"} << 2 << Texts{"ya"} << 108;
    QTest::newRow("without target") << r[6] << Texts{"c", "c", "a"} << 1 << Texts{"c", "a"} << 108;
    QTest::newRow("without removal") << r[6] << Texts{"c"} << 0 << Texts{"c"} << 120;
}

void ListRoutinesTest::reportsFailureWithOriginAndLine() {
    QFETCH(QString, routine);
    QFETCH(Texts, items);
    QFETCH(int, failAt);
    QFETCH(Texts, expected);
    QFETCH(int, line);
    BasicTestContext<FailingPane, FailingPane> t;
    TestContext::fill(t.list1, items);
    TestContext::fill(t.list2, {"a", "b"});
    (failAt > 0 ? t.list1 : t.list2).failAt = {qAbs(failAt)};
    t.list1.failRemovals = failAt == 0;
    runRoutine(t, routine, "a");
    QCOMPARE(t.list1.texts(), expected);
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reportsAt(reports[0], routine, line), qPrintable(reports[0]));
    QCOMPARE(t.progress.values.last(), 0.0);
}

void ListRoutinesTest::handlesAnUnreadableItemFarDownALongList_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<int>("failAt");  // > 0: that List 1 item, < 0: that List 2 item
    QTest::addColumn<Texts>("expected");
    QTest::addColumn<int>("line");
    // List 1 holds t0..t99 twice, List 2 t0..t99 once: far more items than the routines read ahead.
    auto texts = [](int from, int to) {
        Texts list;
        for (int k = from; k < to; ++k) list.append(QStringLiteral("t%1").arg(k));
        return list;
    };
    const auto& r = kRoutines;
    QTest::newRow("subtract target") << r[0] << 51 << Texts{"t50"} << 110;
    QTest::newRow("subtract reference") << r[0] << -71 << Texts{"t70", "t70"} << 110;
    QTest::newRow("keep target") << r[1] << 51 << texts(0, 100) + texts(0, 100) << 112;
    QTest::newRow("keep reference") << r[1] << -71 << texts(0, 100) + texts(0, 100) << 112;
    // The unreadable item's text is never taken in: its other copy stays too.
    QTest::newRow("except first") << r[2] << 51 << texts(0, 100) + Texts{"t50"} << 110;
    QTest::newRow("all") << r[3] << 151 << Texts{"t50"} + texts(0, 100) << 112;
}

void ListRoutinesTest::handlesAnUnreadableItemFarDownALongList() {
    QFETCH(QString, routine);
    QFETCH(int, failAt);
    QFETCH(Texts, expected);
    QFETCH(int, line);
    BasicTestContext<FailingPane, FailingPane> t;
    for (int copy = 0; copy < 2; ++copy)
        for (int k = 0; k < 100; ++k) t.list1.append(QStringLiteral("t%1").arg(k));
    for (int k = 0; k < 100; ++k) t.list2.append(QStringLiteral("t%1").arg(k));
    (failAt > 0 ? t.list1 : t.list2).failAt = {qAbs(failAt)};
    runRoutine(t, routine);
    QCOMPARE(t.list1.texts(), expected);
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reportsAt(reports[0], routine, line), qPrintable(reports[0]));
}

void ListRoutinesTest::leavesItemsAppendedMeanwhileInPlace_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<Texts>("items");
    QTest::addColumn<QString>("appended");
    QTest::addColumn<Texts>("expected");
    // List 2 holds "a", the search text is "a": each routine would remove the appended item.
    const auto& r = kRoutines;
    QTest::newRow("subtract") << r[0] << Texts{"a", "b"} << "a" << Texts{"b", "a"};
    QTest::newRow("keep") << r[1] << Texts{"a", "b"} << "b" << Texts{"a", "b"};
    QTest::newRow("except first") << r[2] << Texts{"a", "b"} << "a" << Texts{"a", "b", "a"};
    QTest::newRow("all") << r[3] << Texts{"a", "b"} << "a" << Texts{"a", "b", "a"};
    QTest::newRow("blanks") << r[4] << Texts{"", "x"} << "" << Texts{"x", ""};
    QTest::newRow("without") << r[6] << Texts{"a", "b"} << "b" << Texts{"a", "b"};
}

void ListRoutinesTest::leavesItemsAppendedMeanwhileInPlace() {
    QFETCH(QString, routine);
    QFETCH(Texts, items);
    QFETCH(QString, appended);
    QFETCH(Texts, expected);
    TestContext t;
    TestContext::fill(t.list1, items);
    TestContext::fill(t.list2, {"a"});
    t.yielder.onYield = [&] {
        if (t.list1.count() == items.size()) t.list1.append(appended);
    };
    runRoutine(t, routine, "a");
    QCOMPARE(t.list1.texts(), expected);
}

void ListRoutinesTest::removesNothingWhenAPaneLosesItemsMeanwhile_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<int>("pane");
    QTest::addColumn<int>("line");
    QTest::newRow("subtract, target") << kRoutines[0] << 1 << 110;
    QTest::newRow("keep, reference") << kRoutines[1] << 2 << 112;
    QTest::newRow("except first") << kRoutines[2] << 1 << 110;
    QTest::newRow("blanks") << kRoutines[4] << 1 << 108;
}

void ListRoutinesTest::removesNothingWhenAPaneLosesItemsMeanwhile() {
    QFETCH(QString, routine);
    QFETCH(int, pane);
    QFETCH(int, line);
    TestContext t;
    TestContext::fill(t.list1, {"a", "", "a", "b", "z"});
    TestContext::fill(t.list2, {"a", "z"});
    const Texts before1 = t.list1.texts(), before2 = t.list2.texts();
    PaneModel& shrinking = pane == 1 ? t.list1 : t.list2;
    t.yielder.onYield = [&] {
        if (shrinking.count() == (pane == 1 ? before1 : before2).size()) shrinking.removeAt(1);
    };
    runRoutine(t, routine, "a");
    QCOMPARE(t.list1.texts(), pane == 1 ? before1.mid(1) : before1);
    QCOMPARE(t.dialogs.errorReports().size(), 1);
    QVERIFY(reportsAt(t.dialogs.errorReports()[0], routine, line));
}

void ListRoutinesTest::positionTableHashesWholeTexts() {
    // Texts that differ only far from their start must still hash apart; a hash of a prefix keeps
    // every result right but sends all of them down one probe chain.
    const ItemStore items;
    QSet<size_t> hashes;
    PositionTable table(items, 1000);
    for (int i = 0; i < 1000; ++i)
        hashes.insert(
            table.hashOf(QByteArray("a-long-shared-prefix-of-an-address-") + QByteArray::number(i)));
    QVERIFY2(hashes.size() > 990, qPrintable(QString::number(hashes.size())));
}

void ListRoutinesTest::closingTheWindowEndsALongRoutineCleanly_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<int>("yields");  // before the window closes
    for (int r = 0; r < 4; ++r)
        for (int yields : {1, 3})
            QTest::addRow("%s, %d", qPrintable(kRoutines[r]), yields) << kRoutines[r] << yields;
}

void ListRoutinesTest::closingTheWindowEndsALongRoutineCleanly() {
    // Long enough for the helper thread; the routine ends at a yield, perhaps while the helper works.
    QFETCH(QString, routine);
    QFETCH(int, yields);
    TestContext t;
    {
        PaneStep step1(t.list1), step2(t.list2);
        for (int i = 0; i < 200000; ++i) t.list1.append(QByteArrayView(QByteArray::number(i % 150000)));
        for (int i = 0; i < 100000; ++i) t.list2.append(QByteArrayView(QByteArray::number(2 * i)));
    }
    const int before = t.list1.count();
    ScriptedYielder closing(std::chrono::microseconds(200), 1);
    closing.onYield = [&] {
        if (closing.yields == yields) closing.cancel();
    };
    QVERIFY_THROWS_EXCEPTION(Cancelled, runRoutine(t, routine, {}, &closing));
    QCOMPARE(t.list1.count(), before);
    QVERIFY(t.dialogs.messages.isEmpty());
}

QTEST_GUILESS_MAIN(ListRoutinesTest)
#include "tst_listops_routines.moc"
