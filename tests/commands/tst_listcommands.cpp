#include "commands/ListCommands.h"
#include "listops/ListTestSupport.h"
#include "support/Buttons.h"

#include <QSignalSpy>
#include <QTest>

// The fourteen list-operation commands: messages, prompt, Busy, pointer, and which pane they change.
class ListCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checksTargetBeforeReference_data();
    void checksTargetBeforeReference();
    void runsItsRoutineOnItsTarget_data();
    void runsItsRoutineOnItsTarget();
    void busyRefusesASecondCommand_data();
    void busyRefusesASecondCommand();
    void aPaneInUseRefusesTheCommand_data();
    void aPaneInUseRefusesTheCommand();
    void finishesAfterARoutineReportedAnError();
    void closingTheWindowLeavesThePaneWhole_data();
    void closingTheWindowLeavesThePaneWhole();
    void aStopLeavesThePaneAsItWas_data();
    void aStopLeavesThePaneAsItWas();
    void aStopLetsTheCommandInItsYieldEndFirst();
};

void ListCommandsTest::checksTargetBeforeReference_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("list1Loaded");
    QTest::addColumn<bool>("list2Loaded");
    QTest::addColumn<QString>("message");
    QTest::newRow("19 both empty") << 19 << false << false << "You forgot to load List 1.";
    QTest::newRow("19 list 2 empty") << 19 << true << false << "You forgot to load List 2.";
    QTest::newRow("12 both empty") << 12 << false << false << "You forgot to load in List 2.";
    QTest::newRow("12 list 1 empty") << 12 << false << true << "You forgot to load in List 1.";
    QTest::newRow("15 list 2 empty") << 15 << true << false << "You forgot to load in List 2.";
    QTest::newRow("8 both empty") << 8 << false << false << "You forgot to load in List 2.";
    QTest::newRow("17 prompt asks nothing") << 17 << false << true << "You forgot to load in List 1.";
    QTest::newRow("9 prompt asks nothing") << 9 << true << false << "You forgot to load in List 2.";
    QTest::newRow("18 blanks") << 18 << false << true << "You forgot to load in List 1.";
    QTest::newRow("5 first") << 5 << true << false << "You forgot to load in List 2.";
    QTest::newRow("7 all") << 7 << false << true << "You forgot to load in List 1.";
}

void ListCommandsTest::checksTargetBeforeReference() {
    QFETCH(int, button);
    QFETCH(bool, list1Loaded);
    QFETCH(bool, list2Loaded);
    QFETCH(QString, message);
    TestContext t;
    if (list1Loaded) t.list1.append(QString("x"));
    if (list2Loaded) t.list2.append(QString("x"));
    QSignalSpy pointer(&t.window, &WindowState::mousePointerChanged);
    Buttons::click(t.context, button);
    QCOMPARE(t.dialogs.messages.size(), 1);
    const ScriptedDialogs::Message& shown = t.dialogs.messages[0];
    QCOMPARE(shown.text, message);
    QCOMPARE(shown.title, QString("Brindlewick"));
    QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
    QCOMPARE(shown.icon, Dialogs::Icon::None);
    QVERIFY(t.dialogs.inputBoxes.isEmpty());
    QCOMPARE(pointer.size(), 0);
    QVERIFY(!t.window.busy());
    QCOMPARE(t.list1.count() + t.list2.count(), int(list1Loaded) + int(list2Loaded));
}

void ListCommandsTest::runsItsRoutineOnItsTarget_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<Texts>("list1");
    QTest::addColumn<Texts>("list2");
    const Texts start1{"a", "b", "a", "", "B"}, start2{"b", "c", "c", "", "x b"};
    QTest::newRow("19 list 2 from list 1") << 19 << "" << Texts{"a", "a", "B"} << start2;
    QTest::newRow("12 list 1 from list 2") << 12 << "" << start1 << Texts{"c", "c", "x b"};
    QTest::newRow("15 keep in list 1") << 15 << "" << Texts{"b", ""} << start2;
    QTest::newRow("8 keep in list 2") << 8 << "" << start1 << Texts{"b", ""};
    QTest::newRow("17 list 1 with") << 17 << "b" << Texts{"a", "a", "", "B"} << start2;
    QTest::newRow("10 single space") << 10 << " " << start1 << Texts{"b", "c", "c", ""};
    QTest::newRow("17 cancel or empty") << 17 << "" << start1 << start2;
    QTest::newRow("16 list 1 without") << 16 << "b" << Texts{"b"} << start2;
    QTest::newRow("10 list 2 with") << 10 << "b" << start1 << Texts{"c", "c", ""};
    QTest::newRow("9 list 2 without, untrimmed") << 9 << " b" << start1 << Texts{"x b"};
    QTest::newRow("18 list 1 blanks") << 18 << "" << Texts{"a", "b", "a", "B"} << start2;
    QTest::newRow("11 list 2 blanks") << 11 << "" << start1 << Texts{"b", "c", "c", "x b"};
    QTest::newRow("4 list 1 first") << 4 << "" << Texts{"a", "b", "", "B"} << start2;
    QTest::newRow("5 list 2 first") << 5 << "" << start1 << Texts{"b", "c", "", "x b"};
    QTest::newRow("7 list 1 all") << 7 << "" << Texts{"b", "a", "", "B"} << start2;
    QTest::newRow("6 list 2 all") << 6 << "" << start1 << Texts{"b", "c", "", "x b"};
}

