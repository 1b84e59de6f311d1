#pragma once

#include "ProcessUse.h"
#include "core/Dialogs.h"
#include "core/Progress.h"
#include "core/Yielder.h"

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>

// What the speed gate's commands run with: clocks, no dialogs, no display, and a yielder that
// watches the stretches between turns of the event loop.
namespace GateServices {

// The yielder's time budget.
inline constexpr auto kBudget = std::chrono::milliseconds(2);

// All threads' time, for the jobs: work that a second thread takes over still counts.
inline double processMs() {
    return ProcessUse::processCpuSeconds() * 1e3;
}

// The window's thread alone, for the stretches between its turns of the event loop.
inline double threadMs() {
    return ProcessUse::threadCpuSeconds() * 1e3;
}

inline double wallMs() {
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    return double(clock.nsecsElapsed()) / 1e6;
}

class NoDialogs : public Dialogs {
public:
    int reports = 0;
    Answer message(const QString&, const QString&, Buttons, Icon) override {
        ++reports;
        return Answer::Ok;
    }
    QString input(const QString&, const QString&) override { return {}; }
    QStringList chooseFiles(const FileRequest&) override { return {}; }
    std::optional<MatchOn> chooseColumn(const ColumnRequest&) override { return std::nullopt; }
};

class NoProgress : public ProgressSink {
public:
    void setPercent(double) override {}
};

// Yields on a short budget and records, in processor time, the longest stretch without a turn.
class WatchingYielder : public Yielder {
public:
    WatchingYielder() : Yielder(kBudget) { m_last = threadMs(); }
    int yields = 0;
    double longestMs() const { return std::max(m_longest, threadMs() - m_last); }

protected:
    void processEvents() override {
        ++yields;
        const double now = threadMs();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

private:
    double m_last = 0;
    double m_longest = 0;
};

}  // namespace GateServices
