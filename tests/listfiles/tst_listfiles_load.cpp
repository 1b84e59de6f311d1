#include "ListFileTestSupport.h"
#include "listfiles/FileCommands.h"
#include "support/Buttons.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kNotFound = u"File not found"_s;

QStringList fixtures(const QStringList& names) {
    QStringList paths;
    for (const QString& name : names) paths.append(fixture(name));
    return paths;
}
}  // namespace

class LoadCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dialogIsSetUpAndCancelChangesNothing_data();
    void dialogIsSetUpAndCancelChangesNothing();
    void chosenFilesLoadInDialogOrder_data();
    void chosenFilesLoadInDialogOrder();
    void tooManyFilesLoadNothing();
    void unreadableFileIsReportedAndTheNextLoads_data();
    void unreadableFileIsReportedAndTheNextLoads();
    void unreadableByPermissionIsReported();
    void fileTooLargeForTheMemoryLeftIsRefused_data();
    void fileTooLargeForTheMemoryLeftIsRefused();
    void hugeFileIsRefusedAtOnce_data();
    void hugeFileIsRefusedAtOnce();
    void fileCutShortWhileLoadingIsSaidAndItsItemsStay();
    void closingTheWindowKeepsItemsAlreadyLoaded();
    void aPaneInUseIsNotLoadedInto_data();
    void aPaneInUseIsNotLoadedInto();
};

void LoadCommandTest::dialogIsSetUpAndCancelChangesNothing_data() {
    QTest::addColumn<int>("list");
    QTest::newRow("list 1") << 1;
    QTest::newRow("list 2") << 2;
}

void LoadCommandTest::dialogIsSetUpAndCancelChangesNothing() {
    QFETCH(int, list);
    TestContext t;
    t.context.pane(list).append(QByteArrayView("kept"));
    // Left over from an earlier save: every load sets all four properties again.
    t.commonDialog1.setFileName(u"/old/name.txt"_s);
    t.commonDialog1.setDialogTitle(u"Save"_s);
    int pointerChanges = 0;
    connect(&t.window, &WindowState::mousePointerChanged, this, [&] { ++pointerChanges; });
    Buttons::load(t.context, list);
    QCOMPARE(t.commonDialog1.flags(), 2621953);
    QCOMPARE(t.commonDialog1.dialogTitle(), u"Load List(s) - Hold Ctrl to select multiple list files"_s);
    QCOMPARE(
        t.commonDialog1.filter(),
        u"Text and CSV Files (*.txt *.csv *.tsv)|*.txt;*.csv;*.tsv|Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"_s);
    QCOMPARE(t.dialogs.fileRequests.size(), 1);
    const Dialogs::FileRequest& request = t.dialogs.fileRequests.constFirst();
    QCOMPARE(request.mode, Dialogs::FileRequest::Mode::Open);
    QCOMPARE(request.title, t.commonDialog1.dialogTitle());
    QCOMPARE(request.filter, t.commonDialog1.filter());
    QVERIFY(request.multiSelect);
    QCOMPARE((list == 1 ? t.list1 : t.list2).texts(), QStringList{u"kept"_s});
    QVERIFY(t.dialogs.messages.isEmpty());
    QCOMPARE(pointerChanges, 0);
}

void LoadCommandTest::chosenFilesLoadInDialogOrder_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    QTest::newRow("one file, crlf") << QStringList{u"crlf-a-empty-b.txt"_s}
                                    << QStringList{u"a"_s, QString(), u"b"_s} << none;
    QTest::newRow("one file, lf") << QStringList{u"lf-lines.txt"_s}
                                  << QStringList{u"one"_s, u"two"_s, u"three"_s} << none;
    QTest::newRow("one file, cr") << QStringList{u"cr-lines.txt"_s} << QStringList{u"x"_s, u"y"_s} << none;
    QTest::newRow("one file, mixed") << QStringList{u"mixed-no-final-end.txt"_s}
                                     << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s} << none;
    QTest::newRow("byte-order mark") << QStringList{u"utf8-with-bom.txt"_s} << QStringList{u"Grüße"_s, u"b"_s}
                                     << none;
    QTest::newRow("windows-1252") << QStringList{u"windows-1252.txt"_s} << QStringList{u"café"_s, u"€ 5"_s}
                                  << none;
    QTest::newRow("empty file") << QStringList{u"empty.txt"_s} << QStringList() << none;
    QTest::newRow("two files") << QStringList{u"first.txt"_s, u"second.txt"_s}
                               << QStringList{u"first 1"_s, u"first 2"_s, u"second 1"_s, u"second 2"_s}
                               << none;
    QTest::newRow("two files, other order")
        << QStringList{u"second.txt"_s, u"first.txt"_s}
        << QStringList{u"second 1"_s, u"second 2"_s, u"first 1"_s, u"first 2"_s} << none;
    QTest::newRow("missing file alone")
        << QStringList{u"missing.txt"_s} << QStringList() << QStringList{kNotFound};
    QTest::newRow("missing file among several")
        << QStringList{u"first.txt"_s, u"missing.txt"_s, u"second.txt"_s}
        << QStringList{u"first 1"_s, u"first 2"_s, u"second 1"_s, u"second 2"_s} << QStringList{kNotFound};
}

