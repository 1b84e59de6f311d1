// What the window tells of each command at a glance, through the real window: the result line on the
// progress bar after each kind of command (and none after a message or a refusal), and the tooltips;
// and what the list commands leave in List 1 with the compare options switched on from the pane's menu.
#include "app/Form1.h"
#include "app/ResultBar.h"
#include "commands/CommandTable.h"
#include "panes/view/PaneView.h"
#include "support/MenuCommands.h"
#include "support/TestServices.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

namespace {
struct Window {
    TestServices t;
    Form1 form{t.services()};

    Window() {
        TestContext::fill(form.list(1), repeated({"a", "", "mail b", "a", "c"}, 240));
        TestContext::fill(form.list(2), {"c", "d"});
    }
    // "button N [typed text]", "delete POSITION" in List 1, "load FILE..." into List 2, "paste" into
    // List 2, "sort" List 1 A to Z from its menu, "undo LIST", "redo LIST", "busy", "ignore case".
    void run(const QString& command) {
        const QStringList parts = command.split(u' ');
        const QString& verb = parts[0];
        if (verb == QStringLiteral("button")) {
            if (parts.size() > 2) t.dialogs.inputs.enqueue(parts[2]);
            form.click(parts[1].toInt());
        } else if (verb == QStringLiteral("delete")) {
            form.listView(1)->selectPosition(parts[1].toInt());
            form.paneDeletePressed(1);
        } else if (verb == QStringLiteral("load")) {
            QStringList paths;
            for (const QString& name : parts.mid(1))
                paths << QStringLiteral(BRINDLEWICK_TEST_DATA "/listfiles/") + name;
            t.dialogs.files.enqueue(paths);
            form.click(14);
        } else if (verb == QStringLiteral("paste")) {
            t.clipboard.setText(QStringLiteral("x\r\n\r\ny"));
            triggerAndRun(form.listView(2)->action(PaneView::Action::Paste));
        } else if (verb == QStringLiteral("sort")) {
            triggerAndRun(form.listView(1)->findChild<QAction*>(QStringLiteral("actionSortAToZ")));
            QTRY_VERIFY(form.state().lastResult().startsWith(QStringLiteral("Sort A to Z")));
        } else if (verb == QStringLiteral("undo") || verb == QStringLiteral("redo")) {
            const auto which =
                verb == QStringLiteral("undo") ? PaneView::Action::Undo : PaneView::Action::Redo;
            triggerAndRun(form.listView(parts[1].toInt())->action(which));
        } else if (verb == QStringLiteral("busy")) {
            form.state().setBusy(true);
        } else if (command == QStringLiteral("ignore case")) {
            form.state().setCompareOptions({.ignoreCase = true});
        }
    }
};

// Switches the compare options on as a user does: through the check items of List 1's menu.
void switchOn(Form1& form, const CompareOptions& options) {
    const QList<QAction*> actions = form.listView(1)->actions();
    const auto entry = std::find_if(actions.cbegin(), actions.cend(), [](QAction* a) { return a->menu(); });
    QVERIFY(entry != actions.cend());
    const QMenu* menu = (*entry)->menu();
    for (const auto& [name, on] : {std::pair{"actionIgnoreLetterCase", options.ignoreCase},
                                   std::pair{"actionIgnoreSpaces", options.ignoreSpaces}}) {
        auto* action = menu->findChild<QAction*>(QString::fromLatin1(name));
        QVERIFY(action && action->isCheckable() && !action->isChecked());
        if (on) action->trigger();
    }
    QCOMPARE(form.state().compareOptions(), options);
}

// The plain oracle: whether item i of List 1 stays after the command of `button`.
bool oracleKeeps(int button, const QString& typed, const CompareOptions& options, const QStringList& list1,
                 const QStringList& list2, qsizetype i) {
    const Qt::CaseSensitivity cs = options.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const auto key = [&](const QString& text) { return options.ignoreSpaces ? text.trimmed() : text; };
    const QString& item = list1[i];
    const auto equalsItem = [&](const QString& other) {
        return QString::compare(key(item), key(other), cs) == 0;
    };
    const bool inList2 = std::any_of(list2.cbegin(), list2.cend(), equalsItem);
    if (button == 19 || button == 15) return inList2 == (button == 15);
    if (button == 4) return std::none_of(list1.cbegin(), list1.cbegin() + i, equalsItem);
    if (button == 7) return std::none_of(list1.cbegin() + i + 1, list1.cend(), equalsItem);
    if (button == 18) return !key(item).isEmpty();
    return item.contains(typed, cs) == (button == 16);
}
}  // namespace

class ResultLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void resultLineSaysWhatTheLastCommandDid_data();
    void resultLineSaysWhatTheLastCommandDid();
    void everyButtonExplainsItself();
    void listCommandsFollowTheCompareOptions_data();
    void listCommandsFollowTheCompareOptions();
    void theWindowShowsWhatYouWorkWith();
    void aLongCommandIsNamedWithItsPercentage();
    void loadAndSaveKeysActOnThePaneWithTheFocus_data();
    void loadAndSaveKeysActOnThePaneWithTheFocus();
};

void ResultLineTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void ResultLineTest::resultLineSaysWhatTheLastCommandDid_data() {
    QTest::addColumn<QString>("commands");
    QTest::addColumn<QString>("result");
    // List 1 holds 1,200 items: 240 blanks, 480 "a", 240 "mail b", 240 "c"; List 2 holds c, d.
    QTest::newRow("Remove Blanks") << "button 18"
                                   << "Remove Blanks: 240 removed from List 1 \u00B7 960 left";
    QTest::newRow("Items With") << "button 17 mail"
                                << "Remove Items With \"mail\": 240 removed from List 1 \u00B7 960 left";
    QTest::newRow("Items With, not found") << "button 17 zzz"
                                           << "Remove Items With \"zzz\": nothing removed from List 1";
    // The typed text is cut at 40 characters, never between the halves of a surrogate pair.
    QTest::newRow("Items With, cut") << "button 17 " + QString(41, 'm')
                                     << "Remove Items With \"" + QString(40, 'm') +
                                            "\u2026\": nothing removed from List 1";
    QTest::newRow("Items With, cut before a pair")
        << "button 17 " + QString(39, 'm') + "\U0001F600x"
        << "Remove Items With \"" + QString(39, 'm') + "\u2026\": nothing removed from List 1";
    QTest::newRow("Remove Matches") << "button 19"
                                    << "Remove Matches: 240 removed from List 1 \u00B7 960 left";
    QTest::newRow("Keep Only Matches, in List 2") << "button 8"
                                                  << "Keep Only Matches: 1 removed from List 2 \u00B7 1 left";
    QTest::newRow("All Dupes") << "button 7"
                               << "Remove All Dupes: 1,196 removed from List 1 \u00B7 4 left";
    QTest::newRow("ignoring case")
        << "ignore case;button 4"
        << "Remove Dupes Except First: 1,196 removed from List 1 \u00B7 4 left \u00B7 ignoring case";
    QTest::newRow("Clear List") << "button 1"
                                << "Clear List: 1,200 removed from List 1 \u00B7 0 left";
    QTest::newRow("sample data") << "button 22"
                                 << "Load Sample/Example Data: 3 items added to List 2";
    QTest::newRow("load of two files") << "load first.txt second.txt"
                                       << "Load: 4 items added to List 2 from 2 files";
    QTest::newRow("load of an empty file") << "load empty.txt"
                                           << "Load: nothing added to List 2 from 1 file";
    QTest::newRow("paste") << "paste"
                           << "Paste: 3 items added to List 2";
    QTest::newRow("single removal") << "delete 5"
                                    << "Remove Item: 1 removed from List 1 \u00B7 1,199 left";
    QTest::newRow("undo") << "button 18;undo 1"
                          << "Undo in List 1: 240 items back";
    QTest::newRow("redo") << "button 18;undo 1;redo 1"
                          << "Redo in List 1: 240 items taken out";
    // A sort keeps the count: what the step gives back is the order.
    QTest::newRow("undo of a sort") << "sort;undo 1"
                                    << "Undo in List 1: the items as they were";
    QTest::newRow("redo of a sort") << "sort;undo 1;redo 1"
                                    << "Redo in List 1: the items as the change left them";
    // A message or a refusal leaves the last result as it was.
    QTest::newRow("You forgot to load") << "button 2;button 11"
                                        << "Clear List: 2 removed from List 2 \u00B7 0 left";
    QTest::newRow("Items With, cancelled") << "button 18;button 17"
                                           << "Remove Blanks: 240 removed from List 1 \u00B7 960 left";
    QTest::newRow("Busy") << "button 18;busy;button 7"
                          << "Remove Blanks: 240 removed from List 1 \u00B7 960 left";
}

