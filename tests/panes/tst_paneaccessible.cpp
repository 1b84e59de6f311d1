#include "panes/PaneModel.h"
#include "panes/view/PaneAccessible.h"
#include "panes/view/PaneCellAccessible.h"
#include "panes/view/PaneView.h"
#include "support/TestContext.h"

#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>
#include <QAccessible>
#include <QTest>

namespace {
struct Announcement {
    QObject* object;
    QAccessible::Event type;
    int child;
    int change = -1;
    int first = -1;
    int last = -1;
};
QList<Announcement> announced;

// As when a screen reader starts: the platform turns accessibility on.
void setAccessibilityActive(bool active) {
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(active);
}

void record(QAccessibleEvent* event) {
    Announcement a{event->object(), event->type(), event->child()};
    if (event->type() == QAccessible::TableModelChanged) {
        const auto* change = static_cast<QAccessibleTableModelChangeEvent*>(event);
        a.change = change->modelChangeType();
        a.first = change->firstRow();
        a.last = change->lastRow();
    }
    announced.append(a);
}

// What the pane announced of itself; its header, one of Qt's item views, speaks for itself.
QList<Announcement> announcedBy(const QObject* object, QAccessible::Event type) {
    QList<Announcement> result;
    for (const Announcement& a : std::as_const(announced))
        if (a.object == object && a.type == type) result.append(a);
    return result;
}

ItemStore numberedItems(int count, int from = 1) {
    ItemStore items;
    for (int i = from; i < from + count; ++i) items.append(QByteArray::number(i));
    return items;
}

struct Pane {
    PaneModel model;
    PaneView view;
    explicit Pane(int items) {
        model.addColumnHeader(QStringLiteral("List 1:"));
        model.appendBatch(numberedItems(items));
        view.setModel(&model);
        view.resize(300, 200);
    }
    QAccessibleInterface* table() { return QAccessible::queryAccessibleInterface(&view); }
    QAccessibleInterface* cell(int row) { return table()->tableInterface()->cellAt(row, 0); }
};
}  // namespace

class PaneAccessibleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void describesThePaneAsAOneColumnTableUnderItsHeader();
    void answersForAMillionRowsKeepingOnlyTheCellsAskedFor();
    void rowTextIsTheItemBounded_data();
    void rowTextIsTheItemBounded();
    void selectionWorksFromBothSides();
    void bulkChangesAreAnnouncedOnce_data();
    void bulkChangesAreAnnouncedOnce();
    void selectionAndFocusAreAnnounced();
};

void PaneAccessibleTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void PaneAccessibleTest::init() {
    announced.clear();
    QAccessible::installUpdateHandler(record);
    setAccessibilityActive(true);
}

void PaneAccessibleTest::cleanup() {
    setAccessibilityActive(false);
    QAccessible::installUpdateHandler(nullptr);
}

void PaneAccessibleTest::describesThePaneAsAOneColumnTableUnderItsHeader() {
    Pane pane(3);
    QAccessibleInterface* table = pane.table();
    QVERIFY(table && table->tableInterface());
    QCOMPARE(table->role(), QAccessible::Table);
    QCOMPARE(table->text(QAccessible::Name), QStringLiteral("List 1:"));
    QCOMPARE(table->text(QAccessible::Description), QString::fromLatin1(PaneView::kToolTip));
    QCOMPARE(table->tableInterface()->columnCount(), 1);
    QCOMPARE(table->tableInterface()->columnDescription(0), QStringLiteral("List 1:"));
    QCOMPARE(table->childCount(), 4);
    QAccessibleInterface* header = table->child(0);
    QCOMPARE(header->role(), QAccessible::ColumnHeader);
    QCOMPARE(header->text(QAccessible::Name), QStringLiteral("List 1:"));
    QAccessibleInterface* cell = pane.cell(2);
    QCOMPARE(cell->tableCellInterface()->columnHeaderCells(), QList<QAccessibleInterface*>{header});
    QCOMPARE(table->indexOfChild(cell), 3);
    QCOMPARE(table->child(3), cell);
    QCOMPARE(cell->parent(), table);
    QVERIFY(!table->tableInterface()->cellAt(3, 0));
}

