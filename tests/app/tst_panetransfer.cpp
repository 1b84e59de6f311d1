#include "app/Form1.h"
#include "listfiles/ListText.h"
#include "panes/view/PaneView.h"
#include "support/MenuCommands.h"
#include "support/TestServices.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {
// Other programs on this platform take lines ended by these bytes.
#ifdef Q_OS_WIN
const QString kLineEnd = u"\r\n"_s;
#else
const QString kLineEnd = u"\n"_s;
#endif
const QStringList kSample2{"red", "orange", "Purple"};
// The separator has no name.
const QStringList kActionNames{"actionCopy",
                               "actionCopyAll",
                               "actionPaste",
                               "actionRemoveItem",
                               "",
                               "actionUndo",
                               "actionRedo",
                               "",
                               "actionCompare",
                               "actionMatchOn",
                               "",
                               "actionSortAToZ",
                               "actionSortZToA",
                               "actionKeepOnlyOnce",
                               "actionKeepOnlyRepeated",
                               "actionTrimSpaces",
                               "actionRemoveMatching",
                               "actionKeepOnlyMatching",
                               "actionStop",
                               "actionCopyCompared",
                               "actionCopyWithCounts",
                               "actionCopyRemoved",
                               "",
                               "actionLoad",
                               "actionSave"};

// Longer than the piece a copy joins between two yields.
QString longItem() {
    return QString(ListText::kPieceSize + 1, u'z');
}

QString fixture(const QString& name) {
    return QStringLiteral(BRINDLEWICK_TEST_DATA "/listfiles/") + name;
}

// The window with List 2 holding the sample items and focused, as a user would leave it.
struct Window {
    TestServices t;
    Form1 form{t.services()};
    PaneView* view = form.listView(2);

    explicit Window(TestServices::Yields yields = TestServices::Timed) : t(yields) {
        if (!shown(form)) qFatal("window not exposed");
        form.click(22);
        view->activateWindow();
        view->setFocus();
    }
    QAction* action(const QString& name) const {
        auto* found = view->findChild<QAction*>(name);
        if (!found) qFatal("no action %s", qPrintable(name));
        return found;
    }
    QStringList texts() { return form.list(2).texts(); }
};

QStringList namesOf(const QList<QAction*>& actions) {
    QStringList names;
    for (const QAction* a : actions) names << a->objectName();
    return names;
}

QList<bool> enabledOf(const QList<QAction*>& actions) {
    QList<bool> enabled;
    for (const QAction* a : actions) enabled << a->isEnabled();
    return enabled;
}

// Sends a drag over the pane and drops it; answers whether the pane welcomed it and whether it
// showed so meanwhile.
struct DragResult {
    bool welcomed = false;
    bool highlighted = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

// Opens the pane's context menu as the right button does and clicks the entry at the path of object
// names ("actionCopyCompared/actionCopyInBoth" for one in a submenu, which the first click opens), as a
// user does. Answers the menu that opened.
QPointer<QMenu> chooseInMenu(PaneView* view, const QString& path) {
    QWidget* viewport = view->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, viewport->rect().center(),
                            viewport->mapToGlobal(viewport->rect().center()));
    QApplication::sendEvent(viewport, &event);
    const QPointer<QMenu> opened = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QMenu* menu = opened;
    for (const QString& name : path.split(u'/')) {
        if (!menu || !QTest::qWaitFor([&] { return menu->isVisible(); }))
            qFatal("no menu shows %s", qPrintable(name));
        const QList<QAction*> listed = menu->actions();
        const auto entry =
            std::find_if(listed.cbegin(), listed.cend(), [&](QAction* a) { return a->objectName() == name; });
        if (entry == listed.cend() || !(*entry)->isEnabled())
            qFatal("no enabled entry %s in the menu", qPrintable(name));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(*entry).center());
        menu = (*entry)->menu();
    }
    return opened;
}

DragResult dragAndDrop(PaneView* view, QMimeData* data,
                       Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
    DragResult result;
    QWidget* surface = view->viewport();
    const QPoint at = surface->rect().center();
    QDragEnterEvent enter(at, offered, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &enter);
    result.welcomed = enter.isAccepted();
    result.highlighted = view->isDropHighlighted();
    if (!result.welcomed) return result;
    QDropEvent drop(QPointF(at), offered, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &drop);
    result.action = drop.dropAction();
    return result;
}
}  // namespace

class PaneTransferTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void contextMenuOpensWithThePaneActionsInOrder_data();
    void contextMenuOpensWithThePaneActionsInOrder();
    void actionsAreEnabledOnlyWhenTheyApply_data();
    void actionsAreEnabledOnlyWhenTheyApply();
    void pasteAppendsTheClipboardLinesLikeALoad_data();
    void pasteAppendsTheClipboardLinesLikeALoad();
    void aClipboardThatDoesNotAnswerPastesNothingAndSaysSo();
    void failedPasteIsReportedUnderThePanesHandler();
    void copyPutsItemsOnTheClipboardWithLineEnds_data();
    void copyPutsItemsOnTheClipboardWithLineEnds();
    void dropsLoadFilesOrAppendTextAndRefuseTheRest_data();
    void dropsLoadFilesOrAppendTextAndRefuseTheRest();
    void dragOverThePaneHighlightsOnlyWhatItTakes();
    void listToolsRunFromThePaneMenu();
    void escapeStopsTheCommandOfItsPaneWhereverTheFocusIs();
    void entriesChosenInTheMenuRunOnceItHasClosed_data();
    void entriesChosenInTheMenuRunOnceItHasClosed();
};

void PaneTransferTest::cleanup() {
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

void PaneTransferTest::contextMenuOpensWithThePaneActionsInOrder_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("right button") << "right button";
    QTest::newRow("Menu key") << "menu key";
    QTest::newRow("Shift+F10") << "shift+f10";
    QTest::newRow("right button on the header") << "header";
}

void PaneTransferTest::contextMenuOpensWithThePaneActionsInOrder() {
    QFETCH(QString, how);
    Window w;
    QWidget* viewport = w.view->viewport();
    if (how == "right button") {
        QContextMenuEvent event(QContextMenuEvent::Mouse, viewport->rect().center(),
                                viewport->mapToGlobal(viewport->rect().center()));
        QApplication::sendEvent(viewport, &event);
    } else if (how == "header") {
        QWidget* header = w.view->findChild<QHeaderView*>()->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), header->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(header, &event);
    } else if (how == "menu key") {
        // What the platform makes of the Menu key.
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(w.view, &event);
    } else {
        QTest::keyClick(w.view, Qt::Key_F10, Qt::ShiftModifier);
    }
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QCOMPARE(namesOf(menu->actions()), kActionNames);
    QCOMPARE(menu->actions().at(1)->shortcut(), QKeySequence(u"Ctrl+Shift+C"_s));
    QVERIFY(menu->actions().at(2)->shortcuts().contains(QKeySequence(u"Shift+Ins"_s)));
    QVERIFY(menu->actions().at(5)->shortcuts().contains(QKeySequence(u"Ctrl+Z"_s)));
    QVERIFY(menu->actions().at(6)->shortcuts().contains(QKeySequence(u"Ctrl+Shift+Z"_s)));
    QVERIFY(menu->actions().at(6)->shortcuts().contains(QKeySequence(u"Ctrl+Y"_s)));
    QCOMPARE(w.texts(), kSample2);
}

void PaneTransferTest::actionsAreEnabledOnlyWhenTheyApply_data() {
    QTest::addColumn<bool>("items");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("clipboardText");
    QTest::addColumn<int>("pointer");
    QTest::addColumn<bool>("inUse");
    // Copy, Copy All, Paste, Remove Item, the separator, Undo, Redo, the separator, Compare, Match On, the
    // separator, Sort A to Z, Sort Z to A, Keep Only Items That Occur Once, Keep Only Repeated Items, Trim
    // Spaces, the two regular-expression filters, Stop (only while a command it can stop runs on the
    // pane), Copy Compared, Copy Items With Counts, Copy Items the Last Change Removed, the separator, Load
    // and Save (which refuse for themselves while the pane is in use). The pane's last change (the sample
    // data, or clearing it) can be undone while nothing else runs; the list tools need items and a free pane,
    // and only clearing removed anything.
    QTest::addColumn<QList<bool>>("enabled");
    QTest::newRow("empty pane, empty clipboard")
        << false << 0 << false << 0 << false
        << QList<bool>{0, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1};
    QTest::newRow("nothing selected, text to paste")
        << true << 0 << true << 0 << false
        << QList<bool>{0, 1, 1, 0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 0, 1, 1, 1};
    QTest::newRow("item selected") << true << 2 << false << 0 << false
                                   << QList<bool>{1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1,
                                                  1, 1, 1, 1, 1, 0, 1, 1, 0, 1, 1, 1};
    QTest::newRow("wait pointer") << true << 2 << true << 11 << false
                                  << QList<bool>{1, 1, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1,
                                                 1, 1, 1, 1, 1, 0, 1, 1, 0, 1, 1, 1};
    QTest::newRow("another command changes the pane")
        << true << 2 << true << 0 << true
        << QList<bool>{1, 0, 0, 0, 1, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1};
}

