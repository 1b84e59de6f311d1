#include "app/QtDialogs.h"

#include <QTest>

// The real dialogs need a person; what can go wrong without one is turning the common dialog's
// filter into Qt's name filters, which every Load and Save dialog does first.
class QtDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void turnsTheCommonFilterIntoNameFilters_data();
    void turnsTheCommonFilterIntoNameFilters();
};

void QtDialogsTest::turnsTheCommonFilterIntoNameFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("the commands' filter, ending in a separator")
        << "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"
        << QStringList{"Text Files (*.txt)", "All Files (*)"};
    QTest::newRow("no final separator") << "Lists|*.txt;*.csv" << QStringList{"Lists (*.txt *.csv)"};
    QTest::newRow("a description without patterns") << "Lists|*.txt|Orphan" << QStringList{"Lists (*.txt)"};
    QTest::newRow("empty") << "" << QStringList{};
}

void QtDialogsTest::turnsTheCommonFilterIntoNameFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(QtDialogs::nameFilters(filter), expected);
}

QTEST_MAIN(QtDialogsTest)
#include "tst_qtdialogs.moc"
