#include "ListFileTestSupport.h"
#include "listfiles/ListFileReader.h"
#include "listfiles/ListFileWriter.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace {
const QList<qsizetype> kChunkSizes{1, 2, 3, 5, 64, ListFileReader::kChunkSize};

// Bytes that can be read only once, from the start, as from a pipe.
class PipeDevice : public QIODevice {
public:
    explicit PipeDevice(const QByteArray& bytes) : m_bytes(bytes) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = qMin(maxSize, qint64(m_bytes.size()) - m_at);
        std::memcpy(data, m_bytes.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

QStringList readBytes(const QByteArray& bytes, qsizetype chunkSize, bool piped = false) {
    PipeDevice pipe(bytes);
    QBuffer file;
    file.setData(bytes);
    file.open(QIODevice::ReadOnly);
    QIODevice& buffer = piped ? static_cast<QIODevice&>(pipe) : file;
    PaneModel pane;
    ScriptedYielder yielder;
    ListFileReader::read(buffer, pane, yielder, chunkSize);
    return pane.texts();
}

QByteArray writeItems(const QStringList& items, qsizetype bufferSize = ListFileWriter::kBufferSize) {
    ItemStore store;
    for (const QString& item : items) store.append(item.toUtf8());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ScriptedYielder yielder;
    ListFileWriter::write(buffer, store, yielder, bufferSize);
    return buffer.data();
}

// Small chunks split CR LF pairs, UTF-8 sequences and lines across chunk ends.
void readsExpectedItemsAtEveryChunkSize() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    for (qsizetype chunk : kChunkSizes) {
        for (const bool piped : {false, true}) {
            const QStringList items = readBytes(bytes, chunk, piped);
            QVERIFY2(items == expected, qPrintable(u"chunk size %1%2: %3"_s.arg(chunk)
                                                       .arg(piped ? u", piped"_s : QString())
                                                       .arg(items.join(u'|'))));
        }
    }
}
}  // namespace

class ListFileFormatTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linesEndAtCrLfCrOrLf_data();
    void linesEndAtCrLfCrOrLf();
    void lineEndsAtEveryOffsetOfALongText();
    void encodingIsDecidedPerLine_data();
    void encodingIsDecidedPerLine();
    void unicodeWithByteOrderMarkIsDecoded_data();
    void unicodeWithByteOrderMarkIsDecoded();
    void oneStrayByteInALargeListChangesOnlyItsLine();
    void veryLongLinesStayWholeAndLetTheWindowBreathe_data();
    void veryLongLinesStayWholeAndLetTheWindowBreathe();
    void linesAreCountedAsTheyAreRead_data();
    void linesAreCountedAsTheyAreRead();
    void readFailureKeepsLinesAlreadyAppended();
    void readingAppendsBehindExistingItemsInBatches();
    void writeFailureIsRaised_data();
    void writeFailureIsRaised();
    void saveThenLoadGivesTheSameItems_data();
    void saveThenLoadGivesTheSameItems();
    void largeListRoundTripsByteExact();
};

void ListFileFormatTest::linesEndAtCrLfCrOrLf_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    const QStringList aEmptyB{u"a"_s, QString(), u"b"_s};
    QTest::newRow("crlf, final line end") << "a\r\n\r\nb\r\n"_ba << aEmptyB;
    QTest::newRow("crlf, no final line end") << "a\r\n\r\nb"_ba << aEmptyB;
    QTest::newRow("cr, final line end") << "a\r\rb\r"_ba << aEmptyB;
    QTest::newRow("lf, final line end") << "a\n\nb\n"_ba << aEmptyB;
    QTest::newRow("mixed, final line end") << "a\r\n\rb\n"_ba << aEmptyB;
    QTest::newRow("mixed, no final line end") << "a\n\r\nb"_ba << aEmptyB;
    QTest::newRow("lf cr is two line ends") << "a\n\rb"_ba << aEmptyB;
    QTest::newRow("cr cr lf") << "a\r\r\nb"_ba << aEmptyB;
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("one line end only") << "\r\n"_ba << QStringList{QString()};
    QTest::newRow("blanks kept") << "  a \r\n\t\r\n "_ba << QStringList{u"  a "_s, u"\t"_s, u" "_s};
    QTest::newRow("nul inside an item") << QByteArray("x\0y\r\n", 5) << QStringList{QString(u"x\0y"_s)};
}

