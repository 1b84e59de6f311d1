#include "ListTestSupport.h"

#include <QRandomGenerator>
#include <QTest>

// Each routine against the plain algorithm it must agree with: every pair of items compared, the
// collected items removed one at a time. Many small random lists with blanks, case variants,
// spaces, accents and repeats.
namespace Pairs {

QList<int> lastOccurrences(const QList<int>& values) {
    QList<int> result;
    for (qsizetype k = 0; k < values.size(); ++k)
        if (!values.mid(k + 1).contains(values[k])) result.append(values[k]);
    return result;
}

QStringList removeAt(QStringList items, const QList<int>& descending) {
    for (int i : descending) items.removeAt(i);
    return items;
}

QStringList subtract(const QStringList& t, const QStringList& r) {
    QList<int> found;
    for (qsizetype i = 0; i < t.size(); ++i)
        for (const QString& x : r)
            if (t[i] == x) found.append(int(i));
    found = lastOccurrences(found);
    std::reverse(found.begin(), found.end());
    return removeAt(t, found);
}

QStringList keep(QStringList t, const QStringList& r) {
    QList<int> found;
    for (qsizetype i = 0; i < t.size(); ++i)
        for (const QString& x : r)
            if (t[i] == x) found.append(int(i));
    for (qsizetype i = t.size() - 1; i >= 0; --i)
        if (!found.contains(int(i))) t.removeAt(i);
    return t;
}

QStringList exceptFirst(QStringList t) {
    for (qsizetype i = t.size() - 1; i >= 0; --i)
        for (qsizetype j = t.size() - 1; j > i; --j)
            if (t[i] == t[j]) t.removeAt(j);
    return t;
}

QStringList all(const QStringList& t) {
    QList<int> found;
    for (qsizetype i = t.size() - 1; i >= 0; --i)
        for (qsizetype j = t.size() - 1; j > i; --j)
            if (t[i] == t[j] && (found.isEmpty() || found.last() != i)) found.append(int(i));
    return removeAt(t, found);
}

QStringList filter(const QStringList& t, const std::function<bool(const QString&)>& remove) {
    QList<int> found;
    for (qsizetype i = t.size() - 1; i >= 0; --i)
        if (remove(t[i])) found.append(int(i));
    return removeAt(t, found);
}

QStringList run(const QString& routine, const QStringList& t, const QStringList& r, const QString& text) {
    if (routine == "Subtract") return subtract(t, r);
    if (routine == "Keep") return keep(t, r);
    if (routine == "ExceptFirst") return exceptFirst(t);
    if (routine == "All") return all(t);
    if (routine == "Blanks") return filter(t, [](const QString& s) { return s.isEmpty(); });
    if (routine == "With") return filter(t, [&](const QString& s) { return s.contains(text); });
    return filter(t, [&](const QString& s) { return !s.contains(text); });
}

}  // namespace Pairs

class ListAgainstPairsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void agreesWithEveryPairCompared_data();
    void agreesWithEveryPairCompared();
};

void ListAgainstPairsTest::agreesWithEveryPairCompared_data() {
    QTest::addColumn<QString>("routine");
    for (const char* r : {"Subtract", "Keep", "ExceptFirst", "All", "Blanks", "With", "Without"})
        QTest::newRow(r) << QString::fromLatin1(r);
}

void ListAgainstPairsTest::agreesWithEveryPairCompared() {
    QFETCH(QString, routine);
    // "é" precomposed and "e" with a combining accent look alike and must not match.
    const QStringList words{"", "a", "A", "a ", " a", "b", "ab", "ba", "é", "e\u0301", "x y"};
    const QStringList searches{"a", " ", "b", "é", "A", "ab", "e"};
    QRandomGenerator random(20210831);
    auto randomList = [&] {
        QStringList list;
        for (int k = int(random.bounded(12)); k > 0; --k) list.append(words[random.bounded(int(words.size()))]);
        return list;
    };
    for (int round = 0; round < 400; ++round) {
        const QStringList target = randomList();
        const QStringList reference = randomList();
        const QString text = searches[random.bounded(int(searches.size()))];
        TestContext t;
        TestContext::fill(t.list1, target);
        TestContext::fill(t.list2, reference);
        runRoutine(t, routine, text);
        QCOMPARE(t.list1.texts(), Pairs::run(routine, target, reference, text));
        QCOMPARE(t.list2.texts(), reference);
    }
}

QTEST_GUILESS_MAIN(ListAgainstPairsTest)
#include "tst_listops_againstpairs.moc"
