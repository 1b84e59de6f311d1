#include "ListFileTestSupport.h"
#include "core/CommonDialog.h"
#include "listfiles/PathRepair.h"

#include <QTest>

class PathRepairTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pairsOfTheSeparatorBecomeSingle_data();
    void pairsOfTheSeparatorBecomeSingle();
    void chosenFilesJoinUnderTheirFolder_data();
    void chosenFilesJoinUnderTheirFolder();
    void rootFolderAnswerGivesSingleSlashPaths();
};

void PathRepairTest::pairsOfTheSeparatorBecomeSingle_data() {
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    const auto windows = [](const char* name, const QString& path, const QString& expected) {
        QTest::addRow("windows, %s", name) << QChar(u'\\') << path << expected;
    };
    windows("no doubles", u"C:\\Lists\\a.txt"_s, u"C:\\Lists\\a.txt"_s);
    windows("root of a drive", u"C:\\\\a.txt"_s, u"C:\\a.txt"_s);
    windows("run of two", u"C:\\x\\\\a.txt"_s, u"C:\\x\\a.txt"_s);
    windows("run of three", u"C:\\x\\\\\\a.txt"_s, u"C:\\x\\\\a.txt"_s);
    windows("run of four", u"C:\\x\\\\\\\\a.txt"_s, u"C:\\x\\\\a.txt"_s);
    windows("trailing pair", u"C:\\x\\\\"_s, u"C:\\x\\"_s);
    windows("network share unchanged", u"\\\\server\\share\\a.txt"_s, u"\\\\server\\share\\a.txt"_s);
    windows("network, one leading", u"\\server\\a.txt"_s, u"\\\\server\\a.txt"_s);
    windows("network, three leading", u"\\\\\\server\\a.txt"_s, u"\\\\server\\a.txt"_s);
    windows("network, pairs inside", u"\\\\server\\\\share\\\\\\a"_s, u"\\\\server\\share\\\\a"_s);
    windows("only separators", u"\\\\\\"_s, u"\\\\"_s);
    windows("empty", QString(), QString());
    windows("slashes are not separators", u"a//b"_s, u"a//b"_s);
    const auto posix = [](const char* name, const QString& path, const QString& expected) {
        QTest::addRow("posix, %s", name) << QChar(u'/') << path << expected;
    };
    posix("plain", u"/home/u/a.txt"_s, u"/home/u/a.txt"_s);
    posix("root folder join", u"//a.txt"_s, u"/a.txt"_s);
    posix("leading run of three", u"///a.txt"_s, u"/a.txt"_s);
    posix("run of three inside", u"/x///a.txt"_s, u"/x//a.txt"_s);
    posix("run of four inside", u"/x////a.txt"_s, u"/x//a.txt"_s);
    posix("root alone", u"/"_s, u"/"_s);
    posix("relative with pair", u"x//a"_s, u"x/a"_s);
    posix("backslash is a name character", u"/x\\\\a"_s, u"/x\\\\a"_s);
}

void PathRepairTest::pairsOfTheSeparatorBecomeSingle() {
    QFETCH(QChar, separator);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(RemoveDoubleBackslashes(path, separator), expected);
    // This platform's separator is '/', and it is the default.
    if (separator == u'/') QCOMPARE(RemoveDoubleBackslashes(path), expected);
}

void PathRepairTest::chosenFilesJoinUnderTheirFolder_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("windows subfolder")
        << u"C:\\Lists"_s << u"a.txt"_s << QChar(u'\\') << u"C:\\Lists\\a.txt"_s;
    QTest::newRow("windows drive root") << u"C:\\"_s << u"a.txt"_s << QChar(u'\\') << u"C:\\a.txt"_s;
    QTest::newRow("windows share") << u"\\\\srv\\share"_s << u"a.txt"_s << QChar(u'\\')
                                   << u"\\\\srv\\share\\a.txt"_s;
    QTest::newRow("unix folder") << u"/home/u"_s << u"a.txt"_s << QChar(u'/') << u"/home/u/a.txt"_s;
    QTest::newRow("unix root") << u"/"_s << u"a.txt"_s << QChar(u'/') << u"/a.txt"_s;
}

void PathRepairTest::chosenFilesJoinUnderTheirFolder() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    const QString joined = PathRepair::joinChosenPath(folder, name, separator);
    QCOMPARE(RemoveDoubleBackslashes(joined, separator), expected);
}

void PathRepairTest::rootFolderAnswerGivesSingleSlashPaths() {
    const QString answer = CommonDialog::openAnswer({u"/a.txt"_s, u"/b.txt"_s});
    QCOMPARE(answer, QString(u"/\0a.txt\0b.txt"_s));
    const QStringList parts = answer.split(QChar(u'\0'));
    QCOMPARE(PathRepair::joinChosenPath(parts[0], parts[1]), u"//a.txt"_s);
    QCOMPARE(RemoveDoubleBackslashes(PathRepair::joinChosenPath(parts[0], parts[2])), u"/b.txt"_s);
}

QTEST_GUILESS_MAIN(PathRepairTest)
#include "tst_listfiles_pathrepair.moc"
