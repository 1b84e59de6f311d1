#include "cli/CliArguments.h"
#include "cli/CliProgress.h"
#include "cli/CliRun.h"
#include "cli/ListPieces.h"
#include "commands/ListCommands.h"
#include "commands/ListToolCommands.h"
#include "core/Services.h"
#include "listfiles/FileCommands.h"
#include "listfiles/ListFileWriter.h"
#include "listops/List.h"
#include "listops/ListTools.h"
#include "support/Files.h"
#include "support/TestContext.h"
#include "support/TestServices.h"

#include <QBuffer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <functional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {
using Routine = std::function<void(ListPane& target, ListPane& reference, const List::RoutineServices&)>;

// Lines with repeats, blanks, matches between the lists, "mail" in some, and one Windows-1252 line.
QList<QByteArray> listLines(int n, int every) {
    QList<QByteArray> lines;
    for (int i = 0; i < n; i += every) {
        if (i % 5 == 4)
            lines.append(QByteArray());
        else
            lines.append("item " + QByteArray::number(i % 37) + (i % 3 ? "" : " mail"));
    }
    lines.append("caf\xe9 mail");
    return lines;
}

QByteArray joined(const QList<QByteArray>& lines, const QByteArray& lineEnd) {
    QByteArray bytes;
    for (const QByteArray& line : lines) bytes += line + lineEnd;
    return bytes;
}

QByteArray utf16WithMark(const QList<QByteArray>& lines) {
    // The Windows-1252 line as the reader takes it: é.
    const QString text = QString::fromLatin1(joined(lines, "\r\n"));
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder.encode(text);
}

