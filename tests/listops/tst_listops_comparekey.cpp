#include "listops/CompareKey.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTest>

// The compare key against plain Qt: two texts have equal keys exactly when QString::compare with
// Qt::CaseInsensitive (after trimmed(), where spaces are ignored) finds them equal.
class CompareKeyTest : public QObject {
    Q_OBJECT

    static const QStringList& pieces() {
        static const QStringList list{"a",      "A",      "z", "Z",      "é", "É", "e", "σ",  "Σ",
                                      "ς",      "Ж",      "ж", "İ",      "i", "I", "ı", "ß",  "SS",
                                      "ss",     "ẞ",      "K", "\u212A", "ſ", "S", " ", "\t", "\u00A0",
                                      "\u3000", "\u2029", "1", "-",      "😀", "𐐀", "𐐨"};
        return list;
    }

    static QString generated(QRandomGenerator& random) {
        QString text;
        const int length = int(random.bounded(5));
        for (int i = 0; i < length; ++i) text += pieces()[int(random.bounded(qsizetype(pieces().size())))];
        return text;
    }

    static bool oracleEqual(QString a, QString b, const CompareOptions& options) {
        if (options.ignoreSpaces) a = a.trimmed(), b = b.trimmed();
        return QString::compare(a, b, options.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
    }

private Q_SLOTS:
    void keysAgreeWithQtComparison_data() {
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<bool>("ignoreSpaces");
        QTest::newRow("exact") << false << false;
        QTest::newRow("case") << true << false;
        QTest::newRow("spaces") << false << true;
        QTest::newRow("both") << true << true;
    }
    void keysAgreeWithQtComparison() {
        QFETCH(bool, ignoreCase);
        QFETCH(bool, ignoreSpaces);
        const CompareOptions options{ignoreCase, ignoreSpaces};
        QRandomGenerator random(23);
        QStringList texts{"",
                          "  ",
                          "\t\u00A0",
                          "Straße",
                          "STRASSE",
                          "Σίσυφος",
                          "ΣΊΣΥΦΟΣ",
                          "ИСТИНА",
                          "истина",
                          QString(300, 'Q') + "é",
                          QString(300, 'q') + "É"};
        // ASCII read a word or half a word at once, with Z and the signs beside A to Z; a space beyond
        // ASCII at either end.
        texts += QStringList{"PIZZERIA", "pizzeria", "Zig@Zag[",    "zig@zag[",    "zig`zag[",
                             "zig@zag{", "ZI@Z[",    "zi@z[",       "zi`z{",       "Z@[",
                             "z@[",      "z`{",      "apple\u00A0", "\u00A0apple", "apple"};
        while (texts.size() < 400) texts << generated(random);
        // The hash tables compare by same() and hash(), which take no key where the texts are ASCII.
        QList<QByteArray> keys, utf8;
        QList<std::uint64_t> hashes;
        for (const QString& text : texts) {
            utf8 << text.toUtf8();
            keys << CompareKey::of(utf8.back(), options);
            hashes << CompareKey::hash(utf8.back(), options, 7);
        }
        for (qsizetype i = 0; i < texts.size(); ++i)
            for (qsizetype j = 0; j < texts.size(); ++j) {
                const bool equal = oracleEqual(texts[i], texts[j], options);
                if ((keys[i] == keys[j]) != equal || CompareKey::same(utf8[i], utf8[j], options) != equal ||
                    (equal && hashes[i] != hashes[j]))
                    QFAIL(qPrintable(QStringLiteral("'%1' vs '%2'").arg(texts[i], texts[j])));
            }
    }

    // A search ignoring case reads ASCII in place for texts without these letters: no other
    // character beyond ASCII may fold into ASCII.
    void onlyKnownCharactersFoldIntoAscii() {
        const QByteArray known(CompareKey::kAsciiFoldedFromBeyond);
        for (char32_t c = 0x80; c <= QChar::LastValidCodePoint; ++c) {
            const char32_t folded = QChar::toCaseFolded(c);
            if (folded < 0x80 && !known.contains(char(folded)))
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(quint32(c), 4, 16, QChar(u'0'))));
        }
        QVERIFY(CompareKey::foundIgnoringAsciiCase("mail@x.org"));
        QVERIFY(!CompareKey::foundIgnoringAsciiCase("mails"));
        QVERIFY(!CompareKey::foundIgnoringAsciiCase("\xc3\xa9"));
    }

    void blankFollowsTrimming_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<bool>("blankIgnoringSpaces");
        QTest::newRow("empty") << "" << true << true;
        QTest::newRow("space") << " " << false << true;
        QTest::newRow("tab and no-break space") << "\t\u00A0\u3000" << false << true;
        QTest::newRow("letter") << " x " << false << false;
        QTest::newRow("zero-width space is no space") << "\u200B" << false << false;
    }
    void blankFollowsTrimming() {
        QFETCH(QString, text);
        QFETCH(bool, blank);
        QFETCH(bool, blankIgnoringSpaces);
        QCOMPARE(CompareKey::isBlank(text.toUtf8(), {}), blank);
        QCOMPARE(CompareKey::isBlank(text.toUtf8(), {true, false}), blank);
        QCOMPARE(CompareKey::isBlank(text.toUtf8(), {false, true}), blankIgnoringSpaces);
        QCOMPARE(text.trimmed().isEmpty(), blankIgnoringSpaces);
    }
};

QTEST_GUILESS_MAIN(CompareKeyTest)
#include "tst_listops_comparekey.moc"
