#pragma once

#include <QElapsedTimer>
#include <QObject>

// Reads the process's resident memory from /proc/self/status. resetPeak() lowers the peak (VmHWM) to
// the current size, so the peak read after a command is the highest the command took the process.
namespace ProcessMemory {
qint64 residentBytes();
qint64 peakBytes();
// Hands freed heap back to the system first, so a command starts from what is really in use.
// False when the system does not let the peak be reset.
bool resetPeak();
}  // namespace ProcessMemory

// The processor time all the process's threads have used, in seconds. Beside the wall-clock time it
// shows the work a command costs even on a busy machine, where waiting for a core dominates.
double processCpuSeconds();

// Watches the event loop: every turn of it wakes the event dispatcher, so the longest time between
// two wake-ups (and from the start and to the end of the watch) is the longest the window could not
// repaint or take a click.
class LoopWatch : public QObject {
public:
    LoopWatch();
    void start();
    void stop();
    double longestGapMs() const { return double(m_longestNs) / 1e6; }
    int turns() const { return m_turns; }

private:
    void turn();

    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_longestNs = 0;
    int m_turns = 0;
    bool m_watching = false;
};
