#include "app/Form1.h"
#include "panes/view/PaneView.h"
#include "support/Files.h"
#include "support/TestServices.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QHeaderView>
#include <QImageWriter>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <functional>
#include <map>

namespace {
// A real cursor file: an icon file with its type set to cursor and a hotspot at (3, 5).
QByteArray cursorFileBytes() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    writer.write(image);
    bytes[2] = 2;
    bytes[10] = 3;
    bytes[11] = 0;
    bytes[12] = 5;
    bytes[13] = 0;
    return bytes;
}
}  // namespace

class Form1Test : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controlsStandWhereTheDesignPutsThem_data();
    void controlsStandWhereTheDesignPutsThem();
    void windowIsFixedWhiteAndTitled();
    void startsQuietlyWithoutSkinOrPointerFile();
    void skinColoursTheButtonsAndLaterDialogs();
    void unloadableSkinIsReportedAtLine100AndStartUpGoesOn();
    void pointerFileGivesTheHandPointer();
    void invalidPointerFileIsReportedAtLine108();
    void homePageOpensOnADrawOfSeven();
    void pointerFollowsTheHoverRules_data();
    void pointerFollowsTheHoverRules();
    void sampleDataAndClearWorkThroughTheButtons();
    void deleteAndDoubleClickRemoveTheSelectedItem_data();
    void deleteAndDoubleClickRemoveTheSelectedItem();
    void closingTheWindowCancelsRunningWork();
    void tabAndShiftTabFollowTheDesignOrder();
    void enterAndSpaceClickTheFocusedButton_data();
    void enterAndSpaceClickTheFocusedButton();
    void progressBarNeverShowsFullDuringTheDescendingDupes_data();
    void progressBarNeverShowsFullDuringTheDescendingDupes();
    void compareOptionsAreSharedByBothPanesAndReachTheCommands();
    void aScreenReaderPressStartsNothingUnderAModalDialog();
};

void Form1Test::controlsStandWhereTheDesignPutsThem_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");
    // The design's twips at 15 to a pixel: corners, both columns, half and full widths.
    QTest::newRow("ProgressBar1") << QString() << QRect(8, 454, 1048, 27);
    QTest::newRow("ListView1") << "List 1:" << QRect(8, 6, 520, 137);
    QTest::newRow("ListView2") << "List 2:" << QRect(536, 6, 520, 137);
    QTest::newRow("PushButton3") << "Load Data From File" << QRect(8, 148, 256, 27);
    QTest::newRow("PushButton13") << "Save Data To File" << QRect(800, 148, 256, 27);
    QTest::newRow("PushButton22") << "Load Sample/Example Data" << QRect(800, 182, 256, 27);
    QTest::newRow("PushButton19") << "Remove Matches (List 2 From List 1)" << QRect(8, 318, 520, 27);
    QTest::newRow("PushButton6") << "Remove All List 2 Dupes (All Occurrences)" << QRect(536, 420, 520, 27);
}

void Form1Test::controlsStandWhereTheDesignPutsThem() {
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    TestServices t;
    Form1 form(t.services());
    QWidget* control = form.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->font().family(), QStringLiteral("Arial"));
        QCOMPARE(button->font().pointSizeF(), 11.25);
        QVERIFY(button->font().bold());
        QCOMPARE(button->palette().color(QPalette::Button), QColor(Qt::white));
    } else if (auto* view = qobject_cast<PaneView*>(control)) {
        QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), caption);
        QCOMPARE(view->horizontalHeader()->sectionSize(0), 467);
        QCOMPARE(view->toolTip(),
                 QStringLiteral("Double-click item to remove it. Move | line to right and out of "
                                "window to reveal full names.\n"
                                "Click the right mouse button on the list to open its menu."));
        QCOMPARE(view->font().pointSizeF(), 9.0);
        QVERIFY(view->font().bold());
    }
}

