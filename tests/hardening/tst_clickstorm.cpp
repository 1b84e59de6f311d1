// An impatient user: while a list operation runs, a thousand random clicks on every button, Delete
// presses, double-clicks, Undo and Redo in both panes. Only the operation may change its target, and
// saving the target only says that it is still changing; the other pane, its reference too, only gains
// what sample data and loads append. Afterwards one undo takes the operation back exactly, and one redo
// makes it again.
#include "app/Form1.h"
#include "hardening/HardeningSupport.h"
#include "panes/view/PaneView.h"
#include "support/MenuCommands.h"
#include "support/TestServices.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Below the size where a second thread joins the lookups: the storm is about who may change a pane,
// which that thread never does.
constexpr int kItems = 30000;
constexpr int kClicks = 1000;
// Yields come by count, not by the clock, so the same clicks land between the same steps on a fast
// machine and a slow one.
constexpr int kChecksPerYield = 64;

struct Storm {
    Storm(Form1& f, int target) : form(f), holds{target == 1, target == 2} {}
    Form1& form;
    // Which pane the operation holds: its target.
    bool holds[2];
    std::mt19937 rng{7};
    int fired = 0;
    bool firing = false;
    QStringList appended[2];
    QStringList messages;

    void fireSome(int count) {
        if (firing) return;  // a command started by the storm yields too: no storm inside it
        firing = true;
        for (int k = 0; k < count && fired < kClicks; ++k, ++fired) fireOne();
        firing = false;
    }

    void fireOne() {
        const unsigned r = rng() % 28;
        if (r < 22) return clickButton(int(r) + 1);
        PaneView* view = form.listView(int(r % 2) + 1);
        if (r >= 26) return trigger(view, r == 26 ? PaneView::Action::Undo : PaneView::Action::Redo);
        if (r < 24) {
            view->selectPosition(int(rng() % 50) + 1);
            QTest::keyClick(view, Qt::Key_Delete, r == 23 ? Qt::ShiftModifier : Qt::NoModifier);
        } else {
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
        }
    }

    static void trigger(PaneView* view, PaneView::Action action) { view->action(action)->trigger(); }

    void clickButton(int number) {
        // What sample data and loads will append to a pane that is not held, in the order they append
        // it, and what a save of a held pane says (a save of the other one is cancelled).
        const int list = number == 21 || number == 3 || number == 20 ? 1 : 2;
        if (number == 21 && !holds[0])
            appended[0] << "orange"
                        << "black"
                        << "purple";
        if (number == 22 && !holds[1])
            appended[1] << "red"
                        << "orange"
                        << "Purple";
        if ((number == 3 || number == 14) && !holds[list - 1])
            appended[list - 1] << "loaded one"
                               << ""
                               << "loaded two";
        if ((number == 20 || number == 13) && holds[list - 1])
            messages << QStringLiteral(
                            "List %1 is still changing. Save it when the current command has finished.")
                            .arg(list);
        QTest::mouseClick(form.pushButton(number), Qt::LeftButton);
    }
};

void fill(Form1& form) {
    form.list(1).appendBatch(generatedList(kItems, 1, kItems / 5 * 2));
    form.list(2).appendBatch(generatedList(kItems, 2, kItems / 5 * 3));
}
}  // namespace

class ClickStormTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void onlyTheOperationChangesItsPanes_data();
    void onlyTheOperationChangesItsPanes();
};

void ClickStormTest::onlyTheOperationChangesItsPanes_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("target");
    QTest::newRow("Remove Matches (List 2 From List 1)") << 19 << 1;
    QTest::newRow("Keep Only Matches in List 1") << 8 << 2;
    QTest::newRow("Remove All List 1 Dupes") << 7 << 1;
}

void ClickStormTest::onlyTheOperationChangesItsPanes() {
    QFETCH(int, button);
    QFETCH(int, target);
    // The operation alone, undisturbed.
    TestServices quiet;
    Form1 alone(quiet.services());
    fill(alone);
    alone.click(button);
    const QStringList expected[2] = {alone.list(1).texts(), alone.list(2).texts()};

    TestServices t;
    StormDialogs dialogs;
    QTemporaryDir dir;
    const QString file = dir.filePath("storm list.txt");
    QVERIFY(writeFile(file, "loaded one\r\n\r\nloaded two\r\n"));
    dialogs.openAnswer = {file};
    Services services = t.services();
    Services stormServices{dialogs, services.launcher, services.clock, services.random,
                           services.programFolder};
    ScriptedYielder yielder(std::chrono::microseconds(0), kChecksPerYield);
    stormServices.yielder = &yielder;
    Form1 form(stormServices);
    QVERIFY(shown(form));
    fill(form);
    const QStringList before = form.list(target).texts();
    Storm storm(form, target);
    yielder.runEventLoop = true;
    // A few clicks at each of many yields, so they land all through the first half of the operation.
    yielder.onYield = [&] { storm.fireSome(kClicks / 200); };
    form.click(button);
    yielder.onYield = nullptr;

    QCOMPARE(storm.fired, kClicks);
    QCOMPARE(form.list(1).texts(), expected[0] + storm.appended[0]);
    QCOMPARE(form.list(2).texts(), expected[1] + storm.appended[1]);
    QCOMPARE(dialogs.messageTexts(), storm.messages);
    QVERIFY(dialogs.inputBoxes.isEmpty());
    QVERIFY(!form.state().busy());
    QCOMPARE(form.state().mousePointer(), 0);

    triggerAndRun(form.listView(target)->action(PaneView::Action::Undo));
    QCOMPARE(form.list(target).texts(), before);
    triggerAndRun(form.listView(target)->action(PaneView::Action::Redo));
    QCOMPARE(form.list(target).texts(), expected[target - 1]);
}

QTEST_MAIN(ClickStormTest)
#include "tst_clickstorm.moc"
