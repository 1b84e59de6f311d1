#include "BenchReport.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
constexpr double kMb = 1024.0 * 1024.0;

double median(QList<double> values) {
    if (values.isEmpty()) return 0;
    std::sort(values.begin(), values.end());
    const qsizetype mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}
}  // namespace

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

void BenchReport::reportSize(qint64 size, qint64 processPeakBytes) {
    const QStringList order = commandsOf(size);
    const double peakMb = double(processPeakBytes) / kMb;
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
