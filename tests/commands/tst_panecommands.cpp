#include "commands/PaneCommands.h"
#include "support/Buttons.h"
#include "support/TestContext.h"

#include <QTest>

#include <optional>

namespace {
// A pane whose appends fail for one text, to see the sample data go on after a failure.
class FailingAppendPane : public PaneModel {
public:
    QByteArray failFor;
    void append(QByteArrayView text) override {
        if (text == QByteArrayView(failFor)) throw RunTimeError(QStringLiteral("Simulated append failure"));
        PaneModel::append(text);
    }
    using PaneModel::append;
};
}  // namespace

class PaneCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sampleDataIsAppended_data();
    void sampleDataIsAppended();
    void sampleDataGoesOnAfterAFailedItem();
    void clearEmptiesOnlyWhenIdle_data();
    void clearEmptiesOnlyWhenIdle();
    void removeSelectedTakesOneItem_data();
    void removeSelectedTakesOneItem();
    void undoSaysWhatCameBack_data();
    void undoSaysWhatCameBack();
    void headerSaysWhereTheItemsCameFrom();
    void closingOffersToSaveEachPaneInTurn_data();
    void closingOffersToSaveEachPaneInTurn();
};

void PaneCommandsTest::sampleDataIsAppended_data() {
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("held");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("list 1 once") << 1 << 1 << 0 << QStringList{"existing", "orange", "black", "purple"};
    QTest::newRow("list 1 twice") << 1 << 2 << 0 << QStringList{"existing", "orange", "black", "purple",
                                                                "orange",   "black",  "purple"};
    QTest::newRow("list 2 once") << 2 << 1 << 0 << QStringList{"existing", "red", "orange", "Purple"};
    QTest::newRow("list 2 while list 1 in use")
        << 2 << 1 << 1 << QStringList{"existing", "red", "orange", "Purple"};
    QTest::newRow("list 1 in use") << 1 << 1 << 1 << QStringList{"existing"};
}

void PaneCommandsTest::sampleDataIsAppended() {
    QFETCH(int, list);
    QFETCH(int, presses);
    QFETCH(int, held);
    QFETCH(QStringList, expected);
    TestContext t;
    t.context.pane(list).append(QByteArrayView("existing"));
    // The sample data does not test the busy signs: it appends while an operation runs on another
    // pane too, but never into a pane in use.
    t.window.setBusy(true);
    const AnotherCommand other(t.window, WindowState::WaitPointer, held);
    for (int i = 0; i < presses; ++i) Buttons::loadSampleData(t.context, list);
    QCOMPARE((list == 1 ? t.list1 : t.list2).texts(), expected);
    QVERIFY(t.dialogs.messages.isEmpty());
}

void PaneCommandsTest::sampleDataGoesOnAfterAFailedItem() {
    BasicTestContext<FailingAppendPane> t;
    t.list1.failFor = "black";
    Buttons::loadSampleData(t.context, 1);
    QCOMPARE(t.list1.texts(), QStringList({"orange", "purple"}));
    QCOMPARE(t.dialogs.errorReports().size(), 1);
    QVERIFY(t.dialogs.errorReports()[0].startsWith(QStringLiteral(
        "Simulated append failure\r\nin Quorvel2021/08/31.Form1.PushButton21_Click at line 102\r\r")));
}

void PaneCommandsTest::clearEmptiesOnlyWhenIdle_data() {
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("pointer");
    QTest::addColumn<int>("held");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("idle") << false << 0 << 0 << true;
    QTest::newRow("hand pointer") << false << 99 << 0 << true;
    QTest::newRow("wait pointer") << false << 11 << 0 << false;
    QTest::newRow("list operation running") << true << 0 << 0 << false;
    QTest::newRow("pane in use") << false << 0 << 2 << false;
    QTest::newRow("other pane in use") << false << 0 << 1 << true;
}

void PaneCommandsTest::clearEmptiesOnlyWhenIdle() {
    QFETCH(bool, busy);
    QFETCH(int, pointer);
    QFETCH(int, held);
    QFETCH(bool, cleared);
    TestContext t;
    TestContext::fill(t.list2, {"a", "b"});
    TestContext::fill(t.list1, {"keep"});
    t.window.setBusy(busy);
    const AnotherCommand other(t.window, pointer, held);
    Buttons::clearList(t.context, 2);
    QCOMPARE(t.list2.count(), cleared ? 0 : 2);
    QCOMPARE(t.list1.count(), 1);
    Buttons::clearList(t.context, 2);
    QVERIFY(t.dialogs.messages.isEmpty());
}

void PaneCommandsTest::removeSelectedTakesOneItem_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("pointer");
    QTest::addColumn<int>("held");
    QTest::addColumn<QStringList>("expected");
    const QStringList rop{"red", "orange", "Purple"};
    QTest::newRow("second") << rop << 2 << false << 0 << 0 << QStringList{"red", "Purple"};
    QTest::newRow("last") << rop << 3 << false << 0 << 0 << QStringList{"red", "orange"};
    QTest::newRow("none selected") << rop << 0 << false << 0 << 0 << rop;
    QTest::newRow("stale selection") << rop << 4 << false << 0 << 0 << rop;
    QTest::newRow("empty pane") << QStringList{} << 1 << false << 0 << 0 << QStringList{};
    QTest::newRow("wait pointer") << rop << 2 << false << 11 << 0 << rop;
    QTest::newRow("busy") << rop << 2 << true << 0 << 0 << rop;
    QTest::newRow("pane in use") << rop << 2 << false << 0 << 1 << rop;
}