void ListCommandsTest::runsItsRoutineOnItsTarget() {
    QFETCH(int, button);
    QFETCH(QString, answer);
    QFETCH(Texts, list1);
    QFETCH(Texts, list2);
    TestContext t;
    TestContext::fill(t.list1, {"a", "b", "a", "", "B"});
    TestContext::fill(t.list2, {"b", "c", "c", "", "x b"});
    t.dialogs.inputs.enqueue(answer);
    QList<int> pointers;
    QObject::connect(&t.window, &WindowState::mousePointerChanged, [&](int p) { pointers.append(p); });
    t.yielder.onYield = [&] { pointers.append(-t.window.mousePointer()); };
    Buttons::click(t.context, button);
    QCOMPARE(t.list1.texts(), list1);
    QCOMPARE(t.list2.texts(), list2);
    const bool prompt = QList<int>{17, 16, 10, 9}.contains(button);
    QCOMPARE(t.dialogs.inputBoxes.size(), prompt ? 1 : 0);
    if (prompt) QCOMPARE(t.dialogs.inputBoxes[0].prompt, QString("Enter string: "));
    if (prompt) QCOMPARE(t.dialogs.inputBoxes[0].title, QString("Brindlewick"));
    // The wait pointer is up exactly while the routine runs; an empty answer never shows it.
    if (prompt && answer.isEmpty()) {
        QVERIFY(pointers.isEmpty());
    } else {
        QCOMPARE(pointers.first(), 11);
        QCOMPARE(pointers.last(), 0);
        QVERIFY(pointers.count(-11) > 0);
    }
    QVERIFY(!t.window.busy());
    QVERIFY(t.dialogs.messages.isEmpty());
}

void ListCommandsTest::busyRefusesASecondCommand_data() {
    QTest::addColumn<int>("second");
    QTest::newRow("same button") << 19;
    QTest::newRow("one-list on the same list") << 4;
    QTest::newRow("prompt shows no input box") << 17;
    QTest::newRow("two-list the other way") << 12;
}

void ListCommandsTest::busyRefusesASecondCommand() {
    QFETCH(int, second);
    TestContext t;
    TestContext::fill(t.list1, {"a", "a", "b", "", "c"});
    TestContext::fill(t.list2, {"a", "a"});
    int clicks = 0;
    t.yielder.onYield = [&] {
        if (clicks++ < 3) Buttons::click(t.context, second);
    };
    Buttons::click(t.context, 19);
    QVERIFY(clicks > 0);
    QCOMPARE(t.list1.texts(), Texts({"b", "", "c"}));
    QCOMPARE(t.list2.texts(), Texts({"a", "a"}));
    QVERIFY(t.dialogs.messages.isEmpty() && t.dialogs.inputBoxes.isEmpty());
    QVERIFY(!t.window.busy());
    // Busy is clear again, so the next command runs.
    t.yielder.onYield = nullptr;
    Buttons::click(t.context, 6);
    QCOMPARE(t.list2.texts(), Texts{"a"});
}

void ListCommandsTest::aPaneInUseRefusesTheCommand_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("held");
    QTest::addColumn<bool>("runs");
    QTest::newRow("target in use") << 19 << 1 << false;
    QTest::newRow("reference in use") << 19 << 2 << false;
    QTest::newRow("prompt asks nothing") << 16 << 1 << false;
    QTest::newRow("one-list on the other pane runs") << 5 << 1 << true;
}

