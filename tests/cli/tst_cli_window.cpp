#include "app/Form1.h"
#include "support/Files.h"
#include "support/TestServices.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Files named on the window's command line load as the Load buttons load them.
class TstCliWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(writeFile(path(u"one.txt"_s), "a\r\nb\r\n"));
        QVERIFY(writeFile(path(u"two.txt"_s), "caf\xe9\nd"));
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }

    void loadsEachFileIntoItsList_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("list1");
        QTest::addColumn<QStringList>("list2");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("one") << QStringList{u"one.txt"_s} << QStringList{u"a"_s, u"b"_s} << QStringList{}
                             << QStringList{};
        QTest::newRow("two, relative and absolute")
            << QStringList{u"one.txt"_s, path(u"two.txt"_s)} << QStringList{u"a"_s, u"b"_s}
            << QStringList{u"café"_s, u"d"_s} << QStringList{};
        QTest::newRow("missing") << QStringList{u"missing.txt"_s, u"two.txt"_s} << QStringList{}
                                 << QStringList{u"café"_s, u"d"_s} << QStringList{u"File not found"_s};
        QTest::newRow("three") << QStringList{u"one.txt"_s, u"two.txt"_s, u"one.txt"_s} << QStringList{}
                               << QStringList{}
                               << QStringList{
                                      u"Brindlewick opens at most two files: the first into List 1, "
                                      "the second into List 2. No file was loaded."_s};
    }
    void loadsEachFileIntoItsList() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, list1);
        QFETCH(QStringList, list2);
        QFETCH(QStringList, messages);
        TestServices services;
        Form1 window(services.services());
        window.loadFromCommandLine(files);
        QCOMPARE(window.list(1).texts(), list1);
        QCOMPARE(window.list(2).texts(), list2);
        QCOMPARE(services.dialogs.messageTexts(), messages);
        for (const auto& message : services.dialogs.messages) QCOMPARE(message.title, u"Brindlewick"_s);
    }
};

QTEST_MAIN(TstCliWindow)
#include "tst_cli_window.moc"
