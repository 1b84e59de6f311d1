#include "ListTestSupport.h"

#include <QTest>

// RemoveBlanksFromList, RemoveItemsWith and RemoveItemsWithout.
class ListFiltersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void removesOnlyEmptyItems_data();
    void removesOnlyEmptyItems();
    void filtersByExactSubstring_data();
    void filtersByExactSubstring();
};

void ListFiltersTest::removesOnlyEmptyItems_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("expected");
    using L = QStringList;
    QTest::newRow("blanks between") << L{"a", "", "b", "", ""} << L{"a", "b"};
    QTest::newRow("white space is not blank") << L{" ", "\t", "x"} << L{" ", "\t", "x"};
    QTest::newRow("all blank") << L{"", "", ""} << L{};
}

void ListFiltersTest::removesOnlyEmptyItems() {
    QFETCH(QStringList, items);
    QFETCH(QStringList, expected);
    TestContext t;
    TestContext::fill(t.list1, items);
    runRoutine(t, "Blanks");
    QCOMPARE(t.list1.texts(), expected);
}

void ListFiltersTest::filtersByExactSubstring_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("afterWith");
    QTest::addColumn<QStringList>("afterWithout");
    using L = QStringList;
    QTest::newRow("case counts") << "abc" << L{"xabcx", "ABC", "abc", "Abc"} << L{"ABC", "Abc"}
                                 << L{"xabcx", "abc"};
    QTest::newRow("leading blank counts") << " a" << L{"ab", "x ab"} << L{"ab"} << L{"x ab"};
    QTest::newRow("single space") << " " << L{"a b", "ab", " "} << L{"ab"} << L{"a b", " "};
    QTest::newRow("empty item never contains")
        << "a" << L{"", "a", ""} << L{"", ""} << L{"a"};
    QTest::newRow("repeated items alike") << "o" << L{"on", "x", "on", "x"} << L{"x", "x"} << L{"on", "on"};
    QTest::newRow("longer than item") << "abcd" << L{"abc", "bcd"} << L{"abc", "bcd"} << L{};
    QTest::newRow("accent is not the plain letter") << "é" << L{"café", "cafe"} << L{"cafe"} << L{"café"};
}

void ListFiltersTest::filtersByExactSubstring() {
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    QFETCH(QStringList, afterWith);
    QFETCH(QStringList, afterWithout);
    for (const auto& [routine, expected] : {std::pair{QString("With"), afterWith}, {QString("Without"), afterWithout}}) {
        TestContext t;
        TestContext::fill(t.list1, items);
        runRoutine(t, routine, text);
        QCOMPARE(t.list1.texts(), expected);
    }
}

QTEST_GUILESS_MAIN(ListFiltersTest)
#include "tst_listops_filters.moc"