struct Outcome {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Outcome runCli(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(QStringLiteral(BRINDLEWICK_CLI), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

// The window's result: its load into the panes, its routine, its writer (with LF line ends).
QByteArray windowResult(const QString& list, const QString& reference, const Routine& routine) {
    TestContext t;
    FileCommands::LoadFileIntoList(t.context, t.list1, list);
    if (!reference.isEmpty()) FileCommands::LoadFileIntoList(t.context, t.list2, reference);
    routine(t.list1, t.list2, {t.reporter, t.yielder, t.progress});
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ListFileWriter::write(buffer, t.list1.snapshot(), t.yielder, ListFileWriter::kBufferSize,
                          ListFileWriter::kLf);
    return buffer.data();
}

class NoMemory : public MemoryProbe {
public:
    std::optional<qint64> availableBytes() const override { return 100; }
};

class PlentyOfMemory : public MemoryProbe {
public:
    std::optional<qint64> availableBytes() const override { return qint64(1) << 40; }
};

// Standard input that gives its bytes one to three at a time: the reader's chunks then end
// everywhere, inside a CR LF pair, a UTF-8 sequence and a UTF-16 surrogate pair too.
class TricklingInput : public QIODevice {
public:
    explicit TricklingInput(QByteArray bytes) : m_bytes(std::move(bytes)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 most) override {
        const qint64 n = std::min({most, m_bytes.size() - m_at, qint64(1 + m_at % 3)});
        std::memcpy(data, m_bytes.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

// A clock that moves on by `step` milliseconds whenever it is read.
class ScriptedClock : public ProgressClock {
public:
    explicit ScriptedClock(qint64 step) : m_step(step) {}
    qint64 milliseconds() const override { return m_now += m_step; }

private:
    qint64 m_step;
    mutable qint64 m_now = 0;
};

class ManualClock : public ProgressClock {
public:
    qint64 now = 0;
    qint64 milliseconds() const override { return now; }
};

// brindlewick-cli's run in this process, its standard input `input`.
Outcome runHere(const QStringList& arguments, QIODevice& input, bool terminal = false,
                const ProgressClock* clock = nullptr) {
    const ParsedArguments parsed = CliArguments::parse(QStringList{u"brindlewick-cli"_s} + arguments);
    if (parsed.kind != ParsedArguments::Kind::Run) return {2, {}, parsed.error.toUtf8()};
    QBuffer output, errors;
    output.open(QIODevice::WriteOnly);
    errors.open(QIODevice::WriteOnly);
    const PlentyOfMemory memory;
    const int status = CliRun::run(parsed.invocation, {input, output, errors, memory, terminal, clock});
    return {status, output.data(), errors.data()};
}

// Standard input that runs out of memory as it is read.
class ExhaustingInput : public QIODevice {
protected:
    qint64 readData(char*, qint64) override { throw std::bad_alloc(); }
    qint64 writeData(const char*, qint64) override { return -1; }
};
}  // namespace

class TstCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase() {
        const QList<QByteArray> list1 = listLines(400, 1);
        const QList<QByteArray> list2 = listLines(400, 3);
        QVERIFY(writeFile(path(u"crlf.txt"_s), joined(list1, "\r\n")));
        QVERIFY(writeFile(path(u"lf.txt"_s), joined(list1, "\n")));
        QVERIFY(writeFile(path(u"cr.txt"_s), joined(list1, "\r")));
        QVERIFY(writeFile(path(u"utf16.txt"_s), utf16WithMark(list1)));
        QVERIFY(writeFile(path(u"reference.txt"_s), joined(list2, "\r\n")));
        // Characters of two, three and four UTF-8 bytes, and in UTF-16 surrogate pairs, by CR LF.
        QList<QByteArray> wide;
        for (const QByteArray& line : list1)
            wide.append(line.isEmpty() || line.size() % 3
                            ? line
                            : "\xc3\xa9" + line + " \xe2\x82\xac\xf0\x9f\x98\x80");
        QVERIFY(writeFile(path(u"wide.txt"_s), joined(wide, "\r\n")));
        QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        QVERIFY(writeFile(path(u"wide16.txt"_s), encoder.encode(QString::fromUtf8(joined(wide, "\r\n")))));
    }

    void givesTheWindowsResult_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reference");
        QTest::addColumn<Routine>("routine");
        const auto one = [](void (*r)(ListPane&, const List::RoutineServices&)) {
            return Routine([r](ListPane& t, ListPane&, const List::RoutineServices& s) { r(t, s); });
        };
        const auto with = [](void (*r)(ListPane&, const QString&, const List::RoutineServices&)) {
            return Routine(
                [r](ListPane& t, ListPane&, const List::RoutineServices& s) { r(t, u"mail"_s, s); });
        };
        const struct {
            QStringList command;
            QString text;
            bool reference;
            Routine routine;
        } commands[] = {
            {{u"remove-matches"_s}, {}, true, Routine(List::SubtractSecondListFromFirstList)},
            {{u"keep-matches"_s}, {}, true, Routine(List::KeepOnlyMatchesInList)},
            {{u"dedupe-first"_s}, {}, false, one(List::RemoveDupesExceptFirst)},
            {{u"dedupe-last"_s}, {}, false, one(List::RemoveDupesAll)},
            {{u"unique-only"_s}, {}, false, one(ListTools::KeepOnlyItemsThatOccurOnce)},
            {{u"remove-blanks"_s}, {}, false, one(List::RemoveBlanksFromList)},
            {{u"remove-with"_s}, u"mail"_s, false, with(List::RemoveItemsWith)},
            {{u"remove-without"_s}, u"mail"_s, false, with(List::RemoveItemsWithout)},
            {{u"sort"_s}, {}, false, one(ListTools::SortAToZ)},
            {{u"sort"_s, u"--reverse"_s}, {}, false, one(ListTools::SortZToA)},
        };
        for (const char* file : {"crlf", "lf", "cr", "utf16"})
            for (const auto& c : commands)
                QTest::addRow("%s %s", qPrintable(c.command.join(u' ')), file)
                    << c.command << c.text << c.reference << c.routine;
    }
    // Byte for byte the list that the window's routine leaves, apart from the line ends.
    void givesTheWindowsResult() {
        QFETCH(QStringList, command);
        QFETCH(QString, text);
        QFETCH(bool, reference);
        QFETCH(Routine, routine);
        const QString list = path(QString::fromLatin1(QTest::currentDataTag()).section(u' ', -1) + u".txt"_s);
        const QString other = reference ? path(u"reference.txt"_s) : QString();
        QStringList arguments = command;
        if (!text.isEmpty()) arguments << text;
        arguments << list;
        if (reference) arguments << other;
        const Outcome outcome = runCli(arguments);
        QCOMPARE(outcome.err, QByteArray());
        QCOMPARE(outcome.status, 0);
        const QByteArray expected = windowResult(list, other, routine);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(outcome.out, expected);
    }

    void streamsAsTheWholeListDoes_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<bool>("reference");
        // The held reference must fit the budget too: pieces of 16 items there, of one elsewhere.
        QTest::addColumn<QString>("budget");
        const QString pattern = u"^item \\d$|MAIL|\u00e9"_s;
        QTest::newRow("remove-with") << QStringList{u"remove-with"_s, u"mail"_s} << false << u"1"_s;
        QTest::newRow("remove-without") << QStringList{u"remove-without"_s, u"mail"_s} << false << u"1"_s;
        QTest::newRow("remove-blanks") << QStringList{u"remove-blanks"_s} << false << u"1"_s;
        QTest::newRow("trim") << QStringList{u"trim"_s} << false << u"1"_s;
        QTest::newRow("remove-regex") << QStringList{u"remove-regex"_s, pattern} << false << u"1"_s;
        QTest::newRow("keep-regex") << QStringList{u"keep-regex"_s, pattern} << false << u"1"_s;
        QTest::newRow("remove-matches") << QStringList{u"remove-matches"_s} << true << u"64K"_s;
        QTest::newRow("keep-matches") << QStringList{u"keep-matches"_s} << true << u"64K"_s;
    }
    // A list read in pieces of one item, and from a pipe that ends its reads anywhere, gives the
    // whole list's output, result line and status, under the compare options and with a header.
    void streamsAsTheWholeListDoes() {
        QFETCH(QStringList, command);
        QFETCH(bool, reference);
        QFETCH(QString, budget);
        const QStringList others = reference ? QStringList{path(u"reference.txt"_s)} : QStringList();
        const QList<QStringList> optionSets{
            {},
            {u"--header"_s, u"-i"_s, u"--crlf"_s},
            {u"--field"_s, u"2"_s, u"--delimiter"_s, u" "_s, u"--header"_s, u"--ignore-spaces"_s}};
#ifdef BRINDLEWICK_SANITIZED
        // Each run starts a sanitized process: the two files that differ most keep the stage short.
        const auto files = {"crlf.txt", "wide16.txt"};
#else
        const auto files = {"crlf.txt", "cr.txt", "wide.txt", "wide16.txt"};
#endif
        for (const char* name : files) {
            const QString list = path(QString::fromLatin1(name));
            for (const QStringList& options : optionSets) {
                const QStringList run = command + options + QStringList{u"--stats"_s, u"--memory"_s};
                const Outcome whole = runCli(run + QStringList{u"1G"_s, list} + others);
                QCOMPARE(whole.status, 0);
                QVERIFY(!whole.out.isEmpty());
                const Outcome pieces = runCli(run + QStringList{budget, list} + others);
                QCOMPARE(pieces.err, whole.err);
                QCOMPARE(pieces.out, whole.out);
                TricklingInput input(fileBytes(list));
                const Outcome piped = runHere(run + QStringList{budget, u"-"_s} + others, input);
                QCOMPARE(piped.err, whole.err);
                QCOMPARE(piped.status, 0);
                QCOMPARE(piped.out, whole.out);
            }
        }
    }

    // A list far larger than the memory budget streams through in a few pieces' room.
    void streamsAListLargerThanItsBudget() {
#if !defined(Q_OS_LINUX) || defined(BRINDLEWICK_SANITIZED)
        QSKIP("reads the peak resident memory of Linux, which a sanitizer's own memory would cloud");
#else
        const QString large = path(u"stream-large.txt"_s);
        QByteArray lines;
        lines.reserve(40 << 20);
        for (int i = 0; i < 1500000; ++i)
            lines += "item " + QByteArray::number(i) + (i % 2 ? " mail\n" : "\n");
        QVERIFY(writeFile(large, lines));
        lines = QByteArray();
        QFile peak(u"/proc/self/clear_refs"_s);
        if (!peak.open(QIODevice::WriteOnly) || peak.write("5") != 1) QSKIP("cannot reset the peak memory");
        peak.close();
        const auto peakKb = [] {
            QFile status(u"/proc/self/status"_s);
            if (!status.open(QIODevice::ReadOnly)) return qint64(-1);
            const QByteArray text = status.readAll();
            const qsizetype at = text.indexOf("VmHWM:");
            return at < 0 ? -1
                          : text.mid(at + 6, text.indexOf('\n', at) - at - 6)
                                .trimmed()
                                .split(' ')
                                .first()
                                .toLongLong();
        };
        const qint64 before = peakKb();
        QVERIFY(before > 0);
        const ParsedArguments parsed = CliArguments::parse(
            {u"brindlewick-cli"_s, u"remove-with"_s, u"--memory"_s, u"1M"_s, u"--stats"_s, u"mail"_s, large});
        QBuffer input, errors;
        QFile output(u"/dev/null"_s);
        QVERIFY(output.open(QIODevice::WriteOnly));
        errors.open(QIODevice::WriteOnly);
        const PlentyOfMemory memory;
        QCOMPARE(CliRun::run(parsed.invocation, {input, output, errors, memory}), CliRun::Success);
        QCOMPARE(errors.data(), QByteArray("Remove Items With: 750,000 removed \xc2\xb7 750,000 left\n"));
        // The file is 20 MB; held whole it would take more than that.
        const qint64 grew = peakKb() - before;
        QVERIFY2(grew < 8 * 1024, qPrintable(QString::number(grew) + u" kB"_s));
#endif
    }

    void parsesAMemorySize_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("bytes");  // -1: refused
        QTest::newRow("bytes") << u"123"_s << qint64(123);
        QTest::newRow("K") << u"100K"_s << qint64(102400);
        QTest::newRow("m") << u"512m"_s << (qint64(512) << 20);
        QTest::newRow("G") << u"2G"_s << (qint64(2) << 30);
        QTest::newRow("T") << u"3T"_s << (qint64(3) << 40);
        QTest::newRow("zero") << u"0"_s << qint64(-1);
        QTest::newRow("fraction") << u"1.5G"_s << qint64(-1);
        QTest::newRow("unit word") << u"2GB"_s << qint64(-1);
        QTest::newRow("other unit") << u"2P"_s << qint64(-1);
        QTest::newRow("negative") << u"-1"_s << qint64(-1);
        QTest::newRow("empty") << QString() << qint64(-1);
        QTest::newRow("past 64 bits") << u"9000000T"_s << qint64(-1);
        QTest::newRow("past 64 bits, bytes") << u"99999999999999999999"_s << qint64(-1);
    }
    void parsesAMemorySize() {
        QFETCH(QString, text);
        QFETCH(qint64, bytes);
        QCOMPARE(CliArguments::parseSize(text).value_or(-1), bytes);
        const ParsedArguments parsed =
            CliArguments::parse({u"brindlewick-cli"_s, u"sort"_s, u"--memory"_s, text, u"x"_s});
        QCOMPARE(parsed.kind, bytes < 0 ? ParsedArguments::Kind::UsageError : ParsedArguments::Kind::Run);
        QCOMPARE(parsed.invocation.memory.value_or(-1), bytes);
    }

    void showsProgressOnlyOnATerminal_data() {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<int>("stepMs");
        QTest::addColumn<bool>("shown");
        QTest::newRow("terminal, long") << true << false << 300 << true;
        QTest::newRow("terminal, under a second") << true << false << 0 << false;
        QTest::newRow("terminal, quiet") << true << true << 300 << false;
        QTest::newRow("no terminal") << false << false << 300 << false;
    }
    // One line, rewritten, that the result line replaces; and nothing where it is not wanted.
    void showsProgressOnlyOnATerminal() {
        QFETCH(bool, terminal);
        QFETCH(bool, quiet);
        QFETCH(int, stepMs);
        QFETCH(bool, shown);
        const ScriptedClock clock(stepMs);
        QStringList arguments{u"remove-with"_s, u"--memory"_s, u"1"_s,
                              u"--stats"_s,     u"mail"_s,     path(u"crlf.txt"_s)};
        if (quiet) arguments << u"--quiet"_s;
        QBuffer input;
        const Outcome outcome = runHere(arguments, input, terminal, &clock);
        QCOMPARE(outcome.status, 0);
        const QByteArray result("Remove Items With: 108 removed \xc2\xb7 293 left\n");
        QVERIFY(outcome.err.endsWith(result));
        const QByteArray progress = outcome.err.chopped(result.size());
        QCOMPARE(progress.isEmpty(), !shown);
        if (!shown) return;
        QVERIFY2(progress.startsWith("\rremove-with: ") && progress.contains(" lines ("),
                 progress.left(80).constData());
        QVERIFY(!progress.contains('\n'));
        // Cleared: the last rewrite is blank.
        const QByteArray last = progress.chopped(1).mid(progress.chopped(1).lastIndexOf('\r') + 1);
        QVERIFY(progress.endsWith('\r') && !last.isEmpty() && last.trimmed().isEmpty());
    }

    // From a second on, at most four times a second, a shorter line covering the longer; cleared.
    void drawsTheProgressLineOnItsClock() {
        ManualClock clock;
        clock.now = 5000;
        QBuffer errors, input;
        errors.open(QIODevice::WriteOnly);
        input.setData(QByteArray(200, 'x'));
        input.open(QIODevice::ReadOnly);
        input.seek(50);
        qint64 lines = 12345;
        ProgressLine line(errors, true, clock);
        line.setPhase(
            u"remove-with"_s, [&] { return lines; }, &input);
        clock.now = 5999;
        line.tick();
        QCOMPARE(errors.data(), QByteArray());
        clock.now = 6000;
        line.tick();
        const QByteArray first("\rremove-with: 12,345 lines (25%)");
        QCOMPARE(errors.data(), first);
        lines = 7;
        clock.now = 6249;
        line.tick();
        QCOMPARE(errors.data(), first);
        clock.now = 6250;
        line.setPhase(u"writing"_s, {}, nullptr);
        const QByteArray second = first + "\rwriting" + QByteArray(first.size() - 1 - 7, ' ');
        QCOMPARE(errors.data(), second);
        line.clear();
        QCOMPARE(errors.data(), second + "\r       \r");
        line.clear();
        QCOMPARE(errors.data(), second + "\r       \r");
    }

    void cutsPiecesToTheirSize_data() {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QList<int>>("batches");  // -1: one item appended on its own
        QTest::addColumn<QList<int>>("pieces");
        QTest::newRow("a large batch cut by items") << 3 << 1000 << QList<int>{7} << QList<int>{3, 3, 1};
        QTest::newRow("a large batch cut by bytes") << 100 << 5 << QList<int>{6} << QList<int>{3, 3};
        QTest::newRow("small batches whole") << 4 << 1000 << QList<int>{3, 3, 1} << QList<int>{6, 1};
        QTest::newRow("one by one") << 2 << 1000 << QList<int>{-1, -1, -1, -1, -1} << QList<int>{2, 2, 1};
        QTest::newRow("an empty list") << 2 << 1000 << QList<int>{} << QList<int>{0};
        QTest::newRow("a batch that ends a piece") << 2 << 1000 << QList<int>{2, 2} << QList<int>{2, 2};
        QTest::newRow("a batch of a piece's items joins whole")
            << 3 << 1000 << QList<int>{1, 3} << QList<int>{4};
        QTest::newRow("a batch of a piece's bytes joins whole")
            << 100 << 6 << QList<int>{1, 3} << QList<int>{4};
        QTest::newRow("a large batch after a small one")
            << 3 << 1000 << QList<int>{1, 7} << QList<int>{3, 3, 2};
        QTest::newRow("cut at a piece's bytes exactly") << 100 << 4 << QList<int>{6} << QList<int>{2, 2, 2};
    }
    // Items of two bytes, in batches: the pieces handed on hold what the sizes say, the last one
    // too, and an empty list is one empty piece.
    void cutsPiecesToTheirSize() {
        QFETCH(int, items);
        QFETCH(int, bytes);
        QFETCH(QList<int>, batches);
        QFETCH(QList<int>, pieces);
        QList<int> handed;
        QStringList texts;
        ListPieces pane(items, bytes, [&](ItemStore piece) {
            handed << int(piece.count());
            for (qsizetype k = 0; k < piece.count(); ++k) texts << QString::fromUtf8(piece.text(k));
        });
        int next = 0;
        QStringList expected;
        for (const int batch : batches) {
            ItemStore store;
            for (int k = 0; k < std::max(batch, 1); ++k) {
                const QByteArray text = QByteArray::number(10 + next++);
                expected << QString::fromLatin1(text);
                store.append(text);
            }
            if (batch < 0)
                pane.append(store.text(0));
            else
                pane.appendBatch(store);
        }
        pane.finish();
        QCOMPARE(handed, pieces);
        QCOMPARE(texts, expected);
        QCOMPARE(pane.lines(), qint64(next));
    }

    void readsAndWritesThroughPipes() {
        const QByteArray list = fileBytes(path(u"crlf.txt"_s));
        const QByteArray expected =
            runCli({u"remove-matches"_s, path(u"crlf.txt"_s), path(u"reference.txt"_s)}).out;
        QCOMPARE(runCli({u"remove-matches"_s, u"-"_s, path(u"reference.txt"_s)}, list).out, expected);
        QCOMPARE(
            runCli({u"remove-matches"_s, path(u"crlf.txt"_s), u"-"_s}, fileBytes(path(u"reference.txt"_s)))
                .out,
            expected);
        // A reader that stops early ends the program quietly.
        QProcess shell;
        shell.start(u"bash"_s,
                    {u"-c"_s, u"yes item | head -c 50000000 | \"$0\" remove-blanks - | head -n 1"_s,
                     QStringLiteral(BRINDLEWICK_CLI)});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.readAllStandardOutput(), QByteArray("item\n"));
        QCOMPARE(shell.readAllStandardError(), QByteArray());
    }