void ResultLineTest::resultLineSaysWhatTheLastCommandDid() {
    QFETCH(QString, commands);
    QFETCH(QString, result);
    Window w;
    QProgressBar* bar = w.form.progressBar();
    QVERIFY(!bar->isTextVisible());
    for (const QString& command : commands.split(u';')) w.run(command);
    QCOMPARE(w.form.state().lastResult(), result);
    // Shown on the bar, which is back at 0, and what assistive technology reads of it.
    QCOMPARE(bar->value(), 0);
    QVERIFY(bar->isTextVisible());
    QCOMPARE(bar->text(), result);
    QCOMPARE(QAccessible::queryAccessibleInterface(bar)->text(QAccessible::Name), result);
    QVERIFY(w.t.dialogs.errorReports().isEmpty());
}

void ResultLineTest::everyButtonExplainsItself() {
    Window w;
    int buttons = 0;
    for (const CommandTable::Control& control : CommandTable::controls()) {
        if (control.kind != CommandTable::Kind::Button) continue;
        ++buttons;
        const QPushButton* button = w.form.findChild<QPushButton*>(QString::fromLatin1(control.name));
        const QString tip = button->toolTip();
        QVERIFY2(!tip.isEmpty() && tip.count(u'\n') <= 1 && tip.size() <= 140, control.name);
        QVERIFY2(tip.contains(QStringLiteral("List %1").arg(control.list)), control.name);
        QCOMPARE(QAccessible::queryAccessibleInterface(const_cast<QPushButton*>(button))
                     ->text(QAccessible::Description),
                 tip);
        const bool allOccurrences = button->text().contains(QStringLiteral("(All Occurrences)"));
        QCOMPARE(tip.contains(QStringLiteral("the last copy of each repeated item stays")), allOccurrences);
    }
    QCOMPARE(buttons, 22);
}

void ResultLineTest::listCommandsFollowTheCompareOptions_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<CompareOptions>("options");
    QTest::addColumn<QString>("suffix");
    // With's text ends in a space: items are searched as they stand, untrimmed, with either option.
    // The result line names only the options that change what the command does.
    const CompareOptions both{true, true}, caseOnly{true, false}, spacesOnly{false, true};
    const struct {
        const char* name;
        int button;
        const char* typed;
        CompareOptions heeds;
    } commands[] = {{"Remove Matches", 19, "", both},
                    {"Keep Only Matches", 15, "", both},
                    {"Dupes Except First", 4, "", both},
                    {"Dupes Except Last", 7, "", both},
                    {"Remove Blanks", 18, "", spacesOnly},
                    {"Items With", 17, "LE ", caseOnly},
                    {"Items Without", 16, "\u039F\u03A3", caseOnly}};
    const std::pair<const char*, CompareOptions> settings[] = {{"exact", {}},
                                                               {"ignoring case", {true, false}},
                                                               {"ignoring spaces", {false, true}},
                                                               {"ignoring case and spaces", {true, true}}};
    const auto note = [](const CompareOptions& o) {
        if (o.ignoreCase && o.ignoreSpaces) return QStringLiteral(" \u00B7 ignoring case and spaces");
        if (o.ignoreCase) return QStringLiteral(" \u00B7 ignoring case");
        if (o.ignoreSpaces) return QStringLiteral(" \u00B7 ignoring spaces");
        return QString();
    };
    for (const auto& command : commands)
        for (const auto& [setting, options] : settings)
            QTest::addRow("%s, %s", command.name, setting)
                << command.button << QString::fromUtf8(command.typed) << options
                << note({options.ignoreCase && command.heeds.ignoreCase,
                         options.ignoreSpaces && command.heeds.ignoreSpaces});
}

