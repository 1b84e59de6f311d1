// Undo and redo of each pane, through the real window: what makes a step, what undo restores, when
// it refuses, how much the history keeps, and when closing asks about work that was never saved.
#include "app/Form1.h"
#include "panes/view/PaneView.h"
#include "support/MenuCommands.h"
#include "support/TestServices.h"

#include <QAction>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace {
const QString kFirstFile = QStringLiteral(BRINDLEWICK_TEST_DATA "/listfiles/first.txt");

// A shown window whose yielder yields at every chance, so tests can act in the middle of a command.
struct Window {
    QTemporaryDir saves;
    TestServices t{TestServices::EveryChance};
    Form1 form{t.services()};

    Window() { QVERIFY(shown(form)); }
    void fill(int list, const QStringList& texts) { TestContext::fill(form.list(list), texts); }
    QStringList texts(int list) { return form.list(list).texts(); }
    int steps(int list) { return form.list(list).history().steps().index(); }
    PaneView* view(int list) { return form.listView(list); }
    // Undo or Redo of a pane as its menu or shortcut triggers it; false when it is disabled.
    bool trigger(int list, const char* action) {
        QAction* a = view(list)->action(qstrcmp(action, "undo") == 0 ? PaneView::Action::Undo
                                                                     : PaneView::Action::Redo);
        if (!a->isEnabled()) return false;
        triggerAndRun(a);
        return true;
    }
    void loadInto(int list, const QStringList& paths) {
        t.dialogs.files.enqueue(paths);
        form.click(list == 1 ? 3 : 14);
    }
    // A command by a short name: "button N [typed text]", "delete POSITION" in List 1 (0: nothing
    // selected), "load FILE..." of the fixtures into List 2 (List 1 for empty.txt), "paste" into List 2,
    // "undo LIST", "redo LIST", "save LIST" (to a file of its own).
    void run(const QString& command) {
        const QStringList parts = command.split(u' ');
        if (parts[0] == QStringLiteral("undo") || parts[0] == QStringLiteral("redo")) {
            QVERIFY(trigger(parts[1].toInt(), qPrintable(parts[0])));
        } else if (parts[0] == QStringLiteral("save")) {
            t.dialogs.files.enqueue({saves.filePath(parts[1])});
            form.click(parts[1] == QStringLiteral("1") ? 20 : 13);
        } else if (parts[0] == QStringLiteral("button")) {
            if (parts.size() > 2) t.dialogs.inputs.enqueue(parts[2]);
            form.click(parts[1].toInt());
        } else if (parts[0] == QStringLiteral("delete")) {
            view(1)->setFocus();
            view(1)->clearSelection();
            if (parts[1].toInt() > 0) view(1)->selectPosition(parts[1].toInt());
            QTest::keyClick(view(1), Qt::Key_Delete);
        } else if (parts[0] == QStringLiteral("load")) {
            QStringList paths;
            for (const QString& name : parts.mid(1))
                paths << QStringLiteral(BRINDLEWICK_TEST_DATA "/listfiles/") + name;
            loadInto(parts[1] == QStringLiteral("empty.txt") ? 1 : 2, paths);
        } else if (parts[0] == QStringLiteral("paste")) {
            t.clipboard.setText(QStringLiteral("x\r\n\r\ny"));
            triggerAndRun(view(2)->action(PaneView::Action::Paste));
        }
    }
};
}  // namespace

class UndoTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachCommandThatChangesAPaneIsOneStep_data();
    void eachCommandThatChangesAPaneIsOneStep();
    void keysUndoAndRedoAndANewStepDropsTheUndoneSteps();
    void changesDuringACommandBelongToItsStep();
    void nothingHappensWhileThePaneMayBeInUse_data();
    void nothingHappensWhileThePaneMayBeInUse();
    void historyKeepsManyStepsWithinItsMemoryBound();
    void closingAsksWhenWorkWasNotSaved_data();
    void closingAsksWhenWorkWasNotSaved();
    void cancellingTheCloseKeepsEverythingAsItWas();
};

void UndoTest::eachCommandThatChangesAPaneIsOneStep_data() {
    QTest::addColumn<QString>("commands");
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("steps");
    QTest::newRow("Clear List") << "button 1" << 1 << 1;
    QTest::newRow("Load Sample/Example Data") << "button 22" << 2 << 1;
    QTest::newRow("Delete") << "delete 23" << 1 << 1;
    QTest::newRow("load of two files") << "load first.txt second.txt" << 2 << 1;
    QTest::newRow("Paste") << "paste" << 2 << 1;
    QTest::newRow("Remove Matches (List 2 From List 1)") << "button 19" << 1 << 1;
    QTest::newRow("Remove List 1 Items With...") << "button 17 mail" << 1 << 1;
    QTest::newRow("Remove All List 1 Dupes") << "button 7" << 1 << 1;
    QTest::newRow("Clear List, then again") << "button 2;button 2" << 2 << 1;
    QTest::newRow("Remove Blanks without blanks") << "button 11" << 2 << 0;
    QTest::newRow("Remove Dupes without repeats") << "button 5" << 2 << 0;
    QTest::newRow("Items With, text not found") << "button 17 zzz" << 1 << 0;
    QTest::newRow("Items With, cancelled") << "button 17" << 1 << 0;
    QTest::newRow("load of an empty file") << "load empty.txt" << 1 << 0;
    QTest::newRow("Delete with nothing selected") << "delete 0" << 1 << 0;
}

