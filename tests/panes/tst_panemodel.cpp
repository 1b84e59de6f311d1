#include "core/RunTimeError.h"
#include "panes/PaneModel.h"
#include "support/TestContext.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {
QStringList numbered(int count) {
    QStringList texts;
    for (int i = 1; i <= count; ++i) texts << QString::number(i);
    return texts;
}
}  // namespace

class PaneModelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appendsAnnounceRowsAtTheEnd();
    void keepsTextsExactly_data();
    void keepsTextsExactly();
    void handsQtOnlyABoundedPrefix_data();
    void handsQtOnlyABoundedPrefix();
    void removesScatteredPositionsInOnePass_data();
    void removesScatteredPositionsInOnePass();
    void refusesBadPositionsAndRemovesNothing_data();
    void refusesBadPositionsAndRemovesNothing();
    void refusesRemovalAfterTheListChanged();
    void keepsItemsAppendedDuringARemoval();
    void singleRemovalMovesLaterItemsUp();
    void snapshotKeepsTheListAsItWas();
    void outOfRangeReadsRaiseIndexOutOfBounds();
};

void PaneModelTest::appendsAnnounceRowsAtTheEnd() {
    PaneModel pane;
    QAbstractItemModelTester tester(&pane, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&pane, &QAbstractItemModel::rowsInserted);
    pane.append(QStringLiteral("a"));
    ItemStore batch;
    batch.append("b");
    batch.append("");
    batch.append("c");
    pane.appendBatch(batch);
    pane.appendBatch(ItemStore());
    QCOMPARE(pane.texts(), QStringList({"a", "b", "", "c"}));
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted[1][1].toInt(), 1);
    QCOMPARE(inserted[1][2].toInt(), 3);
    QCOMPARE(pane.data(pane.index(3)).toString(), QStringLiteral("c"));
}

void PaneModelTest::keepsTextsExactly_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("spaces kept") << QStringLiteral("  a b  ");
    QTest::newRow("non-ASCII") << QStringLiteral("Grüße, 東京, \U0001F600");
    QTest::newRow("tab") << QStringLiteral("a\tb");
}

void PaneModelTest::handsQtOnlyABoundedPrefix_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxChars");
    QTest::addColumn<QString>("shown");
    QTest::newRow("short text whole") << QStringLiteral("abc") << 5 << QStringLiteral("abc");
    QTest::newRow("cut at the bound") << QStringLiteral("abcdef") << 4 << QStringLiteral("abcd");
    QTest::newRow("two-byte characters") << QStringLiteral("éééé") << 3 << QStringLiteral("ééé");
    QTest::newRow("never half a surrogate pair")
        << QStringLiteral("\U0001F600\U0001F600") << 3 << QStringLiteral("\U0001F600");
    QTest::newRow("leading U+FEFF is text") << QStringLiteral("\uFEFFab") << 2 << QStringLiteral("\uFEFFa");
}

void PaneModelTest::handsQtOnlyABoundedPrefix() {
    QFETCH(QString, text);
    QFETCH(int, maxChars);
    QFETCH(QString, shown);
    QCOMPARE(PaneModel::shownText(text.toUtf8(), maxChars), shown);
}

void PaneModelTest::keepsTextsExactly() {
    QFETCH(QString, text);
    PaneModel pane;
    pane.append(QStringLiteral("before"));
    pane.append(text);
    QCOMPARE(pane.textAt(2), text);
    QCOMPARE(pane.data(pane.index(1)).toString(), text);
}

void PaneModelTest::removesScatteredPositionsInOnePass_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("remove");
    QTest::newRow("first and last") << 5 << QList<int>{1, 5};
    QTest::newRow("all") << 4 << QList<int>{1, 2, 3, 4};
    QTest::newRow("none") << 3 << QList<int>{};
    QTest::newRow("runs") << 10 << QList<int>{2, 3, 4, 8, 9};
    QList<int> everyOther;
    for (int i = 1; i <= 200001; i += 2) everyOther << i;
    QTest::newRow("every other of 200001, across chunks") << 200001 << everyOther;
}