void ResultLineTest::listCommandsFollowTheCompareOptions() {
    QFETCH(int, button);
    QFETCH(QString, typed);
    QFETCH(CompareOptions, options);
    QFETCH(QString, suffix);
    // Repeats that differ in case, accents, final sigma, a tab or a no-break space around them; blank
    // and white-space-only items; "STRASSE" and "stra\u00DFe" differ under simple case folding.
    const QStringList list1 =
        QStringLiteral(
            "Apple|apple|\tapple |caf\u00E9|CAF\u00C9|\u00A0Caf\u00E9|| \t|\u039F\u0394\u039F\u03A3|"
            "\u03BF\u03B4\u03BF\u03C2|\u00A0|Pear|pear\t|STRASSE|Apple|")
            .split(u'|');
    const QStringList list2 =
        QStringLiteral("APPLE|caf\u00E9 |\u03BF\u03B4\u03BF\u03C3|Pear|stra\u00DFe|\u00A0").split(u'|');
    TestServices t;
    Form1 form(t.services());
    TestContext::fill(form.list(1), list1);
    TestContext::fill(form.list(2), list2);
    switchOn(form, options);
    if (QTest::currentTestFailed()) return;
    if (!typed.isEmpty()) t.dialogs.inputs.enqueue(typed);
    QTest::mouseClick(form.pushButton(button), Qt::LeftButton);

    QStringList expected;
    for (qsizetype i = 0; i < list1.size(); ++i)
        if (oracleKeeps(button, typed, options, list1, list2, i)) expected << list1[i];
    QCOMPARE(form.list(1).texts(), expected);
    const QString result = form.state().lastResult();
    QVERIFY2(result.endsWith(suffix) && (!suffix.isEmpty() || !result.contains(u"ignoring")),
             qPrintable(result));
    QVERIFY(t.dialogs.errorReports().isEmpty());
}

void ResultLineTest::theWindowShowsWhatYouWorkWith() {
    Window w;
    QProgressBar* bar = w.form.progressBar();
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(bar);
    // A status bar, not a progress bar read as 0; the options that are on are its description.
    QCOMPARE(status->role(), QAccessible::StatusBar);
    QVERIFY(!status->valueInterface());
    QCOMPARE(status->text(QAccessible::Description), QString());
    w.form.state().setCompareOptions({true, true});
    QCOMPARE(status->text(QAccessible::Description), QString("Ignoring case and spaces"));
    w.form.state().setCompareOptions({false, true});
    QCOMPARE(status->text(QAccessible::Description), QString("Ignoring spaces"));
    // The header names the file the items came from; Clear forgets it.
    w.run("load first.txt second.txt");
    QCOMPARE(w.form.listView(2)->headerText(), QString("6 items \u00B7 2 files"));
    w.run("button 2");
    w.run("load first.txt");
    QCOMPARE(w.form.listView(2)->headerText(), QString("2 items \u00B7 first.txt"));
    QCOMPARE(w.form.listView(2)->horizontalHeader()->toolTip(),
             QStringLiteral(BRINDLEWICK_TEST_DATA "/listfiles/first.txt"));
    QCOMPARE(
        QAccessible::queryAccessibleInterface(w.form.listView(2))->child(0)->text(QAccessible::Description),
        QString("2 items \u00B7 first.txt"));
    // Emptied by an undo, it holds nothing of that file.
    w.run("undo 2");
    QCOMPARE(w.form.listView(2)->headerText(), QString("0 items"));
    // The save's path is what the line leaves out: the bar's tooltip.
    w.form.state().setLastResult("Save: 2 items written to a.txt", "/tmp/a.txt");
    QCOMPARE(bar->toolTip(), QString("/tmp/a.txt"));
    w.form.state().setLastResult("Remove Blanks: nothing removed from List 1");
    QCOMPARE(bar->toolTip(), QString());
}