void UndoTest::eachCommandThatChangesAPaneIsOneStep() {
    QFETCH(QString, commands);
    QFETCH(int, list);
    QFETCH(int, steps);
    Window w;
    w.fill(1, repeated({"a", "", "mail b", "a", "c"}, 40));
    w.fill(2, {"c", "d"});
    const QStringList before[2] = {w.texts(1), w.texts(2)};
    const int stepsBefore[2] = {w.steps(1), w.steps(2)};
    w.view(list)->verticalScrollBar()->setValue(20);
    for (const QString& command : commands.split(u';')) w.run(command);
    const QStringList after = w.texts(list);
    QCOMPARE(after != before[list - 1], steps > 0);
    QCOMPARE(w.steps(list), stepsBefore[list - 1] + steps);
    QCOMPARE(w.steps(3 - list), stepsBefore[2 - list]);
    QVERIFY(w.t.dialogs.errorReports().isEmpty());
    if (steps == 0) return;

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
}

void UndoTest::keysUndoAndRedoAndANewStepDropsTheUndoneSteps() {
    Window w;
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.view(1)->setFocus();
    const auto press = [&](QKeyCombination keys) {
        QTest::keySequence(w.view(1), QKeySequence(keys));
        runQueuedCommands();
    };
    const QStringList sample{"orange", "black", "purple"};
    w.form.click(21);
    w.form.click(21);
    press(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(w.texts(1), sample);
    press(Qt::CTRL | Qt::Key_Y);
    QCOMPARE(w.texts(1), sample + sample);
    press(Qt::CTRL | Qt::Key_Z);
    w.form.click(1);
    press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    QCOMPARE(w.texts(1), QStringList());
    press(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(w.texts(1), sample);
    // Ctrl+Z in the other pane is that pane's.
    w.view(2)->setFocus();
    QTest::keySequence(w.view(2), QKeySequence(Qt::CTRL | Qt::Key_Z));
    runQueuedCommands();
    QCOMPARE(w.texts(1), sample);
    QVERIFY(w.trigger(1, "undo"));
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
    w.t.yielder.onYield = [&] {
        if (std::exchange(once, true)) return;
        w.form.click(21);
        w.loadInto(1, {kFirstFile});
        w.form.list(1).append(QStringLiteral("late"));
        w.form.click(22);
        w.loadInto(2, {kFirstFile});
    };
    w.form.click(4);
    w.t.yielder.onYield = nullptr;
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
    QTest::newRow("load into it") << "load" << 1;
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
    bool tried = false;
    const auto tryBoth = [&] {
        if (std::exchange(tried, true)) return;
        for (const char* action : {"undo", "redo"}) {
            w.trigger(list, action);
            QCOMPARE(w.texts(list).mid(0, before.size()), before);
        }
    };
    std::optional<AnotherCommand> other;
    if (during == QStringLiteral("wait pointer")) other.emplace(w.form.state(), WindowState::WaitPointer);
    if (during == QStringLiteral("busy")) w.form.state().setBusy(true);
    w.t.yielder.onYield = tryBoth;
    if (during.startsWith(QStringLiteral("button"))) w.form.click(during.mid(7).toInt());
    if (during == QStringLiteral("load")) w.loadInto(1, {kFirstFile});
    if (!during.startsWith(QStringLiteral("button")) && during != QStringLiteral("load")) tryBoth();
    w.t.yielder.onYield = nullptr;
    QVERIFY(tried);
    QVERIFY(w.t.dialogs.errorReports().isEmpty());

    // Once the pane is free again, all its steps are there, back to the empty pane.
    other.reset();
    w.form.state().setBusy(false);
    while (w.trigger(list, "undo")) {
    }
    QCOMPARE(w.texts(list), QStringList());
}

void UndoTest::historyKeepsManyStepsWithinItsMemoryBound() {
    Window w;
    for (int i = 0; i < 60; ++i) w.form.click(21);
    for (int i = 0; i < 60; ++i) QVERIFY(w.trigger(1, "undo"));
    QCOMPARE(w.form.list(1).count(), 0);
    for (int i = 0; i < 60; ++i) QVERIFY(w.trigger(1, "redo"));
    QCOMPARE(w.form.list(1).count(), 180);
    w.form.click(1);

    // Each clear keeps 40 MB of items of its own, and with the pane empty the history may hold 64 MB:
    // older steps must go, but never the newest.
    const auto withinBound = [&] {
        const PaneHistory& history = w.form.list(1).history();
        return history.heldBytes() <= history.boundBytes();
    };
    for (int round = 0; round < 3; ++round) {
        w.form.list(1).appendBatch(freshItems(40, qsizetype(1) << 20));
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

void UndoTest::closingAsksWhenWorkWasNotSaved_data() {
    QTest::addColumn<QString>("commands");
    // One question for each pane with work, in turn (each answered Close here).
    QTest::addColumn<QStringList>("questions");
    const QStringList list1{
        QStringLiteral("List 1 has changes that have not been saved. Save them before closing?")};
    const QStringList list2{
        QStringLiteral("List 2 has changes that have not been saved. Save them before closing?")};
    const QStringList none;  // closing asks nothing
    QTest::newRow("nothing done") << "" << none;
    QTest::newRow("load, sample data, Clear") << "load first.txt;button 21;button 1;button 2" << none;
    QTest::newRow("load, undone") << "load first.txt;undo 2" << none;
    QTest::newRow("paste") << "paste" << list2;
    QTest::newRow("single removal") << "button 21;delete 1" << list1;
    QTest::newRow("list command") << "button 21;button 22;button 19" << list1;
    QTest::newRow("list command that removed nothing") << "button 21;button 4" << none;
    QTest::newRow("both") << "button 21;delete 2;paste" << list1 + list2;
    QTest::newRow("removal undone") << "button 21;delete 1;undo 1" << none;
    QTest::newRow("removal undone, redone") << "button 21;delete 1;undo 1;redo 1" << list1;
    // An empty pane has nothing to lose, whatever emptied it.
    QTest::newRow("removal, then Clear") << "button 21;delete 1;button 1" << none;
    QTest::newRow("paste, then Clear") << "paste;button 2" << none;
    QTest::newRow("list command that emptied List 2") << "button 22;button 9 zzz" << none;
    QTest::newRow("emptied List 2, work in List 1") << "button 21;button 22;button 9 zzz;delete 1" << list1;
    QTest::newRow("saved") << "paste;save 2" << none;
    QTest::newRow("saved, Clear") << "paste;save 2;button 2" << none;
    QTest::newRow("saved, changed again") << "paste;save 2;paste" << list2;
    QTest::newRow("saved, undone") << "button 22;paste;save 2;undo 2" << list2;
    QTest::newRow("saved, undone, redone") << "paste;save 2;undo 2;redo 2" << none;
    QTest::newRow("saved, undone, other step") << "paste;save 2;undo 2;button 22" << list2;
    QTest::newRow("undone past the save, then saved") << "paste;save 2;undo 2;save 2;redo 2" << list2;
}

void UndoTest::closingAsksWhenWorkWasNotSaved() {
    QFETCH(QString, commands);
    QFETCH(QStringList, questions);
    Window w;
    for (const QString& command : commands.split(u';', Qt::SkipEmptyParts)) w.run(command);
    QVERIFY(w.t.dialogs.errorReports().isEmpty());
    w.t.dialogs.messages.clear();
    QVERIFY(w.form.close());
    QCOMPARE(w.t.dialogs.messageTexts(), questions);
    if (questions.isEmpty()) return;
    QCOMPARE(w.t.dialogs.messages[0].buttons, Dialogs::Buttons::SaveCloseCancel);
    QCOMPARE(w.t.dialogs.messages[0].title, w.form.state().appTitle());
}

void UndoTest::cancellingTheCloseKeepsEverythingAsItWas() {
    // Asked while a list command runs: on Cancel the command goes on and ends as it would have.
    Window w;
    w.run(QStringLiteral("button 21"));
    w.run(QStringLiteral("delete 2"));
    w.form.list(2).append(QStringLiteral("orange"));
    int asked = 0;
    w.t.yielder.onYield = [&] {
        if (asked++ > 0) return;
        w.t.dialogs.answers.enqueue(Dialogs::Answer::Cancel);
        QVERIFY(!w.form.close());
    };
    w.run(QStringLiteral("button 19"));
    QVERIFY(asked > 0);
    QCOMPARE(w.t.dialogs.messageTexts(),
             QStringList{
                 QStringLiteral("List 1 has changes that have not been saved. Save them before closing?")});
    QVERIFY(!w.form.yielder().cancelled());
    QVERIFY(w.form.isVisible());
    QCOMPARE(w.texts(1), QStringList{QStringLiteral("purple")});
    QCOMPARE(w.texts(2), QStringList{QStringLiteral("orange")});
    QVERIFY(w.trigger(1, "undo"));
    QCOMPARE(w.texts(1), (QStringList{QStringLiteral("orange"), QStringLiteral("purple")}));
}
