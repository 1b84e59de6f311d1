// Commands started while another one yields, through the real window: a pane that a command is still
// changing is left alone, a save of it writes nothing and says why, the other pane (also the one a
// list command only reads) works as usual, and the wait pointer stays until the last command has ended.
#include "app/Form1.h"
#include "hardening/HardeningSupport.h"
#include "panes/view/PaneView.h"
#include "support/MenuCommands.h"
#include "support/TestServices.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace {
// The file List 1 loads, or holds before a list command: eight texts, five times over, so any part
// of it has repeats.
QStringList listA() {
    QStringList lines;
    for (int i = 0; i < 40; ++i) lines << QStringLiteral("line %1").arg(i % 8 + 1);
    return lines;
}

QByteArray bytesOf(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) bytes += line.toUtf8() + "\r\n";
    return bytes;
}

const QStringList kList2{"b", "b", "line 3"};
const QStringList kFileB{"other 1", "other 2"};

QString stillChanging(int list) {
    return QStringLiteral("List %1 is still changing. Save it when the current command has finished.")
        .arg(list);
}

// Clicks a control of the window by name, or presses Delete in a pane ("ListView1 Delete").
void act(Form1& form, const QString& what) {
    if (what.endsWith(QStringLiteral(" Delete"))) {
        auto* view = form.findChild<PaneView*>(what.section(u' ', 0, 0));
        QVERIFY2(view, qPrintable(what));
        view->selectPosition(1);
        QTest::keyClick(view, Qt::Key_Delete);
        return;
    }
    auto* button = form.findChild<QPushButton*>(what);
    QVERIFY2(button && button->isEnabled(), qPrintable(what));
    QTest::mouseClick(button, Qt::LeftButton);
}
}  // namespace

class OverlapsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aPaneStillChangingIsLeftAlone_data();
    void aPaneStillChangingIsLeftAlone();
    void aListCommandOnAPaneBeingLoadedSaysNothing_data();
    void aListCommandOnAPaneBeingLoadedSaysNothing();
    void theReferenceKeepsStepsOfItsOwn();
};