void ResultLineTest::aLongCommandIsNamedWithItsPercentage() {
    Window w;
    auto* bar = static_cast<ResultBar*>(w.form.progressBar());
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(bar);
    QStringList shown, said;
    w.t.yielder.onYield = [&] {
        shown << bar->text();
        said << status->text(QAccessible::Name);
    };
    // Not before it has run a while.
    w.run("button 18");
    QVERIFY(!shown.isEmpty());
    QVERIFY(!shown.last().endsWith(u'%'));
    shown.clear();
    said.clear();
    bar->setNameDelay(0);
    w.run("button 7");
    QVERIFY(!shown.isEmpty());
    QVERIFY2(QRegularExpression("^Remove All Dupes: \\d+%$").match(shown.last()).hasMatch(),
             qPrintable(shown.last()));
    QCOMPARE(said.last(), shown.last());
    // Then the result line again, on the bar and to screen readers.
    QCOMPARE(bar->text(), w.form.state().lastResult());
    QCOMPARE(status->text(QAccessible::Name), w.form.state().lastResult());
}

void ResultLineTest::loadAndSaveKeysActOnThePaneWithTheFocus_data() {
    QTest::addColumn<int>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("list");
    // The pane with the focus, else List 1.
    QTest::newRow("Ctrl+O in List 2") << 2 << int(Qt::Key_O) << 2;
    QTest::newRow("Ctrl+O on a button") << 0 << int(Qt::Key_O) << 1;
    QTest::newRow("Ctrl+S in List 2") << 2 << int(Qt::Key_S) << 2;
    QTest::newRow("Ctrl+S in List 1") << 1 << int(Qt::Key_S) << 1;
}

void ResultLineTest::loadAndSaveKeysActOnThePaneWithTheFocus() {
    QFETCH(int, focus);
    QFETCH(int, key);
    QFETCH(int, list);
    Window w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QWidget* target =
        focus ? static_cast<QWidget*>(w.form.listView(focus)) : w.form.findChild<QPushButton*>();
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    const QString path =
        QDir::temp().filePath(QString("brindlewick-keys-%1.txt").arg(QCoreApplication::applicationPid()));
    QFile::remove(path);
    w.t.dialogs.files.enqueue(key == Qt::Key_O
                                  ? QStringList{QStringLiteral(BRINDLEWICK_TEST_DATA "/listfiles/first.txt")}
                                  : QStringList{path});
    const int before = w.form.list(list).count();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::ControlModifier);
    if (key == Qt::Key_O) {
        QCOMPARE(w.form.list(list).count(), before + 2);
        QCOMPARE(w.form.state().loadedFrom(list).size(), 1);
    } else {
        QVERIFY(w.form.state().lastResult().startsWith(
            QString("Save: %1 items written to").arg(QLocale().toString(before))));
        QCOMPARE(QFileInfo(path).size() > 0, true);
        QFile::remove(path);
    }
}

QTEST_MAIN(ResultLineTest)
#include "tst_resultline.moc"