void PaneAccessibleTest::answersForAMillionRowsKeepingOnlyTheCellsAskedFor() {
    Pane pane(1'000'000);
    QAccessibleTableInterface* table = pane.table()->tableInterface();
    QCOMPARE(table->rowCount(), 1'000'000);
    for (int row : {499'999, 500'000, 500'001}) {
        QAccessibleInterface* cell = pane.cell(row);
        QCOMPARE(cell->text(QAccessible::Name), QString::number(row + 1));
        QCOMPARE(cell->tableCellInterface()->rowIndex(), row);
    }
    // Asked again, a row answers with the same cell; asked for enough other rows, it is let go.
    const QAccessible::Id first = QAccessible::uniqueId(pane.cell(499'999));
    QCOMPARE(QAccessible::uniqueId(pane.cell(499'999)), first);
    for (int row = 0; row < PaneAccessible::kMaxCells; ++row) pane.cell(row);
    QVERIFY(!QAccessible::accessibleInterface(first));
    QCOMPARE(pane.cell(499'999)->text(QAccessible::Name), QStringLiteral("500000"));
}

void PaneAccessibleTest::rowTextIsTheItemBounded_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("spoken");
    const int max = PaneAccessibleText::kMaxChars;
    const QString ellipsis(QChar(0x2026));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8D\x8A");
    QTest::newRow("short") << "orange"
                           << "orange";
    QTest::newRow("blank") << ""
                           << "";
    QTest::newRow("leading byte-order mark kept")
        << QStringLiteral("\uFEFFred") << QStringLiteral("\uFEFFred");
    QTest::newRow("exactly the bound") << QString(max, u'k') << QString(max, u'k');
    QTest::newRow("one over the bound") << QString(max + 1, u'k') << QString(max, u'k') + ellipsis;
    QTest::newRow("10 MB item") << QString(10'000'000, u'x') << QString(max, u'x') + ellipsis;
    QTest::newRow("no half character")
        << u'a' + emoji.repeated(max) << u'a' + emoji.repeated(max / 2 - 1) + ellipsis;
}

void PaneAccessibleTest::rowTextIsTheItemBounded() {
    QFETCH(QString, item);
    QFETCH(QString, spoken);
    Pane pane(0);
    pane.model.append(item);
    QCOMPARE(pane.cell(0)->text(QAccessible::Name), spoken);
}

void PaneAccessibleTest::selectionWorksFromBothSides() {
    Pane pane(10);
    QAccessibleTableInterface* table = pane.table()->tableInterface();
    QVERIFY(table->selectRow(1));
    QCOMPARE(pane.view.selectedPosition(), 2);
    QVERIFY(pane.cell(1)->state().selected);
    pane.view.selectPosition(8);
    QCOMPARE(table->selectedRows(), QList<int>{7});
    QVERIFY(table->isRowSelected(7));
    QVERIFY(!pane.cell(1)->state().selected);
    QVERIFY(!table->unselectRow(1));
    QVERIFY(table->unselectRow(7));
    QCOMPARE(pane.view.selectedPosition(), 0);
    QCOMPARE(table->selectedRowCount(), 0);
    QVERIFY(!table->selectRow(10));
    QCOMPARE(pane.view.selectedPosition(), 0);
}

void PaneAccessibleTest::bulkChangesAreAnnouncedOnce_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("count");
    using Change = QAccessibleTableModelChangeEvent;
    QTest::newRow("a batch of 100,000 appended")
        << "batch" << int(Change::RowsInserted) << 1000 << 100'999 << "101,000 items";
    QTest::newRow("one item appended")
        << "append" << int(Change::RowsInserted) << 1000 << 1000 << "1,001 items";
    QTest::newRow("one item removed") << "removeAt" << int(Change::RowsRemoved) << 4 << 4 << "999 items";
    QTest::newRow("500 items removed")
        << "removePositions" << int(Change::ModelReset) << -1 << -1 << "500 items";
    QTest::newRow("cleared") << "clear" << int(Change::ModelReset) << -1 << -1 << "0 items";
}

void PaneAccessibleTest::bulkChangesAreAnnouncedOnce() {
    QFETCH(QString, change);
    QFETCH(int, type);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, count);
    Pane pane(1000);
    // A cell asked for before the change is never left reading another item afterwards.
    const QAccessible::Id asked = QAccessible::uniqueId(pane.cell(999));
    announced.clear();
    if (change == QStringLiteral("batch")) {
        pane.model.appendBatch(numberedItems(100'000, 1001));
    } else if (change == QStringLiteral("append")) {
        pane.model.append(QStringLiteral("new"));
    } else if (change == QStringLiteral("removeAt")) {
        pane.model.removeAt(5);
    } else if (change == QStringLiteral("removePositions")) {
        QList<int> positions;
        for (int p = 1; p <= 1000; p += 2) positions << p;
        ScriptedYielder yielder;
        pane.model.removePositions(positions, pane.model.editStamp(), yielder);
    } else {
        pane.model.clear();
    }
    const QList<Announcement> changes = announcedBy(&pane.view, QAccessible::TableModelChanged);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes[0].change, type);
    QCOMPARE(changes[0].first, first);
    QCOMPARE(changes[0].last, last);
    QCOMPARE(pane.table()->tableInterface()->rowCount(), pane.model.count());
    QCOMPARE(QAccessible::accessibleInterface(asked) != nullptr, first > 999);
    // The header shows the count, and its cell's description tells it, announced once.
    QCOMPARE(pane.view.countText(), count);
    QCOMPARE(pane.table()->child(0)->text(QAccessible::Description), count);
    QCOMPARE(pane.table()->child(0)->text(QAccessible::Name), QStringLiteral("List 1:"));
    const QList<Announcement> told = announcedBy(&pane.view, QAccessible::DescriptionChanged);
    QCOMPARE(told.size(), 1);
    QCOMPARE(told[0].child, 0);
}

void PaneAccessibleTest::selectionAndFocusAreAnnounced() {
    Pane pane(10);
    pane.view.show();
    pane.view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&pane.view));
    pane.view.setFocus();
    QVERIFY(pane.view.hasFocus());
    announced.clear();
    pane.view.selectPosition(5);
    QTest::keyClick(&pane.view, Qt::Key_Down);
    pane.table()->tableInterface()->unselectRow(5);
    QList<QPair<QAccessible::Event, int>> seen;
    for (const Announcement& a : std::as_const(announced))
        if (a.type == QAccessible::Focus || a.type == QAccessible::Selection ||
            a.type == QAccessible::SelectionRemove)
            seen.append({a.type, a.child});
    const QList<QPair<QAccessible::Event, int>> expected{
        {QAccessible::Focus, 5}, {QAccessible::Selection, 5}, {QAccessible::SelectionRemove, 5},
        {QAccessible::Focus, 6}, {QAccessible::Selection, 6}, {QAccessible::SelectionRemove, 6}};
    QCOMPARE(seen, expected);
    QVERIFY(pane.table()->focusChild() == nullptr);
    pane.view.selectPosition(2);
    QCOMPARE(pane.table()->focusChild(), pane.cell(1));
    QVERIFY(pane.cell(1)->state().focused);
}

QTEST_MAIN(PaneAccessibleTest)
#include "tst_paneaccessible.moc"
