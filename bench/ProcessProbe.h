#pragma once

#include <QElapsedTimer>
#include <QObject>

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