void ListFileFormatTest::linesEndAtCrLfCrOrLf() {
    readsExpectedItemsAtEveryChunkSize();
}

void ListFileFormatTest::lineEndsAtEveryOffsetOfALongText() {
    // Lines of every length from 0 to 150 with every kind of line end, so that ends fall on every
    // offset of the blocks the splitter scans, and CR LF pairs straddle block and chunk edges.
    const QList<QByteArray> lineEnds{"\r\n", "\n", "\r", "\r\n", "\n\r", "\r\r\n"};
    QByteArray bytes;
    QStringList expected;
    for (int length = 0; length <= 150; ++length) {
        for (int kind = 0; kind < lineEnds.size(); ++kind) {
            const QByteArray line(length, char('a' + (length + kind) % 26));
            bytes += line + lineEnds[kind];
            expected.append(QString::fromLatin1(line));
            // "\n\r" and "\r\r\n" end one line and then an empty one.
            if (kind >= 4) expected.append(QString());
        }
    }
    bytes += "last";
    expected.append(u"last"_s);
    for (qsizetype chunk : kChunkSizes + QList<qsizetype>{63, 100, 4096}) {
        const QStringList items = readBytes(bytes, chunk);
        QVERIFY2(items == expected, qPrintable(u"chunk size %1"_s.arg(chunk)));
    }
}

void ListFileFormatTest::encodingIsDecidedPerLine_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("utf-8 kept as it is") << "Gr\xC3\xBC\xC3\x9F"
                                            "e\r\n\xE2\x82\xAC 5\r\n\xF0\x9F\x98\x80"_ba
                                         << QStringList{u"Grüße"_s, u"€ 5"_s, u"😀"_s};
    QTest::newRow("byte-order mark is not text") << "\xEF\xBB\xBF"
                                                    "a\r\nb"_ba
                                                 << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("byte-order mark alone") << "\xEF\xBB\xBF"_ba << QStringList();
    QTest::newRow("byte-order mark then empty line") << "\xEF\xBB\xBF\r\n"_ba << QStringList{QString()};
    QTest::newRow("mark-like bytes later are text") << "a\r\n\xEF\xBB\xBF"
                                                       "b"_ba
                                                    << QStringList{u"a"_s, u"\uFEFFb"_s};
    QTest::newRow("windows-1252") << "caf\xE9\r\n\x80 5\r\n\x93q\x94"_ba
                                  << QStringList{u"café"_s, u"€ 5"_s, u"“q”"_s};
    QTest::newRow("one bad byte changes only its own line")
        << "\xC3\xA9\r\n\xE9\r\n\xC3\xA9"_ba << QStringList{u"é"_s, u"é"_s, u"é"_s};
    QTest::newRow("each line on its own") << "fun\xC3\xA7\xC3\xA3o\r\ncaf\xE9 \x80\r\nna\xC3\xAFve"_ba
                                          << QStringList{u"função"_s, u"café €"_s, u"naïve"_s};
    QTest::newRow("mark is dropped before a 1252 line")
        << "\xEF\xBB\xBF\xE9\r\n\xC3\xA9"_ba << QStringList{u"é"_s, u"é"_s};
    QTest::newRow("unfinished sequence at the end") << "ok\r\n\xE2\x82"_ba << QStringList{u"ok"_s, u"â‚"_s};
    QTest::newRow("overlong form") << "\xC0\xAF"_ba << QStringList{u"À¯"_s};
    QTest::newRow("surrogate half") << "\xED\xA0\x80"_ba << QStringList{u"í\u00A0€"_s};
    // Windows-1252 leaves five bytes undefined; they stay characters too, never U+FFFD.
    QTest::newRow("undefined 1252 bytes")
        << "\x81\x8D\x8F\x90\x9D\xFF"_ba << QStringList{u"\u0081\u008D\u008F\u0090\u009Dÿ"_s};
}

