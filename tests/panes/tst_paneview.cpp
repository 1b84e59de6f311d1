#include "panes/PaneModel.h"
#include "panes/view/PaneView.h"
#include "support/TestContext.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

class PaneViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keysMoveTheSelection_data();
    void keysMoveTheSelection();
    void selectionFollowsItsItemThroughChanges();
    void bulkChangeKeepsScrollButDropsSelection();
    void clickSelectsTheRowUnderTheMouse();
    void focusIsShownAlsoWithoutASelection_data();
    void focusIsShownAlsoWithoutASelection();
    void paintingGetsOnlyTheTextThatCanShow();
};

namespace {
struct Pane {
    PaneModel model;
    PaneView view;
    explicit Pane(int items) {
        QStringList texts;
        for (int i = 1; i <= items; ++i) texts << QString::number(i);
        TestContext::fill(model, texts);
        view.setModel(&model);
        view.resize(300, 200);
        view.show();
    }
};
}  // namespace

void PaneViewTest::keysMoveTheSelection_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("selected");
    QTest::newRow("down") << 5 << int(Qt::Key_Down) << 6;
    QTest::newRow("up stops at the first") << 1 << int(Qt::Key_Up) << 1;
    QTest::newRow("down stops at the last") << 1000 << int(Qt::Key_Down) << 1000;
    QTest::newRow("home") << 500 << int(Qt::Key_Home) << 1;
    QTest::newRow("end") << 3 << int(Qt::Key_End) << 1000;
    QTest::newRow("page down moves a page") << 1 << int(Qt::Key_PageDown) << 0;
}

void PaneViewTest::keysMoveTheSelection() {
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, selected);
    Pane pane(1000);
    pane.view.selectPosition(start);
    QTest::keyClick(&pane.view, Qt::Key(key));
    if (selected == 0) {
        QVERIFY(pane.view.selectedPosition() > start + 1);
    } else {
        QCOMPARE(pane.view.selectedPosition(), selected);
    }
    // The selected row is always in sight.
    const QRect row = pane.view.visualRect(pane.model.index(pane.view.selectedPosition() - 1));
    QVERIFY(pane.view.viewport()->rect().intersects(row));
}

void PaneViewTest::selectionFollowsItsItemThroughChanges() {
    Pane pane(10);
    pane.view.selectPosition(5);
    pane.model.removeAt(2);
    QCOMPARE(pane.view.selectedPosition(), 4);
    pane.model.append(QStringLiteral("new"));
    QCOMPARE(pane.view.selectedPosition(), 4);
    pane.model.removeAt(4);
    QCOMPARE(pane.view.selectedPosition(), 0);
}

void PaneViewTest::bulkChangeKeepsScrollButDropsSelection() {
    Pane pane(10000);
    pane.view.selectPosition(5000);
    const int scroll = pane.view.verticalScrollBar()->value();
    ScriptedYielder yielder;
    pane.model.removePositions({1, 2, 3}, pane.model.editStamp(), yielder);
    QCOMPARE(pane.view.selectedPosition(), 0);
    QCOMPARE(pane.view.verticalScrollBar()->value(), scroll);
    pane.model.clear();
    QCOMPARE(pane.view.selectedPosition(), 0);
    QCOMPARE(pane.view.verticalScrollBar()->maximum(), 0);
}

void PaneViewTest::clickSelectsTheRowUnderTheMouse() {
    Pane pane(3);
    QVERIFY(QTest::qWaitForWindowExposed(&pane.view));
    QCOMPARE(pane.view.selectedPosition(), 0);
    const QRect second = pane.view.visualRect(pane.model.index(1));
    QTest::mouseClick(pane.view.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(pane.view.selectedPosition(), 2);
    // Below the last item there is nothing to select: just below it and far below.
    const QRect last = pane.view.visualRect(pane.model.index(2));
    for (const int y : {last.bottom() + 2, pane.view.viewport()->height() - 2}) {
        QTest::mouseClick(pane.view.viewport(), Qt::LeftButton, {}, QPoint(5, y));
        QCOMPARE(pane.view.selectedPosition(), 2);
    }
    QCOMPARE(pane.view.horizontalHeader()->sectionSize(0), 467);
}

void PaneViewTest::focusIsShownAlsoWithoutASelection_data() {
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("selected");
    QTest::newRow("empty pane") << 0 << 0;
    QTest::newRow("items, none selected") << 10 << 0;
    QTest::newRow("an item selected") << 10 << 3;
}

void PaneViewTest::focusIsShownAlsoWithoutASelection() {
    QFETCH(int, items);
    QFETCH(int, selected);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit;
    layout->addWidget(other);
    PaneModel model;
    TestContext::fill(model, QStringList(items, QStringLiteral("item")));
    auto* view = new PaneView;
    view->setModel(&model);
    layout->addWidget(view);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    if (selected > 0) view->selectPosition(selected);
    // What the screen shows, as repainted when the focus moves, not a fresh rendering.
    const auto onScreen = [&] {
        QCoreApplication::processEvents();
        const QPoint at = view->mapTo(&window, QPoint(0, 0));
        return window.screen()
            ->grabWindow(window.winId(), at.x(), at.y(), view->width(), view->height())
            .toImage();
    };
    other->setFocus();
    const QImage unfocused = onScreen();
    view->setFocus();
    QVERIFY(view->hasFocus());
    QVERIFY(onScreen() != unfocused);
    other->setFocus();
    QCOMPARE(onScreen(), unfocused);
}

void PaneViewTest::paintingGetsOnlyTheTextThatCanShow() {
    Pane pane(1);
    QByteArray huge;
    while (huge.size() < 20'000'000) huge += "The quick brown fox jumps over the lazy dog. ";
    pane.model.append(QByteArrayView(huge));
    pane.model.append(u"a"_s + QString(1000, QChar(0x0301)) + u"b"_s);
    QVERIFY(QTest::qWaitForWindowExposed(&pane.view));
    QCOMPARE(pane.view.shownText(0).text, u"1"_s);
    // The model never hands Qt the whole item, and the painter gets what fits in the column.
    QCOMPARE(pane.model.data(pane.model.index(1)).toString().size(), PaneModel::kMaxShownChars);
    const int column = pane.view.horizontalHeader()->sectionSize(0);
    const ShownText start = pane.view.shownText(1);
    QCOMPARE(start.x, 0.0);
    QVERIFY(start.text.size() > 20 && start.text.size() < column);
    QVERIFY(huge.startsWith(start.text.toLatin1()));
    // Scrolled along a widened column, the painter gets the stretch in sight, from where it starts.
    pane.view.horizontalHeader()->resizeSection(0, 5000);
    pane.view.horizontalScrollBar()->setValue(3000);
    const ShownText along = pane.view.shownText(1);
    QVERIFY(along.x > 2900 && along.x <= 3000);
    QVERIFY(along.text.size() < pane.view.viewport()->width());
    QVERIFY(huge.contains(along.text.toLatin1()));
    // A pile of combining marks on one letter is cut to what can be seen.
    pane.view.horizontalScrollBar()->setValue(0);
    const QString marks = pane.view.shownText(2).text;
    QCOMPARE(marks, u"a"_s + QString(ShownText::kMaxStackedMarks, QChar(0x0301)) + u"b"_s);
}

QTEST_MAIN(PaneViewTest)
#include "tst_paneview.moc"
