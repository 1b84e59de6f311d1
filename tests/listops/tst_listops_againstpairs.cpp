#include "ListTestSupport.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <functional>

// Each routine against the plain algorithm it must agree with: every pair of items compared, the
// collected items removed one at a time, on many small random lists with blanks, case variants,
// spaces, accents and repeats; under each set of compare options, equality is QString's own.
namespace {

using Indexes = QList<qsizetype>;

CompareOptions options;

bool same(QString a, QString b) {
    if (options.ignoreSpaces) a = a.trimmed(), b = b.trimmed();
    return QString::compare(a, b, options.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

bool blank(const QString& s) {
    return options.ignoreSpaces ? s.trimmed().isEmpty() : s.isEmpty();
}

bool contains(const QString& s, const QString& text) {
    return s.contains(text, options.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

Texts removed(Texts items, const Indexes& descending) {
    for (qsizetype i : descending) items.removeAt(i);
    return items;
}

// Target items with a match in the reference, once per matching reference item.
Indexes matches(const Texts& t, const Texts& r) {
    Indexes found;
    for (qsizetype i = 0; i < t.size(); ++i)
        found.append(
            Indexes(std::count_if(r.cbegin(), r.cend(), [&](const QString& x) { return same(t[i], x); }), i));
    return found;
}

Texts subtract(const Texts& t, const Texts& r) {
    const Indexes found = matches(t, r);
    Indexes distinct;  // each index at its last occurrence, highest first
    for (qsizetype k = 0; k < found.size(); ++k)
        if (!found.mid(k + 1).contains(found[k])) distinct.prepend(found[k]);
    return removed(t, distinct);
}

Texts keep(Texts t, const Texts& r) {
    const Indexes found = matches(t, r);
    for (qsizetype i = t.size() - 1; i >= 0; --i)
        if (!found.contains(i)) t.removeAt(i);
    return t;
}

Texts exceptFirst(Texts t) {
    for (qsizetype i = t.size() - 1; i >= 0; --i)
        for (qsizetype j = t.size() - 1; j > i; --j)
            if (same(t[i], t[j])) t.removeAt(j);
    return t;
}

Texts all(const Texts& t) {
    Indexes found;
    for (qsizetype i = t.size() - 1; i >= 0; --i)
        for (qsizetype j = t.size() - 1; j > i; --j)
            if (same(t[i], t[j]) && (found.isEmpty() || found.last() != i)) found.append(i);
    return removed(t, found);
}

Texts filter(const Texts& t, const std::function<bool(const QString&)>& remove) {
    Indexes found;
    for (qsizetype i = t.size() - 1; i >= 0; --i)
        if (remove(t[i])) found.append(i);
    return removed(t, found);
}

Texts byPairs(const QString& routine, const Texts& t, const Texts& r, const QString& text) {
    if (routine == kRoutines[0]) return subtract(t, r);
    if (routine == kRoutines[1]) return keep(t, r);
    if (routine == kRoutines[2]) return exceptFirst(t);
    if (routine == kRoutines[3]) return all(t);
    if (routine == kRoutines[4]) return filter(t, blank);
    if (routine == kRoutines[5]) return filter(t, [&](const QString& s) { return contains(s, text); });
    return filter(t, [&](const QString& s) { return !contains(s, text); });
}

// Runs the routine on random lists drawn from `words` (and a typed text from `searches`) under the
// current options, each time against the plain pairwise answer.
void agreesOnRandomLists(const QString& routine, const Texts& words, const Texts& searches, quint32 seed,
                         int maxLength, int rounds) {
    QRandomGenerator random(seed);
    auto pick = [&](const Texts& from) { return from[random.bounded(int(from.size()))]; };
    auto randomList = [&] {
        Texts list;
        for (int k = random.bounded(maxLength); k > 0; --k) list.append(pick(words));
        return list;
    };
    for (int round = 0; round < rounds; ++round) {
        TestContext t;
        const Texts target = randomList(), reference = randomList();
        const QString text = pick(searches);
        TestContext::fill(t.list1, target);
        TestContext::fill(t.list2, reference);
        runRoutine(t, routine, text, nullptr, options);
        QCOMPARE(t.list1.texts(), byPairs(routine, target, reference, text));
    }
}

}  // namespace

class ListAgainstPairsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void agreesWithEveryPairCompared_data() {
        QTest::addColumn<QString>("routine");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<int>("rounds");
        // Lists longer than the stretch a routine reads ahead of its pass, too.
        for (const QString& r : kRoutines) {
            QTest::newRow(qPrintable(r)) << r << 12 << 400;
            QTest::newRow(qPrintable(r + ", long lists")) << r << 200 << 20;
        }
    }
    void agreesWithEveryPairCompared();

    void agreesUnderEachCompareOption_data();
    void agreesUnderEachCompareOption();

    void searchIgnoringCaseAgrees_data();
    void searchIgnoringCaseAgrees();
};

void ListAgainstPairsTest::agreesWithEveryPairCompared() {
    QFETCH(QString, routine);
    QFETCH(int, maxLength);
    QFETCH(int, rounds);
    // A precomposed "é" and "e" with a combining accent look alike and must not match.
    const Texts words{"", "a", "A", "a ", " a", "b", "ab", "ba", "é", "e\u0301", "x y"};
    const Texts searches{"a", " ", "b", "é", "A", "ab", "e"};
    agreesOnRandomLists(routine, words, searches, 20210831, maxLength, rounds);
}

void ListAgainstPairsTest::agreesUnderEachCompareOption_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<bool>("ignoreSpaces");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<int>("rounds");
    for (const QString& r : kRoutines) {
        QTest::newRow(qPrintable(r + ", exact")) << r << false << false << 40 << 150;
        QTest::newRow(qPrintable(r + ", case")) << r << true << false << 40 << 150;
        QTest::newRow(qPrintable(r + ", spaces")) << r << false << true << 40 << 150;
        QTest::newRow(qPrintable(r + ", both")) << r << true << true << 40 << 150;
    }
    // Beyond the stretch of items folded at a time; the oracle of the others takes too long here.
    for (const QString& r : kRoutines.mid(4))
        QTest::newRow(qPrintable(r + ", long list")) << r << true << true << 20000 << 2;
}

void ListAgainstPairsTest::agreesUnderEachCompareOption() {
    QFETCH(QString, routine);
    QFETCH(bool, ignoreCase);
    QFETCH(bool, ignoreSpaces);
    QFETCH(int, maxLength);
    QFETCH(int, rounds);
    options = {ignoreCase, ignoreSpaces};
    // Greek final sigma folds to sigma; dotted and dotless I fold to themselves; simple folding
    // leaves "ß" apart from "SS"; U+2029 and no-break spaces are white space, U+200B is not.
    const QString longItem = QString(70, u'x') + QStringLiteral("Ωé");
    const Texts words{"",
                      " ",
                      "\t\u00A0",
                      "\u2029",
                      "\u200B",
                      "mail",
                      "MAIL",
                      " Mail\t",
                      "\u00A0mail",
                      "é",
                      "É",
                      "ΣΊΣΥΦΟΣ",
                      "σίσυφος",
                      "σίσυφoς",
                      "σίσυφοσ",
                      "ЖУК",
                      "жук",
                      "İ",
                      "i",
                      "I",
                      "ı",
                      "ß",
                      "SS",
                      "ss",
                      "ẞ",
                      longItem,
                      longItem.toUpper(),
                      QStringLiteral(" ") + longItem.toLower()};
    const Texts searches{"MAIL", "ς", "Σ", "ss", "İ", "i", "\t", " ", "é", "Ж", "Ωé"};
    agreesOnRandomLists(routine, words, searches, 23, maxLength, rounds);
    options = {};
}

namespace {

// A list of `count` items drawn from `words`, its first half from the ASCII ones only: stretches of
// ASCII items and stretches with others in one block.
Texts drawn(const Texts& words, int count) {
    Texts ascii;
    for (const QString& w : words)
        if (w.toUtf8().size() == w.size()) ascii << w;
    QRandomGenerator random(52);
    Texts list;
    for (int i = 0; i < count; ++i) {
        const Texts& from = i < count / 2 ? ascii : words;
        list << from[random.bounded(int(from.size()))];
    }
    return list;
}

}  // namespace

void ListAgainstPairsTest::searchIgnoringCaseAgrees_data() {
    QTest::addColumn<Texts>("items");
    QTest::addColumn<Texts>("searches");
    // KELVIN SIGN folds to k and LONG S to s: items holding them never match byte-wise.
    QTest::newRow("ASCII and folding into ASCII")
        << drawn({"mail", "MAIL", "Kelvin", "\u212Aelvin", "\u017Fun", "SUN", "sun", "ma\u212Ail", "é", "ÉKS",
                  "x"},
                 10000)
        << Texts{"K", "s", "KELVIN", "Sun", "mail", "\u212A", "\u017F", "É", "ks", "MAILS"};
    QTest::newRow("text folding beyond ASCII, text longer than items")
        << drawn({"e", "E", "abc", "é", "É", "Σσς", ""}, 6000) << Texts{"É", "ς", "Σ", "ABCD", "abcé"};
    // Every place of the spaces is a candidate: the two-way search takes over.
    const QString spaces(100, u' ');
    QTest::newRow("aA amid spaces in spaces")
        << drawn({spaces + spaces, spaces + "aA" + spaces, spaces + "Aa" + spaces, spaces + "ab" + spaces},
                 3000)
        << Texts{QString(40, u' ') + "AA" + QString(40, u' '), QString(99, u' ') + "a"};
    // Items longer than the pieces folded between two yields, with the text's characters at 256 KiB,
    // where a piece ends.
    Texts huge{QString(150000, u'é') + "\u212A"};
    for (int offset = 262140; offset < 262146; ++offset)
        huge << QString(offset / 2, u'é') + QString(offset % 2, u'x') + "\u212A\u017F" + QString(20000, u'é');
    QTest::newRow("items of hundreds of kilobytes") << huge << Texts{"KS", "é\u212A", "Éks"};
}

void ListAgainstPairsTest::searchIgnoringCaseAgrees() {
    QFETCH(Texts, items);
    QFETCH(Texts, searches);
    options = {true, false};
    for (const QString& text : searches)
        for (const QString& routine : kRoutines.mid(5)) {
            TestContext t;
            TestContext::fill(t.list1, items);
            runRoutine(t, routine, text, nullptr, options);
            QVERIFY2(t.list1.texts() == byPairs(routine, items, {}, text), qPrintable(routine + ": " + text));
        }
    options = {};
}

QTEST_GUILESS_MAIN(ListAgainstPairsTest)
#include "tst_listops_againstpairs.moc"
