#include "ListFileTestSupport.h"
#include "core/TaskThreads.h"
#include "listfiles/FileCommands.h"
#include "support/Buttons.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {
const QString kDone = u"Done."_s;

// Ways of making a save fail that hold for root too, except where noted.
enum class Failure {
    ParentIsAFile,
    TargetIsAFolder,
    TargetIsAPipe,
    ReadOnlyFolder,
    ReadOnlyFile,
    FileSizeLimit,
    FolderVanishes
};

#ifdef Q_OS_UNIX
// Caps the size of files this process writes, the way a full disk would, for one scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
#endif

void fillPane(PaneModel& pane, int count) {
    for (int i = 1; i <= count; ++i) pane.append(u"item %1"_s.arg(i));
}

#ifdef Q_OS_LINUX
// This process's descriptors on files removed from `folder`, as /proc names them.
int descriptorsOnRemovedFiles(const QString& folder) {
    const QDir descriptors(u"/proc/self/fd"_s);
    const QString prefix = QDir(folder).canonicalPath() + u'/';
    int count = 0;
    for (const QString& name :
         descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[4096];
        const ssize_t size =
            ::readlink(QFile::encodeName(descriptors.filePath(name)).constData(), target, sizeof target);
        const QString file = QFile::decodeName(QByteArray(target, std::max<ssize_t>(size, 0)));
        if (file.startsWith(prefix) && file.endsWith(u" (deleted)"_s)) ++count;
    }
    return count;
}
#endif
}  // namespace

class SaveCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dialogIsSetUpAndCancelWritesNothing();
    void overwriteIsAskedOnlyForExistingFiles_data();
    void overwriteIsAskedOnlyForExistingFiles();
    void writesItemsByteExact_data();
    void writesItemsByteExact();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void closingTheWindowKeepsOldFile();
    void fileHoldsTheListAsItWasWhenSaveStarted();
    void replacedFileIsLetGo();
    void loadThenSaveRoundTrips_data();
    void loadThenSaveRoundTrips();
};

void SaveCommandTest::dialogIsSetUpAndCancelWritesNothing() {
    TestContext t;
    fillPane(t.list2, 3);
    t.commonDialog1.setFileName(u"/old/name.txt"_s);
    t.commonDialog1.setDialogTitle(u"Load"_s);
    int pointerChanges = 0;
    connect(&t.window, &WindowState::mousePointerChanged, this, [&] { ++pointerChanges; });
    // Cancelled, or refused while another command changes the pane: no save took place.
    QVERIFY(!FileCommands::save(t.context, 2, u"origin"_s));
    {
        AnotherCommand other(t.window, WindowState::DefaultPointer, 2);
        QVERIFY(!FileCommands::save(t.context, 2, u"origin"_s));
        t.dialogs.messages.clear();
    }
    QCOMPARE(t.commonDialog1.flags(), 2621953);
    QCOMPARE(t.commonDialog1.dialogTitle(), u"Save"_s);
    QCOMPARE(t.commonDialog1.filter(), u"Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"_s);
    QCOMPARE(t.dialogs.fileRequests.size(), 1);
    const Dialogs::FileRequest& request = t.dialogs.fileRequests.constFirst();
    QCOMPARE(request.mode, Dialogs::FileRequest::Mode::Save);
    QCOMPARE(request.title, u"Save"_s);
    QCOMPARE(request.filter, t.commonDialog1.filter());
    // The command asks about replacing a file itself, and a name is used as typed.
    QVERIFY(!request.confirmOverwrite);
    QVERIFY(request.defaultSuffix.isEmpty());
    QVERIFY(t.dialogs.messages.isEmpty());
    QCOMPARE(pointerChanges, 0);
}