void PaneTransferTest::actionsAreEnabledOnlyWhenTheyApply() {
    QFETCH(bool, items);
    QFETCH(int, selected);
    QFETCH(bool, clipboardText);
    QFETCH(int, pointer);
    QFETCH(bool, inUse);
    QFETCH(QList<bool>, enabled);
    Window w;
    if (!items) w.form.click(2);
    if (selected > 0) w.view->selectPosition(selected);
    if (clipboardText) w.t.clipboard.setText(u"x"_s);
    std::optional<AnotherCommand> other;
    other.emplace(w.form.state(), pointer, inUse ? 2 : 0);
    QCOMPARE(enabledOf(w.view->actions()), enabled);
    // The menu shows them so, and Remove Item removes as Delete does.
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(w.view, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QCOMPARE(enabledOf(menu->actions()), enabled);
    menu->close();
    triggerAndRun(w.action(u"actionRemoveItem"_s));
    QCOMPARE(w.form.list(2).count(), items ? 3 - int(enabled[3]) : 0);
    // Once the other command lets go, the pane's actions apply again.
    other.reset();
    QCOMPARE(w.action(u"actionPaste"_s)->isEnabled(), clipboardText);
}

void PaneTransferTest::pasteAppendsTheClipboardLinesLikeALoad_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("operationRuns");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QStringList>("added");
    QTest::newRow("Ctrl+V") << "ctrl+v" << false << u"a\r\n\r\nb\r\n"_s << QStringList{"a", "", "b"};
    QTest::newRow("Shift+Insert") << "shift+insert" << false << u"\uFEFFx\ry\nz"_s
                                  << QStringList{"x", "y", "z"};
    QTest::newRow("menu action") << "action" << false << u"Grüße\n"_s << QStringList{"Grüße"};
    QTest::newRow("while a list operation runs on the other pane")
        << "action" << true << u"1\n2"_s << QStringList{"1", "2"};
    // Another program's bytes in a Windows code page read as a loaded file's lines do.
    QTest::newRow("Windows-1252 bytes") << "action" << false << u"caf\u00E9 cr\u00E8me"_s
                                        << QStringList{u"caf\u00E9 cr\u00E8me"_s, u"Gr\u00FC\u00DFe"_s};
}

void PaneTransferTest::pasteAppendsTheClipboardLinesLikeALoad() {
    QFETCH(QString, how);
    QFETCH(bool, operationRuns);
    QFETCH(QString, clipboard);
    QFETCH(QStringList, added);
    Window w;
    w.t.clipboard.setText(clipboard);
    std::optional<AnotherCommand> operation;
    if (QTest::currentDataTag() == QByteArrayView("Windows-1252 bytes"))
        w.t.clipboard.heldBytes = QByteArray(
            "caf\xE9 cr\xE8me\nGr\xC3\xBC\xC3\x9F"
            "e\n");
    if (operationRuns) {
        w.form.state().setBusy(true);
        operation.emplace(w.form.state(), WindowState::WaitPointer);
    }
    QSignalSpy pointer(&w.form.state(), &WindowState::mousePointerChanged);
    if (how == "ctrl+v")
        QTest::keyClick(w.view, Qt::Key_V, Qt::ControlModifier);
    else if (how == "shift+insert")
        QTest::keyClick(w.view, Qt::Key_Insert, Qt::ShiftModifier);
    else
        w.action(u"actionPaste"_s)->trigger();
    runQueuedCommands();
    QCOMPARE(w.texts(), kSample2 + added);
    // The wait pointer while it runs, the default pointer afterwards, as a load does; the
    // operation still running keeps the wait pointer.
    QCOMPARE(pointer.size(), operationRuns ? 0 : 2);
    QCOMPARE(w.form.state().mousePointer(), operationRuns ? 11 : 0);
    QVERIFY(w.t.dialogs.messages.isEmpty());
}