void Form1Test::windowIsFixedWhiteAndTitled() {
    TestServices t;
    Form1 form(t.services());
    QCOMPARE(form.windowTitle(), QStringLiteral("Brindlewick"));
    QCOMPARE(form.state().appTitle(), QStringLiteral("Brindlewick"));
    QCOMPARE(form.size(), QSize(1064, 489));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(form.palette().color(form.backgroundRole()), QColor(Qt::white));
    const QList<QSize> sizes = form.windowIcon().availableSizes();
    for (int side : {32, 48, 128, 256})
        QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
}

void Form1Test::startsQuietlyWithoutSkinOrPointerFile() {
    TestServices t;
    Form1 form(t.services());
    QVERIFY(t.dialogs.messages.isEmpty());
    QVERIFY(!form.hasHandPointer());
    QCOMPARE(form.state().mousePointer(), 0);
    QCOMPARE(form.list(1).count(), 0);
    QCOMPARE(form.list(2).columnHeader(), QStringLiteral("List 2:"));
}

void Form1Test::skinColoursTheButtonsAndLaterDialogs() {
    TestServices t;
    QVERIFY(writeFile(t.programFolder.filePath(QStringLiteral("x/o.cjs")),
                      "QPushButton { background-color: #123456; border: none; }"));
    Form1 form(t.services());
    QVERIFY(shown(form));
    QVERIFY(t.dialogs.messages.isEmpty());
    const QColor skinned(0x12, 0x34, 0x56);
    // A button's face, the window's background beside it (no longer white), and a button of a dialog
    // opened afterwards.
    QCOMPARE(form.pushButton(19)->grab().toImage().pixelColor(3, 3), skinned);
    const QColor background = form.grab().toImage().pixelColor(2, 2);
    QCOMPARE(background, QApplication::palette().color(QPalette::Button));
    QVERIFY(background != QColor(Qt::white));
    QPushButton later(QStringLiteral("OK"));
    later.resize(80, 24);
    QCOMPARE(later.grab().toImage().pixelColor(3, 3), skinned);
    qApp->setStyleSheet(QString());
}

void Form1Test::unloadableSkinIsReportedAtLine100AndStartUpGoesOn() {
    TestServices t;
    QVERIFY(writeFile(t.programFolder.filePath(QStringLiteral("x/o.cjs")), QByteArray("\x00\xff\x00", 3)));
    Form1 form(t.services());
    QCOMPARE(t.dialogs.errorReports().size(), 1);
    QVERIFY(t.dialogs.errorReports()[0].contains(
        QStringLiteral("in Quorvel2021/08/31.Form1.Form_Load at line 100\r\r")));
    QCOMPARE(form.windowTitle(), QStringLiteral("Brindlewick"));
    QCOMPARE(form.list(1).columnHeader(), QStringLiteral("List 1:"));
}

void Form1Test::pointerFileGivesTheHandPointer() {
    TestServices t;
    QVERIFY(writeFile(t.programFolder.filePath(QStringLiteral("HAND-M.CUR")), cursorFileBytes()));
    Form1 form(t.services());
    QVERIFY(t.dialogs.messages.isEmpty());
    QVERIFY(form.hasHandPointer());
    QVERIFY(shown(form));
    QTest::mouseMove(form.pushButton(19));
    QTRY_COMPARE(form.state().mousePointer(), 99);
    QCOMPARE(form.currentPointerShape().shape(), Qt::BitmapCursor);
    QCOMPARE(form.currentPointerShape().hotSpot(), QPoint(3, 5));
}

void Form1Test::invalidPointerFileIsReportedAtLine108() {
    TestServices t;
    QVERIFY(writeFile(t.programFolder.filePath(QStringLiteral("HAND-M.CUR")), "not a cursor"));
    Form1 form(t.services());
    QCOMPARE(t.dialogs.errorReports().size(), 1);
    QVERIFY(t.dialogs.errorReports()[0].startsWith(
        QStringLiteral("Invalid picture\r\nin Quorvel2021/08/31.Form1.Form_Load at line 108\r\r")));
    QVERIFY(!form.hasHandPointer());
}

void Form1Test::homePageOpensOnADrawOfSeven() {
    TestServices t;
    t.random.value = 0.0601;
    Form1 form(t.services());
    QCOMPARE(t.launcher.opened.size(), 1);
    TestServices other;
    other.random.value = 0.0701;
    Form1 second(other.services());
    QVERIFY(other.launcher.opened.isEmpty());
}