void OverlapsTest::aPaneStillChangingIsLeftAlone_data() {
    QTest::addColumn<QString>("running");
    QTest::addColumn<QStringList>("meanwhile");
    // What the file dialogs opened meanwhile answer: "A", "B" or "out" (a new file).
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("list1");
    QTest::addColumn<QStringList>("list2");
    QTest::addColumn<QStringList>("messages");
    // File dialogs shown in all, and the bytes of file A and of "out" afterwards (null: no such file).
    QTest::addColumn<int>("fileDialogs");
    QTest::addColumn<QByteArray>("fileA");
    QTest::addColumn<QByteArray>("out");
    const QStringList a = listA();
    const QByteArray bytesA = bytesOf(a), none;
    const QStringList deduped = a.mid(0, 8), noText;
    QStringList withoutLine3 = a;
    withoutLine3.removeAll(QStringLiteral("line 3"));

    // A load into List 1 runs.
    QTest::newRow("second load into the loading pane")
        << "PushButton3" << QStringList{"PushButton3"} << QStringList{"B"} << a << kList2 << noText << 1
        << bytesA << none;
    QTest::newRow("sample data into the loading pane")
        << "PushButton3" << QStringList{"PushButton21"} << noText << a << kList2 << noText << 1 << bytesA
        << none;
    QTest::newRow("dedupe of the loading pane") << "PushButton3" << QStringList{"PushButton4"} << noText << a
                                                << kList2 << noText << 1 << bytesA << none;
    QTest::newRow("list command with the loading pane as reference")
        << "PushButton3" << QStringList{"PushButton12"} << noText << a << kList2 << noText << 1 << bytesA
        << none;
    QTest::newRow("Delete in the loading pane") << "PushButton3" << QStringList{"ListView1 Delete"} << noText
                                                << a << kList2 << noText << 1 << bytesA << none;
    QTest::newRow("Clear after a save of the other pane ended")
        << "PushButton3" << QStringList{"PushButton13", "PushButton1"} << QStringList{"out"} << a << kList2
        << QStringList{"Done."} << 2 << bytesA << bytesOf(kList2);
    QTest::newRow("save of the loading pane")
        << "PushButton3" << QStringList{"PushButton20"} << QStringList{"out"} << a << kList2
        << QStringList{stillChanging(1)} << 1 << bytesA << none;
    QTest::newRow("save of the loading pane over its file")
        << "PushButton3" << QStringList{"PushButton20"} << QStringList{"A"} << a << kList2
        << QStringList{stillChanging(1)} << 1 << bytesA << none;
    // The reader keeps the file it opened: List 1 gets all of it, the name now holds List 2.
    QTest::newRow("save of the other pane over the loading file")
        << "PushButton3" << QStringList{"PushButton13"} << QStringList{"A"} << a << kList2
        << QStringList{"Are you sure you wish to overwrite {A} ?", "Done."} << 2 << bytesOf(kList2) << none;
    QTest::newRow("load into the other pane")
        << "PushButton3" << QStringList{"PushButton14"} << QStringList{"B"} << a << kList2 + kFileB << noText
        << 2 << bytesA << none;
    QTest::newRow("dedupe of the other pane") << "PushButton3" << QStringList{"PushButton5"} << noText << a
                                              << QStringList{"b", "line 3"} << noText << 1 << bytesA << none;

    // "Remove List 1 Dupes Except First Occurrence" runs.
    QTest::newRow("save of the pane being deduplicated")
        << "PushButton4" << QStringList{"PushButton20"} << QStringList{"out"} << deduped << kList2
        << QStringList{stillChanging(1)} << 0 << bytesA << none;
    QTest::newRow("save of the other pane while deduplicating")
        << "PushButton4" << QStringList{"PushButton13"} << QStringList{"out"} << deduped << kList2
        << QStringList{"Done."} << 1 << bytesA << bytesOf(kList2);
    QTest::newRow("load into the other pane while deduplicating")
        << "PushButton4" << QStringList{"PushButton14"} << QStringList{"B"} << deduped << kList2 + kFileB
        << noText << 1 << bytesA << none;
    QTest::newRow("sample data into the pane being deduplicated")
        << "PushButton4" << QStringList{"PushButton21"} << noText << deduped << kList2 << noText << 0
        << bytesA << none;

    // "Remove Matches (List 2 From List 1)" runs: List 2 is its reference, which it only reads, as it
    // was when the routine started.
    QTest::newRow("save of the reference pane")
        << "PushButton19" << QStringList{"PushButton13"} << QStringList{"out"} << withoutLine3 << kList2
        << QStringList{"Done."} << 1 << bytesA << bytesOf(kList2);
    QTest::newRow("load of matching lines into the reference pane")
        << "PushButton19" << QStringList{"PushButton14"} << QStringList{"A"} << withoutLine3 << kList2 + a
        << noText << 1 << bytesA << none;
    QTest::newRow("sample data into the reference pane")
        << "PushButton19" << QStringList{"PushButton22"} << noText << withoutLine3
        << kList2 + QStringList{"red", "orange", "Purple"} << noText << 0 << bytesA << none;
}

