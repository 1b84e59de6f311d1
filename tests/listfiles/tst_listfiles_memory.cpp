#include "ListFileTestSupport.h"
#include "listfiles/ListFileReader.h"
#include "listfiles/MemoryCheck.h"

#include <QTest>

namespace {
// Counts the bytes read from it.
class CountingBuffer : public QBuffer {
public:
    qint64 bytesRead = 0;

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 got = QBuffer::readData(data, maxSize);
        bytesRead += qMax<qint64>(0, got);
        return got;
    }
};

// True when the check refuses the bytes with that much memory left.
bool refused(CountingBuffer& buffer, qint64 memory) {
    buffer.open(QIODevice::ReadOnly);
    ScriptedMemory probe;
    probe.bytes = memory;
    ScriptedYielder yielder;
    try {
        MemoryCheck::requireRoomFor(buffer, probe, yielder);
    } catch (const RunTimeError& e) {
        return e.description() == u"Out of memory"_s;
    }
    return false;
}
}  // namespace

class MemoryCheckTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusesWhatWouldNotFitOnceDecoded_data();
    void refusesWhatWouldNotFitOnceDecoded();
    void countStopsOnceTheFileCannotFit();
};

void MemoryCheckTest::refusesWhatWouldNotFitOnceDecoded_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("memory");
    QTest::addColumn<bool>("refused");
    // What a pane takes: the decoded text, line ends included, and 4 bytes an item; the longest line
    // is held once more while read, and once again when converted from Windows-1252.
    const QByteArray oneLong = "a\r\n" + QByteArray(3'000'000, 'x') + "\r\nb\r\n";
    const qint64 longNeeds = 3'000'008 + 3 * 4 + 3'000'000;
    QTest::newRow("one long line, one byte short") << oneLong << longNeeds - 1 << true;
    QTest::newRow("one long line, just enough") << oneLong << longNeeds << false;
    // 99 bytes 0x80 a line: each a three-byte euro sign once decoded.
    const QByteArray euros = (QByteArray(99, '\x80') + "\r\n").repeated(1000);
    const qint64 eurosNeed = 101'000 + 2 * 99'000 + 1000 * 4 + (99 + 99 + 2 * 99);
    QTest::newRow("windows-1252 grows, one byte short") << euros << eurosNeed - 1 << true;
    QTest::newRow("windows-1252 grows, just enough") << euros << eurosNeed << false;
    // The same bytes as UTF-8 do not grow.
    const QByteArray accents = (QByteArray("\xC3\xA9").repeated(49) + "\r\n").repeated(1000);
    const qint64 accentsNeed = 100'000 + 1000 * 4 + 98;
    QTest::newRow("utf-8, one byte short") << accents << accentsNeed - 1 << true;
    QTest::newRow("utf-8, just enough") << accents << accentsNeed << false;
    // 100,000 characters of two bytes in UTF-16 and three in UTF-8: 300,004 in the pane, and as much
    // again while the line is read.
    QByteArray utf16 = "\xFF\xFE"_ba;
    for (int i = 0; i < 100'000; ++i) utf16 += "\x00\x08"_ba;
    QTest::newRow("utf-16 grows") << utf16 << qint64(550'000) << true;
    QTest::newRow("utf-16 fits") << utf16 << qint64(1'200'000) << false;
}

void MemoryCheckTest::refusesWhatWouldNotFitOnceDecoded() {
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, memory);
    QFETCH(bool, refused);
    CountingBuffer buffer;
    buffer.setData(bytes);
    QCOMPARE(::refused(buffer, memory), refused);
}

// A list of short lines just larger than the memory left: refused long before the end of the file.
void MemoryCheckTest::countStopsOnceTheFileCannotFit() {
    const QByteArray bytes = "a\r\n"_ba.repeated(4'000'000);
    CountingBuffer buffer;
    buffer.setData(bytes);
    QVERIFY(refused(buffer, bytes.size() + 100'000));
    QVERIFY2(buffer.bytesRead <= 2 * ListFileReader::kChunkSize,
             qPrintable(QString::number(buffer.bytesRead)));
}

QTEST_GUILESS_MAIN(MemoryCheckTest)
#include "tst_listfiles_memory.moc"
