#pragma once

#include "FormDriver.h"

#include <QList>

// The cases that need no list file, with List 1 filled in memory: one item removed from a very long
// pane; "Remove Items With" on repetitive texts, where a search that is not linear in the text
// searched takes far longer than the text's length suggests; and Sort A to Z on long texts that differ
// only in case, where every comparison reads both texts whole.
class BenchCases {
public:
    BenchCases(FormDriver& driver, int runs) : m_driver(driver), m_runs(runs) {}

    // Per size: Delete pressed on items spread over a pane of that many items (the benchmark's texts);
    // the median and longest time of a press and the longest event-loop gap.
    void singleRemoval(const QList<qint64>& sizes);
    // Per case: the median time and the longest gap of "Remove Items With" (List 1).
    void repetitiveSearch();
    // Per case: the median time and the longest gap of Sort A to Z (List 1's menu).
    void nearEqualSort();
    int failedRuns() const { return m_failedRuns; }

private:
    void fillList1(qint64 items);

    FormDriver& m_driver;
    int m_runs;
    int m_failedRuns = 0;
};