void OverlapsTest::aPaneStillChangingIsLeftAlone() {
    QFETCH(QString, running);
    QFETCH(QStringList, meanwhile);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, list1);
    QFETCH(QStringList, list2);
    QFETCH(QStringList, messages);
    QFETCH(int, fileDialogs);
    QFETCH(QByteArray, fileA);
    QFETCH(QByteArray, out);
    QTemporaryDir dir;
    const QString pathA = dir.filePath("a.txt"), pathB = dir.filePath("b.txt"),
                  pathOut = dir.filePath("out.txt");
    QVERIFY(writeFile(pathA, bytesOf(listA())));
    QVERIFY(writeFile(pathB, bytesOf(kFileB)));
    const QMap<QString, QString> paths{{"A", pathA}, {"B", pathB}, {"out", pathOut}};

    // Yields at every chance, so the second command starts in the middle of the first.
    TestServices t(TestServices::EveryChance);
    Form1 form(t.services());
    QVERIFY(shown(form));
    const bool loading = running == QStringLiteral("PushButton3");
    if (loading)
        t.dialogs.files.enqueue({pathA});
    else
        for (const QString& line : listA()) form.list(1).append(line);
    for (const QString& line : kList2) form.list(2).append(line);
    for (const QString& answer : answers) t.dialogs.files.enqueue({paths[answer]});

    int pointerMeanwhile = -1;
    t.yielder.onYield = [&] {
        if (pointerMeanwhile >= 0 || form.list(1).count() < 10) return;
        pointerMeanwhile = 0;
        for (const QString& what : meanwhile) act(form, what);
        pointerMeanwhile = form.state().mousePointer();
    };
    act(form, running);

    // The second command came while the first still ran, and the hourglass outlived any that ended.
    QCOMPARE(pointerMeanwhile, int(WindowState::WaitPointer));
    QCOMPARE(form.list(1).texts(), list1);
    QCOMPARE(form.list(2).texts(), list2);
    QCOMPARE(t.dialogs.messageTexts(), messages.replaceInStrings(QStringLiteral("{A}"), pathA));
    for (const ScriptedDialogs::Message& shown : t.dialogs.messages) {
        QCOMPARE(shown.title, QStringLiteral("Brindlewick"));
        QCOMPARE(shown.icon, Dialogs::Icon::None);
        if (shown.text.startsWith(QStringLiteral("List "))) QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
    }
    QCOMPARE(t.dialogs.fileRequests.size(), fileDialogs);
    QCOMPARE(fileBytes(pathA), fileA);
    QCOMPARE(QFileInfo::exists(pathOut), !out.isNull());
    if (!out.isNull()) QCOMPARE(fileBytes(pathOut), out);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), out.isNull() ? 2 : 3);
    QVERIFY(t.dialogs.inputBoxes.isEmpty());
    QCOMPARE(form.state().mousePointer(), int(WindowState::DefaultPointer));
    QVERIFY(!form.state().busy());
    QVERIFY(!form.state().inUse(1) && !form.state().inUse(2));
}

void OverlapsTest::aListCommandOnAPaneBeingLoadedSaysNothing_data() {
    QTest::addColumn<int>("button");
    QTest::newRow("two-list, its target") << 19;
    QTest::newRow("two-list, its reference") << 12;
    QTest::newRow("prompt") << 17;
    QTest::newRow("one-list") << 4;
}

// Clicked before the load has appended anything: the pane is in use, not empty.
void OverlapsTest::aListCommandOnAPaneBeingLoadedSaysNothing() {
    QFETCH(int, button);
    QTemporaryDir dir;
    const QString pathA = dir.filePath("a.txt");
    QVERIFY(writeFile(pathA, bytesOf(listA())));
    TestServices t(TestServices::EveryChance);
    Form1 form(t.services());
    for (const QString& line : kList2) form.list(2).append(line);
    t.dialogs.files.enqueue({pathA});
    int itemsWhenClicked = -1;
    t.yielder.onYield = [&] {
        if (itemsWhenClicked >= 0) return;
        itemsWhenClicked = form.list(1).count();
        form.click(button);
    };
    form.click(3);
    QCOMPARE(itemsWhenClicked, 0);
    QCOMPARE(form.list(1).texts(), listA());
    QCOMPARE(form.list(2).texts(), kList2);
    QVERIFY(t.dialogs.messages.isEmpty() && t.dialogs.inputBoxes.isEmpty());
}

// The sample data and a load that reach the reference while a list command reads it are steps of the
// reference's own, undone one by one once the command has ended; the command's step is its target's.
void OverlapsTest::theReferenceKeepsStepsOfItsOwn() {
    QTemporaryDir dir;
    const QString pathB = dir.filePath("b.txt");
    QVERIFY(writeFile(pathB, bytesOf(kFileB)));
    TestServices t(TestServices::EveryChance);
    Form1 form(t.services());
    const auto undo = [&](int list) { triggerAndRun(form.listView(list)->action(PaneView::Action::Undo)); };
    for (const QString& line : listA()) form.list(1).append(line);
    for (const QString& line : kList2) form.list(2).append(line);
    t.dialogs.files.enqueue({pathB});
    bool once = false;
    t.yielder.onYield = [&] {
        if (std::exchange(once, true)) return;
        form.click(22);
        form.click(14);
        undo(2);  // not while a command runs
    };
    form.click(19);
    const QStringList sample2{"red", "orange", "Purple"};
    QCOMPARE(form.list(2).texts(), kList2 + sample2 + kFileB);
    undo(2);
    QCOMPARE(form.list(2).texts(), kList2 + sample2);
    undo(2);
    QCOMPARE(form.list(2).texts(), kList2);
    undo(1);
    QCOMPARE(form.list(1).texts(), listA());
}

QTEST_MAIN(OverlapsTest)
#include "tst_overlaps.moc"
