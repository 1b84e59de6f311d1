#include "BenchCases.h"

#include "BenchFigures.h"
#include "ListGenerator.h"
#include "panes/PaneModel.h"
#include "store/ItemStore.h"

#include <QByteArray>

#include <algorithm>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

using BenchFigures::median;

namespace {
constexpr int kRemoveItemsWith = 17;
constexpr const char* kSortAToZ = "actionSortAToZ";
constexpr qint64 kBatchItems = 1'000'000;

ItemStore generated(qint64 items) {
    ItemStore batch;
    for (qint64 k = 1; k <= items; ++k) {
        const std::string text = ListGenerator::textFor(std::uint32_t(k));
        batch.append(QByteArrayView(text.data(), qsizetype(text.size())));
    }
    return batch;
}

struct SearchCase {
    const char* title;
    qint64 items;
    QByteArray item;  // every item; "recN" cases put the number in front
    bool numbered;
    QString typed;
};

QList<SearchCase> searchCases() {
    const QByteArray spaces1000(1000, ' ');
    return {
        {"200,000 x \"recN\" + 1,000 spaces + \"|\"", 200000, spaces1000 + '|', true,
         QStringLiteral("x") + QString(60, u' ')},
        {"200,000 x \"recN\" + 1,000 spaces + \"|\"", 200000, spaces1000 + '|', true,
         QStringLiteral("x") + QString(250, u' ')},
        {"1 x 1,000,000 spaces", 1, QByteArray(1000000, ' '), false,
         QStringLiteral("x") + QString(2000, u' ')},
        {"1 x 1,000,000 spaces", 1, QByteArray(1000000, ' '), false, QString(2000, u' ') + u'x'},
        {"1,000,000 x 10 spaces", 1000000, QByteArray(10, ' '), false, QString(1000, u' ')},
        {"1 x 100,000,000 \"a\"", 1, QByteArray(100000000, 'a'), false,
         QString(1000, u'a') + QStringLiteral("b")},
    };
}

// `count` texts of `length` characters, each `a` or `A` at random (the same on every run).
ItemStore nearEqual(qint64 count, qsizetype length) {
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    ItemStore items;
    QByteArray text(length, 'a');
    for (qint64 k = 0; k < count; ++k) {
        for (char& c : text) {
            state = state * 6364136223846793005u + 1442695040888963407u;
            c = (state >> 63) ? 'A' : 'a';
        }
        items.append(text);
    }
    return items;
}

QString describe(const QString& typed) {
    // "x" + 60 spaces and the like: the typed text in a few words.
    QString out;
    qsizetype k = 0;
    while (k < typed.size()) {
        qsizetype run = 1;
        while (k + run < typed.size() && typed[k + run] == typed[k]) ++run;
        if (!out.isEmpty()) out += QStringLiteral(" + ");
        const QString what =
            typed[k] == u' ' ? QStringLiteral("spaces") : QStringLiteral("\"%1\"").arg(typed[k]);
        out += run == 1 ? what : QStringLiteral("%1 %2").arg(run).arg(what);
        k += run;
    }
    return out;
}
}  // namespace

void BenchCases::fillList1(qint64 items) {
    m_driver.clearBoth();
    const ItemStore batch = generated(std::min(items, kBatchItems));
    std::vector<QByteArrayView> texts;
    for (qsizetype i = 0; i < batch.count(); ++i) texts.push_back(batch.text(i));
    // Each round a copy of its own: the pane must not share its blocks, as a loaded list does not.
    for (qint64 left = items; left > 0; left -= qint64(texts.size())) {
        ItemStore copy;
        copy.appendAll(std::span(texts).first(size_t(std::min<qint64>(left, qint64(texts.size())))));
        m_driver.list1().appendBatch(copy);
    }
}

