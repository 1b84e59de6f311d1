#include "ListFileTestSupport.h"
#include "listfiles/ListDrop.h"
#include "listfiles/ListText.h"
#include "store/ItemStore.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class ListTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textSplitsIntoLinesAsAFileDoes_data();
    void textSplitsIntoLinesAsAFileDoes();
    void linesThatAreNotUtf8ReadAsWindows1252_data();
    void linesThatAreNotUtf8ReadAsWindows1252();
    void joinedItemsPasteBackToTheSameItems_data();
    void joinedItemsPasteBackToTheSameItems();
    void longTextAppendsInBatchesBetweenYields();
    void dropsTakeLocalFilesOrText_data();
    void dropsTakeLocalFilesOrText();
};

void ListTextTest::textSplitsIntoLinesAsAFileDoes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<QStringList>("expected");
    const int whole = int(ListText::kPieceSize);
    QTest::newRow("CR LF, blank line, final end")
        << u"a\r\n\r\nb\r\n"_s << whole << QStringList{"a", "", "b"};
    QTest::newRow("CR") << u"x\ry\r"_s << whole << QStringList{"x", "y"};
    QTest::newRow("LF") << u"one\ntwo"_s << whole << QStringList{"one", "two"};
    QTest::newRow("mixed, no final end") << u"a\r\nb\rc\nd"_s << whole << QStringList{"a", "b", "c", "d"};
    QTest::newRow("only a line end") << u"\r\n"_s << whole << QStringList{""};
    QTest::newRow("nothing") << QString() << whole << QStringList();
    QTest::newRow("byte-order mark dropped") << u"\uFEFFGrüße\r\nb"_s << whole << QStringList{"Grüße", "b"};
    QTest::newRow("second mark kept") << u"\uFEFF\uFEFFa"_s << whole << QStringList{u"\uFEFFa"_s};
    QTest::newRow("mark not at the start kept") << u"a\n\uFEFFb"_s << whole << QStringList{"a", u"\uFEFFb"_s};
    QTest::newRow("CR LF across pieces") << u"a\r\nb\r\n"_s << 1 << QStringList{"a", "b"};
    QTest::newRow("surrogate pair, pieces of 1") << u"😀\r\n€😀"_s << 1 << QStringList{"😀", "€😀"};
    QTest::newRow("surrogate pair, pieces of 2") << u"a😀b\n😀"_s << 2 << QStringList{"a😀b", "😀"};
}

void ListTextTest::textSplitsIntoLinesAsAFileDoes() {
    QFETCH(QString, text);
    QFETCH(int, pieceSize);
    QFETCH(QStringList, expected);
    TestContext t;
    t.list1.append(QByteArrayView("kept"));
    ListText::append(text, t.list1, t.yielder, pieceSize);
    QCOMPARE(t.list1.texts(), QStringList{"kept"} + expected);
    // The same text as UTF-8 bytes, cut into pieces of as many bytes (inside characters, too).
    ListText::append(text.toUtf8(), t.list2, t.yielder, pieceSize);
    QCOMPARE(t.list2.texts(), expected);
}

void ListTextTest::linesThatAreNotUtf8ReadAsWindows1252_data() {
    QTest::addColumn<int>("pieceSize");
    QTest::newRow("whole") << int(ListText::kPieceSize);
    QTest::newRow("pieces of 1") << 1;
    QTest::newRow("pieces of 2") << 2;
}

void ListTextTest::linesThatAreNotUtf8ReadAsWindows1252() {
    QFETCH(int, pieceSize);
    // Each line on its own: a UTF-8 line beside Windows-1252 ones stays UTF-8.
    const QByteArray bytes(
        "caf\xE9 cr\xE8me\r\n\xE2\x82\n\x80\x80"
        "c\xF0\x9F\x98\x80\nGr\xC3\xBC\xC3\nGr\xC3\xBC\xC3\x9F");
    TestContext t;
    ListText::append(bytes, t.list1, t.yielder, pieceSize);
    const QStringList expected{QStringLiteral("café crème"), QStringLiteral("â‚"), QStringLiteral("€€cðŸ˜€"),
                               QStringLiteral("GrÃ¼Ã"), QStringLiteral("Grüß")};
    QCOMPARE(t.list1.texts(), expected);
}