void SaveCommandTest::overwriteIsAskedOnlyForExistingFiles_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QStringList>("messagesAfterQuestion");
    QTest::newRow("existing, yes") << true << Dialogs::Answer::Yes << "new\r\n"_ba << QStringList{kDone};
    QTest::newRow("existing, no") << true << Dialogs::Answer::No << "old content"_ba << QStringList();
    QTest::newRow("new name") << false << Dialogs::Answer::No << "new\r\n"_ba << QStringList{kDone};
}

void SaveCommandTest::overwriteIsAskedOnlyForExistingFiles() {
    QFETCH(bool, exists);
    QFETCH(Dialogs::Answer, answer);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, messagesAfterQuestion);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"list.txt"_s);
    if (exists) QVERIFY(writeFile(path, "old content"));
    TestContext t;
    t.list1.append(u"new"_s);
    t.window.setLastResult(u"Remove Blanks: nothing removed from List 1"_s);
    t.dialogs.files.enqueue({path});
    t.dialogs.answers.enqueue(answer);
    QList<int> pointers;
    connect(&t.window, &WindowState::mousePointerChanged, this, [&](int value) { pointers.append(value); });
    Buttons::save(t.context, 1);
    QCOMPARE(fileBytes(path), expected);
    QStringList shown = t.dialogs.messageTexts();
    if (exists) {
        QCOMPARE(shown.takeFirst(), u"Are you sure you wish to overwrite "_s + path + u" ?"_s);
        const ScriptedDialogs::Message& question = t.dialogs.messages.constFirst();
        QCOMPARE(question.buttons, Dialogs::Buttons::YesNo);
        QCOMPARE(question.icon, Dialogs::Icon::None);
        QCOMPARE(question.title, u"Brindlewick"_s);
    }
    QCOMPARE(shown, messagesAfterQuestion);
    // What was written where, once "Done." is answered; a declined save leaves the line as it was.
    const bool written = !messagesAfterQuestion.isEmpty();
    QCOMPARE(t.window.lastResult(), written ? u"Save: 1 item written to list.txt"_s
                                            : u"Remove Blanks: nothing removed from List 1"_s);
    QCOMPARE(t.window.lastResultDetail(), written ? path : QString());
    // Declining returns before the wait pointer.
    QCOMPARE(pointers,
             written ? QList<int>({WindowState::WaitPointer, WindowState::DefaultPointer}) : QList<int>());
}

void SaveCommandTest::writesItemsByteExact_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("a, empty, b") << QStringList{u"a"_s, QString(), u"b"_s} << u"list.txt"_s
                                 << "a\r\n\r\nb\r\n"_ba;
    QTest::newRow("empty pane") << QStringList() << u"empty.txt"_s << QByteArray();
    QTest::newRow("name without extension") << QStringList{u"x"_s} << u"noextension"_s << "x\r\n"_ba;
    QTest::newRow("utf-8, no mark") << QStringList{u"Grüße"_s} << u"utf8.txt"_s
                                    << "Gr\xC3\xBC\xC3\x9F"
                                       "e\r\n"_ba;
}

void SaveCommandTest::writesItemsByteExact() {
    QFETCH(QStringList, items);
    QFETCH(QString, name);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    TestContext t;
    for (const QString& item : items) t.list2.append(item);
    t.dialogs.files.enqueue({dir.filePath(name)});
    QList<int> pointers;
    t.yielder.onYield = [&] { pointers.append(t.window.mousePointer()); };
    t.dialogs.onMessage = [&](const ScriptedDialogs::Message&) { pointers.append(t.window.mousePointer()); };
    Buttons::save(t.context, 2);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{name});
    QCOMPARE(fileBytes(dir.filePath(name)), expected);
    QCOMPARE(t.list2.texts(), items);
    QCOMPARE(t.dialogs.messageTexts(), QStringList{kDone});
    QCOMPARE(t.dialogs.messages.constFirst().buttons, Dialogs::Buttons::Ok);
    QCOMPARE(t.dialogs.messages.constFirst().icon, Dialogs::Icon::None);
    // "Done." and every yield see the wait pointer; the default pointer comes back after; Busy stays clear.
    QVERIFY(pointers.size() > 1);
    QCOMPARE(pointers, QList<int>(pointers.size(), WindowState::WaitPointer));
    QCOMPARE(t.window.mousePointer(), int(WindowState::DefaultPointer));
    QVERIFY(!t.window.busy());
}

