#pragma once

#include "FormDriver.h"

#include <QList>
#include <QPair>
#include <QString>

#include <cstdio>
#include <utility>

// Collects the runs of one size and reports one row per command: the medians of the time and of the
// peak memory growth, and the longest event-loop gap of any run. Rows go to the terminal as a table
// and, when asked, to a CSV file.
class BenchReport {
public:
    explicit BenchReport(QString mode) : m_mode(std::move(mode)) {}
    ~BenchReport();
    BenchReport(const BenchReport&) = delete;
    BenchReport& operator=(const BenchReport&) = delete;

    // Starts appending rows to a CSV file (the header is written when the file is new or empty).
    bool openCsv(const QString& path);
    void add(qint64 size, const QString& command, const Measurement& m);
    // Reports the rows of `size`, in the order their commands first came, and the process's peak.
    void reportSize(qint64 size, qint64 processPeakBytes);
    static void printHeader();
    // Prints how much longer each command took at `to` items than at `from` items.
    void reportScaling(qint64 from, qint64 to) const;
    // One table over all sizes: each command's time, longest gap and peak growth at every size, and
    // its time at the last size over its time at the first.
    void reportScale(const QList<qint64>& sizes) const;
    // Each pair's second command against its first at `size`: both times, their ratio, both longest
    // gaps and the items left.
    void reportPairs(qint64 size, const QList<QPair<QString, QString>>& pairs) const;
    // How many measured runs showed an error report.
    int failedRuns() const { return m_failedRuns; }

private:
    struct Run {
        qint64 size;
        QString command;
        Measurement m;
    };
    struct Row {
        QString command;
        int runs = 0;
        double seconds = 0;
        double cpuSeconds = 0;
        double peakGrowthMb = 0;
        double longestGapMs = 0;
        double loopTurns = 0;
        int itemsAfter = 0;
        int errors = 0;
    };
    Row summarize(qint64 size, const QString& command) const;
    QStringList commandsOf(qint64 size) const;

    QString m_mode;
    QList<Run> m_runs;
    QList<QPair<qint64, double>> m_processPeakMb;
    std::FILE* m_csv = nullptr;
    int m_failedRuns = 0;
};