void ListTextTest::joinedItemsPasteBackToTheSameItems_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("pieceSize");
    const QStringList mixed{"red", "", "  spaced  ", "Grüße", "😀 €", "", "last"};
    QTest::newRow("whole") << mixed << int(ListText::kPieceSize);
    QTest::newRow("pieces of 1") << mixed << 1;
    QTest::newRow("pieces of 3") << mixed << 3;
    QTest::newRow("one blank item") << QStringList{""} << 1;
    QTest::newRow("no items") << QStringList() << 1;
    // Pasting takes U+FEFF at the start for a byte-order mark: the joined text puts one before it.
    QTest::newRow("first item starts with U+FEFF") << QStringList{u"\uFEFFfirst"_s, u"\uFEFF"_s} << 2;
}

void ListTextTest::joinedItemsPasteBackToTheSameItems() {
    QFETCH(QStringList, items);
    QFETCH(int, pieceSize);
    TestContext t;
    ItemStore store;
    for (const QString& item : items) store.append(item.toUtf8());
    const QByteArray utf8 = ListText::join(store, t.yielder, pieceSize);
    const QString lineEnd = QString::fromLatin1(ListText::kLineEnd);
    QCOMPARE(QString::fromUtf8(utf8), items.isEmpty() ? QString() : items.join(lineEnd) + lineEnd);
    // As Paste takes what Copy All hands over: UTF-8.
    ListText::append(QByteArrayView(utf8), t.list2, t.yielder, pieceSize);
    QCOMPARE(t.list2.texts(), items);
}

void ListTextTest::longTextAppendsInBatchesBetweenYields() {
    TestContext t;
    QString text;
    for (int i = 0; i < 100000; ++i) text += QString::number(i) + u"\r\n"_s;
    int insertions = 0;
    connect(&t.list1, &PaneModel::rowsInserted, this, [&] { ++insertions; });
    // The window sees the items come in: every yield finds the lines before it in the pane.
    t.yielder.onYield = [&] { QVERIFY(t.list1.count() > 0); };
    ListText::append(text, t.list1, t.yielder, 1000);
    QCOMPARE(t.list1.count(), 100000);
    QCOMPARE(t.list1.textAt(100000), u"99999"_s);
    QVERIFY(t.yielder.yields > 10);
    QVERIFY(insertions > 10);
}

void ListTextTest::dropsTakeLocalFilesOrText_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("text");
    QTest::addColumn<ListDrop::Kind>("kind");
    QTest::newRow("files") << QStringList{u"a.txt"_s, u"b.txt"_s} << QString() << ListDrop::Kind::Files;
    QTest::newRow("a folder") << QStringList{u"folder"_s} << QString() << ListDrop::Kind::Refused;
    QTest::newRow("a file and a folder, with their names as text")
        << QStringList{u"a.txt"_s, u"folder"_s} << u"a.txt"_s << ListDrop::Kind::Refused;
    QTest::newRow("text") << QStringList() << u"x"_s << ListDrop::Kind::Text;
    QTest::newRow("an address of another machine")
        << QStringList{u"https://example.org/a.txt"_s} << QString() << ListDrop::Kind::Refused;
}

void ListTextTest::dropsTakeLocalFilesOrText() {
    QFETCH(QStringList, names);
    QFETCH(QString, text);
    QFETCH(ListDrop::Kind, kind);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
    QList<QUrl> urls;
    for (const QString& name : names) {
        if (name.startsWith(u"https:"_s)) {
            urls.append(QUrl(name));
            continue;
        }
        if (name.endsWith(u".txt"_s)) QVERIFY(writeFile(dir.filePath(name), "x"));
        urls.append(QUrl::fromLocalFile(dir.filePath(name)));
    }
    QMimeData data;
    if (!urls.isEmpty()) data.setUrls(urls);
    if (!text.isEmpty()) data.setText(text);
    QCOMPARE(ListDrop::kindOf(data), kind);
}

QTEST_GUILESS_MAIN(ListTextTest)
#include "tst_listfiles_text.moc"
