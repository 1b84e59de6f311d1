// The undo history: what makes a step, how many steps it keeps, and what the memory bound lets go of;
// and, as the window's pane shows it, what can be undone and whether closing would ask.
#include "panes/PaneHistory.h"
#include "support/TestContext.h"

#include <QTest>

namespace {
using Texts = QList<QByteArray>;

// A store and its history, changed as the pane model changes them.
struct Pane {
    ItemStore store;
    PaneHistory history;

    explicit Pane(qsizetype spareBytes = PaneHistory::kSpareBytes) : history(store, spareBytes) {}

    template <class Change>
    void change(Change&& change) {
        history.open();
        change(store);
        history.close();
    }
    void append(QByteArrayView text) {
        change([&](ItemStore& s) { s.append(text); });
    }
    void replaceWith(const ItemStore& items) {
        change([&](ItemStore& s) { s = items; });
    }
    int undoAll() {
        int undone = 0;
        for (; history.canUndo(); ++undone) history.undo();
        return undone;
    }
    int redoAll() {
        int redone = 0;
        for (; history.canRedo(); ++redone) history.redo();
        return redone;
    }
};

Texts texts(const ItemStore& store) {
    Texts result;
    for (qsizetype i = 0; i < store.count(); ++i) result.append(store.text(i).toByteArray());
    return result;
}

}  // namespace

class PaneHistoryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aStepSpansNestedChangesAndOnlyRealChanges();
    void keepsTheNewestHundredSteps();
    void keepsAsManyStepsAsTheMemoryBoundAllows();
    void redoPassesUndoneStepsBeyondTheBound();
    void clearOfAListBeyondTheSpareCanBeUndone();
    void aSaveCountsOnlyForTheItemsItWrote();
    void unsavedWorkOutlastsTheUndoReachUntilSaved();
    void unsavedWorkFollowsTheWayFromTheSavedItems_data();
    void unsavedWorkFollowsTheWayFromTheSavedItems();
};

void PaneHistoryTest::aStepSpansNestedChangesAndOnlyRealChanges() {
    Pane pane;
    pane.append("a");
    pane.history.open();
    pane.append("b");
    pane.history.open();
    pane.change([](ItemStore& s) { s.removeAt(0); });
    QVERIFY(!pane.history.canUndo());
    pane.history.close();
    pane.append("c");
    pane.history.close();
    // Opened and closed with nothing changed: no step.
    pane.history.open();
    pane.history.close();
    QCOMPARE(pane.history.steps().count(), 2);
    const PaneHistory::Step* last = pane.history.lastStep();
    QVERIFY(last);
    QCOMPARE(texts(last->before), Texts({"a"}));
    QCOMPARE(texts(last->after), Texts({"b", "c"}));

    pane.history.undo();
    QCOMPARE(texts(pane.store), Texts({"a"}));
    pane.history.redo();
    QCOMPARE(texts(pane.store), Texts({"b", "c"}));
    pane.history.undo();
    pane.history.undo();
    QCOMPARE(texts(pane.store), Texts());
    QVERIFY(!pane.history.lastStep());
    // A new step drops the undone ones.
    pane.append("d");
    QVERIFY(!pane.history.canRedo());
    QCOMPARE(pane.undoAll(), 1);
    QCOMPARE(texts(pane.store), Texts());
}

void PaneHistoryTest::keepsTheNewestHundredSteps() {
    Pane pane;
    for (int i = 0; i < PaneHistory::kStepLimit + 50; ++i) pane.append(QByteArray::number(i));
    QCOMPARE(pane.undoAll(), PaneHistory::kStepLimit);
    QCOMPARE(pane.store.count(), 50);
    QCOMPARE(pane.redoAll(), PaneHistory::kStepLimit);
    QCOMPARE(pane.store.count(), PaneHistory::kStepLimit + 50);
}

void PaneHistoryTest::keepsAsManyStepsAsTheMemoryBoundAllows() {
    // Each step puts a list of its own of the pane's size in place: keeping its old list costs a
    // pane's memory. Twice the pane and half a pane to spare hold two such lists, not three.
    const qsizetype paneBytes = freshItems(10, 100000).memoryBytes();
    Pane pane(paneBytes / 2);
    QList<ItemStore> lists;
    for (char fill = 'a'; fill <= 'f'; ++fill) {
        lists.append(freshItems(10, 100000, fill));
        pane.replaceWith(lists.back());
        QVERIFY(pane.history.heldBytes() <= pane.history.boundBytes());
    }
    lists.clear();
    QCOMPARE(pane.undoAll(), 2);
    QCOMPARE(pane.store.text(0).first(1), "d");
    QCOMPARE(pane.redoAll(), 2);
    QCOMPARE(pane.store.text(0).first(1), "f");
    QCOMPARE(pane.undoAll(), 2);
}