void SaveCommandTest::failedSaveKeepsOldFile_data() {
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<int>("line");
    QTest::newRow("parent is a file") << Failure::ParentIsAFile << 130;
    QTest::newRow("target is a folder") << Failure::TargetIsAFolder << 130;
    QTest::newRow("read-only folder") << Failure::ReadOnlyFolder << 130;
    QTest::newRow("read-only file") << Failure::ReadOnlyFile << 130;
#ifdef Q_OS_UNIX
    QTest::newRow("disk full") << Failure::FileSizeLimit << 136;
    QTest::newRow("target is a named pipe") << Failure::TargetIsAPipe << 130;
#endif
    QTest::newRow("folder vanishes") << Failure::FolderVanishes << 140;
}

void SaveCommandTest::failedSaveKeepsOldFile() {
    QFETCH(Failure, failure);
    QFETCH(int, line);
    const bool needsRights = failure == Failure::ReadOnlyFolder || failure == Failure::ReadOnlyFile;
    if (needsRights && runningAsRoot())
        QSKIP("root writes whatever the permissions; the other rows cover this");
    QTemporaryDir temp;
    const QString folder = temp.filePath(u"lists"_s);
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + u"/list.txt"_s;
    QVERIFY(writeFile(path, "old content"));
    TestContext t;
    fillPane(t.list1, 2000);
    t.window.setLastResult(u"before"_s);
#ifdef Q_OS_UNIX
    std::optional<FileSizeLimit> limit;
    if (failure == Failure::FileSizeLimit) limit.emplace(4096);
#endif
    if (failure == Failure::ParentIsAFile) path += u"/inner.txt"_s;
    if (failure == Failure::TargetIsAFolder) path = folder;
#ifdef Q_OS_UNIX
    if (failure == Failure::TargetIsAPipe) {
        path = folder + u"/pipe"_s;
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
#endif
    if (failure == Failure::ReadOnlyFolder)
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    if (failure == Failure::ReadOnlyFile) QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    if (failure == Failure::FolderVanishes) t.yielder.onYield = [&] { QDir(folder).removeRecursively(); };
    t.dialogs.files.enqueue({path});
    Buttons::save(t.context, 1);
#ifdef Q_OS_UNIX
    limit.reset();
#endif
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const QStringList reports = t.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].contains(u"Form1.PushButton20_Click at line %1\r\r"_s.arg(line)),
             qPrintable(reports[0]));
    QVERIFY2(reports[0].contains(path), qPrintable(reports[0]));
    QVERIFY(!t.dialogs.messageTexts().contains(kDone));
    QCOMPARE(t.window.lastResult(), u"before"_s);
    QCOMPARE(t.window.mousePointer(), int(WindowState::DefaultPointer));
    if (failure == Failure::FolderVanishes) return;
    QCOMPARE(fileBytes(folder + u"/list.txt"_s), "old content"_ba);
    if (failure == Failure::TargetIsAPipe) {
        // Still the pipe, not replaced by a file.
        QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
        return;
    }
    // No temporary file is left beside the target.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{u"list.txt"_s});
}

void SaveCommandTest::closingTheWindowKeepsOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"list.txt"_s);
    QVERIFY(writeFile(path, "old content"));
    TestContext t;
    fillPane(t.list2, 1000);
    t.dialogs.files.enqueue({path});
    int yields = 0;
    t.yielder.onYield = [&] {
        if (++yields == 500) t.yielder.cancel();
    };
    QVERIFY_THROWS_EXCEPTION(Cancelled, Buttons::save(t.context, 2));
    QCOMPARE(fileBytes(path), "old content"_ba);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{u"list.txt"_s});
    QVERIFY(!t.dialogs.messageTexts().contains(kDone));
}

