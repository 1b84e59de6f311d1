// Trim Spaces, Keep Only Repeated Items, Copy Items With Counts and the regular-expression filters,
// each run through its command against a plain oracle, under every compare option, on whole items
// and on a column below a header.
#include "ListTestSupport.h"
#include "commands/ListCommands.h"
#include "commands/ListToolCommands.h"
#include "support/TestServices.h"

#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <map>
#include <vector>

namespace {

using ListCommands::Id;

enum class Tool { Trim, Repeated, Counts, RemoveMatching, KeepOnlyMatching };

// What the commands compare: the whole item, or its second comma-separated field (no quotes in
// these items) below a header.
QString keyOf(const QString& item, const CompareOptions& options, bool column) {
    QString key = column ? item.section(u',', 1, 1) : item;
    if (options.ignoreCase) key = key.toCaseFolded();
    if (options.ignoreSpaces) key = key.trimmed();
    return key;
}

QStringList oracle(Tool tool, const QStringList& items, const CompareOptions& options, bool column,
                   const QString& pattern) {
    const qsizetype from = column ? 1 : 0;
    QStringList out = items.mid(0, from);
    std::map<QString, int> copies;
    std::vector<QString> order;
    for (qsizetype i = from; i < items.size(); ++i)
        if (copies[keyOf(items[i], options, column)]++ == 0) order.push_back(items[i]);
    std::map<QString, bool> seen;
    QRegularExpression re(pattern, options.ignoreCase ? QRegularExpression::CaseInsensitiveOption
                                                      : QRegularExpression::NoPatternOption);
    for (qsizetype i = from; i < items.size(); ++i) {
        const QString& item = items[i];
        const QString key = keyOf(item, options, column);
        // The pattern sees the key with the case as typed: only the spaces are taken off.
        QString seenKey = column ? item.section(u',', 1, 1) : item;
        if (options.ignoreSpaces) seenKey = seenKey.trimmed();
        switch (tool) {
            case Tool::Trim:
                out.append(item.trimmed());
                break;
            case Tool::Repeated:
                if (copies[key] > 1 && !seen[key]) out.append(item);
                seen[key] = true;
                break;
            case Tool::RemoveMatching:
            case Tool::KeepOnlyMatching:
                if (re.match(seenKey).hasMatch() == (tool == Tool::KeepOnlyMatching)) out.append(item);
                break;
            case Tool::Counts:
                break;
        }
    }
    if (tool != Tool::Counts) return out;
    std::stable_sort(order.begin(), order.end(), [&](const QString& a, const QString& b) {
        return copies[keyOf(a, options, column)] > copies[keyOf(b, options, column)];
    });
    QStringList lines;
    for (const QString& item : order)
        lines.append(QString::number(copies[keyOf(item, options, column)]) + u'\t' + item);
    return lines;
}

const QStringList kWhole{"red",   " red", "Red ", "blue",       "",
                         "  ",    "red",  "BLUE", "\u00C4pfel", "\u00E4pfel\u2003",
                         "green", "blue", "\tx"};
const QStringList kColumns{" Name , Colour ", " ann, red",      "bo,Red ",      "cy, blue",
                           "di,red",          "ed,  ",          "fay,",         "gus, green",
                           "hal,BLUE",        "ivy,\u00C4pfel", "jo,\u00E4pfel"};

}  // namespace

class TestListTextTools : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toolsMatchTheirOracles_data();
    void toolsMatchTheirOracles();
    void trimSaysHowManyChanged_data();
    void trimSaysHowManyChanged();
    void refusesAPatternItCannotUse_data();
    void refusesAPatternItCannotUse();
    void regexReadsItemsAsQtDoes_data();
    void regexReadsItemsAsQtDoes();
    void regexScanYieldsOnLongLists();
};