    void appliesTheOptions() {
        const QString out = path(u"out.txt"_s);
        QVERIFY(writeFile(out, "old contents\n"));
        const Outcome written =
            runCli({u"remove-blanks"_s, u"--crlf"_s, u"--stats"_s, u"-o"_s, out, path(u"lf.txt"_s)});
        QCOMPARE(written.status, 0);
        QCOMPARE(written.out, QByteArray());
        QCOMPARE(written.err, QByteArray("Remove Blanks: 80 removed \xc2\xb7 321 left\n"));
        const QByteArray saved = fileBytes(out);
        QVERIFY(saved.startsWith("item 0 mail\r\nitem 1\r\n"));
        QCOMPARE(saved.count("\r\n"), 321);
        QCOMPARE(runCli({u"--version"_s}).out, QByteArray("brindlewick-cli " BRINDLEWICK_VERSION_TEXT "\n"));
        // The window's name for the command.
        QCOMPARE(runCli({u"unique-only"_s, u"--stats"_s, path(u"lf.txt"_s)}).err,
                 QByteArray("Keep Only Items That Occur Once: 400 removed \xc2\xb7 1 left\n"));
        // After --, a TEXT that starts with - is no option.
        const QString dashes = path(u"dashes.txt"_s);
        QVERIFY(writeFile(dashes, "a-x\nb\n-xy\n"));
        const Outcome dashed = runCli({u"remove-with"_s, u"--"_s, u"-x"_s, dashes});
        QCOMPARE(dashed.err, QByteArray());
        QCOMPARE(dashed.out, QByteArray("b\n"));
    }