void Form1Test::pointerFollowsTheHoverRules_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("over");
    QTest::addColumn<int>("after");
    QTest::newRow("button shows the hand") << 0 << "PushButton7" << 99;
    QTest::newRow("background shows the arrow") << 99 << "Form1" << 0;
    QTest::newRow("pane shows the arrow") << 99 << "ListView2" << 0;
    QTest::newRow("pane header shows the arrow") << 99 << "ListView1.header" << 0;
    QTest::newRow("progress bar keeps the hand") << 99 << "ProgressBar1" << 99;
    QTest::newRow("wait stays over a button") << 11 << "PushButton3" << 11;
    QTest::newRow("wait stays over the background") << 11 << "Form1" << 11;
    QTest::newRow("wait stays over a pane") << 11 << "ListView1" << 11;
}

void Form1Test::pointerFollowsTheHoverRules() {
    QFETCH(int, before);
    QFETCH(QString, over);
    QFETCH(int, after);
    TestServices t;
    Form1 form(t.services());
    QVERIFY(shown(form));
    const AnotherCommand other(form.state(), before);
    QWidget* target =
        over == QStringLiteral("Form1") ? &form : form.findChild<QWidget*>(over.section(u'.', 0, 0));
    if (auto* view = qobject_cast<PaneView*>(target))
        target = over.endsWith(QStringLiteral(".header")) ? view->horizontalHeader()->viewport()
                                                          : view->viewport();
    const QPoint inside = over == QStringLiteral("Form1") ? QPoint(3, 3) : target->rect().center();
    QTest::mouseMove(target, inside);
    QTRY_COMPARE(form.state().mousePointer(), after);
}

void Form1Test::sampleDataAndClearWorkThroughTheButtons() {
    TestServices t;
    Form1 form(t.services());
    QVERIFY(shown(form));
    QTest::mouseClick(form.pushButton(21), Qt::LeftButton);
    QTest::mouseClick(form.pushButton(21), Qt::LeftButton);
    QTest::mouseClick(form.pushButton(22), Qt::LeftButton);
    QCOMPARE(form.list(1).texts(), QStringList({"orange", "black", "purple", "orange", "black", "purple"}));
    QCOMPARE(form.list(2).texts(), QStringList({"red", "orange", "Purple"}));
    QTest::mouseClick(form.pushButton(1), Qt::LeftButton);
    QCOMPARE(form.list(1).count(), 0);
    QCOMPARE(form.list(2).count(), 3);
    QCOMPARE(form.list(1).columnHeader(), QStringLiteral("List 1:"));
    QVERIFY(t.dialogs.messages.isEmpty());
}

void Form1Test::deleteAndDoubleClickRemoveTheSelectedItem_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("select");
    QTest::addColumn<int>("pointer");
    QTest::addColumn<QStringList>("expected");
    const QStringList all{"red", "orange", "Purple"};
    QTest::newRow("Delete") << "delete" << 2 << 0 << QStringList{"red", "Purple"};
    QTest::newRow("Shift+Delete") << "shift+delete" << 1 << 0 << QStringList{"orange", "Purple"};
    QTest::newRow("Ctrl+Delete") << "ctrl+delete" << 3 << 0 << QStringList{"red", "orange"};
    QTest::newRow("double-click") << "double-click" << 2 << 0 << QStringList{"red", "Purple"};
    QTest::newRow("another key") << "backspace" << 2 << 0 << all;
    // Qt's code for the full stop is 46, the number Delete has in the list view's key event.
    QTest::newRow("full stop") << "full stop" << 2 << 0 << all;
    QTest::newRow("keypad full stop") << "keypad full stop" << 2 << 0 << all;
    QTest::newRow("a letter") << "letter" << 2 << 0 << all;
    QTest::newRow("double-click below the items") << "double-click below" << 2 << 0 << all;
    QTest::newRow("double-click on the header") << "double-click header" << 2 << 0 << all;
    QTest::newRow("double-click on a scroll bar") << "double-click scroll bar" << 2 << 0 << all;
    QTest::newRow("nothing selected") << "delete" << 0 << 0 << all;
    QTest::newRow("wait pointer") << "delete" << 2 << 11 << all;
}