void TestListTextTools::toolsMatchTheirOracles_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<bool>("ignoreSpaces");
    QTest::addColumn<bool>("column");
    QTest::addColumn<QString>("pattern");
    const struct {
        const char* name;
        Tool tool;
        const char* pattern;
    } tools[] = {{"trim", Tool::Trim, ""},
                 {"repeated", Tool::Repeated, ""},
                 {"counts", Tool::Counts, ""},
                 {"remove ^red$", Tool::RemoveMatching, "^red$"},
                 {"keep \u00E4p|bl", Tool::KeepOnlyMatching, "\u00E4p|bl"},
                 {"keep ^$", Tool::KeepOnlyMatching, "^$"},
                 // A dot is a character, not a byte; \\w is ASCII only, as Qt has it.
                 {"keep ^.{5}$", Tool::KeepOnlyMatching, "^.{5}$"},
                 {"remove ^\\w+$", Tool::RemoveMatching, "^\\w+$"}};
    for (const auto& tool : tools)
        for (const bool column : {false, true})
            for (const int options : {0, 1, 2, 3})
                QTest::addRow("%s, %s, case %d spaces %d", tool.name, column ? "column 2" : "whole",
                              options & 1, options >> 1)
                    << int(tool.tool) << bool(options & 1) << bool(options >> 1) << column
                    << QString::fromUtf8(tool.pattern);
}

void TestListTextTools::toolsMatchTheirOracles() {
    QFETCH(int, tool);
    QFETCH(bool, ignoreCase);
    QFETCH(bool, ignoreSpaces);
    QFETCH(bool, column);
    QFETCH(QString, pattern);
    const CompareOptions options{ignoreCase, ignoreSpaces};
    const QStringList& items = column ? kColumns : kWhole;
    const QStringList expected = oracle(Tool(tool), items, options, column, pattern);

    TestContext t;
    TestContext::fill(t.list1, items);
    t.window.setCompareOptions(options);
    if (column) t.window.setMatchOn(1, MatchOn{2, U',', true});
    if (Tool(tool) == Tool::Counts) {
        ScriptedClipboard clipboard;
        ListToolCommands::copyWithCounts(t.context, 1, clipboard, "origin");
        QCOMPARE(clipboard.text(), expected.join(u'\n') + u'\n');
        QCOMPARE(t.list1.texts(), items);
        return;
    }
    const Id ids[] = {Id::TrimSpaces, Id::KeepOnlyRepeated, Id::TrimSpaces, Id::RemoveMatching,
                      Id::KeepOnlyMatching};
    t.dialogs.inputs.enqueue(pattern);
    ListCommands::click(t.context, ListCommands::command(ids[tool]), 1, "origin");
    QCOMPARE(t.list1.texts(), expected);
    QVERIFY2(t.dialogs.messageTexts().isEmpty(), qPrintable(t.dialogs.messageTexts().join(u'\n')));
    // One undo step gives the items back as they were.
    t.list1.undo();
    QCOMPARE(t.list1.texts(), items);
}

void TestListTextTools::trimSaysHowManyChanged_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("line");
    QTest::newRow("three") << QStringList{" a", "b", "c\u00A0", " Name "}
                           << "Trim Spaces: 3 items changed in List 1";
    QTest::newRow("one") << QStringList{"a", "b "} << "Trim Spaces: 1 item changed in List 1";
    QTest::newRow("none") << QStringList{"a", "b"} << "Trim Spaces: nothing changed in List 1";
}

void TestListTextTools::trimSaysHowManyChanged() {
    QFETCH(QStringList, items);
    QFETCH(QString, line);
    TestContext t;
    TestContext::fill(t.list1, items);
    const ListCommands::Command& trim = ListCommands::command(Id::TrimSpaces);
    ListCommands::click(t.context, trim, 1, "origin");
    QCOMPARE(t.window.lastResult(), line);
    // Trimmed once, nothing is left to change, and no undo step is kept for it.
    const qsizetype steps = t.list1.history().steps().count();
    ListCommands::click(t.context, trim, 1, "origin");
    QCOMPARE(t.window.lastResult(), QStringLiteral("Trim Spaces: nothing changed in List 1"));
    QCOMPARE(t.list1.history().steps().count(), steps);
}

