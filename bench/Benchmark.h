#pragma once

#include "BenchCases.h"
#include "BenchCommands.h"
#include "BenchReport.h"
#include "FormDriver.h"

#include <QList>
#include <QString>
#include <QStringList>

struct BenchOptions {
    QString dataFolder;
    QList<qint64> sizes;
    int runs = 3;
    QString csvPath;
    // Time whole jobs (load, command, save) instead of single commands.
    bool endToEnd = false;
    // Commands (or jobs) to run, by name; empty: all.
    QStringList only;
    // No command table: only the cases below.
    bool noCommands = false;
    // Also print the table over all sizes with each command's growth from the first to the last.
    bool scale = false;
    // Pane sizes for the single-item removal; empty: not run.
    QList<qint64> removalSizes;
    bool searchCases = false;
    bool sortCases = false;
    // The list commands on the lists' three-column rows (ColumnRows), matched on column 2 and on
    // whole rows; without the other commands unless --only names them.
    bool columns = false;
    // Accessibility is on and an AT client is connected (bench/benchmark --accessible sets that up);
    // after each size the client times its questions to the idle window.
    bool accessible = false;
    // Run the huge and odd items case instead, with an item of this many bytes.
    bool huge = false;
    qint64 hugeItemBytes = 100 * 1024 * 1024;
};

// Runs every command (or job) on every size, `runs` times, each from freshly loaded panes.
class Benchmark {
public:
    explicit Benchmark(BenchOptions options);
    // Prints the tables; answers the process's exit code (1 when a run reported an error).
    int run();

private:
    void runSize(qint64 size);
    bool wanted(const BenchCommand& command) const;
    bool columnsWanted(const QString& name) const;
    void runColumns(qint64 size);
    Measurement measureCommand(const BenchCommand& command, qint64 size);
    // A routine or menu entry on the rows of that size, List 1 and List 2 matched on `column` (0: whole
    // rows).
    Measurement measureOnRows(const BenchCommand& command, qint64 size, int column);
    Measurement measureJob(const BenchCommand& command, qint64 size);
    void makeStep(const BenchCommand& command, qint64 size);
    QString listFile(int listNumber, qint64 size) const;
    QString rowsFile(int listNumber, qint64 size) const;
    QString outputFile(const QString& what, qint64 size) const;

    BenchOptions m_options;
    FormDriver m_driver;
    BenchReport m_report;
};