void Form1Test::deleteAndDoubleClickRemoveTheSelectedItem() {
    QFETCH(QString, action);
    QFETCH(int, select);
    QFETCH(int, pointer);
    QFETCH(QStringList, expected);
    TestServices t;
    Form1 form(t.services());
    PaneView* view = form.listView(2);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QVERIFY(shown(form));
    form.click(22);
    view->setFocus();
    if (select > 0)
        view->selectPosition(select);
    else
        view->clearSelection();
    const AnotherCommand other(form.state(), pointer);
    const QRect cell = view->visualRect(view->model()->index(select - 1, 0));
    const std::map<QString, std::function<void()>> actions{
        {"double-click", [&] { QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center()); }},
        {"double-click below",
         [&] {
             QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->viewport()->rect().bottomLeft());
         }},
        {"double-click header",
         [&] {
             QTest::mouseDClick(view->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
         }},
        {"double-click scroll bar",
         [&] { QTest::mouseDClick(view->verticalScrollBar(), Qt::LeftButton, {}, QPoint(5, 30)); }},
        {"delete", [&] { QTest::keyClick(view, Qt::Key_Delete); }},
        {"shift+delete", [&] { QTest::keyClick(view, Qt::Key_Delete, Qt::ShiftModifier); }},
        {"ctrl+delete", [&] { QTest::keyClick(view, Qt::Key_Delete, Qt::ControlModifier); }},
        {"backspace", [&] { QTest::keyClick(view, Qt::Key_Backspace); }},
        {"full stop", [&] { QTest::keyClick(view, '.'); }},
        {"keypad full stop", [&] { QTest::keyClick(view, Qt::Key_Period, Qt::KeypadModifier); }},
        {"letter", [&] { QTest::keyClick(view, 'q'); }},
    };
    actions.at(action)();
    QCOMPARE(form.list(2).texts(), expected);
    // When nothing was removed the selection stays as it was: the next Delete must not take an item
    // the user never picked.
    if (form.list(2).count() == 3) QCOMPARE(view->selectedPosition(), select);
    QVERIFY(t.dialogs.messages.isEmpty());
}

void Form1Test::closingTheWindowCancelsRunningWork() {
    TestServices t;
    Form1 form(t.services());
    QVERIFY(shown(form));
    form.close();
    QVERIFY(form.yielder().cancelled());
    QVERIFY_THROWS_EXCEPTION(Cancelled, form.yielder().yieldNow());
}

void Form1Test::tabAndShiftTabFollowTheDesignOrder() {
    TestServices t;
    Form1 form(t.services());
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.listView(1)->setFocus();
    QStringList forward{QStringLiteral("ListView1")};
    for (int presses = 0; presses < 30; ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() == form.listView(1)) break;
        forward << QApplication::focusWidget()->objectName();
    }
    const QStringList design{"ListView1",    "PushButton3",  "PushButton20", "PushButton1",  "PushButton17",
                             "PushButton16", "PushButton18", "PushButton19", "PushButton15", "PushButton4",
                             "PushButton7",  "ListView2",    "PushButton14", "PushButton13", "PushButton2",
                             "PushButton10", "PushButton9",  "PushButton11", "PushButton12", "PushButton8",
                             "PushButton5",  "PushButton6",  "PushButton21", "PushButton22"};
    QCOMPARE(forward, design);
    QStringList backward{QStringLiteral("ListView1")};
    for (int presses = 1; presses < forward.size(); ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        backward.prepend(QApplication::focusWidget()->objectName());
    }
    backward.move(backward.size() - 1, 0);
    QCOMPARE(backward, forward);
}

void Form1Test::enterAndSpaceClickTheFocusedButton_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
}

void Form1Test::enterAndSpaceClickTheFocusedButton() {
    QFETCH(int, key);
    TestServices t;
    Form1 form(t.services());
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.pushButton(21)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(form.list(1).texts(), (QStringList{"orange", "black", "purple"}));
}