void ListFileFormatTest::encodingIsDecidedPerLine() {
    readsExpectedItemsAtEveryChunkSize();
}

void ListFileFormatTest::unicodeWithByteOrderMarkIsDecoded_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    const auto encoded = [](const QString& text, QStringConverter::Encoding encoding) {
        QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
        return QByteArray(encoder.encode(text));
    };
    const QString text = u"café\r\n\r\n😀 x\ry\n\uFEFFz"_s;
    const QStringList items{u"café"_s, QString(), u"😀 x"_s, u"y"_s, u"\uFEFFz"_s};
    QTest::newRow("utf-16 little-endian") << encoded(text, QStringConverter::Utf16LE) << items;
    QTest::newRow("utf-16 big-endian") << encoded(text, QStringConverter::Utf16BE) << items;
    // The UTF-32 little-endian mark starts with the UTF-16 one.
    QTest::newRow("utf-32 little-endian") << encoded(text, QStringConverter::Utf32LE) << items;
    QTest::newRow("utf-32 big-endian") << encoded(text, QStringConverter::Utf32BE) << items;
    QTest::newRow("utf-32, cut last unit, no code point")
        << "\0\0\xFE\xFF\0\0\0a\0\x11\0\0\x01\0\0\0\0\0\xD8\x3D\0\0"_ba
        << QStringList{u"a\uFFFD\uFFFD\uFFFD\uFFFD"_s};
    // The UTF-32 little-endian mark is also UTF-16's and U+0000: UTF-32 only where the rest is whole
    // UTF-32 characters.
    QTest::newRow("utf-16, U+0000 first, characters as utf-32 but a cut unit")
        << "\xFF\xFE\0\0\n\0\0\0A\0"_ba << QStringList{QString(QChar(0)), QChar(0) + u"A"_s};
    QTest::newRow("utf-16, U+0000 first, no utf-32 character")
        << encoded(QChar(0) + u"ab"_s, QStringConverter::Utf16LE) << QStringList{QChar(0) + u"ab"_s};
    QTest::newRow("utf-16, U+0000 first, a surrogate as utf-32")
        << "\xFF\xFE\0\0\0\xD8\0\0\n\0\0\0"_ba
        << QStringList{QChar(0) + u"\uFFFD"_s + QChar(0), QString(QChar(0))};
    QTest::newRow("utf-16, U+0000 first, past U+10FFFF as utf-32 at the end")
        << "\xFF\xFE\0\0a\0\0\0a\0\x11\0"_ba << QStringList{QChar(0) + u"a"_s + QChar(0) + u"a\u0011"_s};
    QTest::newRow("utf-32 mark alone") << "\xFF\xFE\0\0"_ba << QStringList();
    QTest::newRow("utf-32, either side of the surrogates and the last code point")
        << "\0\0\xFE\xFF\0\0\xD7\xFF\0\0\xD8\0\0\0\xDC\0\0\0\xDF\xFF\0\0\xE0\0\0\x10\xFF\xFF"_ba
        << QStringList{u"\uD7FF\uFFFD\uFFFD\uFFFD\uE000\U0010FFFF"_s};
    QTest::newRow("mark alone") << "\xFF\xFE"_ba << QStringList();
    QTest::newRow("odd last byte") << "\xFF\xFE"
                                      "a\0b"_ba
                                   << QStringList{u"a\uFFFD"_s};
    QTest::newRow("unpaired surrogates") << "\xFE\xFF\xDC\0\0a\xD8\x3D"_ba << QStringList{u"\uFFFDa\uFFFD"_s};
}

void ListFileFormatTest::unicodeWithByteOrderMarkIsDecoded() {
    readsExpectedItemsAtEveryChunkSize();
}

