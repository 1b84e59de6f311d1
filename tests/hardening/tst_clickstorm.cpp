// An impatient user: while a list operation runs on a million-item pane, a thousand random clicks on
// every button, Delete presses and double-clicks in both panes. Only the operation may change its
// panes; the unguarded commands (sample data, load) may only append.
#include "app/Form1.h"
#include "hardening/HardeningSupport.h"
#include "panes/view/PaneView.h"
#include "support/TestServices.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int kItems = 1000000;
constexpr int kClicks = 1000;
// Yields come by count, not by the clock, so the same clicks land between the same steps on a fast
// machine and a slow one.
constexpr int kChecksPerYield = 4096;

struct Storm {
    explicit Storm(Form1& f) : form(f) {}
    Form1& form;
    std::mt19937 rng{7};
    int fired = 0;
    bool firing = false;
    QStringList appended[2];

    void fireSome(int count) {
        if (firing) return;  // a command started by the storm yields too: no storm inside it
        firing = true;
        for (int k = 0; k < count && fired < kClicks; ++k, ++fired) fireOne();
        firing = false;
    }

    void fireOne() {
        const unsigned r = rng() % 26;
        if (r < 22) return clickButton(int(r) + 1);
        PaneView* view = form.listView(int(r % 2) + 1);
        if (r < 24) {
            view->selectPosition(int(rng() % 50) + 1);
            QTest::keyClick(view, Qt::Key_Delete, r == 23 ? Qt::ShiftModifier : Qt::NoModifier);
        } else {
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
        }
    }

    void clickButton(int number) {
        // What the unguarded commands will append, in the order they append it.
        if (number == 21)
            appended[0] << "orange"
                        << "black"
                        << "purple";
        if (number == 22)
            appended[1] << "red"
                        << "orange"
                        << "Purple";
        if (number == 3)
            appended[0] << "loaded one"
                        << ""
                        << "loaded two";
        if (number == 14)
            appended[1] << "loaded one"
                        << ""
                        << "loaded two";
        QTest::mouseClick(form.pushButton(number), Qt::LeftButton);
    }
};

void fill(Form1& form) {
    form.list(1).appendBatch(generatedList(kItems, 1, 400000));
    form.list(2).appendBatch(generatedList(kItems, 2, 600000));
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
    QTest::newRow("Remove Matches (List 2 From List 1)") << 19;
    QTest::newRow("Keep Only Matches in List 1") << 8;
    QTest::newRow("Remove All List 1 Dupes") << 7;
}

void ClickStormTest::onlyTheOperationChangesItsPanes() {
    QFETCH(int, button);
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
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    fill(form);
    Storm storm(form);
    yielder.runEventLoop = true;
    yielder.onYield = [&] { storm.fireSome(kClicks / 4); };
    form.click(button);
    yielder.onYield = nullptr;

    QCOMPARE(storm.fired, kClicks);
    QCOMPARE(form.list(1).texts(), expected[0] + storm.appended[0]);
    QCOMPARE(form.list(2).texts(), expected[1] + storm.appended[1]);
    QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messageTexts().join(" | ")));
    QVERIFY(dialogs.inputBoxes.isEmpty());
    QVERIFY(!form.state().busy());
    QCOMPARE(form.state().mousePointer(), 0);
}

QTEST_MAIN(ClickStormTest)
#include "tst_clickstorm.moc"
