#include "commands/ColumnCommands.h"
#include "commands/ListCommands.h"
#include "commands/ListToolCommands.h"
#include "support/Buttons.h"
#include "support/TestContext.h"
#include "support/TestServices.h"

#include <QTest>

// A pane matched on a column: the choice the dialog makes, what the header says of it, and the
// window's commands comparing by it while they keep whole items.
class ColumnCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theDialogChoosesThePanesColumn();
    void theHeaderNamesTheColumn_data();
    void theHeaderNamesTheColumn();
    void commandsCompareTheChosenColumns();
};

namespace {
const QStringList kExport{"name,email,signup_date", "Ann,ANN@x.org,2024", "\"Lee, Al\",al@z.org,2025",
                          "Bob,bob@y.org,2026", "Cy"};
}

void ColumnCommandsTest::theDialogChoosesThePanesColumn() {
    TestContext t;
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const QStringList long1{QString(2000, u'x'), QString(1000, u'x'), QString(1001, u'\u4E2D'),
                            "a" + emoji.repeated(1000)};
    for (int k = 0; k < 10; ++k) t.list2.append(k < long1.size() ? long1[k] : QString::number(k));
    const MatchOn chosen{3, U'\t', true};
    t.dialogs.columns.enqueue(chosen);
    ColumnCommands::chooseColumn(t.context, 2);
    QCOMPARE(t.window.matchOn(2), chosen);
    QCOMPARE(t.window.matchOn(1), MatchOn{});
    const Dialogs::ColumnRequest& asked = t.dialogs.columnRequests.at(0);
    QCOMPARE(asked.current, MatchOn{});
    // A preview of the first items, each cut to what a dialog line shows.
    QCOMPARE(asked.firstItems.size(), 8);
    // Cut at 1,000 characters, never inside a surrogate pair.
    QCOMPARE(asked.firstItems[0], QString(1000, u'x') + u'\u2026');
    QCOMPARE(asked.firstItems[1], QString(1000, u'x'));
    QCOMPARE(asked.firstItems[2], QString(1000, u'\u4E2D') + u'\u2026');
    QCOMPARE(asked.firstItems[3], "a" + emoji.repeated(499) + u'\u2026');
    QCOMPARE(asked.firstItems[7], QString("7"));

    // Cancel keeps the choice; the dialog starts from it.
    ColumnCommands::chooseColumn(t.context, 2);
    QCOMPARE(t.window.matchOn(2), chosen);
    QCOMPARE(t.dialogs.columnRequests.at(1).current, chosen);
    // Not while a command changes the pane's items.
    {
        AnotherCommand other(t.window, WindowState::WaitPointer, 2);
        ColumnCommands::chooseColumn(t.context, 2);
        QCOMPARE(t.dialogs.columnRequests.size(), 2);
    }
    ColumnCommands::matchWholeItems(t.context, 2);
    QCOMPARE(t.window.matchOn(2), MatchOn{});
}

void ColumnCommandsTest::theHeaderNamesTheColumn_data() {
    QTest::addColumn<MatchOn>("on");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("note");
    QTest::newRow("whole items") << MatchOn{} << kExport << "";
    QTest::newRow("no header") << MatchOn{2, U',', false} << kExport << "column 2";
    QTest::newRow("header") << MatchOn{2, U',', true} << kExport << "column 2, email";
    QTest::newRow("quoted name") << MatchOn{1, U';', true} << QStringList{"\"a;b\";c"} << "column 1, a;b";
    QTest::newRow("no such column") << MatchOn{5, U',', true} << kExport << "column 5";
    QTest::newRow("empty pane") << MatchOn{2, U',', true} << QStringList{} << "column 2";
    QTest::newRow("long name") << MatchOn{1, U'\t', true} << QStringList{QString(50, u'n')}
                               << "column 1, " + QString(40, u'n') + u'\u2026';
}

void ColumnCommandsTest::theHeaderNamesTheColumn() {
    QFETCH(MatchOn, on);
    QFETCH(QStringList, items);
    QFETCH(QString, note);
    TestContext t;
    TestContext::fill(t.list1, items);
    t.window.setMatchOn(1, on);
    QCOMPARE(ColumnCommands::headerNote(t.context, 1), note);
}

void ColumnCommandsTest::commandsCompareTheChosenColumns() {
    const QStringList unsubscribed{"ann@x.org", "al@z.org", "name"};
    {
        // The task of a subscriber export less a plain list of addresses, ignoring case: the header
        // stays, rows go whole, and the header is no result.
        TestContext t;
        TestContext::fill(t.list1, kExport);
        TestContext::fill(t.list2, unsubscribed);
        t.window.setCompareOptions(CompareOptions{true, false});
        t.window.setMatchOn(1, MatchOn{2, U',', true});
        Buttons::click(t.context, 19);
        QCOMPARE(t.list1.texts(), (QStringList{"name,email,signup_date", "Bob,bob@y.org,2026", "Cy"}));
        QCOMPARE(t.list2.texts(), unsubscribed);
        QCOMPARE(t.window.lastResult(),
                 QString("Remove Matches: 2 removed from List 1 \u00B7 3 left \u00B7 ignoring case"));
    }
    {
        // The reference's column against the target's whole items, each pane its own choice.
        TestContext t;
        TestContext::fill(t.list1, unsubscribed);
        TestContext::fill(t.list2, kExport);
        t.window.setMatchOn(2, MatchOn{2, U',', true});
        Buttons::click(t.context, 19);
        QCOMPARE(t.list1.texts(), (QStringList{"ann@x.org", "name"}));
    }
    {
        // The set copies leave the header out and copy whole rows.
        TestContext t;
        ScriptedClipboard clipboard;
        TestContext::fill(t.list1, kExport);
        TestContext::fill(t.list2, unsubscribed);
        t.window.setMatchOn(1, MatchOn{2, U',', true});
        ListToolCommands::copyCompared(t.context, 1, ListTools::Compared::InBoth, clipboard, "origin");
        QCOMPARE(clipboard.text(), QString("\"Lee, Al\",al@z.org,2025\n"));
    }
}

QTEST_GUILESS_MAIN(ColumnCommandsTest)
#include "tst_columncommands.moc"
