#include "BenchReport.h"

#include <QFile>
#include <QFileInfo>
#include "BenchFigures.h"

#include <algorithm>

using BenchFigures::kMb;
using BenchFigures::median;

BenchReport::~BenchReport() {
    if (m_csv) std::fclose(m_csv);
}

bool BenchReport::openCsv(const QString& path) {
    const bool isNew = !QFileInfo::exists(path) || QFileInfo(path).size() == 0;
    m_csv = std::fopen(QFile::encodeName(path).constData(), "a");
    if (!m_csv) return false;
    if (isNew)
        std::fprintf(m_csv,
                     "mode,items,command,runs,seconds_median,peak_growth_mb_median,longest_gap_ms,"
                     "loop_turns_median,items_after,errors,process_peak_mb,cpu_seconds_median\n");
    return true;
}

void BenchReport::add(qint64 size, const QString& command, const Measurement& m) {
    m_runs.append(Run{size, command, m});
    if (m.errors > 0) ++m_failedRuns;
}

BenchReport::Row BenchReport::summarize(qint64 size, const QString& command) const {
    Row row{command};
    QList<double> seconds, cpu, growth, turns;
    for (const Run& run : m_runs) {
        if (run.size != size || run.command != command) continue;
        ++row.runs;
        seconds.append(run.m.seconds);
        cpu.append(run.m.cpuSeconds);
        growth.append(run.m.peakGrowthMb);
        turns.append(run.m.loopTurns);
        row.longestGapMs = std::max(row.longestGapMs, run.m.longestGapMs);
        row.itemsAfter = run.m.itemsAfter;
        row.errors += run.m.errors;
    }
    row.seconds = median(seconds);
    row.cpuSeconds = median(cpu);
    row.peakGrowthMb = median(growth);
    row.loopTurns = median(turns);
    return row;
}

void BenchReport::printHeader() {
    std::printf("%10s  %-18s %9s %7s %10s %11s %7s %11s %6s\n", "items", "command", "time s", "cpu s",
                "peak +MB", "max gap ms", "turns", "items after", "errors");
}

QStringList BenchReport::commandsOf(qint64 size) const {
    QStringList order;
    for (const Run& run : m_runs)
        if (run.size == size && !order.contains(run.command)) order.append(run.command);
    return order;
}

void BenchReport::reportScaling(qint64 from, qint64 to) const {
    std::printf("\ntime at %lld items / time at %lld items (the item count grew %.1fx):\n", to, from,
                double(to) / double(from));
    for (const QString& command : commandsOf(to)) {
        const double before = summarize(from, command).seconds;
        if (before > 0)
            std::printf("  %-18s %5.1fx\n", qPrintable(command), summarize(to, command).seconds / before);
    }
}

void BenchReport::reportScale(const QList<qint64>& sizes) const {
    if (sizes.size() < 2) return;
    const auto label = [](qint64 size) {
        return size % 1000000 == 0 ? QStringLiteral("%1M").arg(size / 1000000) : QString::number(size);
    };
    std::printf(
        "\nScale: time s, longest gap ms and peak growth MB per size; ratio = time at %s / time at %s\n",
        qPrintable(label(sizes.last())), qPrintable(label(sizes.first())));
    std::printf("%-18s", "command");
    for (const char* what : {"s", "gap ms", "+MB"})
        for (qint64 size : sizes) std::printf(" %10s", qPrintable(label(size) + u' ' + QLatin1String(what)));
    std::printf(" %7s\n", "ratio");
    for (const QString& command : commandsOf(sizes.last())) {
        QList<Row> rows;
        for (qint64 size : sizes) rows.append(summarize(size, command));
        std::printf("%-18s", qPrintable(command));
        for (const Row& r : rows) std::printf(" %10.3f", r.seconds);
        for (const Row& r : rows) std::printf(" %10.1f", r.longestGapMs);
        for (const Row& r : rows) std::printf(" %10.1f", r.peakGrowthMb);
        const double first = rows.first().seconds;
        std::printf(" %7.1f\n", first > 0 ? rows.last().seconds / first : 0.0);
    }
    std::printf("%-18s", "process peak MB");
    for (qint64 size : sizes)
        for (const auto& [peakSize, peakMb] : m_processPeakMb)
            if (peakSize == size) std::printf(" %10.0f", peakMb);
    std::printf("\n");
    std::fflush(stdout);
}

void BenchReport::reportSize(qint64 size, qint64 processPeakBytes) {
    const QStringList order = commandsOf(size);
    const double peakMb = double(processPeakBytes) / kMb;
    m_processPeakMb.append({size, peakMb});
    for (const QString& command : order) {
        const Row r = summarize(size, command);
        std::printf("%10lld  %-18s %9.3f %7.3f %10.1f %11.1f %7.0f %11d %6d\n", size, qPrintable(command),
                    r.seconds, r.cpuSeconds, r.peakGrowthMb, r.longestGapMs, r.loopTurns, r.itemsAfter,
                    r.errors);
        if (m_csv)
            std::fprintf(m_csv, "%s,%lld,%s,%d,%.6f,%.1f,%.2f,%.0f,%d,%d,%.1f,%.6f\n", qPrintable(m_mode),
                         size, qPrintable(command), r.runs, r.seconds, r.peakGrowthMb, r.longestGapMs,
                         r.loopTurns, r.itemsAfter, r.errors, peakMb, r.cpuSeconds);
    }
    std::printf("%10lld  process peak resident memory: %.1f MB\n", size, peakMb);
    std::fflush(stdout);
    if (m_csv) std::fflush(m_csv);
}

void BenchReport::reportPairs(qint64 size, const QList<QPair<QString, QString>>& pairs) const {
    std::printf("\n%lld items, column 2 against whole rows: time s, ratio, longest gap ms, items after\n",
                size);
    std::printf("%-18s %8s %8s %6s %8s %8s %11s %11s\n", "command", "rows", "col 2", "ratio", "rows gap",
                "col gap", "rows after", "col after");
    for (const auto& [whole, column] : pairs) {
        const Row w = summarize(size, whole);
        const Row c = summarize(size, column);
        std::printf("%-18s %8.3f %8.3f %6.2f %8.1f %8.1f %11d %11d\n",
                    qPrintable(whole.mid(whole.indexOf(u' ') + 1)), w.seconds, c.seconds,
                    w.seconds > 0 ? c.seconds / w.seconds : 0.0, w.longestGapMs, c.longestGapMs, w.itemsAfter,
                    c.itemsAfter);
    }
    std::fflush(stdout);
}
