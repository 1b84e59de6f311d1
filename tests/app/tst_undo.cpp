// Undo and redo of each pane, through the real window: what makes a step, what undo restores, when
// it refuses, and how much the history keeps.
#include "app/Form1.h"
#include "panes/view/PaneView.h"
#include "support/TestServices.h"

#include <QAction>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace {
const QString kFirstFile = QStringLiteral(BRINDLEWICK_TEST_DATA "/listfiles/first.txt");
const QString kSecondFile = QStringLiteral(BRINDLEWICK_TEST_DATA "/listfiles/second.txt");

// A shown window whose yielder yields at every chance, so tests can act in the middle of a command.
struct Window {
    TestServices t;
    ScriptedYielder yielder;
    Form1 form{services()};

    Window() {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    Services services() {
        Services s = t.services();
        s.yielder = &yielder;
        return s;
    }
    void fill(int list, const QStringList& texts) {
        for (const QString& text : texts) form.list(list).append(text);
    }
    QStringList texts(int list) { return form.list(list).texts(); }
    int steps(int list) { return form.list(list).history().steps().index(); }
    PaneView* view(int list) { return form.listView(list); }
    // Undo or Redo of a pane as its menu or shortcut triggers it; false when it is disabled.
    bool trigger(int list, const char* action) {
        QAction* a = view(list)->action(qstrcmp(action, "undo") == 0 ? PaneView::Action::Undo
                                                                     : PaneView::Action::Redo);
        if (!a->isEnabled()) return false;
        a->trigger();
        return true;
    }
    void loadInto(int list, const QStringList& paths) {
        t.dialogs.files.enqueue(paths);
        form.click(list == 1 ? 3 : 14);
    }
};

QStringList repeated(const QStringList& texts, int times) {
    QStringList result;
    for (int i = 0; i < times; ++i) result += texts;
    return result;
}

ItemStore bigItems(int count, qsizetype bytes) {
    ItemStore items;
    const QByteArray text(bytes, 'x');
    for (int i = 0; i < count; ++i) items.append(text);
    return items;
}
}  // namespace

class UndoTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachCommandIsOneStepThatUndoRestoresExactly_data();
    void eachCommandIsOneStepThatUndoRestoresExactly();
    void commandsThatChangeNothingAddNoStep_data();
    void commandsThatChangeNothingAddNoStep();
    void aNewStepDropsTheUndoneSteps();
    void changesDuringACommandBelongToItsStep();
    void nothingHappensWhileThePaneMayBeInUse_data();
    void nothingHappensWhileThePaneMayBeInUse();
    void shortcutsWorkInTheFocusedPane_data();
    void shortcutsWorkInTheFocusedPane();
    void historyKeepsManyStepsWithinItsMemoryBound();
};

void UndoTest::eachCommandIsOneStepThatUndoRestoresExactly_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("list");
    QTest::newRow("Clear List") << "clear" << 1;
    QTest::newRow("Load Sample/Example Data") << "sample" << 2;
    QTest::newRow("Delete of one item") << "delete" << 1;
    QTest::newRow("load of two files") << "load" << 2;
    QTest::newRow("Paste") << "paste" << 2;
    QTest::newRow("Remove Matches (List 2 From List 1)") << "button 19" << 1;
    QTest::newRow("Remove List 1 Items With...") << "button 17" << 1;
    QTest::newRow("Remove All List 1 Dupes") << "button 7" << 1;
}

void UndoTest::eachCommandIsOneStepThatUndoRestoresExactly() {
    QFETCH(QString, command);
    QFETCH(int, list);
    Window w;
    w.fill(1, repeated({"a", "", "mail b", "a", "c"}, 40));
    w.fill(2, {"c", "d"});
    const QStringList before[2] = {w.texts(1), w.texts(2)};
    const int steps[2] = {w.steps(1), w.steps(2)};
    w.view(list)->verticalScrollBar()->setValue(20);

    if (command == QStringLiteral("clear")) w.form.click(1);
    if (command == QStringLiteral("sample")) w.form.click(22);
    if (command == QStringLiteral("load")) w.loadInto(2, {kFirstFile, kSecondFile});
    if (command == QStringLiteral("paste")) {
        w.t.clipboard.setText(QStringLiteral("x\r\n\r\ny"));
        w.view(2)->action(PaneView::Action::Paste)->trigger();
    }
    if (command == QStringLiteral("delete")) {
        w.view(1)->setFocus();
        w.view(1)->selectPosition(23);
        QTest::keyClick(w.view(1), Qt::Key_Delete);
    }
    if (command.startsWith(QStringLiteral("button"))) {
        w.t.dialogs.inputs.enqueue(QStringLiteral("mail"));
        w.form.click(command.mid(7).toInt());
    }
    const QStringList after = w.texts(list);
    QVERIFY(after != before[list - 1]);
    QCOMPARE(w.steps(list), steps[list - 1] + 1);
    QCOMPARE(w.steps(3 - list), steps[2 - list]);

    const int scroll = w.view(list)->verticalScrollBar()->value();
    w.view(list)->selectPosition(scroll + 2);
    QVERIFY(w.trigger(list, "undo"));
    QCOMPARE(w.texts(1), before[0]);
    QCOMPARE(w.texts(2), before[1]);
    QCOMPARE(w.view(list)->selectedPosition(), 0);
    QCOMPARE(w.view(list)->verticalScrollBar()->value(), scroll);
    QVERIFY(w.trigger(list, "redo"));
    QCOMPARE(w.texts(list), after);
    QCOMPARE(w.texts(3 - list), before[2 - list]);
    QVERIFY(w.t.dialogs.errorReports().isEmpty());
}