void SaveCommandTest::fileHoldsTheListAsItWasWhenSaveStarted() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"list.txt"_s);
    TestContext t;
    fillPane(t.list1, 3);
    t.dialogs.files.enqueue({path});
    // Other commands run during the yields: sample data appends, a double-click removes.
    t.yielder.onYield = [&] {
        t.list1.append(u"added"_s);
        if (t.list1.count() > 1) t.list1.removeAt(1);
    };
    Buttons::save(t.context, 1);
    QCOMPARE(fileBytes(path), "item 1\r\nitem 2\r\nitem 3\r\n"_ba);
}

// The old file is held open across the rename and closed on a pool thread: once the pool is done,
// nothing keeps its blocks.
void SaveCommandTest::replacedFileIsLetGo() {
#ifndef Q_OS_LINUX
    QSKIP("reads the open files from /proc");
#else
    QTemporaryDir dir;
    const QString path = dir.filePath(u"list.txt"_s);
    QVERIFY(writeFile(path, "old content"));
    TestContext t;
    t.list1.append(u"new"_s);
    t.dialogs.files.enqueue({path});
    t.dialogs.answers.enqueue(Dialogs::Answer::Yes);
    Buttons::save(t.context, 1);
    QCOMPARE(fileBytes(path), "new\r\n"_ba);
    TaskThreads::shared().waitForDone();
    QCOMPARE(descriptorsOnRemovedFiles(dir.path()), 0);
#endif
}

void SaveCommandTest::loadThenSaveRoundTrips_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("crlf, same bytes")
        << u"crlf-a-empty-b.txt"_s << fileBytes(fixture(u"crlf-a-empty-b.txt"_s));
    QTest::newRow("lf becomes crlf") << u"lf-lines.txt"_s << "one\r\ntwo\r\nthree\r\n"_ba;
    QTest::newRow("last line gains its line end") << u"mixed-no-final-end.txt"_s << "a\r\nb\r\nc\r\nd\r\n"_ba;
    QTest::newRow("mark is dropped") << u"utf8-with-bom.txt"_s
                                     << "Gr\xC3\xBC\xC3\x9F"
                                        "e\r\nb\r\n"_ba;
    QTest::newRow("1252 becomes utf-8") << u"windows-1252.txt"_s << "caf\xC3\xA9\r\n\xE2\x82\xAC 5\r\n"_ba;
    QTest::newRow("one 1252 line among utf-8")
        << u"utf8-one-1252-line.txt"_s << "fun\xC3\xA7\xC3\xA3o\r\ncaf\xC3\xA9\r\nna\xC3\xAFve\r\n"_ba;
    QTest::newRow("utf-16le becomes utf-8")
        << u"utf16le-with-bom.txt"_s << "caf\xC3\xA9\r\n\xE2\x82\xAC 5\r\n"_ba;
    QTest::newRow("utf-16be becomes utf-8")
        << u"utf16be-with-bom.txt"_s << "caf\xC3\xA9\r\n\xE2\x82\xAC 5\r\n"_ba;
    QTest::newRow("empty stays empty") << u"empty.txt"_s << QByteArray();
}

void SaveCommandTest::loadThenSaveRoundTrips() {
    QFETCH(QString, name);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString saved = dir.filePath(u"saved.txt"_s);
    TestContext t;
    t.dialogs.files.enqueue({fixture(name)});
    t.dialogs.files.enqueue({saved});
    Buttons::load(t.context, 1);
    Buttons::save(t.context, 1);
    QCOMPARE(fileBytes(saved), expected);
    QCOMPARE(t.dialogs.messageTexts(), QStringList{kDone});
}

QTEST_GUILESS_MAIN(SaveCommandTest)
#include "tst_listfiles_save.moc"