void TestListTextTools::refusesAPatternItCannotUse_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("message");
    QTest::newRow("unclosed group")
        << "a(b"
        << "This regular expression is not valid: missing closing parenthesis at offset 3.";
    QTest::newRow("nothing to repeat")
        << "*a"
        << "This regular expression is not valid: quantifier does not follow a "
           "repeatable item at offset 0.";
    // The offset counts characters, as typed, not the bytes of the pattern.
    QTest::newRow("offset after non-ASCII")
        << "\u00E4\u00F6(b"
        << "This regular expression is not valid: missing closing parenthesis at offset 4.";
    // Nested repeats over a run that ends in a mismatch try every split of the run.
    QTest::newRow("backtracks without end")
        << "(a+)+$"
        << "The pattern is too costly: testing item 3 took more steps than allowed. Nothing was changed.";
}

void TestListTextTools::refusesAPatternItCannotUse() {
    QFETCH(QString, pattern);
    QFETCH(QString, message);
    const QStringList items{"b", "aab", QString(40, u'a') + u'b', "a"};
    for (const Id id : {Id::RemoveMatching, Id::KeepOnlyMatching}) {
        TestContext t;
        TestContext::fill(t.list1, items);
        t.window.setLastResult(QStringLiteral("before"));
        t.dialogs.inputs.enqueue(pattern);
        ListCommands::click(t.context, ListCommands::command(id), 1, "origin");
        QCOMPARE(t.list1.texts(), items);
        QCOMPARE(t.dialogs.messageTexts(), QStringList{message});
        QVERIFY(t.dialogs.errorReports().isEmpty());
        QCOMPARE(t.window.lastResult(), QStringLiteral("before"));
        QVERIFY(!t.window.busy());
    }
}

void TestListTextTools::regexReadsItemsAsQtDoes_data() {
    QTest::addColumn<QByteArrayList>("items");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QByteArrayList>("kept");
    // Bytes that are not UTF-8 (pasted or typed items never hold them, but a store may) are each
    // one replacement character.
    QTest::newRow("not UTF-8") << QByteArrayList{"caf\xE9", "cafe", "ca\xC3", "caf\xC3\xA9x"} << "^caf.$"
                               << QByteArrayList{"caf\xE9", "cafe"};
    // The replacement character itself is what such a byte reads as.
    QTest::newRow("not UTF-8, read as U+FFFD")
        << QByteArrayList{"caf\xE9", "cafe", "caf\xEF\xBF\xBD"} << "^caf\uFFFD$"
        << QByteArrayList{"caf\xE9", "caf\xEF\xBF\xBD"};
    // Backtracking well within the limit is no refusal.
    QTest::newRow("under the match limit")
        << QByteArrayList{QByteArray(18, 'a') + 'b', "a"} << "(a+)+$" << QByteArrayList{"a"};
}

void TestListTextTools::regexReadsItemsAsQtDoes() {
    QFETCH(QByteArrayList, items);
    QFETCH(QString, pattern);
    QFETCH(QByteArrayList, kept);
    TestContext t;
    for (const QByteArray& item : items) t.list1.append(QByteArrayView(item));
    t.dialogs.inputs.enqueue(pattern);
    ListCommands::click(t.context, ListCommands::command(Id::KeepOnlyMatching), 1, "origin");
    QVERIFY2(t.dialogs.messageTexts().isEmpty(), qPrintable(t.dialogs.messageTexts().join(u'\n')));
    QByteArrayList left;
    for (int p = 1; p <= t.list1.count(); ++p) left.append(t.list1.text(p).toByteArray());
    QCOMPARE(left, kept);
}

void TestListTextTools::regexScanYieldsOnLongLists() {
    TestContext t;
    QStringList items;
    for (int i = 0; i < 5000; ++i) items.append(QString::number(i));
    TestContext::fill(t.list1, items);
    t.dialogs.inputs.enqueue(QStringLiteral("7$"));
    ListCommands::click(t.context, ListCommands::command(Id::RemoveMatching), 1, "origin");
    QCOMPARE(t.list1.count(), 4500);
    // The scripted yielder is due at every chance: the scan lets the event loop run item by item.
    QVERIFY2(t.yielder.yields >= 5000, qPrintable(QString::number(t.yielder.yields)));
}

QTEST_GUILESS_MAIN(TestListTextTools)
#include "tst_listops_texttools.moc"