void Form1Test::progressBarNeverShowsFullDuringTheDescendingDupes_data() {
    QTest::addColumn<int>("button");
    QTest::newRow("except first") << 4;
    QTest::newRow("all") << 7;
}

void Form1Test::progressBarNeverShowsFullDuringTheDescendingDupes() {
    // Their last value is 100 - 100 / c: 99.9 for 1,000 items, which rounding would show as 100.
    QFETCH(int, button);
    TestServices t;
    Form1 form(t.services());
    for (int i = 0; i < 1000; ++i) form.list(1).append(QStringLiteral("item %1").arg(i));
    QList<int> shown;
    connect(form.progressBar(), &QProgressBar::valueChanged, [&](int value) { shown << value; });
    QTest::mouseClick(form.pushButton(button), Qt::LeftButton);
    QVERIFY(shown.contains(99));
    QVERIFY(!shown.contains(100));
    QCOMPARE(form.progressBar()->value(), 0);
}

void Form1Test::compareOptionsAreSharedByBothPanesAndReachTheCommands() {
    TestServices t;
    Form1 form(t.services());
    const auto compareMenu = [&](int list) {
        const QList<QAction*> actions = form.listView(list)->actions();
        const auto found =
            std::find_if(actions.cbegin(), actions.cend(), [](QAction* a) { return a->menu(); });
        return found == actions.cend() ? nullptr : (*found)->menu();
    };
    QMenu* menu = compareMenu(1);
    QVERIFY(menu);
    QCOMPARE(compareMenu(2), menu);
    auto* ignoreCase = menu->findChild<QAction*>(QStringLiteral("actionIgnoreLetterCase"));
    auto* ignoreSpaces = menu->findChild<QAction*>(QStringLiteral("actionIgnoreSpaces"));
    QVERIFY(ignoreCase && ignoreSpaces && ignoreCase->isCheckable() && ignoreSpaces->isCheckable());
    QCOMPARE(ignoreCase->text().remove(u'&'), QStringLiteral("Ignore Letter Case"));
    QCOMPARE(ignoreSpaces->text().remove(u'&'), QStringLiteral("Ignore Spaces Around Items"));
    QVERIFY(!ignoreCase->isChecked() && !ignoreSpaces->isChecked());
    QVERIFY(form.state().compareOptions().exact());

    ignoreCase->trigger();
    QCOMPARE(form.state().compareOptions(), (CompareOptions{true, false}));
    form.state().setCompareOptions({false, true});
    QVERIFY(!ignoreCase->isChecked() && ignoreSpaces->isChecked());
    form.state().setCompareOptions({true, false});

    // "Purple" in List 2 now matches "purple" in List 1.
    QTest::mouseClick(form.pushButton(21), Qt::LeftButton);
    QTest::mouseClick(form.pushButton(22), Qt::LeftButton);
    QTest::mouseClick(form.pushButton(19), Qt::LeftButton);
    QCOMPARE(form.list(1).texts(), QStringList({"black"}));
}

void Form1Test::aScreenReaderPressStartsNothingUnderAModalDialog() {
    // A modal dialog keeps the mouse and the keys from the window, not a screen reader's press: a
    // command it started would run beneath the dialog, and the dialog's answer would wait for it.
    TestServices t;
    Form1 form(t.services());
    QVERIFY(shown(form));
    form.click(21);
    form.click(22);
    QPushButton* removeMatches = form.pushButton(19);
    const auto press = [&] {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(removeMatches);
        QVERIFY(button && button->actionInterface());
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(removeMatches->isDown());
        // The press ends in the button's click.
        QTRY_VERIFY(!removeMatches->isDown());
    };
    QDialog dialog(&form);
    dialog.setModal(true);
    dialog.show();
    press();
    QCOMPARE(form.list(1).texts(), QStringList({"orange", "black", "purple"}));
    dialog.hide();
    press();
    QCOMPARE(form.list(1).texts(), QStringList({"black", "purple"}));
}

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
