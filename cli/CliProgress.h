#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>

class QIODevice;

// The clock that paces the progress line: milliseconds on a steady clock from any start. Tests script
// it.
class ProgressClock {
public:
    virtual ~ProgressClock() = default;
    virtual qint64 milliseconds() const = 0;
};

class SteadyClock : public ProgressClock {
public:
    SteadyClock() { m_timer.start(); }
    qint64 milliseconds() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

// How far a long job has come, on one line of standard error that each update rewrites (\r): its
// phase, the lines so far and, where the input's size is known, the share of its bytes read. Shown
// only on a terminal and only for a job that has run about a second; cleared at the end.
class ProgressLine {
public:
    // `shown`: standard error is a terminal and nobody asked for quiet.
    ProgressLine(QIODevice& errors, bool shown, const ProgressClock& clock);
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // What the job does now, how many lines it has had, and the input it reads (null: none whose
    // share can be told).
    void setPhase(const QString& phase, std::function<qint64()> lines, const QIODevice* input);
    // Redraws the line when it is due.
    void tick();
    // Takes the line away, where one was drawn.
    void clear();

private:
    QString text() const;

    QIODevice& m_errors;
    const bool m_shown;
    const ProgressClock& m_clock;
    const qint64 m_startMs;
    // When the line was last drawn; -1: it is not on the screen.
    qint64 m_drawnMs = -1;
    qsizetype m_width = 0;
    QString m_phase;
    std::function<qint64()> m_lines;
    const QIODevice* m_input = nullptr;
};
