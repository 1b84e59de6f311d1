#include "core/MainModule.h"
#include "core/Services.h"
#include "support/TestServices.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class MainModuleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appTitleIsCutBackAtSpaces_data();
    void appTitleIsCutBackAtSpaces();
    void fileExistsNeverFails_data();
    void fileExistsNeverFails();
    void homePageOpensOnlyOnADrawOfSeven_data();
    void homePageOpensOnlyOnADrawOfSeven();
    void filesBesideTheProgramUseThePlatformSeparator();
};

void MainModuleTest::appTitleIsCutBackAtSpaces_data() {
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<QString>("title");
    QTest::newRow("one word keeps the whole name") << "Brindlewick"
                                                   << "Brindlewick";
    QTest::newRow("last word always goes") << "Brindlewick List Tool"
                                           << "Brindlewick List";
    QTest::newRow("one word over 40 is cut to 40") << QString(45, u'x') << QString(40, u'x');
    QTest::newRow("cut repeats until 40 or less")
        << QString(30, u'a') + u' ' + QString(15, u'b') + u' ' + QStringLiteral("c") << QString(30, u'a');
    QTest::newRow("last space at 41 gives the first 40")
        << QString(40, u'a') + u' ' + QStringLiteral("tail") << QString(40, u'a');
}

void MainModuleTest::appTitleIsCutBackAtSpaces() {
    QFETCH(QString, displayName);
    QFETCH(QString, title);
    QCOMPARE(Main::AppTitleFor(displayName), title);
    QVERIFY(Main::AppTitleFor(displayName).size() <= 40);
}

void MainModuleTest::fileExistsNeverFails_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("exists");
    QTest::newRow("existing file") << "list.txt" << true;
    QTest::newRow("missing file") << "missing.txt" << false;
    QTest::newRow("empty path") << "" << false;
    QTest::newRow("below a file") << "list.txt/inner.txt" << false;
    QTest::newRow("bad characters") << QStringLiteral("a\u0000b") << false;
}

void MainModuleTest::fileExistsNeverFails() {
    QFETCH(QString, relative);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("list.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = relative.isEmpty() ? QString() : dir.filePath(relative);
    QCOMPARE(Main::FileExists(path), exists);
}

void MainModuleTest::homePageOpensOnlyOnADrawOfSeven_data() {
    QTest::addColumn<double>("random");
    QTest::addColumn<int>("draw");
    QTest::newRow("lowest") << 0.0 << 1;
    QTest::newRow("seven from 0.06") << 0.06 << 7;
    QTest::newRow("seven from 0.0699") << 0.0699 << 7;
    QTest::newRow("eight") << 0.07 << 8;
    QTest::newRow("highest") << 0.9999 << 100;
}

void MainModuleTest::homePageOpensOnlyOnADrawOfSeven() {
    QFETCH(double, random);
    QFETCH(int, draw);
    RecordingLauncher launcher;
    FixedClock clock;
    clock.seconds = 4242.5;
    FixedRandom source;
    source.value = random;
    QCOMPARE(Main::VisitHomePageAtRandom(clock, source, launcher), draw);
    QCOMPARE(source.seeds, QList<double>({4242.5}));
    if (draw == 7)
        QCOMPARE(launcher.opened, QList<QUrl>({QUrl(QString::fromLatin1(Main::kHomePage))}));
    else
        QVERIFY(launcher.opened.isEmpty());
}

void MainModuleTest::filesBesideTheProgramUseThePlatformSeparator() {
    const QString sep = QDir::separator();
    QCOMPARE(Main::besideProgram(QStringLiteral("prog"), QStringLiteral("x/o.cjs")),
             QStringLiteral("prog") + sep + u'x' + sep + QStringLiteral("o.cjs"));
    QCOMPARE(Main::besideProgram(QStringLiteral("prog"), QStringLiteral("HAND-M.CUR")),
             QStringLiteral("prog") + sep + QStringLiteral("HAND-M.CUR"));
}

QTEST_GUILESS_MAIN(MainModuleTest)
#include "tst_mainmodule.moc"