void PaneModelTest::removesScatteredPositionsInOnePass() {
    QFETCH(int, count);
    QFETCH(QList<int>, remove);
    PaneModel pane;
    ItemStore batch;
    const QStringList texts = numbered(count);
    for (const QString& t : texts) batch.append(t.toUtf8());
    pane.appendBatch(batch);
    QList<bool> removed(count + 1, false);
    for (int position : remove) removed[position] = true;
    QStringList expected;
    for (int i = 1; i <= count; ++i)
        if (!removed[i]) expected << texts[i - 1];
    ScriptedYielder yielder;
    pane.removePositions(remove, pane.editStamp(), yielder);
    QCOMPARE(pane.count(), expected.size());
    QCOMPARE(pane.texts(), expected);
}

void PaneModelTest::refusesBadPositionsAndRemovesNothing_data() {
    QTest::addColumn<QList<int>>("remove");
    QTest::newRow("zero") << QList<int>{0};
    QTest::newRow("past the end") << QList<int>{2, 4};
    QTest::newRow("repeated") << QList<int>{1, 1};
    QTest::newRow("descending") << QList<int>{3, 1};
}

void PaneModelTest::refusesBadPositionsAndRemovesNothing() {
    QFETCH(QList<int>, remove);
    PaneModel pane;
    TestContext::fill(pane, {"a", "b", "c"});
    ScriptedYielder yielder;
    QVERIFY_THROWS_EXCEPTION(RunTimeError, pane.removePositions(remove, pane.editStamp(), yielder));
    QCOMPARE(pane.texts(), QStringList({"a", "b", "c"}));
}

void PaneModelTest::refusesRemovalAfterTheListChanged() {
    PaneModel pane;
    TestContext::fill(pane, {"a", "b", "c"});
    const quint64 stamp = pane.editStamp();
    pane.removeAt(1);
    ScriptedYielder yielder;
    QVERIFY_THROWS_EXCEPTION(RunTimeError, pane.removePositions({1}, stamp, yielder));
    QCOMPARE(pane.texts(), QStringList({"b", "c"}));
}

void PaneModelTest::keepsItemsAppendedDuringARemoval() {
    PaneModel pane;
    QAbstractItemModelTester tester(&pane, QAbstractItemModelTester::FailureReportingMode::QtTest);
    ItemStore batch;
    for (const QString& t : numbered(150000)) batch.append(t.toUtf8());
    pane.appendBatch(batch);
    ScriptedYielder yielder;
    int yields = 0;
    yielder.onYield = [&] {
        if (++yields == 1) pane.append(QStringLiteral("late"));
    };
    QList<int> odd;
    for (int i = 1; i <= 150000; i += 2) odd << i;
    pane.removePositions(odd, pane.editStamp(), yielder);
    QVERIFY(yields > 0);
    QCOMPARE(pane.count(), 75001);
    QCOMPARE(pane.textAt(1), QStringLiteral("2"));
    QCOMPARE(pane.textAt(75000), QStringLiteral("150000"));
    QCOMPARE(pane.textAt(75001), QStringLiteral("late"));
}

void PaneModelTest::singleRemovalMovesLaterItemsUp() {
    PaneModel pane;
    QAbstractItemModelTester tester(&pane, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy removed(&pane, &QAbstractItemModel::rowsRemoved);
    TestContext::fill(pane, {"red", "orange", "Purple"});
    pane.removeAt(2);
    QCOMPARE(pane.texts(), QStringList({"red", "Purple"}));
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed[0][1].toInt(), 1);
    pane.clear();
    QCOMPARE(pane.count(), 0);
}

void PaneModelTest::snapshotKeepsTheListAsItWas() {
    PaneModel pane;
    TestContext::fill(pane, {"a", "b"});
    const ItemStore before = pane.snapshot();
    pane.append(QStringLiteral("c"));
    pane.removeAt(1);
    QCOMPARE(before.count(), 2);
    QCOMPARE(before.text(0), QByteArrayView("a"));
    QCOMPARE(before.text(1), QByteArrayView("b"));
    QCOMPARE(pane.texts(), QStringList({"b", "c"}));
}

void PaneModelTest::outOfRangeReadsRaiseIndexOutOfBounds() {
    PaneModel pane;
    pane.append(QStringLiteral("only"));
    for (int position : {0, 2, -1}) {
        try {
            pane.text(position);
            QFAIL("no error raised");
        } catch (const RunTimeError& e) {
            QCOMPARE(e.description(), QStringLiteral("Index out of bounds"));
        }
    }
    QVERIFY_THROWS_EXCEPTION(RunTimeError, pane.removeAt(2));
}

QTEST_GUILESS_MAIN(PaneModelTest)
#include "tst_panemodel.moc"