void ListCommandsTest::aPaneInUseRefusesTheCommand() {
    QFETCH(int, button);
    QFETCH(int, held);
    QFETCH(bool, runs);
    TestContext t;
    TestContext::fill(t.list1, {"a", "a"});
    TestContext::fill(t.list2, {"a", "a"});
    t.dialogs.inputs.enqueue("a");
    {
        const AnotherCommand other(t.window, WindowState::DefaultPointer, held);
        Buttons::click(t.context, button);
        QVERIFY(t.window.inUse(held));
    }
    QCOMPARE(t.list1.texts() + t.list2.texts(), runs ? Texts({"a", "a", "a"}) : Texts({"a", "a", "a", "a"}));
    QVERIFY(t.dialogs.messages.isEmpty() && t.dialogs.inputBoxes.isEmpty());
    QVERIFY(!t.window.busy() && !t.window.inUse(1) && !t.window.inUse(2));
    QCOMPARE(t.window.mousePointer(), 0);
}

void ListCommandsTest::finishesAfterARoutineReportedAnError() {
    BasicTestContext<FailingPane> t;
    TestContext::fill(t.list1, {"a", "b"});
    TestContext::fill(t.list2, {"a"});
    t.list1.failAt = {2};
    int pointerAtReport = -1;
    t.dialogs.onMessage = [&](const ScriptedDialogs::Message&) { pointerAtReport = t.window.mousePointer(); };
    Buttons::click(t.context, 15);
    QCOMPARE(t.dialogs.errorReports().size(), 1);
    QVERIFY(reportsAt(t.dialogs.errorReports()[0], "KeepOnlyMatchesInList", 112));
    QCOMPARE(pointerAtReport, 11);
    QCOMPARE(t.window.mousePointer(), 0);
    QVERIFY(!t.window.busy());
    QCOMPARE(t.progress.values.last(), 0.0);
    // The next command runs; the item it cannot read stays.
    Buttons::click(t.context, 19);
    QCOMPARE(t.list1.texts(), Texts{"b"});
}

void ListCommandsTest::closingTheWindowLeavesThePaneWhole_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("atYield");
    QTest::addColumn<bool>("stopped");
    QTest::newRow("19 while collecting") << 19 << 1 << false;
    QTest::newRow("19 before removing") << 19 << 5 << false;
    QTest::newRow("7 while collecting") << 7 << 2 << false;
    QTest::newRow("7 before removing") << 7 << 4 << false;
    QTest::newRow("7 stopped as it closes") << 7 << 2 << true;
}

void ListCommandsTest::closingTheWindowLeavesThePaneWhole() {
    QFETCH(int, button);
    QFETCH(int, atYield);
    QFETCH(bool, stopped);
    TestContext t;
    TestContext::fill(t.list1, {"a", "b", "a"});
    TestContext::fill(t.list2, {"a"});
    t.yielder.onYield = [&] {
        if (t.yielder.yields != atYield) return;
        if (stopped) t.window.stop(1);
        t.yielder.cancel();
    };
    // Closing ends every command, also one that was just stopped.
    QVERIFY_THROWS_EXCEPTION(Cancelled, Buttons::click(t.context, button));
    QCOMPARE(t.list1.texts(), Texts({"a", "b", "a"}));
    QVERIFY(t.dialogs.messages.isEmpty());
    QVERIFY(!t.window.busy() && !t.window.inUse(1) && !t.window.canStop(1));
    QCOMPARE(t.window.lastResult(), QString());
}

namespace {
// Runs button `button` (0: Sort A to Z on List 1, as the pane's menu runs it) on both panes filled,
// each one undo step, and List `target` saved; at yield `stopAt` (0: none) it asks List `stopList`'s
// command to stop, noting what the window offered then.
struct StopRun {
    TestContext t;
    quint64 savedMark = 0;
    bool offeredOnTarget = false;
    bool offeredOnOther = true;
    QString titleWhileRunning;
    bool offeredAfterStop = false;

    StopRun(int button, int target, int stopList, int stopAt) {
        TestContext::fill(t.list1, {"b", "a", "b", "", "c"});
        TestContext::fill(t.list2, {"b", "x b", "b", "c"});
        PaneModel& pane = target == 1 ? t.list1 : t.list2;
        savedMark = pane.saveMark();
        pane.markSaved(savedMark);
        t.dialogs.inputs.enqueue("b");
        t.yielder.onYield = [&, target, stopList, stopAt] {
            if (t.yielder.yields != stopAt) return;
            offeredOnTarget = t.window.canStop(target);
            offeredOnOther = t.window.canStop(3 - target);
            titleWhileRunning = t.window.runningTitle();
            t.window.stop(stopList);
            // Asked once, the stop is no longer offered.
            offeredAfterStop = t.window.canStop(stopList);
        };
        if (button)
            Buttons::click(t.context, button);
        else
            ListCommands::click(t.context, ListCommands::command(ListCommands::Id::SortAToZ), 1, "origin");
    }
};
}  // namespace