void LoadCommandTest::chosenFilesLoadInDialogOrder() {
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, messages);
    TestContext t;
    t.list2.append(u"existing"_s);
    t.window.setLoadedFrom(2, {u"/earlier.txt"_s});
    t.dialogs.files.enqueue(fixtures(names));
    QList<int> pointers;
    t.yielder.onYield = [&] { pointers.append(t.window.mousePointer()); };
    t.dialogs.onMessage = [&](const ScriptedDialogs::Message&) { pointers.append(t.window.mousePointer()); };
    Buttons::load(t.context, 2);
    QCOMPARE(t.list2.texts(), QStringList{u"existing"_s} + expected);
    QCOMPARE(t.dialogs.messageTexts(), messages);
    // The header names the files that added items.
    QStringList loaded = fixtures(names);
    loaded.removeIf([](const QString& path) { return QFileInfo(path).size() == 0; });
    // A load that added nothing leaves what the header said.
    QCOMPARE(t.window.loadedFrom(2), loaded.isEmpty() ? QStringList{u"/earlier.txt"_s} : loaded);
    for (const ScriptedDialogs::Message& m : t.dialogs.messages) {
        QCOMPARE(m.title, u"Brindlewick"_s);
        QCOMPARE(m.buttons, Dialogs::Buttons::Ok);
        QCOMPARE(m.icon, Dialogs::Icon::None);
    }
    // The wait pointer shows while files are read and "File not found" is open; Busy stays clear.
    QCOMPARE(pointers, QList<int>(pointers.size(), WindowState::WaitPointer));
    QCOMPARE(t.window.mousePointer(), int(WindowState::DefaultPointer));
    QVERIFY(!t.window.busy());
}

void LoadCommandTest::tooManyFilesLoadNothing() {
    TestContext t;
    t.list1.append(u"kept"_s);
    QStringList paths;
    // 200 names of 160 characters each overflow the 30000-character buffer.
    for (int i = 0; i < 200; ++i) paths.append(fixture(u"%1-%2.txt"_s.arg(i).arg(QString(150, u'n'))));
    paths.prepend(fixture(u"first.txt"_s));
    t.dialogs.files.enqueue(paths);
    int pointerChanges = 0;
    connect(&t.window, &WindowState::mousePointerChanged, this, [&] { ++pointerChanges; });
    Buttons::load(t.context, 1);
    QCOMPARE(
        t.dialogs.messageTexts(),
        QStringList{
            u"You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button."_s});
    const ScriptedDialogs::Message& m = t.dialogs.messages.constFirst();
    QCOMPARE(m.title, u"Brindlewick"_s);
    QCOMPARE(m.buttons, Dialogs::Buttons::Ok);
    QCOMPARE(m.icon, Dialogs::Icon::None);
    QCOMPARE(t.list1.texts(), QStringList{u"kept"_s});
    QCOMPARE(pointerChanges, 0);
}

void LoadCommandTest::unreadableFileIsReportedAndTheNextLoads_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("a folder chosen alone") << QStringList{u"folder"_s} << 120 << QStringList();
    QTest::newRow("a folder among files")
        << QStringList{u"folder"_s, u"a.txt"_s} << 134 << QStringList{u"a"_s};
#ifdef Q_OS_UNIX
    QTest::newRow("a device among files") << QStringList{u"fifo"_s, u"a.txt"_s} << 134 << QStringList{u"a"_s};
#endif
}