void BenchCases::singleRemoval(const QList<qint64>& sizes) {
    std::printf("\nOne item removed (Delete in List 1), %d presses spread over the pane:\n", m_runs);
    std::printf("%12s %12s %12s %12s %14s\n", "items", "median ms", "longest ms", "max gap ms", "process MB");
    for (qint64 size : sizes) {
        fillList1(size);
        QList<double> ms;
        double gap = 0;
        for (int k = 0; k < m_runs; ++k) {
            // From the first item (behind which everything moves) to the last.
            const qint64 position = 1 + (m_runs == 1 ? 0 : (size - 1 - k) * k / (m_runs - 1));
            m_driver.selectInList1(int(position));
            const Measurement m = m_driver.measure([&] { m_driver.pressDelete(); });
            if (m.itemsAfter != size - 1 - k || m.errors > 0) ++m_failedRuns;
            ms.append(m.seconds * 1000);
            gap = std::max(gap, m.longestGapMs);
        }
        std::printf("%12lld %12.2f %12.2f %12.1f %14.0f\n", size, median(ms),
                    *std::max_element(ms.cbegin(), ms.cend()), gap,
                    double(m_driver.takeProcessPeak()) / (1024.0 * 1024.0));
        std::fflush(stdout);
    }
    m_driver.clearBoth();
}

void BenchCases::repetitiveSearch() {
    std::printf("\n\"Remove Items With\" (List 1) on repetitive texts, median of %d runs:\n", m_runs);
    std::printf("%-40s %-22s %9s %11s %11s\n", "items", "typed text", "time s", "max gap ms", "items after");
    for (const SearchCase& c : searchCases()) {
        QList<double> seconds;
        double gap = 0;
        int after = 0;
        for (int run = 0; run < m_runs; ++run) {
            m_driver.clearBoth();
            ItemStore items;
            for (qint64 k = 1; k <= c.items; ++k)
                items.append(c.numbered ? QByteArray("rec" + QByteArray::number(k) + c.item) : c.item);
            m_driver.list1().appendBatch(items);
            const Measurement m = m_driver.measure([&] { m_driver.clickCommand(kRemoveItemsWith, c.typed); });
            if (m.errors > 0) ++m_failedRuns;
            seconds.append(m.seconds);
            gap = std::max(gap, m.longestGapMs);
            after = m.itemsAfter;
        }
        std::printf("%-40s %-22s %9.3f %11.1f %11d\n", c.title, qPrintable(describe(c.typed)),
                    median(seconds), gap, after);
        std::fflush(stdout);
    }
    m_driver.clearBoth();
}

void BenchCases::nearEqualSort() {
    std::printf("\nSort A to Z (List 1's menu) on texts of only a and A at random, median of %d runs:\n",
                m_runs);
    std::printf("%-12s %-12s %9s %9s %11s %9s\n", "items", "characters", "time s", "cpu s", "max gap ms",
                "in order");
    const std::pair<qint64, qsizetype> cases[] = {{20000, 500}, {20000, 3000}, {200000, 300}};
    for (const auto& [count, length] : cases) {
        const ItemStore items = nearEqual(count, length);
        QList<double> seconds, cpuSeconds;
        double gap = 0;
        bool ordered = true;
        for (int run = 0; run < m_runs; ++run) {
            m_driver.clearBoth();
            m_driver.list1().appendBatch(items);
            const Measurement m = m_driver.measure([&] { m_driver.triggerNamedAction(1, kSortAToZ); });
            if (m.errors > 0 || m.itemsAfter != count) ++m_failedRuns;
            // The texts fold alike: their bytes decide, and 'A' comes before 'a'.
            const PaneModel& pane = m_driver.list1();
            for (int p = 1; p < pane.count() && ordered; ++p) ordered = pane.text(p) <= pane.text(p + 1);
            seconds.append(m.seconds);
            cpuSeconds.append(m.cpuSeconds);
            gap = std::max(gap, m.longestGapMs);
        }
        if (!ordered) ++m_failedRuns;
        std::printf("%-12lld %-12lld %9.3f %9.3f %11.1f %9s\n", count, qint64(length), median(seconds),
                    median(cpuSeconds), gap, ordered ? "yes" : "NO");
        std::fflush(stdout);
    }
    m_driver.clearBoth();
}