void ListFileFormatTest::oneStrayByteInALargeListChangesOnlyItsLine() {
    // Many chunks of real UTF-8 text, then one line from a Windows-1252 source.
    QByteArray bytes;
    for (int i = 0; i < 40000; ++i) bytes += "fun\xC3\xA7\xC3\xA3o " + QByteArray::number(i) + "\r\n";
    bytes += "fun\xE7\xE3o";
    const QStringList items = readBytes(bytes, ListFileReader::kChunkSize);
    QCOMPARE(items.size(), 40001);
    QCOMPARE(items.at(0), u"função 0"_s);
    QCOMPARE(items.at(39999), u"função 39999"_s);
    QCOMPARE(items.at(40000), u"função"_s);
}

void ListFileFormatTest::veryLongLinesStayWholeAndLetTheWindowBreathe_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");
    // Odd lengths put a two-byte sequence across every piece in which long lines are checked.
    const QString accented = u"x"_s + QString(1'500'001, u'é');
    QTest::newRow("utf-8") << accented.toUtf8() << accented;
    QTest::newRow("windows-1252") << QByteArray(3'000'001, '\xE9') << QString(3'000'001, u'é');
}

void ListFileFormatTest::veryLongLinesStayWholeAndLetTheWindowBreathe() {
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    QBuffer buffer;
    buffer.setData("first\r\n" + line + "\r\nlast");
    buffer.open(QIODevice::ReadOnly);
    PaneModel pane;
    ScriptedYielder yielder;
    ListFileReader::read(buffer, pane, yielder, 64 * 1024);
    QCOMPARE(pane.count(), 3);
    QVERIFY(pane.textAt(2) == expected);
    QCOMPARE(pane.textAt(3), u"last"_s);
    QVERIFY2(yielder.yields > 40, qPrintable(QString::number(yielder.yields)));
}

void ListFileFormatTest::linesAreCountedAsTheyAreRead_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("crlf") << "a\r\n\r\nb\r\n"_ba;
    QTest::newRow("no final line end") << "a\r\n\r\nb"_ba;
    QTest::newRow("mixed") << "a\n\rb\r\r\nc\rd\n"_ba;
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one line end only") << "\r\n"_ba;
    QByteArray many;
    for (int i = 0; i < 300; ++i)
        many += QByteArray(i % 70, 'x') + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\r" : "\n");
    QTest::newRow("many, every offset") << many;
}

void ListFileFormatTest::linesAreCountedAsTheyAreRead() {
    QFETCH(QByteArray, bytes);
    const QStringList items = readBytes(bytes, ListFileReader::kChunkSize);
    qsizetype longest = 0;
    for (const QString& item : items) longest = qMax(longest, item.size());
    for (qsizetype chunk : kChunkSizes) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        ScriptedYielder yielder;
        const ListFileReader::LineCount count = ListFileReader::countLines(buffer, yielder, {}, chunk);
        QCOMPARE(count.lines, qint64(items.size()));
        QCOMPARE(count.longestLine, qint64(longest));
    }
}

void ListFileFormatTest::readFailureKeepsLinesAlreadyAppended() {
    FailingDevice device;
    device.setData("one\r\ntwo\r\nthree\r\nfour\r\n"_ba);
    device.open(QIODevice::ReadOnly);
    PaneModel pane;
    ScriptedYielder yielder;
    // Reading fails inside the third line.
    device.failReadsAfter = 12;
    QVERIFY_THROWS_EXCEPTION(RunTimeError, ListFileReader::read(device, pane, yielder, 4));
    QCOMPARE(pane.texts(), QStringList({u"one"_s, u"two"_s}));
}

void ListFileFormatTest::readingAppendsBehindExistingItemsInBatches() {
    QBuffer buffer;
    QByteArray bytes;
    for (int i = 0; i < 1000; ++i) bytes += QByteArray::number(i) + "\r\n";
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    PaneModel pane;
    pane.append(u"kept"_s);
    ScriptedYielder yielder(std::chrono::microseconds(0), 100);
    QList<int> countsAtYields;
    yielder.onYield = [&] { countsAtYields.append(pane.count()); };
    ListFileReader::read(buffer, pane, yielder, 256);
    QCOMPARE(pane.count(), 1001);
    QCOMPARE(pane.textAt(1), u"kept"_s);
    QCOMPARE(pane.textAt(1001), u"999"_s);
    // Every yield shows the lines read so far, and the lines arrive in more than one batch.
    QVERIFY(countsAtYields.size() > 2);
    QVERIFY(std::is_sorted(countsAtYields.begin(), countsAtYields.end()));
    QVERIFY(
        std::any_of(countsAtYields.begin(), countsAtYields.end(), [](int c) { return c > 1 && c < 1001; }));
}

