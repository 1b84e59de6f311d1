// Bad files, hostile names and a window closed in the middle of every kind of command: each ends
// with an exact, expected outcome and nothing lost.
#include "app/Form1.h"
#include "hardening/HardeningSupport.h"
#include "listfiles/FileCommands.h"
#include "support/Buttons.h"
#include "support/TestServices.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class FaultsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void closingMidwayEndsTheCommandCleanly_data();
    void closingMidwayEndsTheCommandCleanly();
    void hostileNamesLoadAndSave_data();
    void hostileNamesLoadAndSave();
    void fileVanishingAfterTheDialogIsNotFound();
    void nulBytesStayInTheirItems();
    void aSingleHundredMegabyteLineLoadsAndSaves();
};

void FaultsTest::closingMidwayEndsTheCommandCleanly_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("answer");
    for (int button : {19, 12, 15, 8, 18, 11, 4, 5, 7, 6})
        QTest::addRow("list operation %d", button) << button << QString();
    QTest::newRow("with") << 17 << "user1";
    QTest::newRow("without") << 9 << "User";
    QTest::newRow("load") << 3 << QString();
    QTest::newRow("save") << 20 << QString();
}

void FaultsTest::closingMidwayEndsTheCommandCleanly() {
    QFETCH(int, button);
    QFETCH(QString, answer);
    QTemporaryDir dir;
    const QString listFile = dir.filePath("list.txt");
    const QByteArray oldBytes = "the old file\r\n";
    QVERIFY(writeFile(listFile, oldBytes));
    const QString bigFile = dir.filePath("big.txt");
    QByteArray big;
    for (int i = 0; i < 200000; ++i) big += "line " + QByteArray::number(i) + "\r\n";
    QVERIFY(writeFile(bigFile, big));

    TestServices t;
    t.dialogs.inputs << answer;
    t.dialogs.files << QStringList{button == 3 ? bigFile : listFile};
    t.dialogs.answers << Dialogs::Answer::Yes;
    Form1 form(t.services());
    QVERIFY(shown(form));
    form.list(1).appendBatch(generatedList(50000, 3, 20000));
    form.list(2).appendBatch(generatedList(50000, 4, 20000));
    const QStringList before[2] = {form.list(1).texts(), form.list(2).texts()};
    t.yielder.onYield = [&] {
        // The panes hold work that was never saved: the close is asked about, pane by pane, and
        // confirmed.
        t.dialogs.answers.prepend(Dialogs::Answer::Close);
        t.dialogs.answers.prepend(Dialogs::Answer::Close);
        form.close();
    };
    form.click(button);

    QVERIFY(form.yielder().cancelled());
    QVERIFY(t.yielder.yields >= 1);
    QVERIFY2(t.dialogs.errorReports().isEmpty(), qPrintable(t.dialogs.errorReports().join(" | ")));
    QCOMPARE(fileBytes(listFile), oldBytes);
    QCOMPARE(form.list(2).texts(), before[1]);
    if (button == 3) {
        // A load keeps what it had appended when the window closed, and nothing else.
        const QStringList now = form.list(1).texts();
        QCOMPARE(now.mid(0, before[0].size()), before[0]);
        for (int i = before[0].size(); i < now.size(); ++i)
            QCOMPARE(now[i], QStringLiteral("line %1").arg(i - before[0].size()));
    } else {
        // A list operation removes all it collected at once, or nothing.
        QCOMPARE(form.list(1).texts(), before[0]);
    }
}

void FaultsTest::hostileNamesLoadAndSave_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("spaces") << "  my list  .txt";
    QTest::newRow("non-ASCII") << "Grüße – 東京 ✓.txt";
    QTest::newRow("leading dash") << "-rf --list.txt";
    QTest::newRow("no extension") << "list";
    QTest::newRow("very long path") << QString(200, u'd') + "/" + QString(200, u'e') + "/" +
                                           QString(200, u'f') + "/" + QString(200, u'g') + "/" +
                                           QString(200, u'n') + ".txt";
}

void FaultsTest::hostileNamesLoadAndSave() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    TestContext t;
    TestContext::fill(t.list1, {"alpha", "", "Gamma δ"});
    t.dialogs.files << QStringList{path};
    Buttons::save(t.context, 1);
    QCOMPARE(t.dialogs.messageTexts(), QStringList{"Done."});
    QCOMPARE(fileBytes(path), QByteArray("alpha\r\n\r\nGamma \xce\xb4\r\n"));
    QVERIFY(!QFileInfo::exists(path + ".txt"));

    t.dialogs.files << QStringList{path};
    Buttons::load(t.context, 2);
    QCOMPARE(t.list2.texts(), t.list1.texts());
    QVERIFY(t.dialogs.errorReports().isEmpty());
}

void FaultsTest::fileVanishingAfterTheDialogIsNotFound() {
    QTemporaryDir dir;
    const QString path = dir.filePath("soon gone.txt");
    QVERIFY(writeFile(path, "a\r\n"));
    BasicTestContext<> t;
    StormDialogs dialogs;
    dialogs.openAnswer = {path};
    dialogs.beforeOpenAnswer = [&] { QFile::remove(path); };
    ErrorReporter reporter(dialogs);
    CommonDialog commonDialog(dialogs);
    CommandContext context{t.list1,  t.list2,   t.window,   dialogs,
                           reporter, t.yielder, t.progress, commonDialog};
    Buttons::load(context, 1);
    QCOMPARE(dialogs.messageTexts(), QStringList{"File not found"});
    QCOMPARE(t.list1.count(), 0);
    QCOMPARE(t.window.mousePointer(), 0);
}

void FaultsTest::nulBytesStayInTheirItems() {
    QTemporaryDir dir;
    const QString path = dir.filePath("nul.txt");
    QVERIFY(writeFile(path, QByteArray("a\0b\r\n\0\r\nc", 9)));
    TestContext t;
    t.dialogs.files << QStringList{path};
    Buttons::load(t.context, 1);
    QCOMPARE(t.list1.texts(), QStringList({QString::fromUtf8("a\0b", 3), QString(QChar(u'\0')), "c"}));
    const QString saved = dir.filePath("saved.txt");
    t.dialogs.files << QStringList{saved};
    Buttons::save(t.context, 1);
    QCOMPARE(fileBytes(saved), QByteArray("a\0b\r\n\0\r\nc\r\n", 11));
}

void FaultsTest::aSingleHundredMegabyteLineLoadsAndSaves() {
    QTemporaryDir dir;
    const QString path = dir.filePath("one line.txt");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray block(1 << 20, 'x');
        for (int i = 0; i < 100; ++i) QCOMPARE(file.write(block), qint64(block.size()));
    }
    TestContext t;
    t.yielder.onYield = nullptr;
    ScriptedYielder relaxed(std::chrono::milliseconds(15), 32);
    CommandContext context{t.list1,    t.list2, t.window,   t.dialogs,
                           t.reporter, relaxed, t.progress, t.commonDialog1};
    t.dialogs.files << QStringList{path};
    Buttons::load(context, 1);
    QCOMPARE(t.list1.count(), 1);
    QCOMPARE(t.list1.text(1).size(), qsizetype(100) << 20);
    const QString saved = dir.filePath("saved.txt");
    t.dialogs.files << QStringList{saved};
    Buttons::save(context, 1);
    QCOMPARE(QFileInfo(saved).size(), (qint64(100) << 20) + 2);
    QVERIFY(t.dialogs.errorReports().isEmpty());
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