    void failsWithItsStatus_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString list = path(u"lf.txt"_s);
        const QString out = path(u"out.txt"_s);
        const QString missing = path(u"missing.txt"_s);
        QTest::newRow("missing list")
            << QStringList{u"dedupe-first"_s, u"-o"_s, out, missing} << 1 << u"File not found: "_s + missing;
        QTest::newRow("folder as list")
            << QStringList{u"dedupe-first"_s, u"-o"_s, out, m_dir.path()} << 1 << u"a folder, not a file"_s;
        QTest::newRow("missing reference") << QStringList{u"keep-matches"_s, u"-o"_s, out, list, missing} << 1
                                           << u"File not found: "_s + missing;
        QTest::newRow("unwritable output")
            << QStringList{u"dedupe-first"_s, u"-o"_s, path(u"no/such/dir/x"_s), list} << 1
            << path(u"no/such/dir/x"_s);
        QTest::newRow("unknown command")
            << QStringList{u"shuffle"_s, list} << 2 << u"unknown command 'shuffle'"_s;
        QTest::newRow("unknown option")
            << QStringList{u"dedupe-first"_s, u"--fast"_s, list} << 2 << u"Unknown option 'fast'"_s;
        QTest::newRow("missing argument")
            << QStringList{u"remove-matches"_s, list} << 2 << u"remove-matches takes LIST REFERENCE"_s;
        QTest::newRow("extra argument") << QStringList{u"sort"_s, list, list} << 2 << u"sort takes LIST"_s;
        QTest::newRow("empty output name")
            << QStringList{u"sort"_s, u"-o"_s, QString(), list} << 2 << u"-o names no file"_s;
        QTest::newRow("no command") << QStringList{} << 2 << u"no command given"_s;
        QTest::newRow("stdin twice") << QStringList{u"keep-matches"_s, u"-"_s, u"-"_s} << 2
                                     << u"standard input"_s;
        QTest::newRow("reverse without sort")
            << QStringList{u"dedupe-first"_s, u"--reverse"_s, list} << 2 << u"--reverse is for sort only"_s;
        QTest::newRow("field 0") << QStringList{u"sort"_s, u"--field"_s, u"0"_s, list} << 2 << u"--field"_s;
        QTest::newRow("field not a number")
            << QStringList{u"sort"_s, u"--field"_s, u"x"_s, list} << 2 << u"--field"_s;
        QTest::newRow("empty delimiter")
            << QStringList{u"sort"_s, u"--field"_s, u"1"_s, u"--delimiter"_s, QString(), list} << 2
            << u"--delimiter takes one character"_s;
        QTest::newRow("two-character delimiter")
            << QStringList{u"sort"_s, u"--field"_s, u"1"_s, u"--delimiter"_s, u"ta"_s, list} << 2
            << u"--delimiter takes one character"_s;
        QTest::newRow("delimiter without field")
            << QStringList{u"sort"_s, u"--delimiter"_s, u";"_s, list} << 2 << u"--delimiter needs --field"_s;
        QTest::newRow("invalid pattern") << QStringList{u"keep-regex"_s, u"-o"_s, out, u"a(b"_s, list} << 1
                                         << u"missing closing parenthesis at offset 3"_s;
        // The routine's refusal comes first, as when the whole list ran before the file was opened.
        QTest::newRow("invalid pattern, unwritable output")
            << QStringList{u"remove-regex"_s, u"-o"_s, path(u"no/such/dir/x"_s), u"a(b"_s, list} << 1
            << u"missing closing parenthesis at offset 3"_s;
        QTest::newRow("copy without other")
            << QStringList{u"only-in"_s, list} << 2 << u"only-in takes LIST OTHER"_s;
        QTest::newRow("reverse on a copy")
            << QStringList{u"count"_s, u"--reverse"_s, list} << 2 << u"--reverse is for sort only"_s;
        QTest::newRow("missing list, streamed")
            << QStringList{u"remove-blanks"_s, u"-o"_s, out, missing} << 1 << u"File not found: "_s + missing;
        QTest::newRow("folder as list, streamed")
            << QStringList{u"remove-with"_s, u"-o"_s, out, u"x"_s, m_dir.path()} << 1
            << u"a folder, not a file"_s;
        QTest::newRow("unwritable output, streamed")
            << QStringList{u"trim"_s, u"-o"_s, path(u"no/such/dir/x"_s), list} << 1
            << path(u"no/such/dir/x"_s);
        QTest::newRow("reference beyond the budget")
            << QStringList{u"remove-matches"_s, u"--memory"_s, u"100"_s, u"-o"_s, out, list, list} << 1
            << u"Out of memory (more than the memory budget of 100 bytes; --memory sets it)"_s;
        QTest::newRow("memory not a size") << QStringList{u"remove-blanks"_s, u"--memory"_s, u"2GB"_s, list}
                                           << 2 << u"--memory takes a size such as 512M or 2G, not '2GB'"_s;
        QTest::newRow("reference field without reference")
            << QStringList{u"sort"_s, u"--reference-field"_s, u"2"_s, list} << 2 << u"REFERENCE"_s;
    }

    // The copies of a pane's menu and the new list commands, under -i: the clipboard's text, or the
    // list the window's command leaves, byte for byte.
    void givesTheWindowsTextForTheTools_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("which");  // a ListTools::Compared, -1: counts, -2: a list command
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("text");
        using ListCommands::Id;
        using ListTools::Compared;
        for (const bool ignoreCase : {false, true}) {
            const QStringList i = ignoreCase ? QStringList{u"-i"_s} : QStringList{};
            const char* mode = ignoreCase ? "-i" : "exact";
            QTest::addRow("only-in %s", mode)
                << QStringList{u"only-in"_s} + i << int(Compared::OnlyInThis) << 0 << QString();
            QTest::addRow("in-both %s", mode)
                << QStringList{u"in-both"_s} + i << int(Compared::InBoth) << 0 << QString();
            QTest::addRow("union %s", mode)
                << QStringList{u"union"_s} + i << int(Compared::EachOnce) << 0 << QString();
            QTest::addRow("count %s", mode) << QStringList{u"count"_s} + i << -1 << 0 << QString();
            QTest::addRow("repeated %s", mode)
                << QStringList{u"repeated"_s} + i << -2 << int(Id::KeepOnlyRepeated) << QString();
            QTest::addRow("trim %s", mode)
                << QStringList{u"trim"_s} + i << -2 << int(Id::TrimSpaces) << QString();
            QTest::addRow("remove-regex %s", mode) << QStringList{u"remove-regex"_s} + i << -2
                                                   << int(Id::RemoveMatching) << u"^item \\d$|MAIL"_s;
            QTest::addRow("keep-regex %s", mode) << QStringList{u"keep-regex"_s} + i << -2
                                                 << int(Id::KeepOnlyMatching) << u"^item \\d$|MAIL"_s;
        }
    }
    void givesTheWindowsTextForTheTools() {
        QFETCH(QStringList, arguments);
        QFETCH(int, which);
        QFETCH(int, command);
        QFETCH(QString, text);
        const QString list = path(u"crlf.txt"_s);
        const QString other = path(u"reference.txt"_s);
        const bool pair = which >= 0;
        const bool ignoreCase = arguments.contains(u"-i"_s);
        if (!text.isEmpty()) arguments << text;
        arguments << list;
        if (pair) arguments << other;
        const Outcome outcome = runCli(arguments);
        QCOMPARE(outcome.err, QByteArray());
        QCOMPARE(outcome.status, 0);

        TestContext t;
        FileCommands::LoadFileIntoList(t.context, t.list1, list);
        FileCommands::LoadFileIntoList(t.context, t.list2, other);
        t.window.setCompareOptions({ignoreCase, false});
        ScriptedClipboard clipboard;
        QByteArray expected;
        if (which == -2) {
            t.dialogs.inputs.enqueue(text);
            ListCommands::click(t.context, ListCommands::command(ListCommands::Id(command)), 1, u"origin"_s);
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            ListFileWriter::write(buffer, t.list1.snapshot(), t.yielder, ListFileWriter::kBufferSize,
                                  ListFileWriter::kLf);
            expected = buffer.data();
        } else {
            if (which == -1)
                ListToolCommands::copyWithCounts(t.context, 1, clipboard, u"origin"_s);
            else
                ListToolCommands::copyCompared(t.context, 1, ListTools::Compared(which), clipboard,
                                               u"origin"_s);
            expected = clipboard.text().toUtf8();
        }
        QVERIFY(!expected.isEmpty());
        QCOMPARE(outcome.out, expected);
    }

    // The subscriber export with a header against a plain list of unsubscribed addresses: the rows
    // whose second column is one of them go, in any letter case; the header and whole rows stay.
    void matchesOnAColumn() {
        const QString exportCsv = path(u"export.csv"_s);
        const QString unsubscribed = path(u"unsubscribed.txt"_s);
        QVERIFY(writeFile(exportCsv,
                          "name,email,signup_date\r\n"
                          "Ann,ann@x.org,2021\r\n"
                          "\"Bo, Jr\",BO@x.org,2022\r\n"
                          "Cy,\"cy@x.org\",2023\r\n"
                          "Di;semi,di@x.org,2024\r\n"));
        QVERIFY(writeFile(unsubscribed, "bo@x.org\ncy@x.org\nname\nemail\n"));
        const Outcome removed = runCli({u"remove-matches"_s, u"--field"_s, u"2"_s, u"--header"_s,
                                        u"--ignore-case"_s, exportCsv, unsubscribed});
        QCOMPARE(removed.status, 0);
        QCOMPARE(removed.out,
                 QByteArray("name,email,signup_date\nAnn,ann@x.org,2021\nDi;semi,di@x.org,2024\n"));
        // The reference on a column of its own (tab-separated, its header skipped); sort keeps the
        // header first and orders by the column.
        const QString tabbed = path(u"tabbed.txt"_s);
        QVERIFY(writeFile(tabbed, "id\temail\n1\tann@x.org\n2\tdi@x.org\n"));
        QCOMPARE(
            runCli({u"keep-matches"_s, u"--field"_s, u"2"_s, u"--header"_s, u"--reference-field"_s, u"2"_s,
                    u"--reference-delimiter"_s, u"tab"_s, u"--reference-header"_s, exportCsv, tabbed})
                .out,
            QByteArray("name,email,signup_date\nAnn,ann@x.org,2021\nDi;semi,di@x.org,2024\n"));
        QCOMPARE(runCli({u"sort"_s, u"--reverse"_s, u"--field"_s, u"2"_s, u"--header"_s, exportCsv}).out,
                 QByteArray("name,email,signup_date\nDi;semi,di@x.org,2024\nCy,\"cy@x.org\",2023\n"
                            "\"Bo, Jr\",BO@x.org,2022\nAnn,ann@x.org,2021\n"));
    }
    // One line naming the file and the reason (a usage line after a usage error); -o's file untouched.
    void failsWithItsStatus() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        const QString out = path(u"out.txt"_s);
        QVERIFY(writeFile(out, "kept\n"));
        const Outcome outcome = runCli(arguments);
        QCOMPARE(outcome.status, status);
        QCOMPARE(outcome.out, QByteArray());
        const QStringList lines = QString::fromUtf8(outcome.err).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), status == 2 ? 2 : 1);
        QVERIFY2(lines.first().startsWith(u"brindlewick-cli: "_s) && lines.first().contains(message),
                 qPrintable(lines.first()));
        if (status == 2) QVERIFY(lines.last().startsWith(u"Usage: brindlewick-cli COMMAND"_s));
        QCOMPARE(fileBytes(out), QByteArray("kept\n"));
    }

    // A write to standard output that fails, also one the C library would have buffered and lost at
    // exit, and a read from standard input that fails: exit 1 and one line naming the stream.
    void reportsAFailingStandardStream_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("message");
        const QString full = u"Device I/O error: standard output (No space left on device)"_s;
        const QString closed = u"Device I/O error: standard output (Bad file descriptor)"_s;
        QTest::newRow("full, small") << u"\"$0\" sort \"$1\" > /dev/full"_s << full;
        QTest::newRow("full, larger than the buffer") << u"\"$0\" sort \"$2\" > /dev/full"_s << full;
        QTest::newRow("closed") << u"\"$0\" sort \"$1\" >&-"_s << closed;
        QTest::newRow("help, full") << u"\"$0\" --help > /dev/full"_s << full;
        QTest::newRow("help, closed") << u"\"$0\" --help >&-"_s << closed;
        QTest::newRow("streamed, full") << u"\"$0\" remove-blanks --memory 1K \"$2\" > /dev/full"_s << full;
        QTest::newRow("streamed, input closed")
            << u"\"$0\" remove-blanks - <&-"_s << u"Device I/O error: standard input (Bad file descriptor)"_s;
        QTest::newRow("input closed")
            << u"\"$0\" sort - <&-"_s << u"Device I/O error: standard input (Bad file descriptor)"_s;
        QTest::newRow("input a folder")
            << u"\"$0\" sort - < /"_s << u"Device I/O error: standard input (Is a directory)"_s;
    }
    void reportsAFailingStandardStream() {
        QFETCH(QString, script);
        QFETCH(QString, message);
        if (!QFileInfo::exists(u"/dev/full"_s)) QSKIP("needs /dev/full");
        const QString large = path(u"large.txt"_s);
        if (!QFileInfo::exists(large)) {
            QByteArray lines;
            for (int i = 0; i < 300000; ++i) lines += "item " + QByteArray::number(i) + '\n';
            QVERIFY(lines.size() > 2 * ListFileWriter::kBufferSize);
            QVERIFY(writeFile(large, lines));
        }
        QProcess shell;
        shell.start(u"bash"_s, {u"-c"_s, script, QStringLiteral(BRINDLEWICK_CLI), path(u"lf.txt"_s), large});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(shell.readAllStandardError()), u"brindlewick-cli: "_s + message + u'\n');
    }

    // -o replaces a regular file, also through a link, and nothing else: a pipe or a device stays.
    void replacesOnlyARegularFile() {
#ifndef Q_OS_UNIX
        QSKIP("needs mkfifo");
#else
        const QString fifo = path(u"fifo"_s);
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const Outcome refused = runCli({u"sort"_s, u"-o"_s, fifo, path(u"lf.txt"_s)});
        QCOMPARE(refused.status, 1);
        QCOMPARE(refused.err,
                 "brindlewick-cli: Path/File access error: " + fifo.toUtf8() + " (not a regular file)\n");
        struct stat status {};
        QVERIFY(lstat(QFile::encodeName(fifo).constData(), &status) == 0 && S_ISFIFO(status.st_mode));

        const QString target = path(u"target.txt"_s);
        const QString link = path(u"link.txt"_s);
        QVERIFY(writeFile(target, "old\n"));
        QVERIFY(QFile::link(target, link));
        QCOMPARE(runCli({u"sort"_s, u"-o"_s, link, path(u"lf.txt"_s)}).status, 0);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fileBytes(target), runCli({u"sort"_s, path(u"lf.txt"_s)}).out);
