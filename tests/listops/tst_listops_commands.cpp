#include "listops/ListCommands.h"
#include "ListTestSupport.h"

#include <QSignalSpy>
#include <QTest>

// The fourteen list-operation commands: messages, prompt, Busy, pointer, and which pane they change.
class ListCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTargetMessageBeforeReferenceMessage_data();
    void showsTargetMessageBeforeReferenceMessage();
    void runsItsRoutineOnItsTarget_data();
    void runsItsRoutineOnItsTarget();
    void usesThePromptAnswerAsTyped_data();
    void usesThePromptAnswerAsTyped();
    void busyRefusesASecondCommand_data();
    void busyRefusesASecondCommand();
    void finishesAfterARoutineReportedAnError_data();
    void finishesAfterARoutineReportedAnError();
};

void ListCommandsTest::showsTargetMessageBeforeReferenceMessage_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("list1");
    QTest::addColumn<QStringList>("list2");
    QTest::addColumn<QString>("message");
    const QStringList none, some{"x"};
    QTest::newRow("19 both empty") << 19 << none << none << "You forgot to load List 1.";
    QTest::newRow("19 list 2 empty") << 19 << some << none << "You forgot to load List 2.";
    QTest::newRow("12 both empty") << 12 << none << none << "You forgot to load in List 2.";
    QTest::newRow("12 list 1 empty") << 12 << none << some << "You forgot to load in List 1.";
    QTest::newRow("15 list 2 empty") << 15 << some << none << "You forgot to load in List 2.";
    QTest::newRow("8 both empty") << 8 << none << none << "You forgot to load in List 2.";
    QTest::newRow("17 prompt, list 1 empty") << 17 << none << some << "You forgot to load in List 1.";
    QTest::newRow("9 prompt, list 2 empty") << 9 << some << none << "You forgot to load in List 2.";
    QTest::newRow("18 blanks") << 18 << none << some << "You forgot to load in List 1.";
    QTest::newRow("11 blanks") << 11 << some << none << "You forgot to load in List 2.";
    QTest::newRow("4 first") << 4 << none << some << "You forgot to load in List 1.";
    QTest::newRow("5 first") << 5 << some << none << "You forgot to load in List 2.";
    QTest::newRow("7 all") << 7 << none << some << "You forgot to load in List 1.";
    QTest::newRow("6 all") << 6 << some << none << "You forgot to load in List 2.";
}

void ListCommandsTest::showsTargetMessageBeforeReferenceMessage() {
    QFETCH(int, button);
    QFETCH(QStringList, list1);
    QFETCH(QStringList, list2);
    QFETCH(QString, message);
    TestContext t;
    TestContext::fill(t.list1, list1);
    TestContext::fill(t.list2, list2);
    QSignalSpy pointer(&t.window, &WindowState::mousePointerChanged);
    ListCommands::click(t.context, button);
    QCOMPARE(t.dialogs.messages.size(), 1);
    const ScriptedDialogs::Message& shown = t.dialogs.messages[0];
    QCOMPARE(shown.text, message);
    QCOMPARE(shown.title, QString("Brindlewick"));
    QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
    QCOMPARE(shown.icon, Dialogs::Icon::None);
    QVERIFY(t.dialogs.inputBoxes.isEmpty());
    QCOMPARE(pointer.size(), 0);
    QVERIFY(t.progress.values.isEmpty());
    QVERIFY(!t.window.busy());
    QCOMPARE(t.list1.texts(), list1);
    QCOMPARE(t.list2.texts(), list2);
}

void ListCommandsTest::runsItsRoutineOnItsTarget_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("list1");
    QTest::addColumn<QStringList>("list2");
    using L = QStringList;
    // List 1 starts as a, b, a, "", B and List 2 as b, c, c, "", "x b"; prompts answer "b".
    QTest::newRow("19 subtract list 2 from list 1") << 19 << L{"a", "a", "B"} << L{};
    QTest::newRow("12 subtract list 1 from list 2") << 12 << L{} << L{"c", "c", "x b"};
    QTest::newRow("15 keep list 1 matches") << 15 << L{"b", ""} << L{};
    QTest::newRow("8 keep list 2 matches") << 8 << L{} << L{"b", ""};
    QTest::newRow("17 list 1 with") << 17 << L{"a", "a", "", "B"} << L{};
    QTest::newRow("16 list 1 without") << 16 << L{"b"} << L{};
    QTest::newRow("10 list 2 with") << 10 << L{} << L{"c", "c", ""};
    QTest::newRow("9 list 2 without") << 9 << L{} << L{"b", "x b"};
    QTest::newRow("18 list 1 blanks") << 18 << L{"a", "b", "a", "B"} << L{};
    QTest::newRow("11 list 2 blanks") << 11 << L{} << L{"b", "c", "c", "x b"};
    QTest::newRow("4 list 1 first") << 4 << L{"a", "b", "", "B"} << L{};
    QTest::newRow("5 list 2 first") << 5 << L{} << L{"b", "c", "", "x b"};
    QTest::newRow("7 list 1 all") << 7 << L{"b", "a", "", "B"} << L{};
    QTest::newRow("6 list 2 all") << 6 << L{} << L{"b", "c", "", "x b"};
}