void PaneCommandsTest::removeSelectedTakesOneItem() {
    QFETCH(QStringList, items);
    QFETCH(int, selected);
    QFETCH(bool, busy);
    QFETCH(int, pointer);
    QFETCH(int, held);
    QFETCH(QStringList, expected);
    TestContext t;
    TestContext::fill(t.list1, items);
    t.window.setBusy(busy);
    const AnotherCommand other(t.window, pointer, held);
    PaneCommands::removeSelected(t.context, 1, selected);
    QCOMPARE(t.list1.texts(), expected);
    QVERIFY(t.dialogs.messages.isEmpty());
}

void PaneCommandsTest::undoSaysWhatCameBack_data() {
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("result");
    // Each step starts from a, b, c.
    QTest::newRow("items taken out") << QStringList{"a"} << "Undo in List 1: 2 items back";
    QTest::newRow("an item added") << QStringList{"a", "b", "c", "d"} << "Undo in List 1: 1 item taken out";
    QTest::newRow("same count, new order")
        << QStringList{"c", "b", "a"} << "Undo in List 1: the items as they were";
}

void PaneCommandsTest::undoSaysWhatCameBack() {
    QFETCH(QStringList, after);
    QFETCH(QString, result);
    TestContext t;
    TestContext::fill(t.list1, {"a", "b", "c"});
    {
        PaneStep step(t.list1);
        t.list1.clear();
        for (const QString& text : after) t.list1.append(text);
    }
    PaneCommands::undo(t.context, 1);
    QCOMPARE(t.list1.texts(), (QStringList{"a", "b", "c"}));
    QCOMPARE(t.window.lastResult(), result);
}

void PaneCommandsTest::headerSaysWhereTheItemsCameFrom() {
    TestContext t;
    TestContext::fill(t.list1, {"a"});
    QCOMPARE(PaneCommands::headerNote(t.context, 1), QString());
    t.window.setLoadedFrom(1, {"/lists/subscribers.csv"});
    t.window.setMatchOn(1, MatchOn{2, U',', false});
    QCOMPARE(PaneCommands::headerNote(t.context, 1), QString("subscribers.csv \u00B7 column 2"));
    QCOMPARE(PaneCommands::headerTip(t.context, 1), QString("/lists/subscribers.csv"));
    QStringList many;
    for (int k = 1; k <= 10; ++k) many << QString("/lists/%1.txt").arg(k);
    // Ten paths, each a line; one of exactly 300 characters stays whole.
    many[1] = "/" + QString(293, u'e') + "/2.txt";
    t.window.setLoadedFrom(1, many);
    QCOMPARE(PaneCommands::headerTip(t.context, 1), many.join('\n'));
    many << "/lists/11.txt"
         << "/lists/12.txt";
    many[0] = "/" + QString(400, u'd') + "/1.txt";
    t.window.setLoadedFrom(1, many);
    QCOMPARE(PaneCommands::headerNote(t.context, 1), QString("12 files \u00B7 column 2"));
    // A tooltip of ten paths, each within a line, and how many more.
    const QStringList tip = PaneCommands::headerTip(t.context, 1).split('\n');
    QCOMPARE(tip.size(), 11);
    QCOMPARE(tip[0], QString(u'\u2026') + many[0].right(300));
    QCOMPARE(tip[9], many[9]);
    QCOMPARE(tip[10], QString("and 2 more"));
    // Clear forgets them.
    PaneCommands::clearList(t.context, 1, "origin", "Clear List");
    QVERIFY(t.window.loadedFrom(1).isEmpty());
}

void PaneCommandsTest::closingOffersToSaveEachPaneInTurn_data() {
    QTest::addColumn<QList<Dialogs::Answer>>("answers");
    QTest::addColumn<QList<bool>>("saves");
    QTest::addColumn<QList<int>>("saved");
    QTest::addColumn<bool>("closes");
    using A = Dialogs::Answer;
    QTest::newRow("close both") << QList<A>{A::Close, A::Close} << QList<bool>{} << QList<int>{} << true;
    QTest::newRow("save both") << QList<A>{A::Save, A::Save} << QList<bool>{true, true} << QList<int>{1, 2}
                               << true;
    QTest::newRow("save one, close the other")
        << QList<A>{A::Close, A::Save} << QList<bool>{true} << QList<int>{2} << true;
    QTest::newRow("a save that did not happen keeps the window")
        << QList<A>{A::Save} << QList<bool>{false} << QList<int>{1} << false;
    QTest::newRow("cancel at the second")
        << QList<A>{A::Close, A::Cancel} << QList<bool>{} << QList<int>{} << false;
}

void PaneCommandsTest::closingOffersToSaveEachPaneInTurn() {
    QFETCH(QList<Dialogs::Answer>, answers);
    QFETCH(QList<bool>, saves);
    QFETCH(QList<int>, saved);
    QFETCH(bool, closes);
    TestContext t;
    TestContext::fill(t.list1, {"a"});
    TestContext::fill(t.list2, {"b"});
    for (Dialogs::Answer answer : answers) t.dialogs.answers.enqueue(answer);
    QList<int> asked;
    const bool closed = PaneCommands::mayClose(t.context, [&](int list) {
        asked.append(list);
        return saves.at(asked.size() - 1);
    });
    QCOMPARE(closed, closes);
    QCOMPARE(asked, saved);
    QCOMPARE(t.dialogs.messages.size(), qsizetype(answers.size()));
    QCOMPARE(t.dialogs.messageTexts().first(),
             QString("List 1 has changes that have not been saved. Save them before closing?"));
    QCOMPARE(t.dialogs.messages.first().buttons, Dialogs::Buttons::SaveCloseCancel);
}

QTEST_GUILESS_MAIN(PaneCommandsTest)
#include "tst_panecommands.moc"