void UndoTest::commandsThatChangeNothingAddNoStep_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("Clear List of an empty pane") << "button 2";
    QTest::newRow("Remove Blanks without blanks") << "button 18";
    QTest::newRow("Remove Dupes without repeats") << "button 4";
    QTest::newRow("Items With, text not found") << "button 17 zzz";
    QTest::newRow("Items With, cancelled") << "button 17";
    QTest::newRow("Remove Matches, List 2 empty") << "button 19";
    QTest::newRow("load of an empty file") << "load";
    QTest::newRow("Delete with nothing selected") << "delete";
}

void UndoTest::commandsThatChangeNothingAddNoStep() {
    QFETCH(QString, command);
    Window w;
    w.fill(1, {"a", "b"});
    const QStringList before = w.texts(1);
    const int steps[2] = {w.steps(1), w.steps(2)};
    const QStringList parts = command.split(u' ');
    if (parts[0] == QStringLiteral("button")) {
        if (parts.size() > 2) w.t.dialogs.inputs.enqueue(parts[2]);
        w.form.click(parts[1].toInt());
    }
    if (command == QStringLiteral("load"))
        w.loadInto(1, {QStringLiteral(BRINDLEWICK_TEST_DATA "/listfiles/empty.txt")});
    if (command == QStringLiteral("delete")) {
        w.view(1)->setFocus();
        w.view(1)->clearSelection();
        QTest::keyClick(w.view(1), Qt::Key_Delete);
    }
    QCOMPARE(w.texts(1), before);
    QCOMPARE(w.steps(1), steps[0]);
    QCOMPARE(w.steps(2), steps[1]);
    QVERIFY(!w.trigger(2, "undo"));
}

void UndoTest::aNewStepDropsTheUndoneSteps() {
    Window w;
    w.form.click(21);
    w.form.click(21);
    QVERIFY(w.trigger(1, "undo"));
    QCOMPARE(w.texts(1), QStringList({"orange", "black", "purple"}));
    w.form.click(1);
    QVERIFY(!w.trigger(1, "redo"));
    QVERIFY(w.trigger(1, "undo"));
    QCOMPARE(w.texts(1), QStringList({"orange", "black", "purple"}));
    QVERIFY(w.trigger(1, "undo"));
    QCOMPARE(w.texts(1), QStringList());
    QVERIFY(!w.trigger(1, "undo"));
}

void UndoTest::changesDuringACommandBelongToItsStep() {
    // While a command runs on List 1, the commands that would change List 1 leave it alone; anything
    // that still reaches it goes with the command's step. What goes into List 2 meanwhile is a step
    // of List 2.
    Window w;
    w.fill(1, {"a", "a", "b"});
    w.fill(2, {"z"});
    const int steps[2] = {w.steps(1), w.steps(2)};
    bool once = false;
    w.yielder.onYield = [&] {
        if (std::exchange(once, true)) return;
        w.form.click(21);
        w.loadInto(1, {kFirstFile});
        w.form.list(1).append(QStringLiteral("late"));
        w.form.click(22);
        w.loadInto(2, {kFirstFile});
    };
    w.form.click(4);
    w.yielder.onYield = nullptr;
    const QStringList after{"a", "b", "late"};
    QCOMPARE(w.texts(1), after);
    QCOMPARE(w.steps(1), steps[0] + 1);
    QCOMPARE(w.steps(2), steps[1] + 2);

    QVERIFY(w.trigger(1, "undo"));
    QCOMPARE(w.texts(1), QStringList({"a", "a", "b"}));
    QVERIFY(w.trigger(1, "redo"));
    QCOMPARE(w.texts(1), after);
    QVERIFY(w.trigger(2, "undo"));
    QCOMPARE(w.texts(2), QStringList({"z", "red", "orange", "Purple"}));
}

void UndoTest::nothingHappensWhileThePaneMayBeInUse_data() {
    QTest::addColumn<QString>("during");
    QTest::addColumn<int>("list");
    QTest::newRow("wait pointer") << "wait pointer" << 1;
    QTest::newRow("Busy") << "busy" << 1;
    QTest::newRow("list operation, its target") << "button 7" << 1;
    QTest::newRow("list operation, its reference") << "button 19" << 2;
    // The load holds its pane also where the hourglass is gone.
    QTest::newRow("load into it, no hourglass") << "load" << 1;
}