#endif
    }

    // A list too large for the memory left is refused before it is read, as the window refuses it.
    void refusesAListTooLargeForMemory() {
        const QString out = path(u"out.txt"_s);
        QVERIFY(writeFile(out, "kept\n"));
        const ParsedArguments parsed =
            CliArguments::parse({u"brindlewick-cli"_s, u"dedupe-first"_s, u"-o"_s, out, path(u"lf.txt"_s)});
        QBuffer input, output, errors;
        input.open(QIODevice::ReadOnly);
        output.open(QIODevice::WriteOnly);
        errors.open(QIODevice::WriteOnly);
        const NoMemory memory;
        QCOMPARE(CliRun::run(parsed.invocation, {input, output, errors, memory}), CliRun::Failure);
        QCOMPARE(errors.data(),
                 "brindlewick-cli: " + path(u"lf.txt"_s).toUtf8() +
                     ": Out of memory (more than the memory budget of 100 bytes; --memory sets it)\n");
        QCOMPARE(fileBytes(out), QByteArray("kept\n"));
        // A budget of its own overrides the memory left.
        const ParsedArguments budgeted =
            CliArguments::parse({u"brindlewick-cli"_s, u"dedupe-first"_s, u"--memory"_s, u"1M"_s, u"-o"_s,
                                 out, path(u"lf.txt"_s)});
        QCOMPARE(CliRun::run(budgeted.invocation, {input, output, errors, memory}), CliRun::Success);
        QVERIFY(fileBytes(out).startsWith("item 0 mail\n"));
    }

    // Running out of memory while reading ends the command with a report that names the list.
    void namesTheListThatRanOutOfMemory() {
        const ParsedArguments parsed = CliArguments::parse({u"brindlewick-cli"_s, u"sort"_s, u"-"_s});
        ExhaustingInput input;
        QBuffer output, errors;
        input.open(QIODevice::ReadOnly);
        output.open(QIODevice::WriteOnly);
        errors.open(QIODevice::WriteOnly);
        const NoMemory memory;
        QCOMPARE(CliRun::run(parsed.invocation, {input, output, errors, memory}), CliRun::Failure);
        QCOMPARE(errors.data(), QByteArray("brindlewick-cli: standard input: Out of memory\n"));
        QCOMPARE(output.data(), QByteArray());
    }

    // Every command and option of --help is in the manual page, and the other way round.
    void helpMatchesTheManualPage() {
        const QString help = QString::fromUtf8(runCli({u"--help"_s}).out);
        const QString manual =
            QString::fromUtf8(fileBytes(QStringLiteral(BRINDLEWICK_SOURCE "/dist/brindlewick-cli.1")));
        const QRegularExpression helpWord(u"^  (-[a-z], )?(--?[a-z-]+|[a-z]+(?:-[a-z-]+)?)"_s,
                                          QRegularExpression::MultilineOption);
        QStringList inHelp;
        for (const QRegularExpressionMatch& m : helpWord.globalMatch(help)) inHelp << m.captured(2);
        QVERIFY(inHelp.size() >= 17);
        // Each entry of the manual's lists: the line after .TP, without its font changes.
        QStringList inManual;
        const QStringList lines = manual.split(u'\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            if (lines.at(i) != u".TP"_s) continue;
            QString entry = lines.at(i + 1);
            entry.remove(QRegularExpression(u"\\\\f[BIR]"_s)).replace(u"\\-"_s, u"-"_s);
            const QRegularExpressionMatch m = helpWord.match(u"  "_s + entry);
            if (m.hasMatch()) inManual << m.captured(2);
        }
        inHelp.sort();
        inManual.sort();
        QCOMPARE(inManual, inHelp);
    }
};

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