void PaneTransferTest::aClipboardThatDoesNotAnswerPastesNothingAndSaysSo() {
    Window w;
    w.t.clipboard.setText(u"x"_s);
    w.t.clipboard.silent = true;
    triggerAndRun(w.action(u"actionPaste"_s));
    QCOMPARE(w.texts(), kSample2);
    QCOMPARE(w.t.dialogs.messages.size(), 1);
    const auto& shown = w.t.dialogs.messages.first();
    QCOMPARE(shown.text, u"The clipboard did not answer. Nothing was pasted."_s);
    QCOMPARE(shown.title, w.form.state().appTitle());
    QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
    QCOMPARE(shown.icon, Dialogs::Icon::None);
    QCOMPARE(w.form.state().mousePointer(), 0);
}

void PaneTransferTest::failedPasteIsReportedUnderThePanesHandler() {
    Window w;
    w.t.clipboard.setText(u"a"_s);
    w.t.clipboard.failReads = true;
    triggerAndRun(w.action(u"actionPaste"_s));
    QCOMPARE(w.t.dialogs.errorReports().size(), 1);
    QVERIFY2(
        w.t.dialogs.errorReports()[0].contains(u"in Quorvel2021/08/31.Form1.ListView2_Paste at line 102"_s),
        qPrintable(w.t.dialogs.errorReports()[0]));
    QCOMPARE(w.texts(), kSample2);
    QCOMPARE(w.form.state().mousePointer(), 0);
}

void PaneTransferTest::copyPutsItemsOnTheClipboardWithLineEnds_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("expected");
    const QString item = u"orange"_s + kLineEnd;
    const QString all = kSample2.join(kLineEnd) + kLineEnd;
    QTest::newRow("Ctrl+C") << "ctrl+c" << item;
    QTest::newRow("Copy action") << "actionCopy" << item;
    QTest::newRow("Ctrl+Shift+C") << "ctrl+shift+c" << all;
    QTest::newRow("Copy All action") << "actionCopyAll" << all;
}

void PaneTransferTest::copyPutsItemsOnTheClipboardWithLineEnds() {
    QFETCH(QString, how);
    QFETCH(QString, expected);
    Window w;
    w.view->selectPosition(2);
    if (how == "ctrl+c")
        QTest::keyClick(w.view, Qt::Key_C, Qt::ControlModifier);
    else if (how == "ctrl+shift+c")
        QTest::keyClick(w.view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    else
        w.action(how)->trigger();
    runQueuedCommands();
    QCOMPARE(w.t.clipboard.held, std::optional<QString>(expected));
    QCOMPARE(w.texts(), kSample2);
    QCOMPARE(w.form.state().mousePointer(), 0);
    QVERIFY(w.t.dialogs.messages.isEmpty());
}

void PaneTransferTest::dropsLoadFilesOrAppendTextAndRefuseTheRest_data() {
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<bool>("welcomed");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QString>("message");
    const auto file = [](const char* name) {
        return QUrl::fromLocalFile(fixture(QString::fromLatin1(name)));
    };
    const QList<QUrl> none;
    QTest::newRow("files in the order of the drop")
        << QList<QUrl>{file("second.txt"), file("first.txt")} << u"their names"_s << false << true
        << QStringList{"second 1", "second 2", "first 1", "first 2"} << QString();
    QTest::newRow("text") << none << u"a\r\nb\r\n"_s << false << true << QStringList{"a", "b"} << QString();
    QTest::newRow("missing file") << QList<QUrl>{file("missing.txt")} << QString() << false << true
                                  << QStringList() << u"File not found"_s;
    QTest::newRow("folder is refused at the drag")
        << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral(BRINDLEWICK_TEST_DATA))} << QString() << false
        << false << QStringList() << QString();
    QTest::newRow("address of another machine")
        << QList<QUrl>{QUrl(u"https://example.org/list.txt"_s)} << u"https://example.org/list.txt"_s << false
        << false << QStringList() << QString();
    QTest::newRow("local and remote together")
        << QList<QUrl>{file("first.txt"), QUrl(u"https://example.org/list.txt"_s)} << QString() << false
        << false << QStringList() << QString();
    QTest::newRow("picture") << none << QString() << true << false << QStringList() << QString();
}