void UndoTest::nothingHappensWhileThePaneMayBeInUse() {
    QFETCH(QString, during);
    QFETCH(int, list);
    Window w;
    w.fill(1, {"a", "", "a"});
    w.fill(2, {"a", "b"});
    w.form.click(21);
    w.form.click(22);
    w.trigger(1, "undo");
    w.trigger(2, "undo");
    const QStringList before = w.texts(list);
    const int steps = w.steps(list);
    bool tried = false;
    const auto tryBoth = [&] {
        if (std::exchange(tried, true)) return;
        if (during == QStringLiteral("load")) w.form.state().setMousePointer(WindowState::DefaultPointer);
        for (const char* action : {"undo", "redo"}) {
            w.trigger(list, action);
            QCOMPARE(w.texts(list).mid(0, before.size()), before);
        }
    };
    if (during == QStringLiteral("wait pointer")) w.form.state().setMousePointer(WindowState::WaitPointer);
    if (during == QStringLiteral("busy")) w.form.state().setBusy(true);
    w.yielder.onYield = tryBoth;
    if (during.startsWith(QStringLiteral("button"))) w.form.click(during.mid(7).toInt());
    if (during == QStringLiteral("load")) w.loadInto(1, {kFirstFile});
    if (!during.startsWith(QStringLiteral("button")) && during != QStringLiteral("load")) tryBoth();
    w.yielder.onYield = nullptr;
    QVERIFY(tried);
    QVERIFY(w.t.dialogs.errorReports().isEmpty());

    // Once the pane is free again, the steps are all there.
    w.form.state().setMousePointer(WindowState::DefaultPointer);
    w.form.state().setBusy(false);
    const bool changed = w.texts(list) != before;
    QCOMPARE(w.steps(list), steps + (changed ? 1 : 0));
    if (changed) QVERIFY(w.trigger(list, "undo"));
    QCOMPARE(w.texts(list), before);
    QVERIFY(w.trigger(list, "redo"));
    QVERIFY(w.trigger(list, "undo"));
}

void UndoTest::shortcutsWorkInTheFocusedPane_data() {
    QTest::addColumn<int>("focused");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QStringList>("expected");
    const QStringList sample{"orange", "black", "purple"};
    QTest::newRow("Ctrl+Z") << 1 << QKeySequence(Qt::CTRL | Qt::Key_Z) << QStringList();
    QTest::newRow("Ctrl+Z, then Ctrl+Shift+Z")
        << 1
        << QKeySequence(QKeyCombination(Qt::CTRL | Qt::Key_Z),
                        QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z))
        << sample;
    QTest::newRow("Ctrl+Z, then Ctrl+Y")
        << 1 << QKeySequence(QKeyCombination(Qt::CTRL | Qt::Key_Z), QKeyCombination(Qt::CTRL | Qt::Key_Y))
        << sample;
    QTest::newRow("Ctrl+Z in the other pane") << 2 << QKeySequence(Qt::CTRL | Qt::Key_Z) << sample;
}

void UndoTest::shortcutsWorkInTheFocusedPane() {
    QFETCH(int, focused);
    QFETCH(QKeySequence, keys);
    QFETCH(QStringList, expected);
    Window w;
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.click(21);
    w.view(focused)->setFocus();
    for (int i = 0; i < keys.count(); ++i) QTest::keySequence(w.view(focused), QKeySequence(keys[i]));
    QCOMPARE(w.texts(1), expected);
}

void UndoTest::historyKeepsManyStepsWithinItsMemoryBound() {
    Window w;
    for (int i = 0; i < 60; ++i) w.form.click(21);
    for (int i = 0; i < 60; ++i) QVERIFY(w.trigger(1, "undo"));
    QCOMPARE(w.form.list(1).count(), 0);
    for (int i = 0; i < 60; ++i) QVERIFY(w.trigger(1, "redo"));
    QCOMPARE(w.form.list(1).count(), 180);
    w.form.click(1);

    // Each clear keeps at least 40 MB of items, and with the pane empty the history may hold 64 MB:
    // older steps must go, but never the newest.
    const ItemStore items = bigItems(40, qsizetype(1) << 20);
    const auto withinBound = [&] {
        const PaneModel& pane = w.form.list(1);
        return pane.history().steps().count() == 1 ||
               pane.history().heldBytes() <= 2 * pane.snapshot().memoryBytes() + PaneHistory::kSpareBytes;
    };
    for (int round = 0; round < 3; ++round) {
        w.form.list(1).appendBatch(items);
        QVERIFY(withinBound());
        w.form.click(1);
        QVERIFY(withinBound());
    }
    QVERIFY(w.trigger(1, "undo"));
    QCOMPARE(w.form.list(1).count(), 40);
    int undone = 1;
    for (; w.trigger(1, "undo"); ++undone) QVERIFY(withinBound());
    QVERIFY(undone < 60 + 1 + 3 * 2);
}

QTEST_MAIN(UndoTest)
#include "tst_undo.moc"