void LoadCommandTest::unreadableFileIsReportedAndTheNextLoads() {
    QFETCH(QStringList, names);
    QFETCH(int, line);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
#ifdef Q_OS_UNIX
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(u"fifo"_s)).constData(), 0600), 0);
#endif
    QVERIFY(writeFile(dir.filePath(u"a.txt"_s), "a\r\n"));
    TestContext t;
    QStringList paths;
    for (const QString& name : names) paths.append(dir.filePath(name));
    t.dialogs.files.enqueue(paths);
    Buttons::load(t.context, 1);
    QCOMPARE(t.list1.texts(), expected);
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].startsWith(u"Path/File access error: "_s + paths[0]), qPrintable(reports[0]));
    QVERIFY2(reports[0].contains(u"Form1.PushButton3_Click at line %1\r\r"_s.arg(line)),
             qPrintable(reports[0]));
    QCOMPARE(t.window.mousePointer(), int(WindowState::DefaultPointer));
}

void LoadCommandTest::unreadableByPermissionIsReported() {
    if (runningAsRoot())
        QSKIP("root reads files whatever their permissions; the folder and fifo rows cover this");
    QTemporaryDir dir;
    const QString path = dir.filePath(u"secret.txt"_s);
    QVERIFY(writeFile(path, "x\r\n"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    TestContext t;
    t.dialogs.files.enqueue({path});
    Buttons::load(t.context, 2);
    QCOMPARE(t.list2.count(), 0);
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].startsWith(u"Permission denied: "_s + path), qPrintable(reports[0]));
    QVERIFY(reports[0].contains(u"Form1.PushButton14_Click at line 120"_s));
}

void LoadCommandTest::fileTooLargeForTheMemoryLeftIsRefused_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<std::optional<qint64>>("available");
    QTest::addColumn<int>("reportedAt");
    QTest::addColumn<QStringList>("expected");
    // big.txt: 100 lines of 98 characters, 10,000 bytes; in a pane about 10,800.
    QStringList big;
    for (int i = 0; i < 100; ++i) big.append(QString(98, u'x'));
    QTest::newRow("alone") << QStringList{u"big.txt"_s} << std::optional<qint64>(5000) << 120
                           << QStringList();
    QTest::newRow("among several, the next still loads")
        << QStringList{u"big.txt"_s, u"a.txt"_s} << std::optional<qint64>(5000) << 134 << QStringList{u"a"_s};
    QTest::newRow("fits once its lines are counted")
        << QStringList{u"big.txt"_s} << std::optional<qint64>(20000) << 0 << big;
    QTest::newRow("no figure, no check") << QStringList{u"big.txt"_s} << std::optional<qint64>() << 0 << big;
}

void LoadCommandTest::fileTooLargeForTheMemoryLeftIsRefused() {
    QFETCH(QStringList, names);
    QFETCH(std::optional<qint64>, available);
    QFETCH(int, reportedAt);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QByteArray bytes;
    for (int i = 0; i < 100; ++i) bytes += QByteArray(98, 'x') + "\r\n";
    QVERIFY(writeFile(dir.filePath(u"big.txt"_s), bytes));
    QVERIFY(writeFile(dir.filePath(u"a.txt"_s), "a\r\n"));
    TestContext t;
    ScriptedMemory memory;
    memory.bytes = available;
    t.context.memory = &memory;
    t.list1.append(u"one"_s);
    t.list2.append(u"two"_s);
    QStringList paths;
    for (const QString& name : names) paths.append(dir.filePath(name));
    t.dialogs.files.enqueue(paths);
    Buttons::load(t.context, 1);
    QCOMPARE(t.list1.texts(), QStringList{u"one"_s} + expected);
    QCOMPARE(t.list2.texts(), QStringList{u"two"_s});
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), reportedAt ? 1 : 0);
    if (reportedAt)
        QVERIFY2(reports[0].startsWith(
                     u"Out of memory\r\nin Quorvel2021/08/31.Form1.PushButton3_Click at line %1\r\r"_s.arg(
                         reportedAt)),
                 qPrintable(reports[0]));
}

void LoadCommandTest::hugeFileIsRefusedAtOnce_data() {
    QTest::addColumn<qint64>("available");
    QTest::newRow("1 GB left") << (qint64(1) << 30);
    QTest::newRow("just under the file's size") << (qint64(256) << 30) - 1;
}