void PaneTransferTest::dropsLoadFilesOrAppendTextAndRefuseTheRest() {
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, text);
    QFETCH(bool, picture);
    QFETCH(bool, welcomed);
    QFETCH(QStringList, added);
    QFETCH(QString, message);
    Window w;
    auto data = std::make_unique<QMimeData>();
    if (!urls.isEmpty()) data->setUrls(urls);
    if (!text.isEmpty()) data->setText(text);
    if (picture) data->setImageData(QImage(4, 4, QImage::Format_RGB32));
    const DragResult result = dragAndDrop(w.view, data.get());
    QCOMPARE(result.welcomed, welcomed);
    QCOMPARE(result.highlighted, welcomed);
    QVERIFY(!w.view->isDropHighlighted());
    if (welcomed) QCOMPARE(result.action, Qt::CopyAction);
    // The drop returns at once; the load or paste runs as the event loop's next call.
    QCOMPARE(w.texts(), kSample2);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(w.texts(), kSample2 + added);
    if (message.isEmpty())
        QVERIFY(w.t.dialogs.messages.isEmpty());
    else
        QVERIFY2(w.t.dialogs.messageTexts().join(u'|').contains(message),
                 qPrintable(w.t.dialogs.messageTexts().join(u'|')));
    QCOMPARE(w.form.state().mousePointer(), 0);
}

