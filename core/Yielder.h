#pragma once

#include <QElapsedTimer>

#include <chrono>

// The one place that lets the event loop run during long work. Routines call due() per item (it
// reads the clock only every few calls) and yieldNow() when it answers true, so the window repaints
// and takes clicks at least once per time budget. Once the window is closing, yieldNow() throws
// Cancelled, which unwinds the running commands; a yield of a command that the user stopped throws
// Stopped (see StopPoint).
class StopPoint;

class Yielder {
public:
    explicit Yielder(std::chrono::microseconds budget = std::chrono::milliseconds(15), int checkEvery = 32);
    virtual ~Yielder() = default;
    Yielder(const Yielder&) = delete;
    Yielder& operator=(const Yielder&) = delete;

    bool due() {
        if (--m_countdown > 0) return false;
        m_countdown = m_checkEvery;
        return overBudget();
    }
    void maybeYield() {
        if (due()) yieldNow();
    }
    // For loops whose every step is long (a chunk of many items): reads the clock each time.
    bool dueNow() {
        m_countdown = m_checkEvery;
        return overBudget();
    }
    void yieldNow();

    // The window is closing: every running command ends at its next yield.
    void cancel() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }

    // How many yields are under way, one inside another: a command makes its own yields at the depth
    // it started at, and a command started during one of them runs a depth deeper.
    int depth() const { return m_depth; }

protected:
    virtual void processEvents();
    // Nanoseconds on a steady clock since the yielder was made; tests script it.
    virtual qint64 nowNs() const { return m_clock.nsecsElapsed(); }

private:
    friend class StopPoint;
    void endIfAsked() const;
    bool overBudget() const { return m_cancelled || nowNs() - m_yieldedAtNs >= m_budgetNs; }

    qint64 m_budgetNs;
    int m_checkEvery;
    int m_countdown;
    bool m_cancelled = false;
    QElapsedTimer m_clock;
    qint64 m_yieldedAtNs = 0;
    int m_depth = 0;
    // The stop points of the commands running now, the latest first.
    StopPoint* m_stops = nullptr;
};

// Lets the user stop one running command on its own. Made where the command starts, it belongs to
// the yields the command itself makes: once stop() is called, the next of them throws Stopped, while
// a command that runs inside one of its yields goes on to its end. Closing the window still ends
// every command (Cancelled comes first).
class StopPoint {
public:
    explicit StopPoint(Yielder& yielder);
    ~StopPoint();
    StopPoint(const StopPoint&) = delete;
    StopPoint& operator=(const StopPoint&) = delete;

    void stop() { m_stopped = true; }
    bool stopped() const { return m_stopped; }

private:
    friend class Yielder;
    Yielder& m_yielder;
    const int m_depth;
    bool m_stopped = false;
    StopPoint* m_outer;
};
