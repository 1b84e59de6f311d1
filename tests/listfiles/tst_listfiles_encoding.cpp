#include "ListFileTestSupport.h"
#include "listfiles/ListFileEncoding.h"
#include "listfiles/ListFileReader.h"

#include <QTest>

namespace {
// The piece in which a line that long is checked for UTF-8, a piece at a time.
constexpr qsizetype kValidationPiece = 1024 * 1024;

const QList<QByteArray> kCharacters{"\xC3\xA9"_ba, "\xE2\x82\xAC"_ba, "\xF0\x9F\x98\x80"_ba};
}  // namespace

class ListFileEncodingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void characterAcrossPiecesIsStillUtf8_data();
    void characterAcrossPiecesIsStillUtf8();
    void characterAcrossTheValidationPieceOfALongLine_data();
    void characterAcrossTheValidationPieceOfALongLine();
};

void ListFileEncodingTest::characterAcrossPiecesIsStillUtf8_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    for (const QByteArray& c : kCharacters) {
        const int n = int(c.size());
        QTest::addRow("%d-byte character", n) << "ab" + c + "cd" << true;
        QTest::addRow("%d-byte character, last byte missing", n) << "ab" + c.chopped(1) + "cd" << false;
        QTest::addRow("%d-byte character at the end, cut", n) << "ab" + c.chopped(1) << false;
    }
}

// Every split point of the text, once into two pieces and once into pieces of one byte.
void ListFileEncodingTest::characterAcrossPiecesIsStillUtf8() {
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    for (qsizetype cut = 0; cut <= text.size(); ++cut) {
        Utf8Validator validator;
        validator.feed(text.first(cut));
        validator.feed(text.sliced(cut));
        QVERIFY2(validator.finish() == valid, qPrintable(u"cut at %1"_s.arg(cut)));
    }
    Utf8Validator bytewise;
    for (const char c : text) bytewise.feed(QByteArrayView(&c, 1));
    QCOMPARE(bytewise.finish(), valid);
}

void ListFileEncodingTest::characterAcrossTheValidationPieceOfALongLine_data() {
    QTest::addColumn<QByteArray>("line");
    for (const QByteArray& c : kCharacters) {
        for (qsizetype before = 1; before < c.size(); ++before) {
            QTest::addRow("%d-byte character, %d byte(s) in the first piece", int(c.size()), int(before))
                << QByteArray(kValidationPiece - before, 'x') + c + "y";
        }
    }
}

// A long line is UTF-8 however its characters fall across the pieces in which it is checked: read as
// Windows-1252, the character would become two to four others.
void ListFileEncodingTest::characterAcrossTheValidationPieceOfALongLine() {
    QFETCH(QByteArray, line);
    QBuffer buffer;
    buffer.setData(line + "\r\nnext");
    buffer.open(QIODevice::ReadOnly);
    PaneModel pane;
    ScriptedYielder yielder;
    ListFileReader::read(buffer, pane, yielder);
    QCOMPARE(pane.count(), 2);
    QVERIFY(pane.text(1) == line);
}

QTEST_GUILESS_MAIN(ListFileEncodingTest)
#include "tst_listfiles_encoding.moc"