void PaneHistoryTest::redoPassesUndoneStepsBeyondTheBound() {
    // A large load, then a few items: with both undone, the empty pane's bound is far below what
    // the steps hold, yet redo must bring back everything.
    Pane pane(64 * 1024);
    pane.change([](ItemStore& s) { s.append(freshItems(2000, 1000)); });
    for (const char* text : {"one", "two", "three"}) pane.change([&](ItemStore& s) { s.append(text); });
    pane.history.open();
    pane.change([](ItemStore& s) { s.append("four"); });
    pane.history.close();
    QCOMPARE(pane.undoAll(), 5);
    QCOMPARE(pane.store.count(), 0);
    for (int count : {2000, 2001, 2002, 2003, 2004}) {
        QVERIFY(pane.history.canRedo());
        pane.history.redo();
        QCOMPARE(pane.store.count(), count);
    }
}

void PaneHistoryTest::clearOfAListBeyondTheSpareCanBeUndone() {
    // With the pane empty the history may hold only its 64 MB to spare, less than the cleared list
    // takes: the newest step stays all the same, until a newer one comes.
    PaneModel pane;
    pane.appendBatch(freshItems(80, qsizetype(1) << 20));
    pane.clear();
    QVERIFY(pane.canUndo());
    pane.undo();
    QCOMPARE(pane.count(), 80);
    pane.redo();
    pane.append(QStringLiteral("new"));
    pane.undo();
    QCOMPARE(pane.count(), 0);
    QVERIFY(!pane.canUndo());
}

void PaneHistoryTest::aSaveCountsOnlyForTheItemsItWrote() {
    PaneModel pane;
    pane.append(QStringLiteral("work"));
    QVERIFY(pane.hasUnsavedWork());
    // An item added while the save ran is not in the file.
    quint64 mark = pane.saveMark();
    pane.append(QStringLiteral("during the save"));
    pane.markSaved(mark);
    QVERIFY(pane.hasUnsavedWork());
    mark = pane.saveMark();
    pane.markSaved(mark);
    QVERIFY(!pane.hasUnsavedWork());
}

void PaneHistoryTest::unsavedWorkOutlastsTheUndoReachUntilSaved() {
    // Work, then more loads than undo can ever pass back: the work is still only in the pane.
    PaneModel pane;
    pane.append(QStringLiteral("work"));
    for (int load = 1; load <= 3 * PaneHistory::kStepLimit + 1; ++load) {
        {
            const PaneStep step(pane, StepKind::Restorable);
            pane.append(QStringLiteral("sample"));
        }
        QVERIFY2(pane.hasUnsavedWork(), qPrintable(QString::number(load)));
    }
    pane.markSaved(pane.saveMark());
    QVERIFY(!pane.hasUnsavedWork());
}

void PaneHistoryTest::unsavedWorkFollowsTheWayFromTheSavedItems_data() {
    // w: a work step, r: a load's step, s: save, u: undo; o / c: a work step opened and left open
    // with a change / with none, l: a load's step left open with a change.
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("unsaved");
    QTest::newRow("a load after undoing saved work") << "wsur" << true;
    QTest::newRow("a load after undoing a saved load") << "rsur" << false;
    QTest::newRow("back at the saved items") << "swwuu" << false;
    QTest::newRow("one step short of them") << "swwu" << true;
    QTest::newRow("a command still running") << "so" << true;
    QTest::newRow("a command that changed nothing yet") << "sc" << false;
    QTest::newRow("a load still running") << "sl" << false;
    QTest::newRow("a load below where the way rejoined") << "rwsuruur" << true;
    // The stack's limit lets go of its oldest steps.
    QTest::newRow("back at the start, a hundred steps on")
        << "w" + QString(99, u'r') + QString(100, u'u') << false;
    QTest::newRow("back at the saved items past the limit")
        << QString(50, u'w') + u's' + QString(51, u'r') + QString(51, u'u') << false;
    QTest::newRow("saved items the limit let go of")
        << "sr" + QString(100, u'w') + QString(100, u'u') << false;
}

void PaneHistoryTest::unsavedWorkFollowsTheWayFromTheSavedItems() {
    QFETCH(QString, script);
    QFETCH(bool, unsaved);
    PaneModel pane;
    bool leftOpen = false;
    for (const QChar c : script) {
        const auto open = [&](StepKind kind, bool change) {
            pane.openStep(kind);
            if (change) pane.append(QStringLiteral("item"));
        };
        if (c == u'w' || c == u'r') {
            open(c == u'w' ? StepKind::Work : StepKind::Restorable, true);
            pane.closeStep();
        } else if (c == u'o' || c == u'c' || c == u'l') {
            open(c == u'l' ? StepKind::Restorable : StepKind::Work, c != u'c');
            leftOpen = true;
        } else if (c == u's') {
            pane.markSaved(pane.saveMark());
        } else if (c == u'u') {
            pane.undo();
        }
    }
    QCOMPARE(pane.hasUnsavedWork(), unsaved);
    if (leftOpen) pane.closeStep();
}

QTEST_GUILESS_MAIN(PaneHistoryTest)
#include "tst_panehistory.moc"