void PaneTransferTest::dragOverThePaneHighlightsOnlyWhatItTakes() {
    Window w;
    QMimeData data;
    data.setText(u"x"_s);
    QWidget* header = w.view->findChild<QHeaderView*>()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(header, &enter);
    QVERIFY(enter.isAccepted());
    QVERIFY(w.view->isDropHighlighted());
    QDragLeaveEvent leave;
    QApplication::sendEvent(header, &leave);
    QVERIFY(!w.view->isDropHighlighted());
    // A source that only moves would take the text away from where it came from: refused.
    QDragEnterEvent moveOnly(QPoint(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.view->viewport(), &moveOnly);
    QVERIFY(!moveOnly.isAccepted());
    QVERIFY(!w.view->isDropHighlighted());
    // A pane that another command is changing takes nothing.
    const AnotherCommand other(w.form.state(), WindowState::DefaultPointer, 2);
    QDragEnterEvent whileInUse(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.view->viewport(), &whileInUse);
    QVERIFY(!whileInUse.isAccepted());
}

void PaneTransferTest::listToolsRunFromThePaneMenu() {
    Window w;
    w.form.click(21);
    triggerAndRun(w.action(u"actionSortAToZ"_s));
    QCOMPARE(w.texts(), (QStringList{"orange", "Purple", "red"}));
    QCOMPARE(w.form.state().lastResult(), u"Sort A to Z: 3 items in List 2"_s);
    QVERIFY(!w.action(u"actionCopyRemoved"_s)->isEnabled());
    triggerAndRun(w.action(u"actionUndo"_s));
    QCOMPARE(w.texts(), kSample2);
    triggerAndRun(w.action(u"actionCopyInBoth"_s));
    QCOMPARE(w.t.clipboard.text(), "orange" + kLineEnd);
    w.form.click(2);
    QVERIFY(!w.action(u"actionSortAToZ"_s)->isEnabled());
    QVERIFY(!w.action(u"actionCopyCompared"_s)->isEnabled());
    QVERIFY(w.action(u"actionCopyRemoved"_s)->isEnabled());
    triggerAndRun(w.action(u"actionCopyRemoved"_s));
    QCOMPARE(w.t.clipboard.text(), QStringList(kSample2).join(kLineEnd) + kLineEnd);
}

void PaneTransferTest::escapeStopsTheCommandOfItsPaneWhereverTheFocusIs() {
    Window w(TestServices::EveryChance);
    w.form.click(21);
    w.form.click(21);
    const QStringList list1 = w.form.list(1).texts();
    QAction* stop1 = w.form.listView(1)->findChild<QAction*>(u"actionStop"_s);
    QAction* stop2 = w.action(u"actionStop"_s);
    QVERIFY(stop1);
    QCOMPARE(stop1->shortcut(), QKeySequence(Qt::Key_Escape));
    QList<bool> whileRunning;
    w.t.yielder.onYield = [&] {
        if (w.t.yielder.yields != 1) return;
        whileRunning = {stop1->isEnabled(), stop2->isEnabled()};
        // The focus is on List 2.
        QTest::keyClick(w.view, Qt::Key_Escape);
        runQueuedCommands();
    };
    w.form.click(4);
    QCOMPARE(whileRunning, (QList<bool>{true, false}));
    QCOMPARE(w.form.list(1).texts(), list1);
    QCOMPARE(w.form.state().lastResult(), u"Remove Dupes Except First: stopped; List 1 unchanged"_s);
    QVERIFY(!stop1->isEnabled() && !stop2->isEnabled());
    // Nothing runs: Escape stops nothing, and the command runs to its end afterwards.
    w.t.yielder.onYield = nullptr;
    QTest::keyClick(w.view, Qt::Key_Escape);
    runQueuedCommands();
    QCOMPARE(w.form.state().lastResult(), u"Remove Dupes Except First: stopped; List 1 unchanged"_s);
    w.form.click(4);
    QCOMPARE(w.form.list(1).texts(), (QStringList{"orange", "black", "purple"}));
}

void PaneTransferTest::entriesChosenInTheMenuRunOnceItHasClosed_data() {
    QTest::addColumn<QString>("entry");
    // Run first through the action: what Copy Items the Last Change Removed takes.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("clipboard");
    // List 2 holds red, orange, Purple, red and a long item, which is selected and which the copies
    // join between yields; List 1 orange, black, purple; the clipboard x. Each entry is chosen twice.
    const QString z = longItem();
    const QStringList items{"red", "orange", "Purple", "red", z};
    const QStringList x{"x"};
    QTest::newRow("Copy") << "actionCopy"
                          << "" << items << QStringList{z};
    QTest::newRow("Copy All") << "actionCopyAll"
                              << "" << items << items;
    QTest::newRow("Paste") << "actionPaste"
                           << "" << items + x + x << x;
    QTest::newRow("Sort A to Z") << "actionSortAToZ"
                                 << "" << QStringList{"orange", "Purple", "red", "red", z} << x;
    QTest::newRow("Sort Z to A") << "actionSortZToA"
                                 << "" << QStringList{z, "red", "red", "Purple", "orange"} << x;
    QTest::newRow("Keep Only Items That Occur Once") << "actionKeepOnlyOnce"
                                                     << "" << QStringList{"orange", "Purple", z} << x;
    // Twice: the second run finds "red" alone.
    QTest::newRow("Keep Only Repeated Items") << "actionKeepOnlyRepeated"
                                              << "" << QStringList{} << x;
    QTest::newRow("Copy Items With Counts")
        << "actionCopyWithCounts"
        << "" << items << QStringList{"2\tred", "1\torange", "1\tPurple", "1\t" + z};
    QTest::newRow("Copy Compared, only in this list")
        << "actionCopyCompared/actionCopyOnlyInThis"
        << "" << items << QStringList{"red", "Purple", "red", z};
    QTest::newRow("Copy Compared, in both") << "actionCopyCompared/actionCopyInBoth"
                                            << "" << items << QStringList{"orange"};
    QTest::newRow("Copy Compared, each once")
        << "actionCopyCompared/actionCopyEachOnce"
        << "" << items << QStringList{"red", "orange", "Purple", z, "black", "purple"};
    QTest::newRow("Copy Items the Last Change Removed")
        << "actionCopyRemoved"
        << "actionKeepOnlyOnce" << QStringList{"orange", "Purple", z} << QStringList{"red", "red"};
}

// Each entry whose command yields, clicked in the real menu twice in a row, with every yield running
// the event loop, which deletes the menu that closed on the click: the command must not run inside
// the menu's handling of the click (the sanitizer build catches the menu used after it was freed).
void PaneTransferTest::entriesChosenInTheMenuRunOnceItHasClosed() {
    QFETCH(QString, entry);
    QFETCH(QString, before);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, clipboard);
    Window w(TestServices::EveryChance);
    w.t.yielder.runEventLoop = true;
    w.form.click(21);
    w.form.list(2).append(u"red"_s);
    w.form.list(2).append(longItem());
    w.view->selectPosition(5);
    w.t.clipboard.setText(u"x"_s + kLineEnd);
    if (!before.isEmpty()) triggerAndRun(w.action(before));
    for (int round = 1; round <= 2; ++round) {
        const QStringList shown = w.texts();
        const std::optional<QString> held = w.t.clipboard.held;
        const int yields = w.t.yielder.yields;
        const QPointer<QMenu> menu = chooseInMenu(w.view, entry);
        QVERIFY(menu);
        QVERIFY(!menu->isVisible());
        QCOMPARE(w.t.yielder.yields, yields);
        QCOMPARE(w.texts(), shown);
        QCOMPARE(w.t.clipboard.held, held);
        QTRY_VERIFY(w.t.yielder.yields > yields);
        QTRY_VERIFY(!menu);
    }
    QCOMPARE(w.texts(), texts);
    QCOMPARE(w.t.clipboard.held, std::optional<QString>(clipboard.join(kLineEnd) + kLineEnd));
    QVERIFY(w.t.dialogs.messages.isEmpty());
}

QTEST_MAIN(PaneTransferTest)
#include "tst_panetransfer.moc"
