#include "ListTestSupport.h"

#include <QTest>

// RemoveDupesExceptFirst and RemoveDupesAll: which occurrence of a repeated text stays.
class ListDupesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keepsFirstOccurrence_data();
    void keepsFirstOccurrence();
    void keepsLastOccurrence_data();
    void keepsLastOccurrence();

private:
    static void check(const QString& routine);
};

void ListDupesTest::check(const QString& routine) {
    QFETCH(QStringList, items);
    QFETCH(QStringList, expected);
    TestContext t;
    TestContext::fill(t.list1, items);
    TestContext::fill(t.list2, {"a"});
    runRoutine(t, routine);
    QCOMPARE(t.list1.texts(), expected);
    QCOMPARE(t.list2.texts(), QStringList{"a"});
    QVERIFY(t.dialogs.messages.isEmpty());
}

void ListDupesTest::keepsFirstOccurrence_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("expected");
    using L = QStringList;
    QTest::newRow("interleaved repeats") << L{"a", "b", "a", "c", "b", "a"} << L{"a", "b", "c"};
    QTest::newRow("blanks") << L{"", "x", "", ""} << L{"", "x"};
    QTest::newRow("case and spaces differ") << L{"a", "A", "a "} << L{"a", "A", "a "};
    QTest::newRow("all equal") << L{"q", "q", "q", "q"} << L{"q"};
    QTest::newRow("single item") << L{"z"} << L{"z"};
}

void ListDupesTest::keepsFirstOccurrence() {
    check("ExceptFirst");
}

void ListDupesTest::keepsLastOccurrence_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("expected");
    using L = QStringList;
    QTest::newRow("interleaved repeats") << L{"a", "b", "a", "c", "b", "a"} << L{"c", "b", "a"};
    QTest::newRow("pair") << L{"a", "a"} << L{"a"};
    QTest::newRow("unique item survives") << L{"a", "x", "a", "a"} << L{"x", "a"};
    QTest::newRow("blanks") << L{"", "x", ""} << L{"x", ""};
    QTest::newRow("case and spaces differ") << L{"a", "A", "a "} << L{"a", "A", "a "};
    QTest::newRow("all equal") << L{"q", "q", "q", "q", "q"} << L{"q"};
}

void ListDupesTest::keepsLastOccurrence() {
    check("All");
}

QTEST_GUILESS_MAIN(ListDupesTest)
#include "tst_listops_dupes.moc"
