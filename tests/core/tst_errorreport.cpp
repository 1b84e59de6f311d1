#include "core/ErrorReport.h"
#include "support/ScriptedDialogs.h"

#include <QTest>

namespace {
// A procedure whose failures are reported to dialogs the test reads.
struct Reported {
    ScriptedDialogs dialogs;
    ErrorReporter reporter{dialogs};
    Procedure p{reporter, QStringLiteral("in X.Y.Z ")};
};
}  // namespace

class ErrorReportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reportTextIsExact_data();
    void reportTextIsExact();
    void reportIsAWarningTitledApplicationError();
    void failingStatementIsReportedAndExecutionGoesOn();
    void failingConditionTakesTheTrueBranch();
    void failingLoopHeaderEntersTheBodyOnceAndEnds();
    void overflowingLoopStepEndsTheLoop();
    void loopsCountDownAndUp_data();
    void loopsCountDownAndUp();
    void outOfMemoryIsReportedNotFatal();
    void closingTheWindowIsNeverReported();
};

void ErrorReportTest::reportTextIsExact_data() {
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("procedure");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("command") << "Form1"
                             << "PushButton19_Click" << 110
                             << "Boom\r\nin Quorvel2021/08/31.Form1.PushButton19_Click at line 110\r\r"
                                "Please email screenshot of this message to support@brindlewick.example";
    QTest::newRow("routine") << "List"
                             << "KeepOnlyMatchesInList" << 1000
                             << "Boom\r\nin Quorvel2021/08/31.List.KeepOnlyMatchesInList at line 1000\r\r"
                                "Please email screenshot of this message to support@brindlewick.example";
}

void ErrorReportTest::reportTextIsExact() {
    QFETCH(QString, module);
    QFETCH(QString, procedure);
    QFETCH(int, line);
    QFETCH(QString, expected);
    QCOMPARE(ErrorReporter::text(QStringLiteral("Boom"), ErrorReporter::origin(module, procedure), line),
             expected);
}

void ErrorReportTest::reportIsAWarningTitledApplicationError() {
    ScriptedDialogs dialogs;
    ErrorReporter reporter(dialogs);
    Procedure p(reporter, ErrorReporter::origin(QStringLiteral("Form1"), QStringLiteral("Form_Load")));
    p.run(108, [] { throw RunTimeError(QStringLiteral("Invalid picture"), 481); });
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].title, QStringLiteral("Application Error"));
    QCOMPARE(dialogs.messages[0].icon, Dialogs::Icon::Warning);
    QCOMPARE(dialogs.messages[0].buttons, Dialogs::Buttons::Ok);
    QVERIFY(dialogs.messages[0].text.startsWith(
        QStringLiteral("Invalid picture\r\nin Quorvel2021/08/31.Form1.Form_Load at line 108\r\r")));
}

void ErrorReportTest::failingStatementIsReportedAndExecutionGoesOn() {
    Reported r;
    QStringList ran;
    QVERIFY(r.p.run(100, [&] { ran << QStringLiteral("100"); }));
    QVERIFY(!r.p.run(102, [&] { throw RunTimeError(QStringLiteral("first")); }));
    QVERIFY(!r.p.run(104, [&] { throw RunTimeError(QStringLiteral("second")); }));
    QVERIFY(r.p.run(106, [&] { ran << QStringLiteral("106"); }));
    QCOMPARE(ran, QStringList({QStringLiteral("100"), QStringLiteral("106")}));
    QCOMPARE(r.p.failures(), 2);
    QCOMPARE(r.dialogs.errorReports().size(), 2);
    QVERIFY(r.dialogs.errorReports()[1].contains(QStringLiteral("at line 104")));
}

void ErrorReportTest::failingConditionTakesTheTrueBranch() {
    Reported r;
    QVERIFY(r.p.test(104, []() -> bool { throw RunTimeError(QStringLiteral("count failed")); }));
    QVERIFY(!r.p.test(106, [] { return false; }));
    QCOMPARE(r.dialogs.errorReports().size(), 1);
    QVERIFY(r.dialogs.errorReports()[0].contains(QStringLiteral("at line 104")));
}

void ErrorReportTest::failingLoopHeaderEntersTheBodyOnceAndEnds() {
    Reported r;
    QList<int> counters;
    r.p.forLoop(
        132, 138, []() -> Procedure::Range { throw RunTimeError(QStringLiteral("bounds")); },
        [&](int i) { counters << i; });
    QCOMPARE(counters, QList<int>({0}));
    QVERIFY(r.dialogs.errorReports().value(0).contains(QStringLiteral("at line 132")));
}

void ErrorReportTest::overflowingLoopStepEndsTheLoop() {
    Reported r;
    const int max = std::numeric_limits<int>::max();
    QList<int> counters;
    r.p.forLoop(
        102, 118,
        [&] {
            return Procedure::Range{max - 1, max, 1};
        },
        [&](int i) { counters << i; });
    QCOMPARE(counters, QList<int>({max - 1, max}));
    QCOMPARE(r.dialogs.errorReports().size(), 1);
    QVERIFY(r.dialogs.errorReports()[0].startsWith(QStringLiteral("Overflow\r\n")));
    QVERIFY(r.dialogs.errorReports()[0].contains(QStringLiteral("at line 118")));
}

void ErrorReportTest::loopsCountDownAndUp_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("step");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("up") << 1 << 3 << 1 << QList<int>{1, 2, 3};
    QTest::newRow("down") << 3 << 1 << -1 << QList<int>{3, 2, 1};
    QTest::newRow("empty up") << 1 << 0 << 1 << QList<int>{};
    QTest::newRow("empty down") << -1 << 0 << -1 << QList<int>{};
}

void ErrorReportTest::loopsCountDownAndUp() {
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, step);
    QFETCH(QList<int>, expected);
    Reported r;
    QList<int> counters;
    r.p.forLoop(
        1, 2,
        [&] {
            return Procedure::Range{first, last, step};
        },
        [&](int i) { counters << i; });
    QCOMPARE(counters, expected);
    QVERIFY(r.dialogs.messages.isEmpty());
}

void ErrorReportTest::outOfMemoryIsReportedNotFatal() {
    Reported r;
    QVERIFY(!r.p.run(120, [] { throw std::bad_alloc(); }));
    QVERIFY(r.dialogs.errorReports().value(0).startsWith(QStringLiteral("Out of memory\r\n")));
}

void ErrorReportTest::closingTheWindowIsNeverReported() {
    Reported r;
    bool unwound = false;
    try {
        r.p.run(100, [] { throw Cancelled{}; });
    } catch (const Cancelled&) {
        unwound = true;
    }
    QVERIFY(unwound);
    QVERIFY(r.dialogs.messages.isEmpty());
}

QTEST_GUILESS_MAIN(ErrorReportTest)
#include "tst_errorreport.moc"