void ListCommandsTest::runsItsRoutineOnItsTarget() {
    QFETCH(int, button);
    QFETCH(QStringList, list1);
    QFETCH(QStringList, list2);
    TestContext t;
    const QStringList start1{"a", "b", "a", "", "B"}, start2{"b", "c", "c", "", "x b"};
    TestContext::fill(t.list1, start1);
    TestContext::fill(t.list2, start2);
    t.dialogs.inputs.enqueue("b");
    QList<int> pointerAtYields;
    t.yielder.onYield = [&] { pointerAtYields.append(t.window.mousePointer()); };
    ListCommands::click(t.context, button);
    // An empty expectation stands for "unchanged": every command changes exactly one list.
    QCOMPARE(t.list1.texts(), list1.isEmpty() ? start1 : list1);
    QCOMPARE(t.list2.texts(), list2.isEmpty() ? start2 : list2);
    QVERIFY(!pointerAtYields.isEmpty());
    QVERIFY(std::all_of(pointerAtYields.begin(), pointerAtYields.end(), [](int p) { return p == 11; }));
    QCOMPARE(t.window.mousePointer(), 0);
    QVERIFY(!t.window.busy());
    QCOMPARE(t.progress.values.last(), 0.0);
    QVERIFY(t.dialogs.messages.isEmpty());
}

void ListCommandsTest::usesThePromptAnswerAsTyped_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("expected");
    const QStringList items{"a b", "ab", " ", "A"};
    QTest::newRow("cancel or empty changes nothing") << "" << items;
    QTest::newRow("single space") << " " << QStringList{"ab", "A"};
    QTest::newRow("not trimmed") << "a " << QStringList{"ab", " ", "A"};
    QTest::newRow("case counts") << "A" << QStringList{"a b", "ab", " "};
}

void ListCommandsTest::usesThePromptAnswerAsTyped() {
    QFETCH(QString, answer);
    QFETCH(QStringList, expected);
    TestContext t;
    TestContext::fill(t.list1, {"a b", "ab", " ", "A"});
    t.dialogs.inputs.enqueue(answer);
    QSignalSpy pointer(&t.window, &WindowState::mousePointerChanged);
    ListCommands::click(t.context, 17);
    QCOMPARE(t.list1.texts(), expected);
    QCOMPARE(t.dialogs.inputBoxes.size(), 1);
    QCOMPARE(t.dialogs.inputBoxes[0].prompt, QString("Enter string: "));
    QCOMPARE(t.dialogs.inputBoxes[0].title, QString("Brindlewick"));
    QVERIFY(t.dialogs.messages.isEmpty());
    QCOMPARE(pointer.size(), answer.isEmpty() ? 0 : 2);
    QVERIFY(!t.window.busy());
}

void ListCommandsTest::busyRefusesASecondCommand_data() {
    QTest::addColumn<int>("second");
    QTest::newRow("same button") << 19;
    QTest::newRow("one-list on the same list") << 4;
    QTest::newRow("prompt shows no input box") << 17;
    QTest::newRow("one-list on the reference") << 6;
    QTest::newRow("two-list the other way") << 12;
}

void ListCommandsTest::busyRefusesASecondCommand() {
    QFETCH(int, second);
    TestContext t;
    TestContext::fill(t.list1, {"a", "a", "b", "", "c"});
    TestContext::fill(t.list2, {"a", "a"});
    int refused = 0;
    t.yielder.onYield = [&] {
        if (refused++ < 3) ListCommands::click(t.context, second);
        QVERIFY(t.window.busy());
    };
    ListCommands::click(t.context, 19);
    QVERIFY(refused > 0);
    QCOMPARE(t.list1.texts(), QStringList({"b", "", "c"}));
    QCOMPARE(t.list2.texts(), QStringList({"a", "a"}));
    QVERIFY(t.dialogs.messages.isEmpty());
    QVERIFY(t.dialogs.inputBoxes.isEmpty());
    QVERIFY(!t.window.busy());
    // Busy is clear again: the next command runs.
    t.yielder.onYield = nullptr;
    ListCommands::click(t.context, 6);
    QCOMPARE(t.list2.texts(), QStringList{"a"});
}

void ListCommandsTest::finishesAfterARoutineReportedAnError_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("procedure");
    QTest::addColumn<int>("line");
    QTest::newRow("19 subtract") << 19 << "SubtractSecondListFromFirstList" << 110;
    QTest::newRow("15 keep") << 15 << "KeepOnlyMatchesInList" << 112;
    QTest::newRow("16 without") << 16 << "RemoveItemsWithout" << 108;
    QTest::newRow("18 blanks") << 18 << "RemoveBlanksFromList" << 108;
    QTest::newRow("7 all") << 7 << "RemoveDupesAll" << 112;
}

void ListCommandsTest::finishesAfterARoutineReportedAnError() {
    QFETCH(int, button);
    QFETCH(QString, procedure);
    QFETCH(int, line);
    BasicTestContext<FailingPane> t;
    TestContext::fill(t.list1, {"a", "b"});
    TestContext::fill(t.list2, {"a"});
    t.list1.failAt = {2};
    t.dialogs.inputs.enqueue("a");
    int pointerAtReport = -1;
    t.dialogs.onMessage = [&](const ScriptedDialogs::Message&) { pointerAtReport = t.window.mousePointer(); };
    ListCommands::click(t.context, button);
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].contains(reportedAt("List", procedure, line)), qPrintable(reports[0]));
    QCOMPARE(pointerAtReport, 11);
    QCOMPARE(t.window.mousePointer(), 0);
    QVERIFY(!t.window.busy());
    QCOMPARE(t.progress.values.last(), 0.0);
}

QTEST_GUILESS_MAIN(ListCommandsTest)
#include "tst_listops_commands.moc"