void ListCommandsTest::aStopLeavesThePaneAsItWas_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("stopList");
    QTest::addColumn<bool>("atLastYield");
    QTest::newRow("19 two-list, first yield") << 19 << 1 << "Remove Matches" << 1 << false;
    QTest::newRow("15 two-list, last yield") << 15 << 1 << "Keep Only Matches" << 1 << true;
    QTest::newRow("10 prompt") << 10 << 2 << "Remove Items With \"b\"" << 2 << false;
    QTest::newRow("5 one-list, last yield") << 5 << 2 << "Remove Dupes Except First" << 2 << true;
    QTest::newRow("sort, first yield") << 0 << 1 << "Sort A to Z" << 1 << false;
    QTest::newRow("sort, last yield") << 0 << 1 << "Sort A to Z" << 1 << true;
    QTest::newRow("19 stop aimed at List 2") << 19 << 1 << "Remove Matches" << 2 << false;
    QTest::newRow("5 stop aimed at List 1, last yield") << 5 << 2 << "Remove Dupes Except First" << 1 << true;
}

void ListCommandsTest::aStopLeavesThePaneAsItWas() {
    QFETCH(int, button);
    QFETCH(int, target);
    QFETCH(QString, title);
    QFETCH(int, stopList);
    QFETCH(bool, atLastYield);
    // The command run to its end, untouched: its outcome and how often it yields.
    const StopRun whole(button, target, 0, 0);
    const Texts before1{"b", "a", "b", "", "c"}, before2{"b", "x b", "b", "c"};
    QVERIFY(whole.t.list1.texts() + whole.t.list2.texts() != before1 + before2);
    QVERIFY(whole.t.yielder.yields > 1);

    StopRun run(button, target, stopList, atLastYield ? whole.t.yielder.yields : 1);
    QVERIFY(run.offeredOnTarget && !run.offeredOnOther && !run.offeredAfterStop);
    QCOMPARE(run.titleWhileRunning, title);
    QVERIFY(run.t.dialogs.messages.isEmpty());
    QVERIFY(!run.t.window.busy() && !run.t.window.inUse(target) && !run.t.window.canStop(target));
    QCOMPARE(run.t.window.mousePointer(), 0);
    QCOMPARE(run.t.window.runningTitle(), QString());
    QCOMPARE(run.t.progress.values.last(), 0.0);
    PaneModel& pane = target == 1 ? run.t.list1 : run.t.list2;
    if (stopList != target) {
        // The running command never hears of it.
        QCOMPARE(run.t.list1.texts(), whole.t.list1.texts());
        QCOMPARE(run.t.list2.texts(), whole.t.list2.texts());
        QCOMPARE(run.t.window.lastResult(), whole.t.window.lastResult());
        QVERIFY(pane.hasUnsavedWork());
        return;
    }
    QCOMPARE(run.t.window.lastResult(), title + ": stopped; List " + QString::number(target) + " unchanged");
    QCOMPARE(run.t.list1.texts(), before1);
    QCOMPARE(run.t.list2.texts(), before2);
    // No step of its own: the step before is the one to undo, and the saved items are still these.
    QVERIFY(!pane.hasUnsavedWork());
    QCOMPARE(pane.saveMark(), run.savedMark);
    QVERIFY(!pane.canRedo());
    pane.undo();
    QCOMPARE(pane.count(), 0);
}

void ListCommandsTest::aStopLetsTheCommandInItsYieldEndFirst() {
    TestContext t;
    TestContext::fill(t.list1, {"a", "b", "a"});
    // Another command runs in the dedupe's first yield and asks for the stop during a yield of its own.
    bool otherEnded = false;
    t.yielder.onYield = [&] {
        if (t.yielder.yields == 2) t.window.stop(1);
        if (t.yielder.yields != 1) return;
        t.yielder.yieldNow();
        otherEnded = true;
    };
    Buttons::click(t.context, 4);
    QVERIFY(otherEnded);
    QCOMPARE(t.yielder.yields, 2);
    QCOMPARE(t.list1.texts(), Texts({"a", "b", "a"}));
    QCOMPARE(t.window.lastResult(), QString("Remove Dupes Except First: stopped; List 1 unchanged"));
}

QTEST_GUILESS_MAIN(ListCommandsTest)
#include "tst_listcommands.moc"