// A 256 GB file (sparse: it takes no disk) gets its refusal at once, as the load's report.
void LoadCommandTest::hugeFileIsRefusedAtOnce() {
    QFETCH(qint64, available);
    QTemporaryDir dir;
    QFile huge(dir.filePath(u"huge.txt"_s));
    if (!huge.open(QIODevice::WriteOnly) || !huge.resize(qint64(256) << 30))
        QSKIP("no sparse file of 256 GB here");
    huge.close();
    TestContext t;
    ScriptedMemory memory;
    memory.bytes = available;
    t.context.memory = &memory;
    t.dialogs.files.enqueue({huge.fileName()});
    // Each piece of the file read yields here, and counting the lines of all of it would take hours:
    // a load that reads more than a few pieces is cancelled.
    constexpr int kFewPieces = 4;
    t.yielder.onYield = [&] {
        if (t.yielder.yields >= kFewPieces) t.yielder.cancel();
    };
    QVERIFY_THROWS_NO_EXCEPTION(Buttons::load(t.context, 1));
    QCOMPARE(t.list1.count(), 0);
    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(
        reports[0].startsWith(u"Out of memory\r\nin Quorvel2021/08/31.Form1.PushButton3_Click at line 120"_s),
        qPrintable(reports[0]));
}

void LoadCommandTest::fileCutShortWhileLoadingIsSaidAndItsItemsStay() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"shrinking.txt"_s);
    QByteArray bytes;
    for (int i = 1; i <= 60'000; ++i) bytes += "line " + QByteArray::number(i) + "\r\n";
    QVERIFY(writeFile(path, bytes));
    TestContext t;
    t.dialogs.files.enqueue({path});
    // Another program cuts the file at its first yield.
    t.yielder.onYield = [&] { QFile::resize(path, 100'000); };
    Buttons::load(t.context, 1);
    QVERIFY(t.list1.count() > 0 && t.list1.count() < 60'000);
    QCOMPARE(t.list1.textAt(1), u"line 1"_s);
    QVERIFY(t.dialogs.errorReports().isEmpty());
    QCOMPARE(
        t.dialogs.messageTexts(),
        QStringList{u"The file "_s + path +
                    u" became shorter while it was loading. The items read before its end were added."_s});
    const ScriptedDialogs::Message& m = t.dialogs.messages.constFirst();
    QCOMPARE(m.title, u"Brindlewick"_s);
    QCOMPARE(m.buttons, Dialogs::Buttons::Ok);
    QCOMPARE(m.icon, Dialogs::Icon::None);
}

void LoadCommandTest::closingTheWindowKeepsItemsAlreadyLoaded() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"long.txt"_s);
    QByteArray bytes;
    for (int i = 1; i <= 5000; ++i) bytes += "line " + QByteArray::number(i) + "\r\n";
    QVERIFY(writeFile(path, bytes));
    TestContext t;
    t.dialogs.files.enqueue({path});
    // The window closes once the first lines are in the pane.
    t.yielder.onYield = [&] {
        if (t.list1.count() > 0) t.yielder.cancel();
    };
    QVERIFY_THROWS_EXCEPTION(Cancelled, Buttons::load(t.context, 1));
    QVERIFY(t.list1.count() > 0 && t.list1.count() < 5000);
    QCOMPARE(t.list1.textAt(1), u"line 1"_s);
    QCOMPARE(t.list1.textAt(t.list1.count()), u"line %1"_s.arg(t.list1.count()));
    QVERIFY(t.dialogs.errorReports().isEmpty());
}

void LoadCommandTest::aPaneInUseIsNotLoadedInto_data() {
    QTest::addColumn<bool>("drop");
    QTest::newRow("Load button asks nothing") << false;
    QTest::newRow("drop") << true;
}

void LoadCommandTest::aPaneInUseIsNotLoadedInto() {
    QFETCH(bool, drop);
    TestContext t;
    t.list1.append(u"kept"_s);
    t.dialogs.files.enqueue({fixture(u"first.txt"_s)});
    const AnotherCommand other(t.window, WindowState::DefaultPointer, 1);
    if (drop)
        FileCommands::loadChosenFiles(t.context, 1, ChosenFiles::fromPaths({fixture(u"first.txt"_s)}),
                                      u"drop"_s);
    else
        Buttons::load(t.context, 1);
    QCOMPARE(t.list1.texts(), QStringList{u"kept"_s});
    QVERIFY(t.dialogs.fileRequests.isEmpty() && t.dialogs.messages.isEmpty());
    QCOMPARE(t.window.mousePointer(), int(WindowState::DefaultPointer));
}

QTEST_GUILESS_MAIN(LoadCommandTest)
#include "tst_listfiles_load.moc"