void ListFileFormatTest::writeFailureIsRaised_data() {
    QTest::addColumn<qint64>("failAfter");
    QTest::addColumn<qsizetype>("bufferSize");
    QTest::newRow("first write, large buffer") << qint64(0) << ListFileWriter::kBufferSize;
    QTest::newRow("part-way, small buffer") << qint64(10) << qsizetype(4);
    QTest::newRow("last byte, small buffer") << qint64(23) << qsizetype(4);
}

void ListFileFormatTest::writeFailureIsRaised() {
    QFETCH(qint64, failAfter);
    QFETCH(qsizetype, bufferSize);
    ItemStore store;
    for (const char* item : {"alpha", "beta", "gamma", "delta"}) store.append(QByteArrayView(item));
    FailingDevice device;
    device.open(QIODevice::WriteOnly);
    device.failWritesAfter = failAfter;
    ScriptedYielder yielder;
    try {
        ListFileWriter::write(device, store, yielder, bufferSize);
        QFAIL("the write failure was not raised");
    } catch (const RunTimeError& e) {
        // A device without a name: the reason follows after one space.
        QCOMPARE(e.description(), u"Device I/O error (No space left on device)"_s);
    }
}

void ListFileFormatTest::saveThenLoadGivesTheSameItems_data() {
    QTest::addColumn<QStringList>("items");
    QTest::newRow("final empty item survives") << QStringList{u"a"_s, u"b"_s, QString()};
    QTest::newRow("only empty items") << QStringList{QString(), QString()};
    QTest::newRow("non-ascii") << QStringList{u"Grüße"_s, u"日本"_s, u"😀"_s};
    QTest::newRow("blanks") << QStringList{u"  "_s, u" x"_s};
    // A load takes U+FEFF at the file's start for a byte-order mark: the save writes one before it.
    QTest::newRow("first item starts with U+FEFF") << QStringList{u"\uFEFFfirst"_s, u"\uFEFF"_s};
}

void ListFileFormatTest::saveThenLoadGivesTheSameItems() {
    QFETCH(QStringList, items);
    const QByteArray bytes = writeItems(items);
    // A tiny write buffer writes the same bytes in many pieces.
    QCOMPARE(writeItems(items, 3), bytes);
    QCOMPARE(readBytes(bytes, ListFileReader::kChunkSize), items);
    QCOMPARE(readBytes(bytes, 1), items);
}

void ListFileFormatTest::largeListRoundTripsByteExact() {
    // Generated, not committed: long enough to cross read chunks, write buffers and the amount after
    // which the writer sends written bytes on to the disk.
    constexpr int kLines = 600000;
    QByteArray bytes;
    for (int i = 0; i < kLines; ++i)
        bytes += "line " + QByteArray::number(qint64(i) * 7919) + (i % 10 ? "" : " \xC3\xA4") + "\r\n";
    QTemporaryDir dir;
    QFile file(dir.filePath(u"large.txt"_s));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QCOMPARE(file.write(bytes), bytes.size());
    PaneModel pane;
    ScriptedYielder yielder(std::chrono::microseconds(0), 1000);
    ListFileReader::read(file, pane, yielder);
    QCOMPARE(pane.count(), kLines);
    QVERIFY(file.resize(0));
    ListFileWriter::write(file, pane.snapshot(), yielder);
    file.close();
    QCOMPARE(fileBytes(file.fileName()), bytes);
}

QTEST_GUILESS_MAIN(ListFileFormatTest)
#include "tst_listfiles_format.moc"
